// The level from its file, played and edited through the headless runner on the bundled
// data, checked through the dumps, the files written and the screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "json_reader.h"
#include "support.h"

namespace {

class LevelPlay : public ::testing::Test {
public:
    void SetUp() override { CopyDirectoryFiles(VANTREL_DATA_DIR); }

    int Run(int frames, const std::string& script, bool pixels = false)
    {
        WriteWholeFile("script.txt", script);
        std::string command = pixels ? "" : "VANTREL_D3D=memory ";
        command += "'" VANTREL_REPLAY_PATH "' --frames " + std::to_string(frames);
        return RunCommand(command + " script.txt 2>stderr.txt");
    }
    JsonValue Dump(const std::string& name)
    {
        JsonValue value;
        EXPECT_TRUE(JsonReader::Parse(ReadWholeFile(name), value)) << name << " is not a readable dump";
        return value;
    }
    bool HasOpenGl() { return ReadWholeFile("log.log").find("Completed initializing d3d") != std::string::npos; }

    ScopedTempDir dir;
};

// The dump's text from one top-level member to the next.
std::string Section(const std::string& dump, const std::string& from, const std::string& to)
{
    const size_t start = dump.find("\"" + from + "\":");
    const size_t end = dump.find("\"" + to + "\":", start);
    EXPECT_NE(end, std::string::npos) << from;
    return start == std::string::npos || end == std::string::npos ? "" : dump.substr(start, end - start);
}

// The figure's place after falling from the start for a second and a half.
double LandedAt(LevelPlay& test, const std::string& level)
{
    WriteWholeFile("veclevel.dat", level);
    EXPECT_EQ(test.Run(100, "95 dump landed.json\n"), 0);
    return test.Dump("landed.json")["figure"]["y"].number;
}

TEST_F(LevelPlay, TheBundledFileAndTheBuiltInLevelPlayAlike)
{
    // Walk right into the crates, jump and push, seen from both and compared.
    const char* script =
        "30 press RIGHT\n"
        "150 press SPACE\n"
        "151 release SPACE\n"
        "200 release RIGHT\n"
        "220 dump end.json\n"
        "220 screenshot end.png\n";
    ASSERT_EQ(Run(221, script, true), 0) << ReadWholeFile("stderr.txt");
    const bool pixels = HasOpenGl();
    const std::string fromFile = ReadWholeFile("end.json");
    const std::string fileShot = ReadWholeFile("end.png");
    EXPECT_NE(Dump("end.json")["figure"]["x"].number, 250) << "the walk went somewhere";
    std::filesystem::remove("veclevel.dat");
    ASSERT_EQ(Run(221, script, true), 0);
    const std::string builtIn = ReadWholeFile("end.json");
    EXPECT_EQ(Section(fromFile, "level", "process"), Section(builtIn, "level", "process"));
    EXPECT_EQ(Section(fromFile, "figure", "parts"), Section(builtIn, "figure", "parts"));
    if (pixels) {
        EXPECT_TRUE(fileShot == ReadWholeFile("end.png")) << "the screenshots differ";
    }
}

TEST_F(LevelPlay, AFloorUnderTheStartCatchesTheFigureAndNoneLetsItFallToTheGround)
{
    const double onPiece = LandedAt(*this, "// one plank under the start\ncell=0,1\npiece=9,250,0,3,s\n");
    EXPECT_GT(onPiece, 480.0);
    EXPECT_LT(onPiece, 700.0);
    EXPECT_EQ(LandedAt(*this, "cell=0,1\n"), 0.0);
    // A file that describes no cell is the fixed level, as it always was.
    EXPECT_EQ(LandedAt(*this, "// nothing here\n"), onPiece);
}

}  // namespace
