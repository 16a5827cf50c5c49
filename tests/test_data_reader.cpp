#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "data_files_support.h"
#include "figure/data_reader.h"
#include "game/state.h"
#include "base/log.h"

namespace {

struct Seen {
    std::string key;
    bool hasValue;
    std::string value;
};
std::vector<Seen> g_seen;

// Knows "numparts", "part", "texture" and "name"; records every call.
bool RecordingHandler(const char* key, const char* value)
{
    g_seen.push_back({key, value != nullptr, value ? value : ""});
    std::string k = key;
    return k == "numparts" || k == "part" || k == "texture" || k == "name";
}

// Reads through a plain function, noting each key line's number and whether it was understood.
struct FunctionReading : DataFileReading {
    explicit FunctionReading(bool (*function)(const char*, const char*)) : handler(function) {}
    bool Key(int, const char* key, const char* value) override { return handler(key, value); }
    void Read(int line, const char*, const char*, bool understood) override { lines.push_back({line, understood}); }
    bool (*handler)(const char*, const char*);
    std::vector<std::pair<int, bool>> lines;
};

int ReadWith(const char* fileName, bool (*handler)(const char*, const char*), const char* doneLine)
{
    FunctionReading reading(handler);
    return ReadDataFile(fileName, reading, doneLine);
}

std::vector<Seen> Read(const std::string& content)
{
    g_seen.clear();
    WriteWholeFile("test.dat", content);
    ResetLog();
    ReadWith("test.dat", RecordingHandler, "Test done");
    return g_seen;
}

// The values handed over, in order; a key without a value shows as "(none)".
std::vector<std::string> Values(const std::vector<Seen>& seen)
{
    std::vector<std::string> values;
    for (const Seen& s : seen) values.push_back(s.hasValue ? s.value : "(none)");
    return values;
}

class DataReader : public ::testing::Test {
protected:
    void SetUp() override { ResetGameState(); }
    ScopedTempDir dir;
};

}  // namespace

TEST_F(DataReader, ExampleLinesSplitIntoKeyAndValue)
{
    auto seen = Read("numparts=3\npart=3=4\nnumparts =3\n  // note\n=abc\n// any text\n");
    std::vector<std::string> keys;
    for (const Seen& s : seen) keys.push_back(s.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"numparts", "part", "numparts ", "  // note", "abc"}));
    EXPECT_EQ(Values(seen), (std::vector<std::string>{"3", "3", "3", "(none)", "(none)"}));
    // Unknown keys are logged as the line up to the key's end, leading "=" included;
    // comments never reach the handler and the done line comes last.
    std::vector<std::string> expected = {"numparts ", "  // note", "=abc", "Test done"};
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(DataReader, ValueIsTheTextUpToTheNextEqualsSignBlanksIncluded)
{
    auto seen = Read("texture= my file.png \nname==x=y\n");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].value, " my file.png ");
    EXPECT_EQ(seen[1].value, "x");
}

TEST_F(DataReader, KeyWithoutValueGetsNull)
{
    auto seen = Read("numparts\npart=\n====\n");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].hasValue);
    EXPECT_FALSE(seen[1].hasValue);
}

TEST_F(DataReader, LineEndsAndEmptyLines)
{
    // Last line without a line feed, CR LF pairs, empty lines, and a trailing line feed.
    EXPECT_EQ(Values(Read("part=1\r\n\r\n\n\npart=2\r\npart=3")), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(Read("part=1\n").size(), 1u);
    // A lone CR is not a line end.
    auto seen = Read("part=1\rx\n");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].value, "1\rx");
}

TEST_F(DataReader, LongLinesAreCutAt999Characters)
{
    std::string value999(999 - 5, '7');
    auto seen = Read("name=" + value999 + "\r\npart=1\n");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].value.size(), 994u);
    EXPECT_EQ(seen[1].key, "part");

    seen = Read("name=" + value999 + "X\npart=1\n");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].value, value999);
    EXPECT_EQ(seen[1].key, "X");
    EXPECT_EQ(seen[2].key, "part");

    std::string huge(100000, 'a');
    seen = Read(huge + "\npart=1\n");
    ASSERT_EQ(seen.size(), 102u);
    EXPECT_EQ(seen[0].key.size(), 999u);
    EXPECT_EQ(seen[100].key.size(), 100u);
    EXPECT_EQ(seen[101].value, "1");
}

