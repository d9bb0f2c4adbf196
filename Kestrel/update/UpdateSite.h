#pragma once
// Where the version check asks: the maker's site and the model table, read from the settings
// file (section UPDATE). Nothing is configured by default, and with no site nothing is
// contacted: the viewer does not call out unless its user asked it to.
//
//   [UPDATE]
//   HOST=http://downloads.example.net     site of the viewer's version file and page
//   VERSION_0=/fw/model0_version.txt      version file of the recorders whose version ends '0'
//   PAGE_0=/fw/model0.html                firmware page of those recorders
//   VERSION_A=, PAGE_A=, VERSION_C=, PAGE_C=   the same for models 'A' and 'C'
//
// A model value that starts with '/' is a path on HOST; any other value is a whole http or
// https address.
#include "update/VersionCheck.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace kestrel {

class UpdateSite {
  public:
    static constexpr const char* kSection = "UPDATE";
    static constexpr const char* kViewerVersionPath =
        "/0_recorder/viewer/Ravenlog4/Ravenlog4_version.txt";
    static constexpr const char* kViewerPagePath = "/0_recorder/viewer/Ravenlog4/viewer.html";

    // Writes the keys with empty values; the first run calls it.
    static void WriteDefaults();

    // The configured site as an http or https address without a trailing '/'; none when HOST
    // is empty or names anything else. A HOST without a scheme is taken as http.
    static std::optional<QUrl> Host();

    // The addresses of one check for the recorder `deviceVersion`; none when no site is
    // configured (no check at all).
    static std::optional<VersionCheck::Site> SiteFor(const QString& deviceVersion);

    // `value` as an address on `host` (a path starting with '/') or on its own (an http or
    // https address); empty otherwise.
    static QString Resolve(const QUrl& host, const QString& value);
};

} // namespace kestrel
