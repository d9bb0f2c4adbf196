#include "engine/ListExport.h"

#include "engine/BoxTree.h"
#include "engine/OutputFile.h"
#include "engine/RecorderHeaderReader.h"
#include "engine/RecordingCatalogue.h"
#include "engine/UiTextTable.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iconv.h>
#include <memory>
#include <sys/stat.h>

namespace kestrel {
namespace {

// Texts of the list export. The file is data that spreadsheets and stored lists rely on, so it
// is written with the Japanese texts whatever face the window shows.
std::string_view CsvText(int slot) {
    return UiTextTable::Text(0, slot);
}

constexpr int kHeaderSlots[] = {34, 33, 41, 40, 42, 39, 38, 36, 32};
constexpr int kTextHighQuality = 59;
constexpr int kTextLowQuality = 60;
constexpr int kTextParkingTimeLapse = 149;
constexpr int kTextTimeLapse = 150;
// A time-lapse recording holds one frame for every fifteen.
constexpr int kTimeLapseFactor = 15;

std::string Format(const char* format, auto... values) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, values...);
    return n < 0 ? std::string()
                 : std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

// A name holding a comma, a quote or a line break is quoted, so it stays one column.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string SizeClass(int height) {
    switch (height) {
    case 360:
        return "SD";
    case 720:
        return "HD";
    case 1080:
        return "FHD";
    default:
        return {};
    }
}

// Whole seconds of frames at fps, in single precision; 0 when either is unknown.
int DurationSeconds(int64_t frames, double fps) {
    if (frames < 0 || fps <= 0.0)
        return 0;
    const float seconds = std::trunc(static_cast<float>(frames) / static_cast<float>(fps));
    return seconds < 2.0e9f ? static_cast<int>(seconds) : 0;
}

std::string FallbackLine(const RecordingEntry& entry) {
    return CsvField(entry.FileName) + ",-,-,-,-,-,-,fps,0MB\r\n";
}

size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

