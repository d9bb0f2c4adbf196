#pragma once
// The map window: a borderless child of the main window in the map's place, filled by the
// browser that shows the map page. It keeps the last position and status the main window gave,
// which the page collects once a second.
#include "map/CWebView2Holder.h"

#include <QString>
#include <QWidget>

namespace kestrel {

class CGoogleMapDlgWrap;

class CGoogleMapDlg2 : public QWidget {
    Q_OBJECT
  public:
    explicit CGoogleMapDlg2(QWidget* parent = nullptr);
    ~CGoogleMapDlg2() override;

    // Makes the browser unless it was made already; `Bridge` must be set.
    void CreateBrowserOnce();

    double MapLongitude = 0.0;
    double MapLatitude = 0.0;
    QString MapStatus; // "" playing, "pause", "stop"
    CGoogleMapDlgWrap* Bridge = nullptr;
    CWebView2Holder Browser;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace kestrel
