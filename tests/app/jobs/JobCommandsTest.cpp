// The four file commands driven through the real window on a generated card: the CSV export,
// the snapshot, the join and the delete to the trash, with their dialogs, progress, files,
// messages and what the window shows afterwards.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "CardFixture.h"
#include "JobTestSupport.h"
#include "WindowSupport.h"
#include "engine/PlaybackPipeline.h"
#include "jobs/CJobController.h"
#include "jobs/CSnapshotCommand.h"
#include "mkrec/FramePattern.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CSkinProgressBarCtrl.h"
#include "skin/CSkinSliderCtrl.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CFolderTreeCtrl.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::ModalDriver;
using test::PumpUntil;
using Message = test::JobMessageLog::Message;
using Shown = ModalDriver::Shown;

// Buttons by their place in the row of thirteen.
constexpr int kSnapshotButton = 6;
constexpr int kJoinButton = 7;
constexpr int kDeleteButton = 10;
constexpr int kCsvButton = 12;

const Shown kDone{"完了しました。", "終了"};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class JobCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        card_ = test::SmallCard::Get().CopyTo(dir_.Path() / "SDCARD");
        out_ = dir_.Path() / "out";
        fs::create_directories(out_);
        env_ = std::make_unique<test::ScopedEnv>("KESTREL_REMOVABLE_ROOTS", card_.string());
        fs::create_directories(dir_.Path() / "xdg");
        xdg_ = std::make_unique<test::ScopedEnv>("XDG_DATA_HOME", (dir_.Path() / "xdg").string());
        ASSERT_TRUE(window_.Initialise());
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        log_ = std::make_unique<test::JobMessageLog>(&window_);
        Jobs().Dialogs.ChooseFolder = [this](QWidget*, std::string_view, std::string_view,
                                             const QString& title) {
            folderTitles_.push_back(title.toStdString());
            return chosenFolder_;
        };
        Jobs().Dialogs.ChooseMovieFile = [this](QWidget*, const fs::path& initial) {
            movieInitial_ = initial;
            return chosenMovie_;
        };
        chosenFolder_ = out_;
        ASSERT_TRUE(WaitLoaded());
    }
    bool WaitLoaded(int timeoutMs = 10000) { return test::WaitRecordingShown(window_, timeoutMs); }
    // Presses the button and waits until the job is over and the window usable again.
    bool RunJob(int button, int timeoutMs = 20000) {
        log_->Received.clear();
        QTest::mouseClick(window_.CommandButton(button), Qt::LeftButton);
        return PumpUntil(
            [&] {
                return Jobs().JobRunning == 0 && log_->Has(WM_APP_JOB_DONE) &&
                       !window_.ProgressBar()->isVisible();
            },
            timeoutMs);
    }
    // Pauses the first recording at `frame`.
    void PauseAt(int frame) {
        QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
        ASSERT_TRUE(PumpUntil([&] { return GetCurrentFrame(E()) > 3; }, 3000));
        QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
        ASSERT_EQ(E().PlayState, kPlayStatePaused);
        T().SeekTo(frame);
        ASSERT_TRUE(PumpUntil([&] { return GetCurrentFrame(E()) == frame; }, 3000));
    }
    std::vector<Message> Progress() const {
        std::vector<Message> p;
        for (const Message& m : log_->Received) {
            if (m.Number == WM_APP_JOB_PROGRESS)
                p.push_back(m);
        }
        return p;
    }
    CJobController& Jobs() { return window_.Jobs(); }
    CTransportController& T() { return window_.Transport(); }
    CFilerContainerDlg& Panel() { return *window_.FilerPanel(); }
    EngineContext& E() { return *window_.Engine(); }

    test::TempWorkDir dir_;
    fs::path card_;
    fs::path out_;
    std::unique_ptr<test::ScopedEnv> env_;
    std::unique_ptr<test::ScopedEnv> xdg_;
    CKestrelDlg window_;
    std::unique_ptr<test::JobMessageLog> log_;
    ModalDriver driver_;
    fs::path chosenFolder_;
    fs::path chosenMovie_;
    fs::path movieInitial_;
    std::vector<std::string> folderTitles_;
};

