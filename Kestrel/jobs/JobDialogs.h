#pragma once
// The system dialogs the jobs ask with. Each is a function so that a test can answer in
// its place; the message boxes and the recording list dialog are the viewer's own windows.
#include <QString>

#include <filesystem>
#include <functional>
#include <string_view>

class QWidget;

namespace kestrel {

struct JobDialogs {
    // The folder picker over `owner`, opening on the folder stored under section/key; empty
    // when cancelled.
    std::function<std::filesystem::path(QWidget* owner, std::string_view section,
                                        std::string_view key, const QString& title)>
        ChooseFolder;
    // The save dialog for a movie, opening on `initial`; empty when cancelled. It asks before
    // an existing file is replaced.
    std::function<std::filesystem::path(QWidget* owner, const std::filesystem::path& initial)>
        ChooseMovieFile;

    // The system's own dialogs.
    static JobDialogs System();
};

} // namespace kestrel
