// The pose editor on a figure of three slots made for the test: the pose a key shows,
// turning a key across the half turn, saving beside a pivot edit with undo over both,
// and playing the frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animation/step.h"
#include "data_files_support.h"
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "editor/edits.h"
#include "editor/pose.h"
#include "editor/timeline.h"
#include "figure/anim_file.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "game/pass_hooks.h"

namespace {

const char PARTS[] =
    "numparts=2\n"
    "part=0\n"
    "texture=none.png\n"
    "xoffset=1.0\n"
    "part=1\n"
    "texture=none.png\n";

// Slot 0 is not driven; slot 1 has three keys, slot 2 one (a shorter list), which swaps
// slot 0's image; slot 1's second key shows slot 2.
const char ANIM[] =
    "// animations\n"
    "numframes=1\n"
    "// wave the arm\n"
    "frame=0\n"
    "frame_numparts=3\n"
    "key_part=1\n"
    "numkeys=3\n"
    "key=0\n"
    "key_destangle=100\n"
    "key_rotspeed=200\n"
    "key=1\n"
    "key_destangle=-20\n"
    "key_rotspeed=-400\n"
    "part_visible=2\n"
    "key=2\n"
    "key_destangle=0\n"
    "key_rotspeed=100\n"
    "key_part=2\n"
    "numkeys=1\n"
    "key=0\n"
    "key_destangle=30\n"
    "key_rotspeed=60\n"
    "use_changepart=1\n"
    "changepart=0,1\n";

const int ARM = 1;
const int HIDDEN = 2;

class PoseEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        WriteWholeFile("vecparts.dat", PARTS);
        WriteWholeFile("vecanim.dat", ANIM);
        LoadVectorParts();
        LoadVectorAnim();
        slots[0].visible = slots[ARM].visible = 1;
        man.numparts = 3;
        man.parts = slots;
        man.maxKeys = 3;
        man.x = 40.0f;
        man.y = 7.0f;
        g_vectorMan = &man;
        EnterEditMode(EDIT_POSE);
        g_selectedPart = ARM;
    }
    void TearDown() override
    {
        EnterEditMode(EDIT_PLAY);
        g_vectorMan = nullptr;
        ForgetEdits();
        ForgetPoseMode();
    }
    // The pose as a list of (angle, image, visible) per slot.
    std::vector<std::vector<float>> Pose()
    {
        std::vector<std::vector<float>> pose;
        for (const ManPart& s : slots)
            pose.push_back({s.angle, static_cast<float>(s.vecpartnum), static_cast<float>(s.visible)});
        return pose;
    }
    std::vector<std::vector<float>> PoseAt(int key)
    {
        g_poseKey = key;
        StepPoseMode(0.0f);
        return Pose();
    }
    float Turn(int key)
    {
        const AnimKey* k = KeyAt(0, ARM, key);
        const float from = key == 0 ? 0.0f : WrappedAngle(KeyAt(0, ARM, key - 1)->destAngle);
        return AngleToTurn(from, k->destAngle, k->rotSpeed);
    }

    ScopedTempDir dir;
    ManPart slots[3] = {};
    VectorMan man = {};
};

typedef std::vector<std::vector<float>> Poses;

TEST_F(PoseEditor, EachKeyShowsItsAnglesImagesAndVisibility)
{
    EXPECT_EQ(PoseAt(0), (Poses{{0, 1, 1}, {100, 0, 1}, {30, 0, 0}}));
    // -20 wraps as the step wraps it; the shorter list stays at its last key.
    EXPECT_EQ(PoseAt(1), (Poses{{0, 1, 1}, {340, 0, 1}, {30, 0, 1}}));
    EXPECT_EQ(PoseAt(2), (Poses{{0, 1, 1}, {0, 0, 1}, {30, 0, 1}}));
    ChoosePoseKey(1);
    EXPECT_EQ(g_poseKey, 2) << "the last key is as far as it goes";

    // Leaving gives the slots back at rest, as they were before the keys.
    EnterEditMode(EDIT_FROZEN);
    EXPECT_EQ(Pose(), (Poses{{0, 0, 1}, {0, 0, 1}, {0, 0, 0}}));
    EnterEditMode(EDIT_POSE);
    EXPECT_EQ(g_poseKey, 2) << "it opens where it was left";
}