TEST_F(DataReader, MissingFileIsCreatedEmptyAndOnlyTheDoneLineLogged)
{
    g_seen.clear();
    ResetLog();
    EXPECT_EQ(ReadWith("absent.dat", RecordingHandler, "Absent done"), 0);
    EXPECT_TRUE(g_seen.empty());
    struct stat info;
    ASSERT_EQ(stat("absent.dat", &info), 0);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Absent done"});
}

TEST_F(DataReader, UnopenableFileEndsTheReadAtOnce)
{
    ResetLog();
    // A directory of that name can be neither read as lines nor created.
    ASSERT_EQ(mkdir("dir.dat", 0700), 0);
    g_seen.clear();
    EXPECT_EQ(ReadWith("dir.dat", RecordingHandler, "Dir done"), 0);
    EXPECT_EQ(ReadWith("no/such/dir.dat", RecordingHandler, "Deep done"), 0);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_TRUE(LogHas("Dir done"));
    EXPECT_TRUE(LogHas("Deep done"));
}

TEST(DataParsers, NumbersInTheStandardLibrarysManner)
{
    EXPECT_EQ(ParseInteger("  -42xyz"), -42);
    EXPECT_EQ(ParseInteger("abc"), 0);
    EXPECT_EQ(ParseInteger(nullptr), 0);
    EXPECT_EQ(ParseInteger("99999999999999"), 2147483647);
    EXPECT_EQ(ParseInteger("-99999999999999"), -2147483647 - 1);
    EXPECT_DOUBLE_EQ(ParseReal(" -1.5e2"), -150.0);
    EXPECT_DOUBLE_EQ(ParseReal("x"), 0.0);
    EXPECT_EQ(ParseAngle("45.9"), 45.0f);
    EXPECT_EQ(ParseAngle("-90"), -90.0f);
    EXPECT_TRUE(ParseFlag("2"));
    EXPECT_FALSE(ParseFlag("0"));
    EXPECT_FALSE(ParseFlag(nullptr));
}

namespace {
std::vector<double> g_numbers;
// "r" values are reals, "i" values integers; both are recorded as read.
bool NumberHandler(const char* key, const char* value)
{
    g_numbers.push_back(key[0] == 'r' ? ParseReal(value) : static_cast<double>(ParseInteger(value)));
    return true;
}
}  // namespace

TEST_F(DataReader, NumbersThatAreNotFiniteDecimalsAreRefusedAndNamed)
{
    g_numbers.clear();
    WriteWholeFile("n.dat", "r=nan\nr=-INF\nr=0x1p3\nr=1e39\nr=x\nr= -2.5e1cm\nr=.5\n"
                            "i=0x10\ni=nan\ni=-7px\n");
    ResetLog();
    ReadWith("n.dat", NumberHandler, nullptr);
    const std::vector<double> expected = {0, 0, 0, 0, 0, -25, 0.5, 0, 0, -7};
    EXPECT_EQ(g_numbers, expected);
    const std::vector<std::string> lines = {
        "r: not a finite decimal number", "r: not a finite decimal number",
        "r: not a finite decimal number", "r: out of range",
        "r: not a finite decimal number", "i: not a decimal number", "i: not a decimal number"};
    EXPECT_EQ(LogLines(), lines);
}

TEST(DataParsers, ListsSkipEmptyItemsAndStopAtTheLimit)
{
    long items[5] = {};
    EXPECT_EQ(ParseList(",,1,,-2, 3,", items, 5), 3);
    EXPECT_EQ(items[0], 1);
    EXPECT_EQ(items[1], -2);
    EXPECT_EQ(items[2], 3);
    EXPECT_EQ(ParseList("1,2,3,4,5,6,7", items, 5), 5);
    EXPECT_EQ(items[4], 5);
    EXPECT_EQ(ParseList("", items, 5), 0);
    EXPECT_EQ(ParseList(nullptr, items, 5), 0);
    EXPECT_EQ(ParseList("x,7", items, 5), 2);
    EXPECT_EQ(items[0], 0);
}

TEST_F(DataReader, TheReadingIsToldTheFileLineOfEveryKeyLine)
{
    WriteWholeFile("test.dat", "part=1\n\n// c\nx\r\n" + std::string(1000, 'k') + "\r\npart=2");
    FunctionReading reading(RecordingHandler);
    ReadDataFile("test.dat", reading, nullptr);
    std::vector<std::pair<int, bool>> expected = {{1, true}, {4, false}, {5, false}, {5, false}, {6, true}};
    EXPECT_EQ(reading.lines, expected);
}
