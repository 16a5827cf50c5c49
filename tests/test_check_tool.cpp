#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "data_files_support.h"

namespace {

struct CheckResult {
    int exitCode;
    std::vector<std::string> lines;
};

CheckResult Check()
{
    CheckResult result;
    result.exitCode = RunCommand(std::string(VANTREL_CHECK_PATH) + " data > out.txt 2>&1");
    std::istringstream text(ReadWholeFile("out.txt"));
    for (std::string line; std::getline(text, line);) result.lines.push_back(line);
    return result;
}

class CheckTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        mkdir("data", 0700);
        WriteBmp("data/p.bmp", 16, 16);
        WriteWholeFile("data/vecparts.dat", SmallPartsFile());
        WriteWholeFile("data/vecman.dat", SmallFigureFile());
        WriteWholeFile("data/vecanim.dat", SmallAnimFile());
    }
    ScopedTempDir dir;
};

}  // namespace

TEST_F(CheckTool, SoundDataPassesAndTheDirectoryIsLeftAsItWas)
{
    CheckResult result = Check();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.lines.empty()) << result.lines[0];
    struct stat info;
    EXPECT_NE(stat("data/log.log", &info), 0);
}

TEST_F(CheckTool, EachBreachIsReportedAtItsLine)
{
    WriteWholeFile("data/vecparts.dat",
                   SmallPartsFile() + "part=3\ntexture=none.bmp\nnumpoints=1\npart=13\nxoffset=1\n");
    WriteWholeFile("data/vecman.dat", "numparts=8\nmystery=1\n" + SmallFigureFile().substr(11) + "part=5\nrootpart=6\n"
                                      "part=4\nrootpoint=2\npart=2\nvecpartnum=13\npart=8\nlayer=1\n");
    WriteWholeFile("data/vecanim.dat", "numframes=6\nframe=5\nframe_numparts=5\nkey_part=1\nnumkeys=1\nkey=0\n"
                                       "use_changepart=1\nchangepart=9,1\npart_visible=1,2,3,4,5,6\nkey=1\n"
                                       "key_destangle=1\nkey_part=32\nnumkeys=1\n");
    std::vector<std::string> expected = {
        "vecparts.dat:55: image \"none.bmp\" does not load",
        "vecparts.dat:58: xoffset for part 13, which does not exist",
        "vecman.dat:2: unknown key \"mystery\"",
        "vecman.dat:34: slot 5 hangs from slot 6; a parent must come before its children",
        "vecman.dat:36: slot 4 hangs at point 2, but image 3 has 1 points",
        "vecman.dat:38: slot 2 shows image 13, which does not exist",
        "vecman.dat:40: layer for slot 8, which does not exist",
        "vecanim.dat:1: frame 0 is written for 0 slots; the figure animates 6",
        "vecanim.dat:1: frame 1 is written for 0 slots; the figure animates 6",
        "vecanim.dat:1: frame 2 is written for 0 slots; the figure animates 6",
        "vecanim.dat:1: frame 3 is written for 0 slots; the figure animates 6",
        "vecanim.dat:1: frame 4 is written for 0 slots; the figure animates 6",
        "vecanim.dat:3: frame 5 is written for 5 slots; the figure animates 6",
        "vecanim.dat:8: changepart names slot 9, which does not exist",
        "vecanim.dat:9: part_visible names more than 5 slots",
        "vecanim.dat:11: key_destangle for key 1 of list 1 of frame 5, which does not exist",
        "vecanim.dat:13: numkeys for list 32 of frame 5, which cannot exist",
    };
    CheckResult result = Check();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.lines, expected);
}

TEST_F(CheckTool, MissingFilesAreReportedAndNotLeftBehind)
{
    std::remove("data/vecanim.dat");
    CheckResult result = Check();
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_FALSE(result.lines.empty());
    EXPECT_EQ(result.lines[0], "vecanim.dat:0: file missing");
    struct stat info;
    EXPECT_NE(stat("data/vecanim.dat", &info), 0);
}
