#include "map/MapTileSettings.h"

#include "map/WebEngineRuntime.h"
#include "settings/SettingsStore.h"

namespace kestrel {

MapTileSettings MapTileSettings::Load() {
    MapTileSettings tiles;
    const std::string url = ReadPathSetting("MAP", "TILE_URL");
    if (url.empty()) {
        tiles.UrlTemplate = QString::fromLatin1(kDefaultUrl);
        tiles.Attribution = QString::fromLatin1(kDefaultAttribution);
    } else {
        tiles.UrlTemplate = QString::fromStdString(url);
        tiles.Attribution = QString::fromStdString(ReadPathSetting("MAP", "TILE_ATTRIBUTION"));
    }
    const QString session = qEnvironmentVariable("KESTREL_TILE_URL");
    if (!session.isEmpty()) {
        tiles.UrlTemplate = session;
        tiles.Attribution = qEnvironmentVariable("KESTREL_TILE_ATTRIBUTION");
    }
    return tiles;
}

void MapTileSettings::WriteDefaults() {
    WriteSetting("MAP", "TILE_URL", kDefaultUrl);
    WriteSetting("MAP", "TILE_ATTRIBUTION", kDefaultAttribution);
}

QString MapTileSettings::LocalFolder() const {
    if (!IsLocalFolder())
        return {};
    const qsizetype brace = UrlTemplate.indexOf(QLatin1Char('{'));
    const QString head = brace < 0 ? UrlTemplate : UrlTemplate.left(brace);
    return QUrl(head).toLocalFile();
}

QString MapTileSettings::PageTemplate() const {
    if (!IsLocalFolder())
        return UrlTemplate;
    const qsizetype brace = UrlTemplate.indexOf(QLatin1Char('{'));
    const QString tail = brace < 0 ? QString() : UrlTemplate.mid(brace);
    return QString::fromLatin1(WebEngineRuntime::kLocalTileScheme) + QStringLiteral(":/") + tail;
}

QUrl MapTileSettings::ProbeUrl() const {
    if (IsLocalFolder())
        return {};
    // The template's placeholders are not part of a valid host; {s} is the first subdomain.
    QString text = UrlTemplate;
    text.replace(QStringLiteral("{s}"), QStringLiteral("a"));
    const QUrl url(text);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QStringLiteral("http") && url.scheme() != QStringLiteral("https"))) {
        return {};
    }
    QUrl root;
    root.setScheme(url.scheme());
    root.setHost(url.host());
    root.setPort(url.port());
    root.setPath(QStringLiteral("/"));
    return root;
}

} // namespace kestrel
