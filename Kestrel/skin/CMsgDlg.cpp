#include "skin/CMsgDlg.h"

#include "shell/SharedFonts.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace kestrel {
namespace {
constexpr int kButtonW = 100;
constexpr int kButtonH = 30;
} // namespace

CMsgDlg::CMsgDlg(const QString& text, const QString& caption, int type, QWidget* owner)
    : CSkinDialog(owner) {
    setModal(true);
    setFont(SharedFonts::Font10());
    setWindowTitle(caption);

    message_ = new QLabel(text, this);
    message_->setObjectName(QStringLiteral("Message%1").arg(kMessageId));
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setAutoFillBackground(true);
    QPalette white = message_->palette();
    white.setColor(QPalette::Window, Qt::white);
    message_->setPalette(white);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("Button1"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QString::fromUtf8("キャンセル"), this);
    cancel_->setObjectName(QStringLiteral("Button2"));
    for (QWidget* item : {static_cast<QWidget*>(message_), static_cast<QWidget*>(ok_),
                          static_cast<QWidget*>(cancel_)}) {
        item->setFont(SharedFonts::Font10());
    }
    connect(ok_, &QPushButton::clicked, this, &CMsgDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CMsgDlg::reject);
    Arrange(type, owner);
    // Closing the box answers as cancel does.
    CreateCloseButton(kCloseId);
}

QSize CMsgDlg::MeasureText(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    int widest = 0;
    int height = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        widest = std::max(widest, metrics.horizontalAdvance(line));
        height += metrics.height();
    }
    return QSize(widest, height);
}

void CMsgDlg::Arrange(int type, QWidget* owner) {
    const QSize text = MeasureText(message_->text(), SharedFonts::Font10());
    const QSize size(text.width() + 80, text.height() + 140);
    QRect around;
    if (owner)
        around = owner->window()->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        around = screen->geometry();
    setFixedSize(size);
    move(around.center().x() - size.width() / 2, around.center().y() - size.height() / 2);

    message_->setGeometry(40, 30, text.width() + 40, text.height() + 30);
    const QPoint rightmost(size.width() - 115, size.height() - 45);
    if (type == OkOnly) {
        ok_->setGeometry(QRect(rightmost, QSize(kButtonW, kButtonH)));
        ok_->show();
        cancel_->hide();
    } else if (type == OkCancel) {
        cancel_->setGeometry(QRect(rightmost, QSize(kButtonW, kButtonH)));
        ok_->setGeometry(QRect(rightmost - QPoint(115, 0), QSize(kButtonW, kButtonH)));
        ok_->show();
        cancel_->show();
    } else {
        // Any other type keeps the template's places: OK and cancel side by side.
        ok_->setGeometry(10, size.height() - 40, 75, 23);
        cancel_->setGeometry(95, size.height() - 40, 75, 23);
    }
}

void CMsgDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.fillRect(QRect(0, 0, width(), std::max(0, height() - 60)), Qt::white);
    PaintTitleStrip(painter);
}

} // namespace kestrel