TEST_F(JobCommands, CsvIsTheCommandLinesFileAndTheRecordingComesBackWhereItWas) {
    PauseAt(25);
    const auto before = test::Checksums(card_);
    // The window as the job ends: the bar full over the video, the message over the window.
    bool barShown = false;
    driver_.OnMessage = [&](const Shown&) {
        barShown = window_.ProgressBar()->isVisible() && window_.ProgressBar()->Pos() == 100;
        QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
        window_.grab().save(QStringLiteral(KESTREL_SCREENSHOT_DIR "/job-progress.png"));
    };
    ASSERT_TRUE(RunJob(kCsvButton));
    EXPECT_TRUE(barShown);
    EXPECT_EQ(std::vector<std::string>{"出力先フォルダーを選択してください。"}, folderTitles_);
    EXPECT_EQ(std::vector<Shown>{kDone}, driver_.Messages);
    const int count = Panel().RowCount();
    ASSERT_EQ(count, test::SmallCard::kFirstFolderCount);
    std::vector<Message> expected;
    for (int i = 0; i <= count; ++i)
        expected.push_back({WM_APP_JOB_PROGRESS, i, count});
    EXPECT_EQ(expected, Progress());

    // The same bytes as the command line writes for the same folder.
    const fs::path cliOut = dir_.Path() / "cli";
    fs::create_directories(cliOut);
    QProcess cli;
    cli.start(QStringLiteral(KESTREL_CLI),
              {"csv", QString::fromStdString(test::SmallCard::Get().FirstFolder().string()), "-o",
               QString::fromStdString(cliOut.string())});
    ASSERT_TRUE(cli.waitForFinished(20000));
    ASSERT_EQ(0, cli.exitCode()) << cli.readAllStandardError().toStdString();
    const fs::path cliFile = fs::path(cli.readAllStandardOutput().trimmed().toStdString());
    const fs::path ours = out_ / cliFile.filename();
    ASSERT_TRUE(fs::exists(ours)) << ours;
    EXPECT_EQ(ReadAll(cliFile), ReadAll(ours));
    EXPECT_EQ(before, test::Checksums(card_)) << "no recording was changed";

    // The recording is open again, paused at the frame it stood at.
    ASSERT_TRUE(WaitLoaded());
    EXPECT_TRUE(PumpUntil([&] { return GetCurrentFrame(E()) == 25; }, 3000));
    EXPECT_EQ(E().PlayState, kPlayStatePaused);
    EXPECT_TRUE(window_.CommandButton(2)->isEnabled());
}

TEST_F(JobCommands, CsvAsksBeforeReplacingAndReportsWhatGoesWrong) {
    ASSERT_TRUE(RunJob(kCsvButton));
    ASSERT_TRUE(WaitLoaded());
    driver_.Messages.clear();
    const auto written = test::Checksums(out_);

    // The same name again: the question, cancelled, leaves the file alone.
    driver_.Answers = {2};
    ASSERT_TRUE(RunJob(kCsvButton));
    EXPECT_EQ(std::vector<Shown>{Shown({"同名のファイルが存在します。続行しますか？", "確認"})},
              driver_.Messages);
    EXPECT_EQ(written, test::Checksums(out_));
    ASSERT_TRUE(WaitLoaded());

    // No folder chosen: nothing is said, the recording is back.
    driver_.Messages.clear();
    chosenFolder_.clear();
    ASSERT_TRUE(RunJob(kCsvButton));
    EXPECT_TRUE(driver_.Messages.empty());
    EXPECT_TRUE(T().RecordingOpen());

    // A folder that is gone: the file cannot be made.
    chosenFolder_ = dir_.Path() / "gone";
    ASSERT_TRUE(RunJob(kCsvButton));
    EXPECT_EQ(std::vector<Shown>{Shown({"CSVファイルが作成できません。", "ERROR"})},
              driver_.Messages);
    EXPECT_FALSE(fs::exists(chosenFolder_));
    ASSERT_TRUE(WaitLoaded());
}

