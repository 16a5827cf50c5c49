// The one loader: a reading is a set apart from the records in use, every problem of it
// comes from the one call, and only installing it changes what the game holds.
#include <gtest/gtest.h>

#include <d3d8.h>
#include <stand_in.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "data_files_support.h"
#include "figure/data_files.h"
#include "figure/records.h"
#include "game/state.h"

namespace {

class DataFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        ASSERT_TRUE(OpenImageDevice());
        WriteBmp("p.bmp", 16, 16);
        WriteWholeFile(PARTS_DATA_FILE, SmallPartsFile());
        WriteWholeFile(FIGURE_DATA_FILE, SmallFigureFile());
        WriteWholeFile(ANIM_DATA_FILE, SmallAnimFile());
        DataSet sound = LoadDataFiles();
        ASSERT_TRUE(sound.problems.empty()) << sound.problems[0].text;
        InstallDataSet(sound);
    }
    ScopedTempDir dir;
};

std::vector<std::string> Texts(const std::vector<DataProblem>& problems)
{
    std::vector<std::string> texts;
    for (const DataProblem& problem : problems) texts.push_back(problem.text);
    return texts;
}

}  // namespace

TEST_F(DataFiles, ABrokenSetIsReadApartWithEveryProblemFromOneCall)
{
    VectorPart* const parts = g_parts;
    VectorMan* const man = g_vectorMan;
    AnimFrame* const frames = g_frames;
    const std::string partsText = g_partsFileRecord.text;
    const std::string animText = g_animFileRecord.text;

    WriteWholeFile(PARTS_DATA_FILE, SmallPartsFile() + "part=2\ntexture=none.bmp\n");
    std::remove(FIGURE_DATA_FILE);
    WriteWholeFile(ANIM_DATA_FILE, SmallAnimFile() + "mystery=1\nkey_ease=sideways\n");
    DataSet broken = LoadDataFiles();

    const std::vector<std::string> expected = {
        "vecman.dat:0: file missing",
        "vecparts.dat:55: image \"none.bmp\" does not load",
        "vecman.dat:0: no slots: the figure needs 8 to 32",
        "vecanim.dat:39: changepart names slot 3, which does not exist",
        "vecanim.dat:40: part_visible names slot 6, which does not exist",
        "vecanim.dat:40: part_visible names slot 7, which does not exist",
        "vecanim.dat:41: unknown key \"mystery\"",
        "vecanim.dat:42: key_ease sideways is none of linear, in, out, inout, step",
    };
    EXPECT_EQ(Texts(broken.problems), expected);
    EXPECT_TRUE(broken.problems[0].missing);
    EXPECT_FALSE(broken.problems[1].missing);

    // What the game holds is what it held; the set holds the new reading.
    EXPECT_EQ(g_parts, parts);
    EXPECT_EQ(g_vectorMan, man);
    EXPECT_EQ(g_frames, frames);
    EXPECT_EQ(g_partsFileRecord.text, partsText);
    EXPECT_EQ(g_animFileRecord.text, animText);
    ASSERT_EQ(broken.records.numParts, 13);
    EXPECT_EQ(broken.records.parts[2].primaryVertexBuffer, nullptr);
    EXPECT_EQ(broken.records.man->numparts, 0);
    EXPECT_EQ(broken.records.partsFile.text, ReadWholeFile(PARTS_DATA_FILE));
}

TEST_F(DataFiles, AHitBoxBelongsToTheFigureAndASlotMayHangAtItsParentsPivot)
{
    const std::string figure = SmallFigureFile();
    const int lines = static_cast<int>(std::count(figure.begin(), figure.end(), '\n'));
    // The last slot hangs at its parent's pivot rather than on a joint: no problem either.
    WriteWholeFile(FIGURE_DATA_FILE, figure + "rootpoint=-1\npart=12\nhitbox=0,1,2,3,4\nlayer=1\n");
    DataSet set = LoadDataFiles();
    const std::vector<std::string> expected = {"vecman.dat:" + std::to_string(lines + 4) +
                                               ": layer for slot 12, which does not exist"};
    EXPECT_EQ(Texts(set.problems), expected);
    EXPECT_EQ(set.records.man->hitBoxes[0].centerX, 1.0f);
}
