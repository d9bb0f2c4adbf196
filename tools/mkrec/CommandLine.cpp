#include "mkrec/CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace kestrel::mkrec {

const char* const kUsage =
    "usage: kestrel-mkrec movie OUT.MOV [--seconds S] [--size WxH] [--gop N] [--dense]\n"
    "           [--start \"YYYY-MM-DD hh:mm:ss\"] [--lat DDMM.MMMM] [--lat-sign N|S]\n"
    "           [--lon DDDMM.MMMM] [--lon-sign E|W] [--seed N] [--time-offset N]\n"
    "           [--audio aac|pcm|none] [--no-audio] [--stts-delta N] [--records N]\n"
    "           [--mode-letter C] [--vehicle-data C] [--timelapse] [--chained-headers K]\n"
    "           [--no-udat] [--udat-before-mdat] [--bad-trailer] [--short]\n"
    "           [--truncate BYTES] [--records-json FILE] [--per-file-rates]\n"
    "           [--damage cut-stts|huge-counts|no-stsd|no-mdat|chunks-past-end|no-video]\n"
    "       kestrel-mkrec card DIR [--seconds S] [--size WxH]\n";

namespace {

[[noreturn]] void Bad(const std::string& message) { throw std::invalid_argument(message); }

class ArgReader {
public:
    explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}
    bool Done() const { return next_ >= args_.size(); }
    const std::string& Next() { return args_[next_++]; }
    const std::string& Value(const std::string& option) {
        if (Done()) Bad("option " + option + " needs a value");
        return Next();
    }

private:
    const std::vector<std::string>& args_;
    size_t next_ = 0;
};

int64_t Integer(const std::string& option, const std::string& text, int64_t min, int64_t max) {
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || v < min || v > max) {
        Bad("option " + option + " takes a whole number from " + std::to_string(min) + " to " +
            std::to_string(max) + ", not '" + text + "'");
    }
    return v;
}

double Number(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v)) {
        Bad("option " + option + " takes a number, not '" + text + "'");
    }
    return v;
}

char Letter(const std::string& option, const std::string& text) {
    if (text.size() != 1) Bad("option " + option + " takes one character, not '" + text + "'");
    return text[0];
}

void Size(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) Bad("option --size takes WxH, not '" + text + "'");
    width = static_cast<int>(Integer("--size", text.substr(0, x), 16, 4096));
    height = static_cast<int>(Integer("--size", text.substr(x + 1), 16, 4096));
    if (width % 2 != 0 || height % 2 != 0) Bad("option --size takes even sizes, not '" + text + "'");
}

double Seconds(const std::string& text) {
    const double v = Number("--seconds", text);
    if (!(v > 0.0) || v > 36000.0) Bad("option --seconds takes a length above 0 and up to 36000");
    return v;
}

double Degrees(const std::string& option, const std::string& text, double max) {
    const double v = DegreesFromText(text);
    if (v < 0.0 || v > max) Bad("option " + option + " takes degrees and minutes, not '" + text + "'");
    return v;
}

AudioKind Audio(const std::string& text) {
    if (text == "aac") return AudioKind::Aac;
    if (text == "pcm") return AudioKind::Pcm;
    if (text == "none") return AudioKind::None;
    Bad("option --audio takes aac, pcm or none, not '" + text + "'");
}

MovieDamage Damage(const std::string& text) {
    static const std::pair<const char*, MovieDamage> kNames[] = {
        {"cut-stts", MovieDamage::CutTimeTable},         {"huge-counts", MovieDamage::HugeCounts},
        {"no-stsd", MovieDamage::NoDescription},         {"no-mdat", MovieDamage::NoMediaBox},
        {"chunks-past-end", MovieDamage::ChunksPastEnd}, {"no-video", MovieDamage::NoPictureTrack},
    };
    for (const auto& [name, damage] : kNames) {
        if (text == name)
            return damage;
    }
    Bad("option --damage takes cut-stts, huge-counts, no-stsd, no-mdat, chunks-past-end or "
        "no-video, not '" +
        text + "'");
}

} // namespace

