// Pose mode's movements on a figure of six slots and six one-key frames made for the test:
// an easing bends a key's turn without changing its time and saves as one line; a new
// frame copied, renamed and saved as one block, then deleted; a pose copied, mirrored and
// pasted onto another key.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "animation/step.h"
#include "base/screen_message.h"
#include "data_files_support.h"
#include "editor/editor.h"
#include "editor/edits.h"
#include "editor/pose.h"
#include "figure/anim_file.h"
#include "figure/data_reader.h"
#include "figure/parts_file.h"
#include "figure/key_edit.h"
#include "figure/records.h"
#include "figure/roles.h"

namespace {

const int SLOTS = 6;

// Frame 0 turns the front arm a quarter turn in a second; the walk (frame 2) swings the
// four limbs over two keys, but the front leg has one key only.
std::string AnimFile()
{
    std::string text = "numframes=6\n";
    for (int f = 0; f < 6; ++f) {
        text += "// move " + std::to_string(f) + "\nframe=" + std::to_string(f) + "\nframe_numparts=6\n";
        if (f == WALK_FRAME) {
            for (int slot = BACK_ARM_SLOT; slot <= FRONT_LEG_SLOT; ++slot) {
                const bool two = slot != FRONT_LEG_SLOT;
                text += "key_part=" + std::to_string(slot) + "\nnumkeys=" + (two ? "2" : "1") +
                        "\nkey=0\nkey_destangle=" + std::to_string(10 * slot) + "\nkey_rotspeed=100\n";
                if (two) text += "key=1\nkey_destangle=0\nkey_rotspeed=-100\n";
            }
        } else {
            text += "key_part=3\nnumkeys=1\nkey=0\nkey_destangle=90\nkey_rotspeed=90\n";
        }
    }
    return text;
}

class PoseFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        WriteWholeFile("vecparts.dat", "numparts=1\npart=0\ntexture=none.png\n");
        WriteWholeFile("vecanim.dat", AnimFile());
        LoadVectorParts();
        LoadVectorAnim();
        for (ManPart& slot : slots) slot.visible = 1;
        man.numparts = SLOTS;
        man.parts = slots;
        man.maxKeys = SLOTS;
        g_vectorMan = &man;
        EnterEditMode(EDIT_POSE);
        g_selectedPart = HOLDING_SLOT;
    }
    void TearDown() override
    {
        EnterEditMode(EDIT_PLAY);
        g_vectorMan = nullptr;
        ForgetEdits();
        ForgetPoseMode();
    }
    // The front arm's angle after playing frame 0's key for `seconds`, in passes of 10 ms.
    float ArmAfter(float seconds)
    {
        slots[HOLDING_SLOT].angle = 0.0f;
        man.playback[HOLDING_SLOT] = KeyPlayback();
        man.currentKeys[HOLDING_SLOT] = g_frames[0].keys[HOLDING_SLOT];
        for (int pass = 0; pass < std::lround(seconds * 100.0f); ++pass) man.StepAnimation(0.01f);
        return slots[HOLDING_SLOT].angle;
    }
    void Type(const std::string& text)
    {
        for (char c : text) PoseNameChar(c);
    }

    ScopedTempDir dir;
    ManPart slots[SLOTS] = {};
    VectorMan man = {};
};

TEST_F(PoseFrames, AnEasingBendsTheTurnKeepsItsTimeAndSavesAsOneLine)
{
    EXPECT_NEAR(ArmAfter(0.25f), 22.5f, 0.01f);
    CyclePoseKeyEase();
    ASSERT_EQ(g_frames[0].keys[HOLDING_SLOT]->ease, EASE_IN);
    EXPECT_NEAR(ArmAfter(0.25f), 90.0f * 0.25f * 0.25f * 0.25f, 0.01f);
    EXPECT_EQ(ArmAfter(1.02f), 90.0f) << "it ends when the linear key ends, where it ends";
    CyclePoseKeyEase();
    CyclePoseKeyEase();
    EXPECT_NEAR(ArmAfter(0.25f), 90.0f * (3.0f - 0.5f) / 16.0f, 0.01f) << "inout";
    CyclePoseKeyEase();
    EXPECT_EQ(ArmAfter(0.99f), 0.0f) << "a step holds the start";
    EXPECT_EQ(ArmAfter(1.02f), 90.0f);
    EXPECT_NE(PoseStatusText().find("| ease step"), std::string::npos);

    ASSERT_TRUE(SaveEdits());
    std::string saved = AnimFile();
    saved.insert(saved.find("key_rotspeed=90\n") + 16, "key_ease=step\n");
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), saved);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(UndoEdit());
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), AnimFile());

    // A name the reader does not know leaves the key linear and is said.
    AnimDocument read = ReadAnimText("numframes=1\nframe=0\nkey_part=0\nnumkeys=1\nkey=0\nkey_ease=sideways\n");
    ASSERT_NE(read.frames, nullptr);
    EXPECT_EQ(read.frames[0].keys[0]->ease, EASE_LINEAR);
    FreeFrames(read.frames, read.numFrames);
}

