#include "MiniMovie.h"

#include "engine/ListExport.h"
#include "engine/UiTextTable.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using testing::MiniMovie;
using testing::TempFolder;

TEST(ToCp932, ConvertsAndMarksWhatTheCodePageLacks) {
    struct Case {
        std::string utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"A,1\r\n", "A,1\r\n"},
        {"日付,", "\x93\xFA\x95\x74,"},
        {"高画質", "\x8D\x82\x89\xE6\x8E\xBF"},
        {"ｶ", "\xB6"},             // half-width katakana: one byte
        {"x\xE2\x82\xACy", "x?y"}, // the euro sign is not in the code page
        {"a\xF0\x9F\x98\x80"
         "b",
         "a?b"}, // nor is an emoji
        {"a\xFF"
         "b",
         "a?b"},               // not UTF-8
        {"ab\xE6\x97", "ab?"}, // cut inside a character
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.cp932, ToCp932(c.utf8)) << c.utf8;
}

TEST(UiTextTable, RowZeroIsJapaneseAndRowOneEnglish) {
    EXPECT_EQ("閉じる", UiTextTable::Text(0, 0));
    EXPECT_EQ("日付,", UiTextTable::Text(0, 33));
    EXPECT_EQ("メイリオ", UiTextTable::Text(0, 113));
    EXPECT_EQ("タイムラプス", UiTextTable::Text(0, 150));
    EXPECT_TRUE(UiTextTable::Text(0, 152).ends_with("選択してください。\r\n"));
    for (int slot = 0; slot < static_cast<int>(UiTextTable::kSlots); ++slot) {
        EXPECT_EQ(slot < 153, !UiTextTable::Text(0, slot).empty()) << slot;
        EXPECT_EQ(slot < 153, !UiTextTable::Text(1, slot).empty()) << slot;
    }
    EXPECT_EQ("Close", UiTextTable::Text(1, 0));
    EXPECT_EQ("メイリオ", UiTextTable::Text(1, 113));
    EXPECT_EQ("", UiTextTable::Text(2, 0));
    EXPECT_EQ(1, UiTextTable::RowForLanguage(1033));
    EXPECT_EQ(0, UiTextTable::RowForLanguage(1041));
    EXPECT_EQ("ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,"
              "データサイズ\r\n",
              CsvHeaderLine());
}

TEST(CsvLine, FallsBackAndKeepsNamesInOneColumn) {
    TempFolder dir;
    MiniMovie movie;
    movie.Write(dir / "a,\"b\".MOV");
    MiniMovie::WriteFile(dir / "bad.MOV", "not a movie");
    EngineContext ctx; // not ready: the header's letters count as absent
    RecordingEntry entry;
    entry.FullPath = (dir / "a,\"b\".MOV").string();
    entry.FileName = "a,\"b\".MOV";
    EXPECT_EQ("\"a,\"\"b\"\".MOV\",2023/05/01,10:15:00,00:00:00,,SD,低画質,30fps,0MB\r\n",
              CsvLine(ctx, entry));
    entry.FullPath = (dir / "bad.MOV").string();
    entry.FileName = "bad.MOV";
    EXPECT_EQ("bad.MOV,-,-,-,-,-,-,fps,0MB\r\n", CsvLine(ctx, entry));
    EXPECT_EQ("Dv_20230501_101500.csv", CsvFileName(dir / "a,\"b\".MOV"));
    EXPECT_FALSE(CsvFileName(dir / "bad.MOV"));
}

} // namespace
} // namespace kestrel
