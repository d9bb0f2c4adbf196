// kestrel-cli list, run as a separate process over small folders made by the test.
#include "JsonValue.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing_json::JsonValue;


void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A file the recorder's check accepts: "ftyp" at bytes 4..7 and the trailer at the end.
void WriteRecorderFile(const fs::path& path, size_t size = 300) {
    std::string bytes(size, '\0');
    bytes.replace(4, 4, "ftyp");
    bytes.replace(size - 18, 6, "CSNEND");
    WriteBytes(path, bytes);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `kestrel-cli list ARGS`; `stdoutPath` replaces the captured output when given.
CliResult RunList(const std::vector<std::string>& args, const std::string& stdoutPath = {}) {
    TempFolder capture;
    const fs::path out = capture.Path() / "out";
    const fs::path err = capture.Path() / "err";
    std::string command = Quote(KESTREL_CLI) + " list";
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(stdoutPath.empty() ? out.string() : stdoutPath);
    command += " 2>" + Quote(err.string());
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadAll(out);
    result.err = ReadAll(err);
    return result;
}

std::vector<std::string> FileNames(const JsonValue& doc) {
    std::vector<std::string> names;
    for (const JsonValue& e : doc["entries"].items) names.push_back(e["FileName"].Str());
    return names;
}

TEST(ListCommand, FolderAsJson) {
    TempFolder dir;
    const fs::path& root = dir.Path();
    WriteRecorderFile(root / "230501_101600_G.MOV", 4000);
    WriteRecorderFile(root / "230501_101500_A.MOV");
    WriteRecorderFile(root / "clip_M.MOV");
    WriteBytes(root / "230501_101700_A.MOV", std::string(200, 'x'));
    WriteRecorderFile(root / "sub2" / "230502_000000_A.MOV");
    fs::create_directories(root / "sub1");

    const CliResult r = RunList({root.string(), "--json"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    const JsonValue doc = JsonValue::Parse(r.out);
    EXPECT_EQ((std::vector<std::string>{"230501_101500_A.MOV", "230501_101600_G.MOV",
                                        "clip_M.MOV"}),
              FileNames(doc));

    const JsonValue& g = doc["entries"][1];
    EXPECT_EQ((root / "230501_101600_G.MOV").string(), g["FullPath"].Str());
    EXPECT_EQ(0, g["EntryType"].Int());
    EXPECT_EQ('2', g["NameInitial"].Int());
    EXPECT_EQ(4000, g["FileSize"].Int());
    EXPECT_EQ(1, g["RecordingKind"].Int());
    EXPECT_EQ("衝撃", g["KindLabel"].Str());
    EXPECT_EQ("", doc["entries"][2]["KindLabel"].Str()); // a short name has no label
    std::vector<int64_t> indices;
    for (const JsonValue& e : doc["entries"].items) indices.push_back(e["ListIndex"].Int());
    std::sort(indices.begin(), indices.end());
    EXPECT_EQ((std::vector<int64_t>{0, 1, 2}), indices);
    EXPECT_EQ(doc["entries"][0]["Serial"].Int() + 1, doc["entries"][1]["Serial"].Int());

    const JsonValue& tree = doc["tree"];
    ASSERT_EQ(2u, tree.items.size());
    EXPECT_EQ("sub1", tree[0]["Path"].Str());
    EXPECT_EQ("sub2", tree[1]["Path"].Str());
    EXPECT_EQ(0, tree[1]["Depth"].Int());
    EXPECT_EQ(0, tree[1]["KindMask"].Int());
}

TEST(ListCommand, CardTreeShowsFoldersWithMasksAndDeletesNothing) {
    TempFolder dir;
    const fs::path& dcim = dir.Path();
    WriteRecorderFile(dcim / "100REC" / "230501_101600_G.MOV");
    WriteRecorderFile(dcim / "100REC" / "230501_101500_A.MOV");
    WriteRecorderFile(dcim / "101REC" / "230502_090000_P.MOV");
    WriteRecorderFile(dcim / "101REC" / "x" / "230503_000000_R.MOV");
    WriteBytes(dcim / "102TXT" / "readme.txt", "x");
    fs::create_directories(dcim / "103EMPTY");

    const CliResult r = RunList({dcim.string(), "--tree", "--json"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    const JsonValue doc = JsonValue::Parse(r.out);
    struct Item {
        std::string path;
        int64_t depth;
        int64_t mask;
        bool operator==(const Item&) const = default;
    };
    std::vector<Item> items;
    for (const JsonValue& t : doc["tree"].items) {
        items.push_back({t["Path"].Str(), t["Depth"].Int(), t["KindMask"].Int()});
    }
    EXPECT_EQ((std::vector<Item>{{"100REC", 0, 0x05}, {"101REC", 0, 0x08}, {"101REC/x", 1, 0}}),
              items);
    EXPECT_EQ((std::vector<std::string>{"230501_101500_A.MOV", "230501_101600_G.MOV",
                                        "230502_090000_P.MOV", "230503_000000_R.MOV"}),
              FileNames(doc));
    // Each folder is a build of its own, numbered from 0.
    EXPECT_EQ(0, doc["entries"][2]["ListIndex"].Int());
    EXPECT_TRUE(fs::exists(dcim / "103EMPTY"));
}

TEST(ListCommand, FlatTextHasOneLinePerRecording) {
    TempFolder dir;
    WriteRecorderFile(dir.Path() / "b" / "230502_000000_A.MOV");
    WriteRecorderFile(dir.Path() / "a" / "230503_000000_A.MOV");
    WriteRecorderFile(dir.Path() / "230501_000000_A.MOV");

    const CliResult r = RunList({dir.Path().string(), "--flat"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> found;
    for (std::string line; std::getline(lines, line);) found.push_back(line);
    const std::vector<fs::path> expected{dir.Path() / "a" / "230503_000000_A.MOV",
                                         dir.Path() / "b" / "230502_000000_A.MOV",
                                         dir.Path() / "230501_000000_A.MOV"};
    ASSERT_EQ(expected.size(), found.size()) << r.out;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NE(std::string::npos, found[i].find(expected[i].string())) << found[i];
        EXPECT_NE(std::string::npos, found[i].find("常時")) << found[i];
    }
}

TEST(ListCommand, SingleFileIsListedOnlyWhenTheRecorderWroteIt) {
    TempFolder dir;
    WriteRecorderFile(dir.Path() / "230501_000000_O.MOV");
    WriteBytes(dir.Path() / "230501_000001_O.MOV", std::string(300, 'x'));

    const CliResult good = RunList({(dir.Path() / "230501_000000_O.MOV").string(), "--json"});
    ASSERT_EQ(0, good.exitCode) << good.err;
    const JsonValue doc = JsonValue::Parse(good.out);
    EXPECT_EQ((std::vector<std::string>{"230501_000000_O.MOV"}), FileNames(doc));
    EXPECT_EQ("速度取締機", doc["entries"][0]["KindLabel"].Str());

    const CliResult other = RunList({(dir.Path() / "230501_000001_O.MOV").string(), "--json"});
    ASSERT_EQ(0, other.exitCode) << other.err;
    EXPECT_TRUE(JsonValue::Parse(other.out)["entries"].items.empty());
}

TEST(ListCommand, HostileNamesStayValidJson) {
    TempFolder dir;
    const std::string name = "230501_101500_\"q\\\t\x01\xff_A.MOV";
    WriteRecorderFile(dir.Path() / name);

    const CliResult r = RunList({dir.Path().string(), "--json"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    const JsonValue doc = JsonValue::Parse(r.out);
    EXPECT_EQ((std::vector<std::string>{"230501_101500_\"q\\\t\x01\xEF\xBF\xBD_A.MOV"}),
              FileNames(doc));

    // The text form never passes control characters to the terminal.
    const CliResult text = RunList({dir.Path().string()});
    EXPECT_EQ(std::string::npos, text.out.find('\t'));
    EXPECT_EQ(std::string::npos, text.out.find('\x01'));
}

TEST(ListCommand, ErrorsAreOneLineOnStandardError) {
    TempFolder dir;
    WriteRecorderFile(dir.Path() / "230501_000000_A.MOV");
    const std::string root = dir.Path().string();
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--json"},
        {root, "--bogus"},
        {root, root},
        {root, "--flat", "--tree"},
        {(dir.Path() / "missing").string()},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& a : args) shown += a + " ";
        SCOPED_TRACE(shown);
        const CliResult r = RunList(args);
        EXPECT_NE(0, r.exitCode);
        EXPECT_TRUE(r.out.empty());
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.size() - 1, r.err.find('\n'));
    }
    // A listing that cannot be written is a failure, not a success.
    const CliResult full = RunList({root, "--json"}, "/dev/full");
    EXPECT_NE(0, full.exitCode);
    EXPECT_FALSE(full.err.empty());
}

} // namespace
} // namespace kestrel