TEST_F(JobCommands, SnapshotSavesTheShownPictureAtTheMoviesSizeUnderItsName) {
    PauseAt(40);
    const auto before = test::Checksums(card_);
    const QRect videoBefore = window_.VideoSurface()->geometry();
    chosenFolder_ = dir_.Path() / "shots";
    fs::create_directories(chosenFolder_);
    QTest::mouseClick(window_.CommandButton(kSnapshotButton), Qt::LeftButton);
    EXPECT_EQ(std::vector<std::string>{"バックアップフォルダーを選択してください。"},
              folderTitles_);
    EXPECT_EQ(std::vector<Shown>{kDone}, driver_.Messages);

    const RecordingEntry& entry = *Panel().Row(0);
    const std::string stem = entry.FileName.substr(0, entry.FileName.find('.'));
    char tail[32];
    std::snprintf(tail, sizeof tail, "-000_%03d_000040.jpg", entry.Serial);
    const fs::path file = chosenFolder_ / ("shots-" + stem + tail);
    ASSERT_TRUE(fs::exists(file)) << file;
    QImage picture(QString::fromStdString(file.string()));
    ASSERT_EQ(QSize(320, 180), picture.size());
    picture = picture.convertToFormat(QImage::Format_RGBX8888);
    // Engine frame 40 of 30 ms is picture 36 of the 30 per second movie.
    EXPECT_EQ(40 * 30 * 30 / 1000,
              mkrec::DecodeFramePatternRgb(picture.constBits(),
                                           static_cast<int>(picture.bytesPerLine()),
                                           picture.width(), picture.height(), 4));
    EXPECT_EQ(before, test::Checksums(card_));
    // The window is as it was.
    EXPECT_EQ(videoBefore, window_.VideoSurface()->geometry());
    EXPECT_TRUE(window_.VideoSurface()->isVisible());
    EXPECT_TRUE(window_.CommandButton(2)->isEnabled());
    EXPECT_EQ(E().PlayState, kPlayStatePaused);

    // Again: asked, and replaced on OK; into a folder that is gone, refused.
    driver_.Messages.clear();
    QTest::mouseClick(window_.CommandButton(kSnapshotButton), Qt::LeftButton);
    EXPECT_EQ((std::vector<Shown>{{"同名のファイルが存在します。続行しますか？", "確認"}, kDone}),
              driver_.Messages);
    driver_.Messages.clear();
    chosenFolder_ = dir_.Path() / "gone";
    QTest::mouseClick(window_.CommandButton(kSnapshotButton), Qt::LeftButton);
    EXPECT_EQ(std::vector<Shown>{Shown({"画像の保存に失敗しました。", "ERROR"})}, driver_.Messages);
}

TEST(SnapshotName, FolderNameRecordingTypeSerialAndFrame) {
    RecordingEntry entry;
    entry.FileName = "230501_101500_G.MOV";
    entry.Serial = 12;
    EXPECT_EQ(fs::path("/media/shots/shots-230501_101500_G-000_012_000345.jpg"),
              CSnapshotCommand::FileFor("/media/shots", entry, 345));
    // A card's mount point stands where a drive letter would.
    EXPECT_EQ(fs::path("/media/E/E-230501_101500_G-000_012_000345.jpg"),
              CSnapshotCommand::FileFor("/media/E/", entry, 345));
    entry.FileName = "noext";
    EXPECT_EQ(fs::path("/x/y/y-noext-000_012_1234567.jpg"),
              CSnapshotCommand::FileFor("/x/y", entry, 1234567));
}

// Marks the first `rows` rows of the list dialog and presses OK.
std::function<void(CFileSelectDlg&)> MarkAndOk(std::vector<int> rows,
                                               std::function<void(CFileSelectDlg&)> before = {}) {
    return [rows, before](CFileSelectDlg& dialog) {
        for (int row : rows)
            dialog.ToggleRow(row);
        if (before)
            before(dialog);
        dialog.PressOk();
    };
}