class Cp932Encoder {
  public:
    Cp932Encoder() : cd_(::iconv_open("CP932", "UTF-8")) {}
    ~Cp932Encoder() {
        if (Ok())
            ::iconv_close(cd_);
    }
    Cp932Encoder(const Cp932Encoder&) = delete;
    Cp932Encoder& operator=(const Cp932Encoder&) = delete;

    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    std::string Encode(std::string_view utf8) {
        std::string out;
        if (!Ok())
            return out;
        out.reserve(utf8.size() + 8);
        char* in = const_cast<char*>(utf8.data());
        size_t inLeft = utf8.size();
        char buffer[256];
        while (inLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t result = ::iconv(cd_, &in, &inLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (result != static_cast<size_t>(-1) || errno == E2BIG)
                continue;
            // A character the code page lacks, or bytes that are not UTF-8: a visible '?'.
            const size_t skip = std::min(inLeft, Utf8Length(static_cast<unsigned char>(*in)));
            out += '?';
            in += skip;
            inLeft -= skip;
            ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t cd_;
};

} // namespace

std::string CsvHeaderLine() {
    std::string line;
    for (int slot : kHeaderSlots)
        line += CsvText(slot);
    return line + "\r\n";
}

std::string CsvLine(EngineContext& ctx, const RecordingEntry& entry) {
    auto tree = LoadBoxTree(entry.FullPath, false);
    if (!tree)
        return FallbackLine(entry);
    const VideoSize size = VideoSizeOf(*tree);
    DateTime start;
    if (size.Width == -1 || size.Height == -1 || !FirstRecordTime(*tree, start)) {
        return FallbackLine(entry);
    }
    RecorderHeader header;
    if (!ctx.Ready || !ReadHeaderOnly(&ctx, entry.FullPath, header))
        header = RecorderHeader{};
    const bool timeLapse = header.RecordingType == 'T';

    const int64_t frames = FrameCountOf(*tree) * (timeLapse ? kTimeLapseFactor : 1);
    const double fps = FrameRateOf(*tree);
    const int seconds = DurationSeconds(frames, fps);
    const std::string sizeClass = SizeClass(size.Height);
    std::string quality;
    if (!sizeClass.empty()) {
        quality = CsvText(header.PictureLetter == 'H' ? kTextHighQuality : kTextLowQuality);
    }
    const bool noRecord = start.Year == 0;

    std::string line = CsvField(entry.FileName);
    line += ',' + (noRecord ? std::string("--/--/--")
                            : Format("%04d/%02d/%02d", start.Year, start.Month, start.Day));
    line += ',' + (noRecord ? std::string("--:--:--")
                            : Format("%02d:%02d:%02d", start.Hour, start.Minute, start.Second));
    line += ',' + Format("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    line +=
        ',' + std::string(timeLapse ? CsvText(kTextParkingTimeLapse) : KindLabel(entry.FileName));
    line += ',' + sizeClass;
    line += ',' + quality;
    line += ',' + (timeLapse ? std::string(CsvText(kTextTimeLapse)) : Format("%.0ffps", fps));
    line += ',' + Format("%lluMB", static_cast<unsigned long long>(tree->Size / 1048576));
    return line + "\r\n";
}

std::optional<std::string> CsvFileName(const std::filesystem::path& recording) {
    auto tree = LoadBoxTree(recording, false);
    DateTime start;
    if (!tree || !FirstRecordTime(*tree, start))
        return std::nullopt;
    return Format("Dv_%04d%02d%02d_%02d%02d%02d.csv", start.Year, start.Month, start.Day,
                  start.Hour, start.Minute, start.Second);
}

std::optional<std::string> CsvFileNameOfList(const std::vector<RecordingEntry>& entries) {
    for (const RecordingEntry& entry : entries) {
        if (std::optional<std::string> name = CsvFileName(entry.FullPath))
            return name;
    }
    // No recording carries the recorder's time: the first one's own file time names the list.
    struct stat st {};
    std::tm local{};
    if (entries.empty() || ::stat(entries.front().FullPath.c_str(), &st) != 0 ||
        !localtime_r(&st.st_mtime, &local)) {
        return std::nullopt;
    }
    return Format("Dv_%04d%02d%02d_%02d%02d%02d.csv", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

std::string ToCp932(std::string_view utf8) {
    return Cp932Encoder().Encode(utf8);
}

CsvExportResult ExportCsv(EngineContext& ctx, const std::vector<RecordingEntry>& entries,
                          const std::filesystem::path& folder, bool overwrite,
                          const CsvProgress& progress, const std::atomic<int>* running) {
    CsvExportResult result;
    if (entries.empty()) {
        return {CsvFailure::NoRecordings, {}, "there are no recordings to list"};
    }
    const std::optional<std::string> name = CsvFileNameOfList(entries);
    if (!name) {
        return {CsvFailure::CannotCreate, {}, entries.front().FullPath + " cannot be read"};
    }
    result.File = folder / *name;
    std::error_code ec;
    if (!overwrite && std::filesystem::symlink_status(result.File, ec).type() !=
                          std::filesystem::file_type::not_found) {
        return {CsvFailure::Exists, result.File, result.File.string() + " exists"};
    }
    Cp932Encoder encoder;
    OutputFile out;
    if (!encoder.Ok())
        return {CsvFailure::CannotCreate, result.File, "no CP932 conversion"};
    if (!out.Create(result.File, overwrite) || !out.Write(encoder.Encode(CsvHeaderLine()))) {
        return {CsvFailure::CannotCreate, result.File, out.Error()};
    }
    const auto count = static_cast<int64_t>(entries.size());
    for (int64_t i = 0; i < count; ++i) {
        if (running && running->load() == 0)
            return {CsvFailure::Stopped, result.File, "stopped"};
        // Lines are written whole, however long.
        if (!out.Write(encoder.Encode(CsvLine(ctx, entries[static_cast<size_t>(i)]))))
            break;
        if (progress)
            progress(i, count);
    }
    if (!out.Commit())
        return {CsvFailure::CannotCreate, result.File, out.Error()};
    if (progress)
        progress(count, count);
    return result;
}

} // namespace kestrel
