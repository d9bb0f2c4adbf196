// The viewer over a folder of damaged recordings, as a card from a crashed car leaves them:
// each row is clicked in turn; the window never crashes or hangs, a recording that cannot be
// played gives the open-failure message once and the next row opens at once, the readouts
// show placeholders for missing or impossible values, and the all-files track keeps every
// recording it can read.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "CardFixture.h"
#include "engine/SystemMessageBox.h"
#include "mkrec/MovieMaker.h"
#include "shell/UiQText.h"
#include "skin/CMsgDlg.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CFolderTreeCtrl.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"
#include "views/CInfoDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <mutex>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::PumpUntil;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

constexpr char kTrailer[] = "CSNEND";

enum class Outcome {
    Plays,    // the picture and the recorder's data
    DataOnly, // no picture can be decoded; the recorder's data is shown on a black picture
    Refused,  // the open-failure message, once
};

// How a file of the folder is made and what the viewer must do with it.
struct DamagedFile {
    const char* Name;
    Outcome Expected;
    bool Position; // the readouts show a position (else their placeholders)
    bool Data;     // the all-files track holds its records
    std::function<void(const fs::path&)> Make;
};

// The video surface shows no picture: black inside its frame.
bool ShowsNoPicture(QWidget& surface) {
    const QImage shot = surface.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 2; y < shot.height() - 2; y += 3) {
        for (int x = 2; x < shot.width() - 2; x += 3) {
            if (qGray(shot.pixel(x, y)) > 24)
                return false;
        }
    }
    return true;
}

mkrec::MovieOptions Recording(const char* start) {
    mkrec::MovieOptions options;
    options.Seconds = 2.0;
    options.Video.Width = 320;
    options.Video.Height = 180;
    options.Drive.Start = *mkrec::ParseCivilTime(start);
    return options;
}

std::function<void(const fs::path&)> Damaged(mkrec::MovieDamage damage) {
    return [damage](const fs::path& path) {
        mkrec::MovieOptions options = Recording("2024-05-01 10:00:00");
        options.Damage = damage;
        mkrec::MakeMovie(options, path);
    };
}

// Cut inside the movie header, the recorder's trailer put back so that the file is listed.
void MakeCutInHeader(const fs::path& path) {
    mkrec::MakeMovie(Recording("2024-05-01 10:00:00"), path);
    const std::string bytes = ReadAll(path);
    const size_t moov = bytes.find("moov");
    WriteAll(path, bytes.substr(0, moov + 60) + bytes.substr(bytes.size() - 18));
}

// No recorder data: only the trailer, in a box of its own, tells it is the recorder's.
void MakeWithoutRecorderData(const fs::path& path) {
    mkrec::MovieOptions options = Recording("2024-05-01 10:00:00");
    options.Place = mkrec::UdatPlace::None;
    mkrec::MakeMovie(options, path);
    std::string trailer(8 + 18, '\0');
    trailer[3] = static_cast<char>(trailer.size());
    trailer.replace(4, 4, "free");
    trailer.replace(8, 6, kTrailer);
    std::ofstream(path, std::ios::binary | std::ios::app) << trailer;
}

// Every record claims a fix at 100 degrees north, 1000 degrees east.
void MakeOffTheEarth(const fs::path& path) {
    mkrec::MakeMovie(Recording("2024-05-01 10:00:00"), path);
    std::string bytes = ReadAll(path);
    const size_t data = bytes.find("CSNDAT");
    const auto count = static_cast<size_t>((static_cast<unsigned char>(bytes[data + 34]) << 8) |
                                           static_cast<unsigned char>(bytes[data + 35]));
    for (size_t r = 0; r < count; ++r) {
        const size_t record = data + 36 + 124 * r;
        bytes[record + 5] = 'A';
        bytes.replace(record + 6, 9, "10040.200");
        bytes.replace(record + 16, 10, "100040.200");
    }
    WriteAll(path, bytes);
}

// Closes each message box the window opens, as its user would, and keeps its text; the
// engine's own boxes are kept through its sink.
class MessageReader {
  public:
    MessageReader() {
        previous_ =
            SystemMessageBox::SetSink([this](const std::string& caption, const std::string& text) {
                std::lock_guard lock(lock_);
                engineBoxes_.push_back(caption + ": " + text);
            });
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<CMsgDlg*>(QApplication::activeModalWidget())) {
                Shown.push_back(box->Message()->text());
                box->done(CMsgDlg::IdOk);
            }
        });
        timer_.start(20);
    }
    ~MessageReader() { SystemMessageBox::SetSink(previous_); }
    std::vector<std::string> EngineBoxes() {
        std::lock_guard lock(lock_);
        return engineBoxes_;
    }

    std::vector<QString> Shown;

  private:
    QTimer timer_;
    SystemMessageBox::Sink previous_;
    std::mutex lock_;
    std::vector<std::string> engineBoxes_;
};

class DamagedFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = dir_.Path() / "crash";
        fs::create_directories(folder_ / "sub" / "x");
        // The layouts and files of a card that was pulled out while recording.
        mkrec::MakeMovie(Recording("2024-05-01 09:59:00"), folder_ / "sub" / "240501_095900_A.MOV");
        WriteAll(folder_ / "240501_095000_A.MOV", "");
        WriteAll(folder_ / "240501_095100_A.MOV", std::string(4000, '\x5a'));
        for (size_t i = 0; i < std::size(files_); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "240501_1000%02zu_A.MOV", i);
            files_[i].Make(folder_ / name);
        }
        env_ = std::make_unique<test::ScopedEnv>("KESTREL_REMOVABLE_ROOTS", "/nonexistent/card");
    }

    test::TempWorkDir dir_;
    fs::path folder_;
    std::unique_ptr<test::ScopedEnv> env_;
    DamagedFile files_[10] = {
        {"whole", Outcome::Plays, true, true,
         [](const fs::path& p) { mkrec::MakeMovie(Recording("2024-05-01 10:00:00"), p); }},
        {"time table cut short", Outcome::Refused, false, true,
         Damaged(mkrec::MovieDamage::CutTimeTable)},
        {"counts past the tables", Outcome::Refused, false, true,
         Damaged(mkrec::MovieDamage::HugeCounts)},
        {"no sample description", Outcome::Refused, false, true,
         Damaged(mkrec::MovieDamage::NoDescription)},
        // Without a media box the recorder's records, which follow it, are not found.
        {"no media data", Outcome::DataOnly, false, true, Damaged(mkrec::MovieDamage::NoMediaBox)},
        {"chunks past the end", Outcome::DataOnly, true, true,
         Damaged(mkrec::MovieDamage::ChunksPastEnd)},
        {"no picture track", Outcome::Refused, false, true,
         Damaged(mkrec::MovieDamage::NoPictureTrack)},
        {"cut in the movie header", Outcome::Refused, false, false, MakeCutInHeader},
        {"no recorder data", Outcome::Plays, false, false, MakeWithoutRecorderData},
        {"positions off the earth", Outcome::Plays, false, true, MakeOffTheEarth},
    };
};

TEST_F(DamagedFolder, EveryRowOpensOrFailsOnceAndTheNextOneOpensAtOnce) {
    MessageReader messages;
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise(folder_));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CFilerContainerDlg& panel = *window.FilerPanel();
    CTransportController& transport = window.Transport();
    CFileListCtrl& list = *panel.List();
    // The empty file and the random bytes are not the recorder's; the sub-folder is a tree
    // item of its own.
    ASSERT_EQ(panel.RowCount(), static_cast<int>(std::size(files_)));
    EXPECT_EQ(panel.Tree()->topLevelItem(0)->childCount(), 1);

    // The all-files track holds the records of every recording it could read.
    const auto perRecording =
        static_cast<size_t>(mkrec::RecordCount(Recording("2024-05-01 10:00:00")));
    const size_t withData = static_cast<size_t>(std::count_if(
        std::begin(files_), std::end(files_), [](const DamagedFile& f) { return f.Data; }));
    ASSERT_TRUE(window.Engine()->AllFilesTrack);
    EXPECT_EQ(window.Engine()->AllFilesTrack->size(), withData * perRecording);

    const QString openFailure = UiQText(99);
    for (int row = 0; row < panel.RowCount(); ++row) {
        const DamagedFile& file = files_[row];
        SCOPED_TRACE(file.Name);
        // The list takes clicks again as soon as the previous row has settled.
        ASSERT_TRUE(
            PumpUntil([&] { return list.isEnabled() && !transport.WaitingForMovie(); }, 5000));
        const size_t before = messages.Shown.size();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(row)).center());
        ASSERT_EQ(transport.CurrentIndex(), row);
        // Well inside the window's own 30 s wait for a movie that never becomes ready.
        const bool settled = PumpUntil(
            [&] {
                return !transport.WaitingForMovie() &&
                       (transport.RecordingOpen() || messages.Shown.size() > before ||
                        transport.LastOpenFailed());
            },
            8000);
        ASSERT_TRUE(settled) << "still waiting after " << clock.elapsed() << " ms";
        // A little longer, so that a second message would be seen.
        QTest::qWait(300);
        const std::vector<QString> shown(messages.Shown.begin() + static_cast<long>(before),
                                         messages.Shown.end());
        if (file.Expected == Outcome::Refused) {
            EXPECT_FALSE(transport.RecordingOpen());
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown.front(), openFailure);
        } else {
            EXPECT_TRUE(shown.empty()) << shown.front().toStdString();
            EXPECT_TRUE(transport.RecordingOpen());
            EXPECT_TRUE(PumpUntil([&] { return window.Engine()->SensorDataLoaded == 1; }, 5000));
            EXPECT_EQ(ShowsNoPicture(*window.VideoSurface()), file.Expected == Outcome::DataOnly);
        }
        // Missing and impossible positions are shown as the placeholders.
        EXPECT_EQ(window.InfoView()->GpsValid, file.Position ? 1 : 0);
        if (!file.Position) {
            EXPECT_EQ(window.InfoView()->SpeedKmh, -1.0);
        }
    }
    for (const std::string& box : messages.EngineBoxes()) {
        EXPECT_EQ(box.find("Unknown"), std::string::npos) << box;
    }
}

} // namespace
} // namespace kestrel