TEST_F(PoseEditor, ATurnPastTheHalfTurnKeepsThisKeyAndTheNextShortAndUndoesAsOne)
{
    g_poseKey = 0;
    for (int i = 0; i < 80; ++i) TurnPoseKey(1);
    EXPECT_EQ(KeyAt(0, ARM, 0)->destAngle, 180.0f);
    EXPECT_EQ(KeyAt(0, ARM, 0)->rotSpeed, 200.0f) << "half a turn is as short either way";
    TurnPoseKey(1);
    EXPECT_EQ(KeyAt(0, ARM, 0)->rotSpeed, -200.0f);
    EXPECT_EQ(Turn(0), 179.0f);
    // The next key now starts on the other side of its destination.
    EXPECT_EQ(KeyAt(0, ARM, 1)->rotSpeed, 400.0f);
    EXPECT_EQ(Turn(1), 159.0f);

    // Back down: the stepping counts a downward turn to a smaller angle as a round more,
    // so the next key's destination is written a turn higher.
    g_poseKey = 1;
    for (int i = 0; i < 200; ++i) TurnPoseKey(-1);
    EXPECT_LT(Turn(1), 180.0f);
    EXPECT_LT(Turn(2), 180.0f);

    for (int i = 0; i < 200; ++i) ASSERT_TRUE(UndoEdit());
    EXPECT_EQ(KeyAt(0, ARM, 2)->rotSpeed, 100.0f);
    EXPECT_TRUE(UndoEdit());
    EXPECT_EQ(KeyAt(0, ARM, 0)->rotSpeed, 200.0f);
    EXPECT_EQ(KeyAt(0, ARM, 1)->rotSpeed, 400.0f) << "the turn to 181 changed both keys in one step";
}

TEST_F(PoseEditor, SaveWritesOnlyTheEditedLinesOfBothFilesAndUndoCoversBoth)
{
    g_poseKey = 1;
    TurnPoseKey(-1);
    NudgeOffset(0, false, 1.0f);
    ASSERT_TRUE(SaveEdits());
    std::string anim = ANIM;
    anim.replace(anim.find("key_destangle=-20"), 17, "key_destangle=-21");
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), anim);
    EXPECT_EQ(ReadWholeFile("vecanim.dat.bak"), ANIM);
    EXPECT_TRUE(LogHas("vecanim.dat saved: 1 value written"));
    EXPECT_TRUE(LogHas("vecparts.dat saved: 1 value written"));
    EXPECT_NE(ReadWholeFile("vecparts.dat").find("xoffset=1.1\n"), std::string::npos);
    EXPECT_FALSE(g_editsUnsaved);

    EXPECT_TRUE(UndoEdit());
    EXPECT_EQ(g_parts[0].xoffset, 1.0f);
    EXPECT_EQ(KeyAt(0, ARM, 1)->destAngle, -21.0f);
    EXPECT_TRUE(UndoEdit());
    EXPECT_EQ(KeyAt(0, ARM, 1)->destAngle, -20.0f);
    EXPECT_TRUE(g_editsUnsaved);

    // A file changed behind the game's back keeps its bytes; the other file is saved.
    WriteWholeFile("vecanim.dat", anim + "// theirs\n");
    NudgeOffset(0, false, 1.0f);
    EXPECT_FALSE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), anim + "// theirs\n");
    EXPECT_TRUE(LogHas("vecanim.dat not saved: vecanim.dat changed on disk since it was read"));
    EXPECT_NE(ReadWholeFile("vecparts.dat").find("xoffset=1.1\n"), std::string::npos);
}

TEST_F(PoseEditor, EnterPlaysTheFrameOnceInPlaceAndComesBackToThePose)
{
    const Poses pose = PoseAt(1);
    PlayPoseFrame();
    ASSERT_TRUE(g_posePlaying);
    bool moved = false;
    int passes = 0;
    for (; g_posePlaying && passes < 1000; ++passes) {
        StepPoseMode(0.01f);
        moved = moved || slots[ARM].angle != pose[ARM][0];
    }
    EXPECT_TRUE(moved);
    // Three keys of 100, 120 and 20 degrees at 200, 400 and 100 a second, a pass each to end.
    EXPECT_NEAR(passes, 50 + 30 + 20 + 3, 3);
    EXPECT_EQ(Pose(), pose);
    EXPECT_EQ(man.x, 40.0f);
    EXPECT_EQ(man.y, 7.0f);
}

TEST_F(PoseEditor, ANewGameForgetsThePlaybackTheTimelineAndTheHelp)
{
    g_poseFrame = 0;
    g_poseKey = 2;
    TogglePoseLoop();
    SetPosePlaybackRate(0.5f);
    g_editor.timeline.marks.push_back({ARM, 1, 10.0f, 10.0f, 5.0f, 5.0f});
    g_editor.help = {true, 1};
    StepPoseMode(0.1f);
    ASSERT_TRUE(g_posePlaying && g_poseLooping);
    ASSERT_GT(PosePlayedSeconds(), 0.0f);
    // What a new game does to the editor (ResetGameState), the records left in place.
    Hooks().forgetEditor();
    EXPECT_FALSE(g_posePlaying || g_poseLooping);
    EXPECT_EQ(PosePlayedSeconds(), 0.0f) << "the next playback would start part of the way in";
    EXPECT_EQ(g_posePlaybackRate, 1.0f);
    EXPECT_EQ(g_poseKey, 0);
    EXPECT_TRUE(PoseTimelineMarks().empty()) << "a click would still meet the old strip";
    EXPECT_FALSE(g_editor.help.shown);
    EXPECT_EQ(g_editor.help.page, 0u);
}

}  // namespace
