#include "map/CWebView2Holder.h"

#include "map/HostWebViewObject.h"
#include "map/LocalTileSchemeHandler.h"
#include "map/TileRequestInterceptor.h"
#include "map/WebEngineRuntime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWidget>

namespace kestrel {

CWebView2Holder::CWebView2Holder() = default;

CWebView2Holder::~CWebView2Holder() {
    Close();
}

bool CWebView2Holder::CreateBrowser(QWidget* window, IHostWebViewFuncs* funcs,
                                    const QString& localTileFolder) {
    if (creationStarted_ || !window)
        return false;
    creationStarted_ = true;
    window_ = window;
    // A profile of the map's own, kept in memory: nothing is written to the user's folders,
    // and the request interceptor names the viewer only to the map's servers.
    profile_ = new QWebEngineProfile(window);
    profile_->setHttpUserAgent(WebEngineRuntime::UserAgent());
    interceptor_ = std::make_unique<TileRequestInterceptor>();
    profile_->setUrlRequestInterceptor(interceptor_.get());
    if (!localTileFolder.isEmpty()) {
        localTiles_ = std::make_unique<LocalTileSchemeHandler>(localTileFolder);
        profile_->installUrlSchemeHandler(WebEngineRuntime::kLocalTileScheme, localTiles_.get());
    }

    view_ = new QWebEngineView(window);
    auto* page = new QWebEnginePage(profile_, view_);
    view_->setPage(page);
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    Resize();

    host_ = std::make_unique<HostWebViewObject>();
    host_->SetFuncs(funcs);
    channel_ = new QWebChannel(page);
    channel_->registerObject(QStringLiteral("sample"), host_.get());
    channel_->registerObject(QStringLiteral("webview"), this);
    page->setWebChannel(channel_);
    view_->load(QUrl(QString::fromLatin1(kPageUrl)));
    view_->show();
    return true;
}

void CWebView2Holder::Resize() {
    if (!view_ || !window_)
        return;
    view_->setGeometry(window_->rect());
    view_->setZoomFactor(kZoomFactor);
}

void CWebView2Holder::RunScript(const QString& script) {
    if (view_)
        view_->page()->runJavaScript(script);
}

QString CWebView2Holder::UpdateMessage(CJsonHolder& json, const QString& status, double lat,
                                       double lng) {
    json.Clear();
    json.Set(QStringLiteral("val_command"), QStringLiteral("update"), QStringLiteral(","));
    json.Set(QStringLiteral("map_lat"), QString::asprintf("%f", lat), QStringLiteral(","));
    json.Set(QStringLiteral("map_lng"), QString::asprintf("%f", lng), QStringLiteral(","));
    json.Set(QStringLiteral("map_status"), status, QStringLiteral(","));
    json.Set(QStringLiteral("val_end"), QString(), QString());
    return json.Serialize();
}

bool CWebView2Holder::PostUpdate(const QString& status, double lat, double lng) {
    if (!view_)
        return false;
    LatText = QString::asprintf("%f", lat);
    LngText = QString::asprintf("%f", lng);
    StatusText = status;
    const QString text = UpdateMessage(json_, status, lat, lng);
    // The text goes to the page as a quoted string and is parsed there, so that nothing in it
    // can become script.
    const QString quoted =
        QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    RunScript(QStringLiteral("window.dispatchEvent(new MessageEvent('message',{data:JSON.parse(") +
              quoted + QStringLiteral("[0])}));"));
    return true;
}

void CWebView2Holder::postMessage(const QString& json) {
    json_.Parse(json);
    LatText = json_.Get(QStringLiteral("map_lat"));
    LngText = json_.Get(QStringLiteral("map_lng"));
    StatusText = json_.Get(QStringLiteral("map_status"));
}

void CWebView2Holder::Close() {
    if (channel_) {
        channel_->deregisterObject(host_.get());
        channel_->deregisterObject(this);
    }
    if (host_)
        host_->SetFuncs(nullptr);
    if (view_) {
        // The page goes before its profile.
        delete view_;
        view_ = nullptr;
        channel_ = nullptr;
    }
    if (profile_) {
        delete profile_;
        profile_ = nullptr;
    }
    host_.reset();
    localTiles_.reset();
    interceptor_.reset();
}

} // namespace kestrel