TEST_F(JobCommands, JoinWritesOneMovieWithEveryRecordAndStopsAtTheStart) {
    // The second day's folder: ten recordings; the first three are joined.
    Panel().Tree()->setCurrentItem(Panel().Tree()->topLevelItem(1));
    ASSERT_TRUE(PumpUntil([&] { return Panel().RowCount() == 10; }, 5000));
    ASSERT_TRUE(WaitLoaded());
    const auto before = test::Checksums(card_);
    std::vector<RecordingEntry> inputs(Panel().List()->Rows.begin(),
                                       Panel().List()->Rows.begin() + 3);
    chosenMovie_ = out_ / "joined.MOV";
    // While the job asks, nothing else of the window can be used.
    bool everythingOff = false;
    driver_.OnFileSelect = MarkAndOk({0, 2}, [&](CFileSelectDlg&) { // the run marks row 1 too
        everythingOff = true;
        for (int i = 0; i < 13; ++i)
            everythingOff = everythingOff && !window_.CommandButton(i)->isEnabled();
        for (QWidget* w : std::initializer_list<QWidget*>{
                 window_.CaptionButton(0), window_.FilePanel(), window_.SeekSlider(),
                 window_.VolumeSlider(), window_.InfoPanel(), window_.GSensorView(),
                 window_.VideoSurface()})
            everythingOff = everythingOff && !w->isEnabled();
    });
    ASSERT_TRUE(RunJob(kJoinButton));
    EXPECT_TRUE(everythingOff);
    EXPECT_TRUE(window_.FilePanel()->isEnabled());
    EXPECT_EQ(fs::path(inputs[0].FileName), movieInitial_.filename());
    EXPECT_EQ(std::vector<Shown>{kDone}, driver_.Messages);
    EXPECT_EQ((std::vector<Message>{{WM_APP_JOB_PROGRESS, 198, 300},
                                    {WM_APP_JOB_PROGRESS, 297, 300},
                                    {WM_APP_JOB_PROGRESS, 3, 3}}),
              Progress());
    EXPECT_EQ(before, test::Checksums(card_));
    EXPECT_EQ(E().PlayState, kPlayStateStopped);
    EXPECT_EQ(0, GetCurrentFrame(E()));
    ASSERT_TRUE(fs::exists(chosenMovie_));
    EXPECT_TRUE(Jobs().JobCompleted == 0);

    // The joined recordings are told apart the next time the dialog shows them.
    bool checkedRows = false;
    driver_.OnFileSelect = [&](CFileSelectDlg& dialog) {
        for (int row = 0; row < 4; ++row) {
            const QBrush fill = dialog.List()->topLevelItem(row)->background(0);
            if (row < 3)
                EXPECT_EQ(CFileSelectDlg::kJoinedBackground, fill.color()) << row;
            else
                EXPECT_EQ(Qt::NoBrush, fill.style()) << row;
        }
        checkedRows = true;
        dialog.reject();
    };
    ASSERT_TRUE(RunJob(kJoinButton));
    EXPECT_TRUE(checkedRows);

    // Kestrel opens the joined movie with the records of all three.
    int frames = 0;
    size_t records = 0;
    for (const RecordingEntry& input : inputs) {
        Panel().OpenSource(input.FullPath, SourceFile);
        ASSERT_TRUE(WaitLoaded());
        frames += static_cast<int>(GetTotalFrames(E()));
        records += E().Displayed.Scanner.GpsSamples->size();
    }
    Panel().OpenSource(chosenMovie_, SourceFile);
    ASSERT_TRUE(WaitLoaded());
    EXPECT_NEAR(frames, static_cast<double>(GetTotalFrames(E())), 3);
    EXPECT_EQ(records, E().Displayed.Scanner.GpsSamples->size());
}

TEST_F(JobCommands, FailedJoinSaysSoClearsTheMarksAndLeavesNoFile) {
    // The second recording of the first folder is damaged behind the panel's back.
    const fs::path damaged = Panel().List()->Rows[1].FullPath;
    fs::resize_file(damaged, 4000);
    chosenMovie_ = out_ / "joined.MOV";
    driver_.OnFileSelect = MarkAndOk({0, 1});
    ASSERT_TRUE(RunJob(kJoinButton));
    EXPECT_EQ(std::vector<Shown>{Shown({"動画の連結に失敗しました。", "ERROR"})}, driver_.Messages);
    EXPECT_EQ(1, log_->Received.back().LParam) << "the first recording was read";
    EXPECT_FALSE(fs::exists(chosenMovie_));
    for (const auto& e : fs::directory_iterator(out_))
        ADD_FAILURE() << "left behind: " << e.path();
    for (const RecordingEntry& row : Panel().List()->Rows)
        EXPECT_EQ(0, row.Checked);
    EXPECT_EQ(E().PlayState, kPlayStateStopped);

    // Cancelling the save dialog ends the job without a word.
    driver_.Messages.clear();
    chosenMovie_.clear();
    ASSERT_TRUE(RunJob(kJoinButton));
    EXPECT_TRUE(driver_.Messages.empty());
}

