#pragma once
// The rules of the once-a-run version check: how a version file is read, how recorder
// versions are compared, and the text of the notice. No network here: the thread of
// CInetConnectionAsync fetches, these functions decide.
#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace kestrel {

class VersionCheck {
  public:
    // The viewer's own version, as the maker's site publishes the latest one.
    static constexpr const char* kViewerVersion = "2.0.0.0";
    // A version file is read in one block of at most this many bytes.
    static constexpr int kBlockBytes = 1024;
    // The version after the marker keeps at most this many characters.
    static constexpr int kVersionChars = 259;

    // The version in a block read from a version file (CP932 text; only the first kBlockBytes
    // bytes count): the text after the first "VER:" to the end, or none without the marker.
    // An empty block is an empty version.
    static std::optional<QString> VersionInBlock(const QByteArray& block);

    // A recorder version for comparison: letters dropped, digits, dots and all other
    // characters kept, cut before the third dot ("1.2.3A" and "1.2.3.0" both give "1.2.3").
    static QString Normalise(const QString& version);

    // The model code of a recorder firmware version text: its last character, or 0.
    static char ModelCodeOf(const QString& deviceVersion);

    // The outcome of one check.
    struct Findings {
        bool RecorderUpdate = false;
        QString CurrentRecorder; // shown with "." and the model code appended
        QString LatestRecorder;
        QString RecorderPage;
        bool ViewerUpdate = false;
        QString LatestViewer;
        QString ViewerPage;
    };

    // Where the versions of one check are published.
    struct Site {
        QString ViewerVersionUrl;
        QString ViewerPageUrl;
        // The model's version file and page for the recorder; empty when the recorder part is
        // skipped (no SD card, no readable version, or no row for its model).
        QString RecorderVersionUrl;
        QString RecorderPageUrl;
    };

    // Fetches a version file: the version, or none when the fetch failed.
    using Fetch = std::function<std::optional<QString>(const QString& url)>;

    // Runs the check for the recorder `deviceVersion`. None when the viewer's version file
    // could not be fetched: then nothing at all is reported.
    static std::optional<Findings> Run(const QString& deviceVersion, const Site& site,
                                       const Fetch& fetch);

    // The notice for `findings`, with its links as <a href="..."> markup; empty when there is
    // no update. Versions and addresses are escaped for markup, so a version file cannot add
    // markup of its own to the notice.
    static QString NoticeText(const Findings& findings);
};

} // namespace kestrel
