#pragma once
// Creates and owns the embedded browser of the map window: loads the map page from the
// program's resources, publishes the host object to it, runs the bridge's script commands and
// posts the update message. Everything runs on the user-interface thread.
#include "map/CJsonHolder.h"

#include <QObject>
#include <QString>

#include <memory>

class QWebChannel;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace kestrel {

class HostWebViewObject;
class IHostWebViewFuncs;
class LocalTileSchemeHandler;
class TileRequestInterceptor;

class CWebView2Holder : public QObject {
    Q_OBJECT
  public:
    static constexpr double kZoomFactor = 0.65;
    static constexpr const char* kPageUrl = "qrc:/map/map.html";

    CWebView2Holder();
    ~CWebView2Holder() override;

    // Makes the browser inside `window` and loads the page; once only. `localTileFolder`, when
    // not empty, is served to the page under the viewer's own tile scheme.
    bool CreateBrowser(QWidget* window, IHostWebViewFuncs* funcs,
                       const QString& localTileFolder = {});
    bool CreationStarted() const { return creationStarted_; }
    QWebEngineView* View() const { return view_; }

    // The browser fills the window; the page is drawn at 0.65 so that more map fits.
    void Resize();
    // Runs one statement in the page; its result is not used. Nothing without a browser.
    void RunScript(const QString& script);
    // Posts {"map_lat":…,"map_lng":…,"map_status":…,"val_command":"update","val_end":""} to
    // the page's message listeners; false without a browser.
    bool PostUpdate(const QString& status, double lat, double lng);
    // The text PostUpdate sends for these values.
    static QString UpdateMessage(CJsonHolder& json, const QString& status, double lat, double lng);
    void Close();

    // A message from the page (chrome.webview.postMessage): its position and status are kept.
    Q_INVOKABLE void postMessage(const QString& json);

    QString LatText, LngText, StatusText;

  private:
    CJsonHolder json_;
    bool creationStarted_ = false;
    QWidget* window_ = nullptr;
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* view_ = nullptr;
    QWebChannel* channel_ = nullptr;
    std::unique_ptr<HostWebViewObject> host_;
    std::unique_ptr<TileRequestInterceptor> interceptor_;
    std::unique_ptr<LocalTileSchemeHandler> localTiles_;
};

} // namespace kestrel