TEST_F(PoseFrames, ANewFrameIsACopyWithKeysOfItsOwnSavedAsABlockAtTheEndAndRenamedInPlace)
{
    g_poseFrame = 0;
    CopyPoseFrame();
    ASSERT_EQ(g_numFrames, 7);
    EXPECT_EQ(g_poseFrame, 6);
    EXPECT_EQ(MemoryFrameName(6), "copy of move 0");
    EXPECT_NE(g_frames[6].keys[HOLDING_SLOT]->id, g_frames[0].keys[HOLDING_SLOT]->id);
    BeginPoseRename();
    Type("wavX\be");
    EXPECT_NE(PoseStatusText().find("name: wave_"), std::string::npos);
    PoseNameChar('\r');
    EXPECT_FALSE(PoseRenaming());
    // A name dropped with Escape leaves the frame's.
    g_poseFrame = WALK_FRAME;
    BeginPoseRename();
    Type("stroll\x1b");
    EXPECT_EQ(MemoryFrameName(WALK_FRAME), "move 2");
    BeginPoseRename();
    Type("stroll\r");

    ASSERT_TRUE(SaveEdits());
    std::string saved = AnimFile();
    saved.replace(saved.find("numframes=6"), 11, "numframes=7");
    saved.replace(saved.find("// move 2"), 9, "// stroll");
    saved += "// wave\nframe=6\nframe_numparts=6\nkey_part=3\nnumkeys=1\nkey=0\nkey_destangle=90\nkey_rotspeed=90\n";
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), saved);
    EXPECT_FALSE(g_editsUnsaved);
    EXPECT_EQ(FrameName(6), "wave");

    // The game's frames stay; the new one goes, and the file is as it was but the name.
    g_poseFrame = KICK_FRAME;
    DeletePoseFrame();
    EXPECT_EQ(CurrentScreenMessage(), "frame 1 is the kick, which the game starts by number: not deleted");
    g_poseFrame = 6;
    DeletePoseFrame();
    EXPECT_EQ(g_numFrames, 6);
    ASSERT_TRUE(SaveEdits());
    std::string renamed = AnimFile();
    renamed.replace(renamed.find("// move 2"), 9, "// stroll");
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), renamed);

    // Every step undone, the file is as read.
    while (UndoEdit()) {
    }
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), AnimFile());
}

TEST_F(PoseFrames, APoseCopiedMirroredAndPastedGivesTheOtherLimbsItsAngles)
{
    g_poseFrame = WALK_FRAME;
    g_poseKey = 0;
    CopyPoseKeyPose();
    MirrorCopiedPose();
    g_poseKey = 1;
    PastePoseKeyPose();
    // The front leg has no second key: three of the four limbs take the pose.
    EXPECT_EQ(CurrentScreenMessage(), "pose pasted: 3 of 4 slots took it");
    // (A downward turn is written a turn higher, as the stepping counts it.)
    EXPECT_EQ(WrappedAngle(KeyAt(WALK_FRAME, BACK_ARM_SLOT, 1)->destAngle), 10.0f * HOLDING_SLOT);
    EXPECT_EQ(WrappedAngle(KeyAt(WALK_FRAME, HOLDING_SLOT, 1)->destAngle), 10.0f * BACK_ARM_SLOT);
    EXPECT_EQ(WrappedAngle(KeyAt(WALK_FRAME, BACK_LEG_SLOT, 1)->destAngle), 10.0f * FRONT_LEG_SLOT);
    // The way from the first key's end to the new one is the short way.
    EXPECT_GT(KeyAt(WALK_FRAME, BACK_ARM_SLOT, 1)->rotSpeed, 0.0f);
    EXPECT_LT(KeyAt(WALK_FRAME, HOLDING_SLOT, 1)->rotSpeed, 0.0f);
    ASSERT_TRUE(UndoEdit());
    EXPECT_EQ(KeyAt(WALK_FRAME, BACK_ARM_SLOT, 1)->destAngle, 0.0f) << "one step for the whole pose";
    EXPECT_EQ(KeyAt(WALK_FRAME, HOLDING_SLOT, 1)->destAngle, 0.0f);
}

}  // namespace