// The desktop's trash holds `entry`'s file and its .trashinfo with the place it came from.
bool InTrash(const fs::path& xdg, const RecordingEntry& entry) {
    const fs::path trash = xdg / "Trash";
    const std::string info = ReadAll(trash / "info" / (entry.FileName + ".trashinfo"));
    return fs::exists(trash / "files" / entry.FileName) &&
           info.find("Path=" + entry.FullPath + "\n") != std::string::npos;
}

TEST_F(JobCommands, DeleteMovesTheMarkedFilesToTheTrashLastFirstAndReopensTheCard) {
    // The second day's folder, its first recording open.
    Panel().Tree()->setCurrentItem(Panel().Tree()->topLevelItem(1));
    ASSERT_TRUE(PumpUntil([&] { return Panel().RowCount() == 10; }, 5000));
    ASSERT_TRUE(WaitLoaded());
    const std::vector<RecordingEntry> rows = Panel().List()->Rows;
    driver_.OnFileSelect = MarkAndOk({0, 3, 5});
    ASSERT_TRUE(RunJob(kDeleteButton));
    EXPECT_EQ(std::vector<Shown>{kDone}, driver_.Messages);
    EXPECT_EQ((std::vector<Message>{{WM_APP_JOB_PROGRESS, 0, 3},
                                    {WM_APP_JOB_PROGRESS, 1, 3},
                                    {WM_APP_JOB_PROGRESS, 2, 3},
                                    {WM_APP_JOB_PROGRESS, 3, 3},
                                    {WM_APP_DELETE_DONE, 0, 1},
                                    {WM_APP_JOB_DONE, 0, 1}}),
              log_->Received);
    for (int row : {0, 3, 5}) {
        const RecordingEntry& gone = rows[static_cast<size_t>(row)];
        EXPECT_FALSE(fs::exists(gone.FullPath)) << gone.FileName;
        EXPECT_TRUE(InTrash(dir_.Path() / "xdg", gone)) << gone.FileName;
    }
    // The card is read again: the first folder's first recording is selected and opened.
    EXPECT_EQ(0, T().CurrentIndex());
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(E().Displayed.Scanner.Path, Panel().Row(0)->FullPath);
    size_t left = 0;
    for (const auto& e : fs::recursive_directory_iterator(card_ / "DCIM"))
        left += e.path().extension() == ".MOV" ? 1 : 0;
    EXPECT_EQ(test::SmallCard::kFirstFolderCount + test::SmallCard::kSecondFolderCount - 3, left);
}

TEST_F(JobCommands, DeleteStopsAtTheFileThatCannotGoAndKeepsTheOnesBeforeIt) {
    const std::vector<RecordingEntry> rows = Panel().List()->Rows;
    ASSERT_EQ(2u, rows.size());
    // The last marked file vanishes before it is deleted: it cannot be moved.
    driver_.OnFileSelect =
        MarkAndOk({0, 1}, [&](CFileSelectDlg&) { fs::remove(rows[1].FullPath); });
    ASSERT_TRUE(RunJob(kDeleteButton));
    EXPECT_EQ(std::vector<Shown>{Shown({"動画ファイルの削除に失敗しました。", "ERROR"})},
              driver_.Messages);
    EXPECT_TRUE(fs::exists(rows[0].FullPath)) << "the walk stopped before it";
    EXPECT_FALSE(log_->Has(WM_APP_DELETE_DONE));
    // The recording that was closed for the job is shown again.
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(E().Displayed.Scanner.Path, rows[0].FullPath);
    EXPECT_EQ(2, Panel().RowCount()) << "nothing was deleted";

    // Closing the dialog deletes nothing.
    driver_.Messages.clear();
    driver_.OnFileSelect = [](CFileSelectDlg& dialog) { dialog.CloseButton()->click(); };
    ASSERT_TRUE(RunJob(kDeleteButton));
    EXPECT_TRUE(driver_.Messages.empty());
    EXPECT_TRUE(fs::exists(rows[0].FullPath));
}

} // namespace
} // namespace kestrel
