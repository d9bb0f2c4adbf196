#pragma once
// The CSV export of a recording list: one line per recording with its start, length, kind,
// picture size, quality, frame rate and file size, written in the spreadsheet programs'
// Japanese code page (CP932) with CR LF line ends.
#include "engine/EngineContext.h"
#include "engine/RecordingEntry.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The nine column titles, each followed by a comma but the last, and CR LF (UTF-8).
std::string CsvHeaderLine();
// The line of one recording, CR LF included (UTF-8). The recording type and picture letters
// of the recorder header are read only while the engine is ready.
std::string CsvLine(EngineContext& ctx, const RecordingEntry& entry);
// "Dv_YYYYmmdd_HHMMSS.csv" after the start of the recording; none when the recording has no
// recorder data (or cannot be read).
std::optional<std::string> CsvFileName(const std::filesystem::path& recording);
// The name of a list's CSV file: after the first recording that has recorder data, so that a
// recording without it gets its fallback line wherever it stands in the list; when none has,
// after the first recording's modification time. None for an empty list or an unreadable file.
std::optional<std::string> CsvFileNameOfList(const std::vector<RecordingEntry>& entries);

// UTF-8 to CP932. A character the code page cannot hold, or a byte that is not UTF-8,
// becomes '?'.
std::string ToCp932(std::string_view utf8);

enum class CsvFailure {
    None,
    NoRecordings, // the list is empty
    Exists,       // the file exists and may not be overwritten
    CannotCreate, // no name (the first recording has no recorder data) or a failed write
    Stopped,
};

struct CsvExportResult {
    CsvFailure Failure = CsvFailure::None;
    std::filesystem::path File;
    std::string Error;
    bool Ok() const { return Failure == CsvFailure::None; }
};

using CsvProgress = std::function<void(int64_t done, int64_t total)>;

// Writes the CSV of `entries` into `folder`, named after the first recording. The file is
// complete or absent; an existing one is replaced only with `overwrite`.
CsvExportResult ExportCsv(EngineContext& ctx, const std::vector<RecordingEntry>& entries,
                          const std::filesystem::path& folder, bool overwrite,
                          const CsvProgress& progress = {},
                          const std::atomic<int>* running = nullptr);

} // namespace kestrel
