#include <gtest/gtest.h>

#include <vector>

#include "data_files_support.h"
#include "figure/figure_file.h"
#include "figure/figure_save.h"
#include "figure/records.h"
#include "game/state.h"
#include "base/log.h"

namespace {

class FigureFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGameState();
        ResetLog();
    }
    void Load(const std::string& content)
    {
        WriteWholeFile("vecman.dat", content);
        InitVectorMan();
    }
    const ManPart& Slot(int i) const { return g_vectorMan->parts[i]; }
    ScopedTempDir dir;
};

}  // namespace

TEST_F(FigureFile, ExampleFileSetsSlotsAndCodeSetValues)
{
    Load("// vector man\nnumparts=8\npart=0\nvecpartnum=0\nlayer=3\npart=1\nvecpartnum=1\n"
         "rootpart=0\nrootpoint=1\nlayer=4\npart=6\nvecpartnum=6\nrootpart=0\nrootpoint=0\n");
    ASSERT_NE(g_vectorMan, nullptr);
    ASSERT_EQ(g_vectorMan->numparts, 8);
    EXPECT_EQ(Slot(0).vecpartnum, 0);
    EXPECT_EQ(Slot(0).rootpart, -1);
    EXPECT_EQ(Slot(1).rootpart, 0);
    EXPECT_EQ(Slot(1).rootpoint, 1);
    EXPECT_EQ(Slot(1).layer, 4);
    EXPECT_EQ(Slot(6).vecpartnum, 6);
    EXPECT_EQ(Slot(6).rootpoint, 0);
    EXPECT_FALSE(Slot(6).visible);
    EXPECT_FALSE(Slot(7).visible);
    EXPECT_TRUE(Slot(5).visible);

    const VectorMan& man = *g_vectorMan;
    EXPECT_EQ(man.x, 250.0f);
    EXPECT_EQ(man.y, 900.0f);
    EXPECT_EQ(man.maxKeys, 6);
    ASSERT_EQ(man.numHitBoxes, 2);
    EXPECT_EQ(man.hitBoxes[0].centerX, 5.0f);
    EXPECT_EQ(man.hitBoxes[0].centerY, 40.0f);
    EXPECT_EQ(man.hitBoxes[0].halfWidth, 25.0f);
    EXPECT_EQ(man.hitBoxes[0].halfHeight, 46.0f);
    EXPECT_EQ(man.hitBoxes[1].centerX, 20.0f);
    EXPECT_EQ(man.hitBoxes[1].centerY, -43.0f);
    EXPECT_EQ(man.hitBoxes[1].halfWidth, 36.0f);
    EXPECT_EQ(man.hitBoxes[1].halfHeight, 40.0f);
    for (AnimKey* key : man.currentKeys) EXPECT_EQ(key, nullptr);
    std::vector<std::string> expected = {"Data file done", "InitVectorMan done"};
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(FigureFile, SlotsNotNamedKeepTheDefaults)
{
    Load("numparts=10\n");
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Slot(i).vecpartnum, -1);
        EXPECT_EQ(Slot(i).rootpart, -1);
        EXPECT_EQ(Slot(i).rootpoint, -1);
        EXPECT_EQ(Slot(i).layer, 3);
        EXPECT_EQ(Slot(i).visible, (i == 6 || i == 7) ? 0 : 1);
        EXPECT_EQ(Slot(i).angle, 0.0f);
        EXPECT_EQ(Slot(i).x, 0.0f);
    }
}

TEST_F(FigureFile, TheFigureStartsAtItsFixedPlaceWithoutAFile)
{
    InitVectorMan();
    EXPECT_EQ(g_vectorMan->numparts, 0);
    EXPECT_EQ(g_vectorMan->parts, nullptr);
    EXPECT_EQ(g_vectorMan->x, 250.0f);
    EXPECT_EQ(g_vectorMan->y, 900.0f);
    EXPECT_EQ(g_vectorMan->numHitBoxes, 2);
}

TEST_F(FigureFile, LinesOutsideTheSlotsAreIgnored)
{
    // Slots before numparts, beyond it and negative; counts beyond the current-key table.
    Load("layer=5\nnumparts=2147483647\nnumparts=-1\nnumparts=11\nnumparts=3\npart=3\nlayer=1\npart=-1\n"
         "vecpartnum=4\npart=2\nrootpart\nlayer=\nvecpartnum=7\n");
    ASSERT_EQ(g_vectorMan->numparts, 3);
    EXPECT_EQ(Slot(2).vecpartnum, 7);
    EXPECT_EQ(Slot(2).layer, 3);
    EXPECT_EQ(Slot(2).rootpart, -1);
    EXPECT_TRUE(LogHas("numparts: count out of range"));
    EXPECT_TRUE(LogHas("layer: no such slot"));
    // Fewer than 8 slots: hiding slots 6 and 7 must not write past the array.
    EXPECT_TRUE(Slot(0).visible);
}