MovieCommand ParseMovieCommand(const std::vector<std::string>& args) {
    MovieCommand c;
    MovieOptions& o = c.Options;
    double lat = std::fabs(o.Drive.StartLatitude);
    double lon = std::fabs(o.Drive.StartLongitude);
    bool south = false;
    bool west = false;
    ArgReader in(args);
    while (!in.Done()) {
        const std::string& a = in.Next();
        if (a == "--seconds") {
            o.Seconds = Seconds(in.Value(a));
        } else if (a == "--size") {
            Size(in.Value(a), o.Video.Width, o.Video.Height);
        } else if (a == "--gop") {
            o.Video.Gop = static_cast<int>(Integer(a, in.Value(a), 1, 100000));
        } else if (a == "--dense") {
            o.Video.Dense = true;
        } else if (a == "--start") {
            const std::string& text = in.Value(a);
            const auto t = ParseCivilTime(text);
            if (!t) Bad("option --start takes \"YYYY-MM-DD hh:mm:ss\" (2000-2099), not '" + text + "'");
            o.Drive.Start = *t;
        } else if (a == "--lat") {
            lat = Degrees(a, in.Value(a), 90.0);
        } else if (a == "--lon") {
            lon = Degrees(a, in.Value(a), 180.0);
        } else if (a == "--lat-sign") {
            const char s = Letter(a, in.Value(a));
            if (s != 'N' && s != 'S') Bad("option --lat-sign takes N or S");
            south = s == 'S';
        } else if (a == "--lon-sign") {
            const char s = Letter(a, in.Value(a));
            if (s != 'E' && s != 'W') Bad("option --lon-sign takes E or W");
            west = s == 'W';
        } else if (a == "--seed") {
            o.Drive.Seed = static_cast<uint32_t>(Integer(a, in.Value(a), 0, UINT32_MAX));
        } else if (a == "--time-offset") {
            o.Drive.TimeOffsetSeconds = static_cast<int>(Integer(a, in.Value(a), 0, 999));
        } else if (a == "--audio") {
            o.Audio = Audio(in.Value(a));
        } else if (a == "--no-audio") {
            o.Audio = AudioKind::None;
        } else if (a == "--stts-delta") {
            o.Video.SttsDelta = static_cast<int>(Integer(a, in.Value(a), 1, 90000));
        } else if (a == "--records") {
            o.RecordsOverride = static_cast<int>(Integer(a, in.Value(a), 0, 65535));
        } else if (a == "--mode-letter") {
            o.Header.Mode = Letter(a, in.Value(a));
        } else if (a == "--vehicle-data") {
            o.Header.VehicleData = Letter(a, in.Value(a));
        } else if (a == "--timelapse") {
            o.Header.RecordingType = 'T';
        } else if (a == "--chained-headers") {
            o.ChainedHeaders = static_cast<int>(Integer(a, in.Value(a), 0, kMaxChainedHeaders));
        } else if (a == "--no-udat") {
            o.Place = UdatPlace::None;
        } else if (a == "--udat-before-mdat") {
            o.Place = UdatPlace::BeforeMdat;
        } else if (a == "--bad-trailer") {
            o.BadTrailer = true;
        } else if (a == "--short") {
            o.Short = true;
        } else if (a == "--truncate") {
            o.TruncateTo = Integer(a, in.Value(a), 0, INT64_MAX);
        } else if (a == "--per-file-rates") {
            o.PerFileRates = true;
        } else if (a == "--records-json") {
            c.RecordsJson = in.Value(a);
        } else if (a == "--damage") {
            o.Damage = Damage(in.Value(a));
        } else if (!a.empty() && a[0] == '-') {
            Bad("unknown option " + a);
        } else if (c.Out.empty()) {
            c.Out = a;
        } else {
            Bad("more than one output file: " + a);
        }
    }
    if (c.Out.empty()) Bad("no output file");
    o.Drive.StartLatitude = south ? -lat : lat;
    o.Drive.StartLongitude = west ? -lon : lon;
    return c;
}

CardCommand ParseCardCommand(const std::vector<std::string>& args) {
    CardCommand c;
    ArgReader in(args);
    while (!in.Done()) {
        const std::string& a = in.Next();
        if (a == "--seconds") {
            c.Options.Seconds = Seconds(in.Value(a));
        } else if (a == "--size") {
            Size(in.Value(a), c.Options.Width, c.Options.Height);
        } else if (!a.empty() && a[0] == '-') {
            Bad("unknown option " + a);
        } else if (c.Dir.empty()) {
            c.Dir = a;
        } else {
            Bad("more than one card folder: " + a);
        }
    }
    if (c.Dir.empty()) Bad("no card folder");
    return c;
}

} // namespace kestrel::mkrec
