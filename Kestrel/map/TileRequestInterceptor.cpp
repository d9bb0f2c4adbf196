#include "map/TileRequestInterceptor.h"

#include "map/MapTileSettings.h"
#include "map/WebEngineRuntime.h"

#include <QUrl>

namespace kestrel {

TileRequestInterceptor::TileRequestInterceptor(QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), userAgent_(WebEngineRuntime::UserAgent().toUtf8()) {}

void TileRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QString scheme = info.requestUrl().scheme();
    if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
        return;
    info.setHttpHeader("User-Agent", userAgent_);
    // The engine refuses a referrer from another site, so the map names itself by a path on
    // the tile server's own origin.
    const QUrl url = info.requestUrl();
    info.setHttpHeader(
        "Referer",
        url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toEncoded() +
            MapTileSettings::kRefererPath);
}

} // namespace kestrel
