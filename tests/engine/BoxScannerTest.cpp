#include "engine/BoxScanner.h"
#include "engine/MovieMeasurement.h"
#include "engine/SystemMessageBox.h"

#include "RecorderFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace kestrel {
namespace {

using fixture::Append;
using fixture::Box;
using fixture::Bytes;
using fixture::Filler;

class BoxScannerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scanner.Prepare()); }
    void TearDown() override { scanner.Destroy(); }

    fixture::Bytes MovieWith(const std::vector<Bytes>& boxes) {
        Bytes out = fixture::Ftyp();
        for (const Bytes& b : boxes) Append(out, b);
        return out;
    }
    Bytes DefaultUdat(size_t records = 3) {
        return fixture::Udat(fixture::EncodeHeader({}), std::vector<fixture::RecordText>(records));
    }
    Bytes DefaultMoov() { return fixture::Moov(1000, 2000, 3000); }

    fixture::TempFolder folder;
    BoxScanner scanner;
};

TEST_F(BoxScannerTest, AnalysesARecorderMovieAndClosesIt) {
    const fixture::Bytes mdat = fixture::Mdat(100);
    const auto file = folder.Write("a.MOV", MovieWith({mdat, DefaultMoov(), DefaultUdat(3)}));
    ASSERT_TRUE(scanner.OpenAndAnalyse(file));
    EXPECT_EQ(1, scanner.Analysed);
    EXPECT_FALSE(scanner.File.IsOpen());
    EXPECT_EQ(file, scanner.Path);
    EXPECT_EQ(3, scanner.RecordCount);
    EXPECT_EQ(3u, scanner.GpsSamples->size());
    EXPECT_EQ(3u, scanner.GSensorSamples->size());
    EXPECT_EQ(3u, scanner.ObdSamples->size());
    EXPECT_TRUE(scanner.FrameIndex && scanner.FrameIndex->empty());
    EXPECT_EQ('M', scanner.Header.Mode);
    EXPECT_EQ(108, scanner.MediaDataSize);
    EXPECT_GT(scanner.ViewCount, 0);
}

TEST_F(BoxScannerTest, FilesThatCannotBeOpenedRunNoWalk) {
    const auto empty = folder.Write("empty.MOV", {});
    EXPECT_FALSE(scanner.OpenFile(empty));
    EXPECT_FALSE(scanner.OpenAndAnalyse(empty));
    EXPECT_FALSE(scanner.OpenAndAnalyse(folder.Path() / "missing.MOV"));
    EXPECT_FALSE(scanner.OpenAndAnalyse(folder.Path()));
    EXPECT_EQ(0, scanner.ViewCount);
    EXPECT_TRUE(scanner.Path.empty());
    EXPECT_FALSE(scanner.GpsSamples);
}

