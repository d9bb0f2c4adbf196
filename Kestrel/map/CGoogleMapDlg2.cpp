#include "map/CGoogleMapDlg2.h"

#include "map/CGoogleMapDlgWrap.h"

#include <QPalette>

namespace kestrel {

CGoogleMapDlg2::CGoogleMapDlg2(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MapWindow"));
    // The page's own dark background shows until the first tiles arrive.
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(30, 34, 39));
    setPalette(dark);
    setAutoFillBackground(true);
}

CGoogleMapDlg2::~CGoogleMapDlg2() {
    Browser.Close();
}

void CGoogleMapDlg2::CreateBrowserOnce() {
    if (Browser.CreationStarted() || !Bridge)
        return;
    Browser.CreateBrowser(
        this, Bridge, Bridge->Tiles().IsLocalFolder() ? Bridge->Tiles().LocalFolder() : QString());
}

void CGoogleMapDlg2::showEvent(QShowEvent* event) {
    CreateBrowserOnce();
    QWidget::showEvent(event);
}

void CGoogleMapDlg2::resizeEvent(QResizeEvent* event) {
    Browser.Resize();
    QWidget::resizeEvent(event);
}

} // namespace kestrel
