#include "skin/CSkinDialog.h"

#include "shell/SharedFonts.h"
#include "skin/CSkinButton.h"
#include "skin/SkinPictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CSkinDialog::CSkinDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setFont(SharedFonts::Font10());
}

CSkinButton* CSkinDialog::CreateCloseButton(int id) {
    if (!closeButton_) {
        closeButton_ = new CSkinButton(id, QSize(13, 12), this);
        closeButton_->SetImage(pictures::kDialogClose);
        connect(closeButton_, &QAbstractButton::clicked, this, &QDialog::reject);
    }
    PlaceCloseButton();
    closeButton_->show();
    return closeButton_;
}

void CSkinDialog::PlaceCloseButton() {
    if (closeButton_)
        closeButton_->setGeometry(width() - 20, 4, 13, 12);
}

void CSkinDialog::resizeEvent(QResizeEvent* event) {
    PlaceCloseButton();
    QDialog::resizeEvent(event);
}

void CSkinDialog::PaintTitleStrip(QPainter& painter) {
    painter.fillRect(QRect(0, 0, width(), kTitleHeight), QColor(192, 192, 192));
    painter.setFont(SharedFonts::Font10());
    painter.setPen(Qt::black);
    int textLeft = 5;
    const QIcon icon = windowIcon();
    if (!icon.isNull() && testAttribute(Qt::WA_SetWindowIcon)) {
        icon.paint(&painter, QRect(0, 0, kTitleHeight, kTitleHeight));
        textLeft = 21;
    }
    painter.drawText(QRect(textLeft, 1, width() - textLeft, 100 - 1),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, windowTitle().left(259));
}

void CSkinDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    PaintTitleStrip(painter);
}

void CSkinDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->position().y() < kTitleHeight) {
        dragging_ = true;
        dragStart_ = event->position().toPoint();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CSkinDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(pos() + (event->position().toPoint() - dragStart_));
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CSkinDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

} // namespace kestrel