// Where the recorder's box sits decides what is decoded; a walk that does not find its box
// still succeeds.
TEST_F(BoxScannerTest, RecordsAreDecodedOnlyFromTheUdatAfterTheMediaData) {
    const Bytes udat1 = DefaultUdat(1);
    const Bytes udat2 = DefaultUdat(2);
    struct Case {
        const char* name;
        std::vector<Bytes> boxes;
        bool headerFound;
        size_t records;
    };
    const Case cases[] = {
        {"no udat", {fixture::Mdat(), DefaultMoov()}, false, 0},
        {"udat before mdat only", {udat1, fixture::Mdat(), DefaultMoov()}, true, 0},
        {"udat before and after mdat", {udat1, fixture::Mdat(), DefaultMoov(), udat2}, true, 2},
        {"no mdat", {DefaultMoov(), udat2}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = folder.Write("f.MOV", MovieWith(c.boxes));
        ASSERT_TRUE(scanner.OpenAndAnalyse(file));
        EXPECT_EQ(c.headerFound ? 'M' : 0, scanner.Header.Mode);
        EXPECT_EQ(c.records, scanner.GpsSamples->size());
        EXPECT_EQ(static_cast<int>(c.records), scanner.RecordCount);
        scanner.Release();
    }
}

// Box sizes that cannot be followed end the walk (as the end of the file does) instead of
// looping or reading past the file.
TEST_F(BoxScannerTest, UnfollowableBoxSizesEndTheWalk) {
    struct Case {
        const char* name;
        uint32_t sizeField;
    };
    const Case cases[] = {
        {"size 0: to the end of the file", 0},
        {"size 1: a 64-bit size follows", 1},
        {"size below a header", 7},
        {"size past the end", 0x7FFFFFF0},
        {"size with the top bit set", 0xFFFFFFF8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = folder.Write(
            "f.MOV", MovieWith({Box("free", Filler(8), c.sizeField), fixture::Mdat(), DefaultUdat()}));
        ASSERT_TRUE(scanner.OpenAndAnalyse(file));
        EXPECT_TRUE(scanner.GpsSamples->empty());
        EXPECT_EQ(0, scanner.Header.Mode);
        scanner.Release();
    }
}

TEST_F(BoxScannerTest, TruncatedFilesDecodeOnlyWhatIsPresent) {
    const Bytes whole = MovieWith({fixture::Mdat(), DefaultMoov(), DefaultUdat(3)});
    const size_t udatStart = whole.size() - DefaultUdat(3).size();
    struct Case {
        const char* name;
        size_t keep;
        char mode;
        size_t records;
    };
    const Case cases[] = {
        {"inside the third record", udatStart + 44 + 124 * 2 + 60, 'M', 2},
        {"right after the record count", udatStart + 44, 'M', 0},
        {"inside the header", udatStart + 20, 0, 0},
        {"inside the udat box header", udatStart + 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = folder.Write("t.MOV", Bytes(whole.begin(), whole.begin() + static_cast<long>(c.keep)));
        ASSERT_TRUE(scanner.OpenAndAnalyse(file));
        EXPECT_EQ(c.mode, scanner.Header.Mode);
        EXPECT_EQ(c.records, scanner.GpsSamples->size());
        scanner.Release();
    }
}

TEST_F(BoxScannerTest, AStoredCountAboveTheRecordsPresentDecodesTheWholeRecordsOnly) {
    Bytes udat = fixture::Udat(fixture::EncodeHeader({}), std::vector<fixture::RecordText>(2), 65535);
    const auto file = folder.Write("c.MOV", MovieWith({fixture::Mdat(), udat}));
    ASSERT_TRUE(scanner.OpenAndAnalyse(file));
    EXPECT_EQ(2u, scanner.GpsSamples->size());
}

TEST_F(BoxScannerTest, CancelMakesEveryWalkFailAndIsConsumed) {
    const auto file = folder.Write("a.MOV", MovieWith({fixture::Mdat(), DefaultMoov(), DefaultUdat()}));
    ASSERT_TRUE(scanner.OpenFile(file));
    BoxPattern udat = BoxPattern::For("udat", nullptr);
    BoxPattern mdat = BoxPattern::For("mdat", nullptr);
    BoxPattern moov = BoxPattern::For("moov", &BoxScanner::MoovFound);
    BoxPattern stts = BoxPattern::For("stts", &BoxScanner::ReadFramePeriod);
    const ScanOutputs none;
    const std::pair<const char*, std::function<bool()>> walks[] = {
        {"top level", [&] { return scanner.FindTopLevelBox(udat, none); }},
        {"after", [&] { return scanner.FindBoxAfter(udat, &mdat, none); }},
        {"pattern", [&] { return scanner.FindPattern(udat, &moov, none); }},
        {"path", [&] { return scanner.FindBoxByPath(stts, none); }},
    };
    for (const auto& [name, walk] : walks) {
        SCOPED_TRACE(name);
        scanner.Cancel = 1;
        EXPECT_FALSE(walk());
        EXPECT_EQ(0, scanner.Cancel);
        EXPECT_TRUE(walk()); // the request was consumed
    }
}

TEST_F(BoxScannerTest, MeasuresDurationFramePeriodAndFrames) {
    struct Case {
        uint32_t timescale, duration, delta;
        float seconds, period;
        int64_t frames;
    };
    const Case cases[] = {
        {1000, 2000, 3000, 2.0f, 30.0f, 66},   // 30 frames per second: 90000 / 3000
        {600, 6000, 6000, 10.0f, 15.0f, 666},
        {90000, 45000, 2700, 0.5f, 33.0f, 15}, // 90000 / 2700 = 33.3, whole milliseconds
        {1000, 2000, 0, 2.0f, 0.0f, 0},        // no usable delta
        {1000, 2000, 90001, 2.0f, 0.0f, 0},    // a delta above the clock gives 0
        {0, 2000, 3000, 0.0f, 30.0f, 0},       // no usable timescale
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.timescale << "/" << c.duration << "/" << c.delta);
        const auto file = folder.Write(
            "m.MOV", MovieWith({fixture::Mdat(), fixture::Moov(c.timescale, c.duration, c.delta)}));
        const MovieMeasurement m = MeasureMovie(file);
        EXPECT_TRUE(m.Opened);
        EXPECT_FLOAT_EQ(c.seconds, m.DurationSeconds);
        EXPECT_FLOAT_EQ(c.period, m.FramePeriodMs);
        EXPECT_EQ(c.period > 0, m.FoundFramePeriod);
        EXPECT_EQ(c.frames, m.TotalFrames);
    }
    EXPECT_FALSE(MeasureMovie(folder.Path() / "missing.MOV").Opened);
}

// The byte scan only looks for "mvhd" after "moov", and never inside a media payload.
TEST_F(BoxScannerTest, MovieHeaderIsFoundOnlyAfterMoovAndOutsideMediaData) {
    Bytes decoyInMdat;
    fixture::AppendText(decoyInMdat, "moov");
    Append(decoyInMdat, fixture::Mvhd(1000, 9000));
    Bytes decoyBeforeMoov = fixture::Mvhd(1000, 7000);
    const auto file = folder.Write(
        "d.MOV", MovieWith({Box("free", decoyBeforeMoov), Box("mdat", decoyInMdat),
                            fixture::Moov(1000, 3000, 3000)}));
    EXPECT_FLOAT_EQ(3.0f, MeasureMovie(file).DurationSeconds);

    // An mdat whose size cannot be skipped is scanned like any other bytes.
    const auto broken = folder.Write(
        "b.MOV", MovieWith({Box("mdat", decoyInMdat, 4), fixture::Moov(1000, 3000, 3000)}));
    EXPECT_FLOAT_EQ(9.0f, MeasureMovie(broken).DurationSeconds);
}

// The byte scan maps 32 MiB windows: names and sizes that straddle a window edge are read
// as in one piece.
TEST_F(BoxScannerTest, ByteScanReadsAcrossWindowEdges) {
    constexpr size_t kWindow = BoxScanner::kPatternScanWindow;
    const Bytes moov = fixture::Moov(1000, 4000, 3000);
    for (size_t split : {size_t{1}, size_t{2}, size_t{3}}) {
        SCOPED_TRACE(split);
        // `split` bytes of the "mvhd" name lie after the edge.
        const size_t mvhdName = 8 + 4;  // offset of "mvhd" inside moov
        const size_t before = kWindow - fixture::Ftyp().size() - 8 - mvhdName - (4 - split);
        const auto file = folder.Write("w.MOV", MovieWith({Box("free", Filler(before, 'x')), moov}));
        EXPECT_FLOAT_EQ(4.0f, MeasureMovie(file).DurationSeconds);
    }
    // An mdat whose size field lies in the first window and its name in the second.
    Bytes decoy;
    fixture::AppendText(decoy, "moov");
    Append(decoy, fixture::Mvhd(1000, 9000));
    const size_t lead = kWindow - fixture::Ftyp().size() - 8 - 2;
    const auto file = folder.Write("m.MOV", MovieWith({Box("free", Filler(lead, 'x')),
                                                       Box("mdat", decoy), moov}));
    EXPECT_FLOAT_EQ(4.0f, MeasureMovie(file).DurationSeconds);
}

// The next recording is read ahead while another program (or a pulled card) cuts it short.
TEST_F(BoxScannerTest, ARecordingCutShortWhileOpenFailsItsAnalysis) {
    const auto file = folder.Write(
        "a.MOV", MovieWith({fixture::Mdat(64 * 1024), DefaultMoov(), DefaultUdat(3)}));
    ASSERT_TRUE(scanner.OpenFile(file));
    std::filesystem::resize_file(file, 200);
    EXPECT_FALSE(scanner.Analyse());
    EXPECT_TRUE(scanner.File.Shrunk());
    platform::MappedView view;
    EXPECT_FALSE(scanner.MapFileView(0, 16, scanner.FileSize, view)) << "it is not read again";
    // Opened again, the shorter file is judged as it now stands.
    ASSERT_TRUE(scanner.OpenFile(file));
    EXPECT_FALSE(scanner.File.Shrunk());
    EXPECT_EQ(200u, scanner.FileSize);
}

TEST_F(BoxScannerTest, MapFileViewCutsAtTheLimitAndCountsViews) {
    const auto file = folder.Write("v.MOV", Bytes(10000, 7));
    ASSERT_TRUE(scanner.OpenFile(file));
    platform::MappedView view;
    ASSERT_TRUE(scanner.MapFileView(9000, 4096, scanner.FileSize, view));
    EXPECT_EQ(1000u, view.Size());
    EXPECT_EQ(7, view.Data()[999]);
    EXPECT_EQ(1, scanner.ViewCount);
    EXPECT_FALSE(scanner.MapFileView(10000, 16, scanner.FileSize, view));
    EXPECT_FALSE(scanner.MapFileView(0, 0, scanner.FileSize, view));
    EXPECT_EQ(1, scanner.ViewCount);
}

TEST_F(BoxScannerTest, AFailedMappingShowsTheSystemTextInAnErrorMessageBox) {
    std::string caption;
    std::string text;
    const auto previous = SystemMessageBox::SetSink([&](const std::string& c, const std::string& t) {
        caption = c;
        text = t;
    });
    const auto file = folder.Write("v.MOV", Bytes(100, 7));
    ASSERT_TRUE(scanner.OpenFile(file));
    // Swap a directory in under the open descriptor: the system refuses to map it.
    const int directory = ::open("/", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(directory, 0);
    ASSERT_GE(::dup2(directory, scanner.File.Descriptor()), 0);
    ::close(directory);
    platform::MappedView view;
    EXPECT_FALSE(scanner.MapFileView(0, 8, scanner.FileSize, view));
    EXPECT_EQ("Error Message", caption);
    EXPECT_FALSE(text.empty());
    BoxPattern udat = BoxPattern::For("udat", nullptr);
    EXPECT_FALSE(scanner.FindTopLevelBox(udat, ScanOutputs{}));
    SystemMessageBox::SetSink(previous);
}

TEST_F(BoxScannerTest, MoveResultsHandsOverTheListsWithoutCopying) {
    const auto file = folder.Write("a.MOV", MovieWith({fixture::Mdat(), DefaultUdat(2)}));
    ASSERT_TRUE(scanner.OpenAndAnalyse(file));
    const GpsSample* first = scanner.GpsSamples->data();
    BoxScanner destination;
    destination.GpsSamples = std::make_unique<GpsSampleList>(5);
    EXPECT_TRUE(BoxScanner::MoveResults(scanner, destination));
    EXPECT_EQ(first, destination.GpsSamples->data());
    EXPECT_EQ(2, destination.RecordCount);
    EXPECT_EQ('M', destination.Header.Mode);
    EXPECT_EQ(file, destination.Path);
    EXPECT_FALSE(scanner.GpsSamples);
    EXPECT_EQ(0, scanner.RecordCount);
    EXPECT_EQ(0, scanner.Header.Mode);
    EXPECT_TRUE(scanner.Path.empty());
    // Nothing to hand over: the destination ends up empty and the result says so.
    EXPECT_FALSE(BoxScanner::MoveResults(scanner, destination));
    EXPECT_FALSE(destination.GpsSamples);
}

// A scanner decodes into the storage its freed lists leave behind, and MoveResults hands
// the destination's old storage to the source. A decode into reused storage must give
// exactly what a fresh scanner gives: nothing of the longer file before may show through.
TEST_F(BoxScannerTest, DecodesIntoReusedStorageWithoutLeftovers) {
    std::vector<fixture::RecordText> busy(40);
    for (size_t i = 0; i < busy.size(); ++i) {
        busy[i].Latitude = "4012.5000";
        busy[i].X = "-0150";
        busy[i].Event = 'H';
        busy[i].Axis = 'Y';
        busy[i].Words[2] = static_cast<uint16_t>(3000 + i);
        busy[i].CameraNibbles = 0xA9;
    }
    const auto first = folder.Write("first.MOV", MovieWith({fixture::Mdat(), DefaultUdat(1)}));
    const auto longer = folder.Write(
        "long.MOV", MovieWith({fixture::Mdat(), fixture::Udat(fixture::EncodeHeader({}), busy)}));
    const auto shorter = folder.Write("short.MOV", MovieWith({fixture::Mdat(), DefaultUdat(3)}));

    BoxScanner fresh;
    ASSERT_TRUE(fresh.Prepare());
    ASSERT_TRUE(fresh.OpenAndAnalyse(shorter));

    ASSERT_TRUE(scanner.OpenAndAnalyse(longer));
    const GpsSample* longStorage = scanner.GpsSamples->data();
    scanner.Release();
    ASSERT_TRUE(scanner.OpenAndAnalyse(shorter));
    EXPECT_EQ(longStorage, scanner.GpsSamples->data());
    EXPECT_EQ(3, scanner.RecordCount);
    EXPECT_EQ(*fresh.GpsSamples, *scanner.GpsSamples);
    EXPECT_EQ(*fresh.GSensorSamples, *scanner.GSensorSamples);
    EXPECT_EQ(*fresh.ObdSamples, *scanner.ObdSamples);
    EXPECT_TRUE(scanner.FrameIndex->empty());

    // The displayed lists' storage goes back to the scanner that decodes the next file.
    BoxScanner destination;
    ASSERT_TRUE(destination.Prepare());
    ASSERT_TRUE(destination.OpenAndAnalyse(longer));
    const GpsSample* destinationStorage = destination.GpsSamples->data();
    const GpsSample* shortStorage = scanner.GpsSamples->data();
    ASSERT_TRUE(BoxScanner::MoveResults(scanner, destination));
    EXPECT_EQ(shortStorage, destination.GpsSamples->data());
    EXPECT_EQ(*fresh.GpsSamples, *destination.GpsSamples);
    ASSERT_TRUE(scanner.OpenAndAnalyse(first));
    EXPECT_EQ(destinationStorage, scanner.GpsSamples->data());
    EXPECT_EQ(1u, scanner.GpsSamples->size());
    EXPECT_EQ(1u, scanner.ObdSamples->size());
    destination.Destroy();
    fresh.Destroy();
}

} // namespace
} // namespace kestrel
