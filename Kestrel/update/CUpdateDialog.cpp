#include "update/CUpdateDialog.h"

#include "shell/SharedFonts.h"
#include "shell/UiQText.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace kestrel {

CUpdateDialog::CUpdateDialog(Variant variant, QWidget* parent)
    : CSkinDialog(parent), variant_(variant) {
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    setModal(false);
    setFont(SharedFonts::Font9());
    setWindowTitle(UiQText(108)); // ソフトの更新情報

    link_ = new QLabel(this);
    link_->setObjectName(QStringLiteral("Link%1").arg(kLinkId));
    link_->setFont(SharedFonts::Font9());
    link_->setTextFormat(Qt::RichText);
    link_->setWordWrap(true);
    link_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    link_->setOpenExternalLinks(false);
    link_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link_->setAutoFillBackground(false);
    connect(link_, &QLabel::linkActivated, this, &CUpdateDialog::OpenLink);

    close_ = new QPushButton(UiQText(0), this); // 閉じる
    close_->setObjectName(QStringLiteral("Close%1").arg(kCloseId));
    close_->setFont(SharedFonts::Font9());
    // Enter does not close the notice; only the button (or Escape, as a cancel) does.
    close_->setAutoDefault(false);
    close_->setDefault(false);
    connect(close_, &QPushButton::clicked, this, [this] {
        closed_ = true;
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] { closed_ = true; });

    Place();
}

void CUpdateDialog::Place() {
    const bool centred = variant_ == Variant::Centred;
    const QSize size = centred ? QSize(640, 320) : QSize(640, 360);
    resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // The desktop window and the primary screen differ only with several screens.
        const QRect area = centred ? screen->virtualGeometry() : screen->geometry();
        move(area.left() + (area.width() - size.width()) / 2,
             area.top() + (area.height() - size.height()) / 2);
    }
    const int w = size.width();
    const int h = size.height();
    if (centred) {
        link_->setGeometry(15, 42, w - 30, h - 112);
        close_->setGeometry(w - 20 - 100, h - 10 - 30, 100, 30);
    } else {
        link_->setGeometry(10, 30, w - 20, h - 80);
        close_->setGeometry(w - 110, h - 40, 100, 30);
    }
}

QString CUpdateDialog::DisplayMarkup(const QString& markup) {
    QString shown = markup;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return QStringLiteral("<div style=\"white-space:pre-wrap\">%1</div>").arg(shown);
}

void CUpdateDialog::SetLinkText(const QString& markup) {
    markup_ = markup;
    link_->setText(DisplayMarkup(markup));
}

void CUpdateDialog::OpenLink(const QString& link) {
    const QUrl url(link, QUrl::StrictMode);
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        QDesktopServices::openUrl(url);
}

void CUpdateDialog::showEvent(QShowEvent* event) {
    closed_ = false;
    CSkinDialog::showEvent(event);
}

void CUpdateDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.fillRect(QRect(0, 0, width(), height() - kButtonStrip), Qt::white);
    PaintTitleStrip(painter);
}

} // namespace kestrel
