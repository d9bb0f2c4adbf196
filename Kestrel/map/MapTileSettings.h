#pragma once
// Where the map's background tiles come from: a URL template with {z}, {x} and {y} (and
// optionally {s}), kept in the settings file's [MAP] section and written there on first run.
// An http(s) template names a tile server; a file:// template a local tile folder laid out as
// {z}/{x}/{y}.png, which needs no network. KESTREL_TILE_URL, when set, stands in for the
// settings for one session (a demonstration or a test server).
#include <QString>
#include <QUrl>

namespace kestrel {

struct MapTileSettings {
    static constexpr const char* kDefaultUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    static constexpr const char* kDefaultAttribution =
        "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap</a> "
        "contributors";
    // The path of the Referer sent with every tile request (on the server's own origin), as
    // tile servers' usage policies ask of a program.
    static constexpr const char* kRefererPath = "/kestrel-map";

    QString UrlTemplate;
    QString Attribution;

    // Reads the settings; a missing template is the default one.
    static MapTileSettings Load();
    // The first run's [MAP] section, so that the user finds where to change the tiles.
    static void WriteDefaults();

    bool IsLocalFolder() const { return UrlTemplate.startsWith(QStringLiteral("file:")); }
    // The folder of a file:// template (the part before the first placeholder).
    QString LocalFolder() const;
    // The template the page uses: a local folder goes through the viewer's own tile scheme,
    // which the page may read (a web page may not read file:// addresses).
    QString PageTemplate() const;
    // The server's root, which the connectivity monitor asks; empty for a local folder.
    QUrl ProbeUrl() const;
};

} // namespace kestrel