TEST_F(FigureFile, RepeatedNumpartsStartsTheSlotsAfresh)
{
    Load("numparts=8\npart=1\nlayer=5\nvecpartnum=4\nnumparts=9\nlayer=2\n");
    ASSERT_EQ(g_vectorMan->numparts, 9);
    EXPECT_EQ(Slot(1).vecpartnum, -1);
    // The current slot index is kept across the new count.
    EXPECT_EQ(Slot(1).layer, 2);
}

TEST_F(FigureFile, HitBoxLinesFitTheBoxesAndBadOnesKeepWhatStood)
{
    Load("numparts=1\nhitbox=1,8,-43,16,40\nhitbox=0,4,40,20,46\nhitbox=2,0,0,5,5\nhitbox=0,1,1,0,5\n"
         "hitbox=1,3\n");
    auto fields = [](const HitBox& b) { return std::vector<float>{b.centerX, b.centerY, b.halfWidth, b.halfHeight}; };
    ASSERT_EQ(g_vectorMan->numHitBoxes, 2);
    EXPECT_EQ(fields(g_vectorMan->hitBoxes[0]), (std::vector<float>{4, 40, 20, 46}));
    EXPECT_EQ(fields(g_vectorMan->hitBoxes[1]), (std::vector<float>{8, -43, 16, 40}));
    int refused = 0;
    for (const std::string& line : LogLines()) refused += line.rfind("hitbox: ", 0) == 0;
    EXPECT_EQ(refused, 3);

    // A later figure without the lines gets the built-in boxes, not the last file's.
    FreeFigure(g_vectorMan);
    Load("numparts=1\n");
    EXPECT_EQ(g_vectorMan->hitBoxes[0].centerX, 5.0f);
    EXPECT_EQ(g_vectorMan->hitBoxes[1].halfWidth, 36.0f);
}

TEST_F(FigureFile, ASavedSetupChangesOnlyTheLinesOfWhatChangedAndReadsBack)
{
    // Comments, CR LF ends, an unknown key, a slot with no layer line, no end on the last line.
    const std::string file = "// the figure\r\nnumparts=2\r\n// hips\r\npart=0\r\nvecpartnum=0\r\nshade=1\r\nlayer=3\r\n"
                             "// torso\r\npart=1\r\nvecpartnum=1\r\nrootpart=0\r\nrootpoint=0\r\nhitbox=1,20,-43,36,40";
    Load(file);
    std::string why;
    FigureSetup setup = SetupOf(*g_vectorMan);
    ASSERT_EQ(SaveFigureSetup(setup, why), SaveResult::SAVED) << why;
    EXPECT_EQ(ReadWholeFile("vecman.dat"), file) << "nothing changed, nothing written";

    setup.slots[0].layer = 5;
    setup.slots[1].layer = 2;
    setup.slots.push_back({2, 1, 1, 3});
    setup.hitBoxes[0] = {4.0f, 41.0f, 25.0f, 46.0f};
    ASSERT_EQ(SaveFigureSetup(setup, why), SaveResult::SAVED) << why;
    const std::string saved = "// the figure\r\nnumparts=3\r\n// hips\r\npart=0\r\nvecpartnum=0\r\nshade=1\r\nlayer=5\r\n"
                              "// torso\r\npart=1\r\nvecpartnum=1\r\nrootpart=0\r\nrootpoint=0\r\nlayer=2\r\n"
                              "part=2\r\nvecpartnum=2\r\nlayer=1\r\nrootpart=1\r\nrootpoint=3\r\n"
                              "hitbox=1,20,-43,36,40\r\nhitbox=0,4,41,25,46";
    EXPECT_EQ(ReadWholeFile("vecman.dat"), saved);
    EXPECT_EQ(ReadWholeFile("vecman.dat.bak"), file);
    FreeFigure(g_vectorMan);
    Load(saved);
    EXPECT_TRUE(SetupOf(*g_vectorMan).slots == setup.slots);
    EXPECT_EQ(g_vectorMan->hitBoxes[0].centerY, 41.0f);

    // A slot taken away goes with its lines and the comment above them; the count follows.
    setup.slots.resize(1);
    ASSERT_EQ(SaveFigureSetup(setup, why), SaveResult::SAVED) << why;
    EXPECT_EQ(ReadWholeFile("vecman.dat"), "// the figure\r\nnumparts=1\r\n// hips\r\npart=0\r\nvecpartnum=0\r\nshade=1\r\n"
                                           "layer=5\r\nhitbox=1,20,-43,36,40\r\nhitbox=0,4,41,25,46");
    const std::string shortened = ReadWholeFile("vecman.dat");
    WriteWholeFile("vecman.dat", "numparts=0\n");
    EXPECT_EQ(SaveFigureSetup(SetupOf(*g_vectorMan), why), SaveResult::CHANGED_ON_DISK);

    // Back to the setup the file gave, the file is as it was read, comments and all.
    WriteWholeFile("vecman.dat", shortened);
    ASSERT_EQ(SaveFigureSetup(SetupOf(*g_vectorMan), why), SaveResult::SAVED) << why;
    EXPECT_EQ(ReadWholeFile("vecman.dat"), saved);
}
