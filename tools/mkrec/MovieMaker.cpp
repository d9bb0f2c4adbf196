#include "mkrec/MovieMaker.h"

#include "mkrec/BoxWriter.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>

namespace kestrel::mkrec {

namespace fs = std::filesystem;

namespace {

void Validate(const MovieOptions& o) {
    const VideoSettings& v = o.Video;
    if (!(o.Seconds > 0.0) || o.Seconds > 36000.0) {
        throw std::invalid_argument("the length must be above 0 and at most 36000 seconds");
    }
    if (v.Width < 16 || v.Height < 16 || v.Width > 4096 || v.Height > 4096 || v.Width % 2 != 0 ||
        v.Height % 2 != 0) {
        throw std::invalid_argument("the picture size must be even and from 16 to 4096");
    }
    if (v.Gop < 1) throw std::invalid_argument("the key frame interval must be at least 1");
    if (v.SttsDelta < 1 || v.SttsDelta > 90000) {
        throw std::invalid_argument("the frame duration must be from 1 to 90000");
    }
    if (o.RecordsOverride > 0xFFFF) throw std::invalid_argument("at most 65535 records");
    if (o.ChainedHeaders < 0 || o.ChainedHeaders > static_cast<int>(kMaxChainedHeaders)) {
        throw std::invalid_argument("at most 24 chained headers");
    }
}

fs::path TemporaryBeside(const fs::path& path) {
    return path.parent_path() /
           ("." + path.filename().string() + ".part-" + std::to_string(::getpid()));
}

// Removes the temporary file unless the work completed.
class TemporaryFile {
public:
    explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!kept_) {
            std::error_code ec;
            fs::remove(path_, ec);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const fs::path& Path() const { return path_; }
    void RenameTo(const fs::path& target) {
        std::error_code ec;
        fs::rename(path_, target, ec);
        if (ec) throw std::runtime_error("cannot rename to " + target.string() + ": " + ec.message());
        kept_ = true;
    }

private:
    fs::path path_;
    bool kept_ = false;
};

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Under 260 bytes, still ending with the trailer: the recorder's signature check must
// reject it for its size alone.
std::vector<uint8_t> ShortFile(const std::vector<uint8_t>& udat) {
    BoxWriter w;
    w.Bytes(FileTypeBox());
    w.U32(8 + kMdatFiller);
    w.FourCC("mdat");
    w.Zeros(kMdatFiller);
    w.Bytes(udat);
    return w.Take();
}

DriveOptions DriveFor(const MovieOptions& o, int records) {
    DriveOptions d = o.Drive;
    if (o.DefaultEvents) {
        const DriveOptions defaults = DefaultDriveOptions(d.FirstRecord + records);
        d.Events = defaults.Events;
        d.GpsLoss = defaults.GpsLoss;
        d.NoVehicleData = defaults.NoVehicleData;
    }
    d.Records = records;
    d.VehicleData = o.Header.VehicleData;
    if (o.Audio == AudioKind::None) d.Microphone = 'M';
    return d;
}

} // namespace

std::vector<HeaderValues> HeaderChain(const MovieOptions& o) {
    std::vector<HeaderValues> chain{o.Header};
    const int build = std::atoi(o.Header.Build.c_str());
    for (int i = 1; i <= o.ChainedHeaders; ++i) {
        HeaderValues h = o.Header;
        for (int j = 0; j < 3; ++j) h.Thresholds[j] = std::to_string(1500 + 100 * i + 10 * j);
        char text[8];
        std::snprintf(text, sizeof text, "%02d", (build + i) % 100);
        h.Build = text;
        chain.push_back(h);
    }
    return chain;
}

int FrameCount(const MovieOptions& o) {
    const double frames = std::round(o.Seconds * kVideoTimescale / o.Video.SttsDelta);
    return std::max(1, static_cast<int>(std::min(frames, 1e9)));
}

int RecordCount(const MovieOptions& o) {
    if (o.RecordsOverride >= 0) return o.RecordsOverride;
    // One record per started 100 ms of the picture, the first at time 0.
    const int64_t ticks = int64_t{FrameCount(o)} * o.Video.SttsDelta;
    const int64_t records = (ticks + 8999) / 9000;
    if (records > 0xFFFF) throw std::invalid_argument("the movie is too long for 65535 records");
    return static_cast<int>(records);
}

MovieSummary MakeMovie(const MovieOptions& o, const fs::path& path) {
    Validate(o);
    if (path.filename().empty()) throw std::invalid_argument("no output file name");
    MovieSummary summary;
    summary.Width = o.Video.Width;
    summary.Height = o.Video.Height;
    summary.SttsDelta = o.Video.SttsDelta;
    summary.Frames = FrameCount(o);
    summary.Seconds = static_cast<double>(summary.Frames) * o.Video.SttsDelta / kVideoTimescale;
    summary.Audio = o.Audio;

    int records = RecordCount(o);
    if (o.Short) records = std::min(records, 1);
    const std::vector<RecordValues> script = MakeDriveScript(DriveFor(o, records));
    const std::vector<uint8_t> udat = BuildUdatBox(HeaderChain(o), script, !o.BadTrailer);
    summary.HasUdat = o.Short || o.Place != UdatPlace::None;
    if (summary.HasUdat) ReadUdatBox(udat.data(), udat.size(), summary.Udat);

    TemporaryFile temp(TemporaryBeside(path));
    if (o.Short) {
        WriteBytes(temp.Path(), ShortFile(udat));
        summary.Frames = 0;
        summary.Seconds = 0.0;
        summary.Audio = AudioKind::None;
    } else {
        VideoSettings video = o.Video;
        video.Frames = summary.Frames;
        video.SceneStart = static_cast<int>(
            std::min<int64_t>(int64_t{o.Drive.FirstRecord} * 9000 / o.Video.SttsDelta, 1 << 30));
        const VideoTrackData picture = EncodeVideo(video);
        const int64_t samples = int64_t{summary.Frames} * o.Video.SttsDelta * kAudioRate / kVideoTimescale;
        const AudioTrackData sound = EncodeAudio(o.Audio, samples);
        MovieParts parts;
        parts.Video = &picture;
        parts.Settings = video;
        parts.Audio = &sound;
        parts.Udat = udat;
        parts.Place = o.Place;
        parts.Created = o.Drive.Start;
        parts.PerFileRates = o.PerFileRates;
        parts.Damage = o.Damage;
        WriteMovie(parts, temp.Path());
    }
    std::error_code ec;
    if (o.TruncateTo >= 0 && static_cast<uintmax_t>(o.TruncateTo) < fs::file_size(temp.Path(), ec)) {
        fs::resize_file(temp.Path(), static_cast<uintmax_t>(o.TruncateTo), ec);
        if (ec) throw std::runtime_error("cannot truncate: " + ec.message());
    }
    summary.Bytes = fs::file_size(temp.Path(), ec);
    if (ec) throw std::runtime_error("cannot read the size of the movie: " + ec.message());
    temp.RenameTo(path);
    return summary;
}

void WriteFileAtomically(const fs::path& path, const std::string& bytes) {
    TemporaryFile temp(TemporaryBeside(path));
    WriteBytes(temp.Path(), std::vector<uint8_t>(bytes.begin(), bytes.end()));
    temp.RenameTo(path);
}

} // namespace kestrel::mkrec
