#include "mkrec/CardMaker.h"

#include "mkrec/MovieMaker.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace kestrel::mkrec {

namespace fs = std::filesystem;

namespace {

using K = ScriptEventKind;

// The events of recording `i` (records counted from its start), telling what made the
// recorder write a file of that kind.
std::vector<ScriptEvent> EventsOf(size_t i, int r) {
    const int mid = r / 2;
    switch (kCardKinds[i]) {
    case 'G': return {{mid, K::ImpactX}};
    case 'M': return {{r / 3, K::Manual}};
    case 'O': return {{mid, K::SpeedCamera}, {mid + 1, K::Speeding}, {mid + 2, K::Speeding}};
    case 'R': return {{mid, K::Radar}, {mid + 2, K::RadarAlt}};
    case 'P': return {{mid, K::Parking}};
    case 'S': return {{mid, K::Parking}, {mid, K::ImpactY}};
    case 'T': return {{mid, K::Parking}};
    case 'U': return {{mid, K::Parking}, {mid, K::ImpactZ}};
    default: break;
    }
    // Continuous recordings carry drive-support events and one emergency stop.
    switch (i) {
    case 1: return {{mid, K::SupportSteer}};
    case 4: return {{mid, K::SupportBrake}, {r / 4, K::Speeding}};
    case 7: return {{mid, K::SupportAccel}, {r - 2, K::EmergencyStop}};
    default: return {};
    }
}

bool IsParkingKind(char kind) { return kind == 'P' || kind == 'S' || kind == 'T' || kind == 'U'; }

fs::path TemporaryDir(const fs::path& dir) {
    return dir.parent_path() / ("." + dir.filename().string() + ".part-" + std::to_string(::getpid()));
}

void MakeFolders(const fs::path& root) {
    fs::create_directories(root / "DCIM" / "102_EMPTY");
    fs::create_directories(root / "DCIM" / "103_TEXT");
    std::ofstream note(root / "DCIM" / "103_TEXT" / "README.TXT");
    note << "This folder holds no recordings.\n";
    note.close();
    if (!note) throw std::runtime_error("cannot write " + (root / "DCIM/103_TEXT/README.TXT").string());
}

std::vector<CardFile> MakeRecordings(const CardOptions& o, const fs::path& root) {
    MovieOptions base;
    base.Seconds = o.Seconds;
    base.Video.Width = o.Width;
    base.Video.Height = o.Height;
    base.DefaultEvents = false;
    base.Drive.Start = o.Start;
    const int records = RecordCount(base);
    const size_t count = std::size(kCardKinds);
    for (size_t i = 0; i < count; ++i) {
        const int first = static_cast<int>(i) * records;
        for (ScriptEvent e : EventsOf(i, records)) {
            e.Record += first;
            base.Drive.Events.push_back(e);
        }
        if (IsParkingKind(kCardKinds[i]) && base.Drive.ParkFrom < 0) base.Drive.ParkFrom = first;
    }
    // A tunnel in the second recording.
    base.Drive.GpsLoss.push_back({records + records / 3, records + 2 * records / 3});

    std::vector<CardFile> made;
    std::map<std::string, std::string> folderOfDay;
    for (size_t i = 0; i < count; ++i) {
        MovieOptions m = base;
        m.Drive.FirstRecord = static_cast<int>(i) * records;
        m.RecordsOverride = records;
        if (kCardKinds[i] == 'T' || kCardKinds[i] == 'U') m.Header.RecordingType = 'T';
        CardFile file;
        file.Kind = kCardKinds[i];
        file.Start = AddSeconds(o.Start, m.Drive.FirstRecord / 10);
        file.Records = records;
        char day[8];
        std::snprintf(day, sizeof day, "%02d%02d", file.Start.Month, file.Start.Day);
        auto [it, added] = folderOfDay.try_emplace(day, "");
        if (added) {
            char folder[16];
            std::snprintf(folder, sizeof folder, "%03d_%s", 100 + static_cast<int>(folderOfDay.size()) - 1, day);
            it->second = folder;
        }
        file.Path = fs::path("DCIM") / it->second / (FileStem(file.Start) + "_" + file.Kind + ".MOV");
        // The recorder names a file by its start second: recordings shorter than a second
        // would overwrite one another.
        if (fs::exists(root / file.Path)) {
            throw std::invalid_argument("recordings of " + std::to_string(o.Seconds) +
                                        " s would share the name " + file.Path.string());
        }
        fs::create_directories(root / file.Path.parent_path());
        MakeMovie(m, root / file.Path);
        made.push_back(file);
    }
    return made;
}

} // namespace

std::vector<CardFile> MakeCard(const CardOptions& o, const fs::path& dir) {
    if (dir.filename().empty()) throw std::invalid_argument("no card folder name");
    std::error_code ec;
    if (fs::exists(dir, ec) && !(fs::is_directory(dir, ec) && fs::is_empty(dir, ec))) {
        throw std::invalid_argument(dir.string() + " already exists and is not an empty folder");
    }
    const fs::path temp = TemporaryDir(dir);
    fs::remove_all(temp, ec);
    try {
        fs::create_directories(temp);
        MakeFolders(temp);
        std::vector<CardFile> made = MakeRecordings(o, temp);
        if (fs::exists(dir, ec)) fs::remove(dir); // empty, checked above
        fs::rename(temp, dir);
        return made;
    } catch (...) {
        fs::remove_all(temp, ec);
        throw;
    }
}

} // namespace kestrel::mkrec
