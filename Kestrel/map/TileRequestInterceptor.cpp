#include "map/TileRequestInterceptor.h"

#include "map/MapTileSettings.h"
#include "map/WebEngineRuntime.h"

namespace kestrel {

TileRequestInterceptor::TileRequestInterceptor(QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), userAgent_(WebEngineRuntime::UserAgent().toUtf8()) {}

void TileRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QString scheme = info.requestUrl().scheme();
    if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
        return;
    info.setHttpHeader("User-Agent", userAgent_);
    info.setHttpHeader("Referer", MapTileSettings::kReferer);
}

} // namespace kestrel
