// Authoring the animation in pose mode: the animator's round trips through the headless
// runner on the bundled data (split a key, turn, retime and give it an image, save, check,
// punch after a new start, undo; delete a key; the timeline and the looping playback),
// and the refusals on a small frame made for the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animation/key_pose.h"
#include "base/screen_message.h"
#include "data_files_support.h"
#include "editor/editor.h"
#include "editor/edits.h"
#include "editor/pose.h"
#include "figure/anim_file.h"
#include "figure/data_reader.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "bundled_data_run.h"
#include "support.h"

namespace {

const int FRONT_ARM = 3;

class PoseAuthoring : public BundledDataRun {
protected:
    // Presses at pass, one after another.
    static std::string Presses(int pass, const std::string& key, int times)
    {
        std::string lines;
        for (int i = 0; i < times; ++i)
            lines += std::to_string(pass + 2 * i) + " press " + key + "\n" + std::to_string(pass + 2 * i + 1) +
                     " release " + key + "\n";
        return lines;
    }
    static std::string Chars(int pass, const std::string& what, int times)
    {
        std::string lines;
        for (int i = 0; i < times; ++i) lines += std::to_string(pass + i) + " char " + what + "\n";
        return lines;
    }

};

// The front arm's list in the punch, as bundled.
const char PUNCH_ARM[] =
    "key_part=3\nnumkeys=4\nkey=0\nuse_startangle=1\nkey_startangle=0\nkey_destangle=-15\nkey_rotspeed=-200\n"
    "key=1\nkey_destangle=90\nkey_rotspeed=1000\npart_visible=7\nkey=2\nkey_destangle=93\nkey_rotspeed=30\n"
    "key=3\nkey_destangle=0\nkey_rotspeed=-400\npart_invisible=7\n";

TEST_F(PoseAuthoring, ASplitKeyTurnedRetimedAndGivenAnImageSavesOnlyItsLinesAndUndoesStepByStep)
{
    const std::string anim = ReadWholeFile("vecanim.dat");
    // F4 on the punch's first key, a click on the front arm hanging down, Insert, ten
    // degrees up, = twice, i once, Ctrl+S; then Ctrl+Z for every step and one more.
    std::string edit = "100 key down F4\n101 key up F4\n102 mouse move 251 182\n104 mouse down 0\n106 mouse up 0\n";
    edit += "107 dump start.json\n108 key down INSERT\n109 key up INSERT\n110 dump split.json\n";
    edit += Presses(112, "UP", 10) + Chars(140, "=", 2) + "142 char i\n143 char code 19\n144 dump saved.json\n";
    edit += "150 char code 26\n151 dump undo1.json\n" + Chars(152, "code 26", 2) + "154 dump undo3.json\n" +
            Chars(155, "code 26", 11) + "166 dump undo14.json\n167 char code 26\n168 dump none.json\n";
    ASSERT_EQ(Run(170, edit), 0) << ReadWholeFile("stderr.txt");

    // The split: the first half ends halfway (8 of the 15 degrees), the second where the
    // key ended, a turn higher as the stepping counts a downward turn; same speed, same time.
    const Json split = Dump("split.json");
    EXPECT_EQ(split.at("globals").at("g_selectedPart").get<double>(), FRONT_ARM);
    const Json& keys = split.at("frames").at(0).at("keys").at(FRONT_ARM);
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys.at(0).at("destAngle").get<double>(), -8);
    EXPECT_EQ(keys.at(1).at("destAngle").get<double>(), 705);
    EXPECT_EQ(keys.at(1).at("rotSpeed").get<double>(), -200);
    EXPECT_NE(split.at("globals").at("statusLine").get<std::string>().find("dest -8  speed -200  40 ms"), std::string::npos)
        << split.at("globals").at("statusLine").get<std::string>();

    const Json saved = Dump("saved.json");
    EXPECT_EQ(saved.at("globals").at("screenMessage").get<std::string>(), "vecanim.dat saved: 1 key added, 4 values written");
    EXPECT_FALSE(saved.at("globals").at("g_editsUnsaved").get<bool>());
    const std::string edited =
        "key_part=3\nnumkeys=5\nkey=0\nuse_startangle=1\nkey_startangle=0\nkey_destangle=2\nkey_rotspeed=247\n"
        "use_changepart=1\nchangepart=3,0\nkey=1\nkey_destangle=345\nkey_rotspeed=-200\n"
        "key=2\nkey_destangle=90\nkey_rotspeed=1000\npart_visible=7\nkey=3\nkey_destangle=93\nkey_rotspeed=30\n"
        "key=4\nkey_destangle=0\nkey_rotspeed=-400\npart_invisible=7\n";
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), Replaced(anim, PUNCH_ARM, edited));
    EXPECT_EQ(ReadWholeFile("vecanim.dat.bak"), anim);
    EXPECT_EQ(RunCommand("'" VANTREL_CHECK_PATH "' . >check.txt 2>&1"), 0) << ReadWholeFile("check.txt");

    // Undo takes back the image, then the speeds, the turns, the split itself; then nothing.
    EXPECT_FALSE(Dump("undo1.json").at("frames").at(0).at("keys").at(FRONT_ARM).at(0).at("useChangePart").get<bool>());
    EXPECT_EQ(Dump("undo3.json").at("frames").at(0).at("keys").at(FRONT_ARM).at(0).at("rotSpeed").get<double>(), 200);
    const Json undone = Dump("undo14.json");
    EXPECT_EQ(undone.at("frames").at(0).at("keys").at(FRONT_ARM).size(), 4u);
    EXPECT_EQ(undone.at("frames").at(0).at("keys").at(FRONT_ARM).at(0).at("destAngle").get<double>(), -15);
    EXPECT_EQ(Dump("none.json").at("globals").at("screenMessage").get<std::string>(), "Nothing to undo");

    // Started again, p punches through the new key: the arm takes image 0 when it ends,
    // the list reaches its fifth key and the punch is over well within a second.
    std::string punch = "10 char p\n";
    for (int pass = 11; pass <= 60; ++pass) punch += std::to_string(pass) + " dump punch" + std::to_string(pass) + ".json\n";
    ASSERT_EQ(Run(61, punch), 0) << ReadWholeFile("stderr.txt");
    bool reachedFifth = false;
    for (int pass = 11; pass <= 60; ++pass) {
        const Json dump = Dump("punch" + std::to_string(pass) + ".json");
        const Json& at = dump.at("figure").at("currentKeys").at(FRONT_ARM);
        if (!at.is_null() && at.at(2).get<double>() == 4) reachedFifth = true;
    }
    EXPECT_TRUE(reachedFifth);
    const Json after = Dump("punch60.json");
    EXPECT_TRUE(after.at("figure").at("currentKeys").at(FRONT_ARM).is_null());
    EXPECT_EQ(after.at("figure").at("parts").at(FRONT_ARM).at("vecpartnum").get<double>(), 0);
}

TEST_F(PoseAuthoring, ADeletedKeyTakesItsBlockAwayAndTheNextIsRetimedAndHidesTheArm)
{
    const std::string anim = ReadWholeFile("vecanim.dat");
    // The second key, the arm stretched out, clicked; Delete; the next key (now chosen)
    // a tenth longer; v hides the arm at its end; Ctrl+S.
    std::string edit = "100 key down F4\n101 key up F4\n102 char .\n";
    edit += "104 mouse move 277 163\n106 mouse down 0\n108 mouse up 0\n";
    edit += "110 key down DELETE\n111 key up DELETE\n112 char -\n113 char v\n114 dump edited.json\n";
    edit += "115 char code 19\n116 dump saved.json\n";
    ASSERT_EQ(Run(120, edit), 0) << ReadWholeFile("stderr.txt");
    const Json edited = Dump("edited.json");
    EXPECT_EQ(edited.at("globals").at("g_poseKey").get<double>(), 1);
    EXPECT_FALSE(edited.at("figure").at("parts").at(FRONT_ARM).at("visible").get<bool>()) << "the pose shows the key's end";
    EXPECT_EQ(Dump("saved.json").at("globals").at("screenMessage").get<std::string>(), "vecanim.dat saved: 1 key removed, 2 values written");
    const std::string after =
        "key_part=3\nnumkeys=3\nkey=0\nuse_startangle=1\nkey_startangle=0\nkey_destangle=-15\nkey_rotspeed=-200\n"
        "key=1\nkey_destangle=93\nkey_rotspeed=27\npart_invisible=3\n"
        "key=2\nkey_destangle=0\nkey_rotspeed=-400\npart_invisible=7\n";
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), Replaced(anim, PUNCH_ARM, after));
    EXPECT_EQ(RunCommand("'" VANTREL_CHECK_PATH "' . >check.txt 2>&1"), 0) << ReadWholeFile("check.txt");
}

TEST_F(PoseAuthoring, ASplitHandsTheKeysEndActionsToItsSecondHalf)
{
    const std::string anim = ReadWholeFile("vecanim.dat");
    // The strike (105 degrees up, showing the flash at its end) split: 53 degrees, then 52
    // to where it ended, the flash now shown by the second half.
    std::string edit = "100 key down F4\n101 key up F4\n102 char .\n";
    edit += "104 mouse move 277 163\n106 mouse down 0\n108 mouse up 0\n";
    edit += "110 key down INSERT\n111 key up INSERT\n112 char code 19\n113 dump saved.json\n";
    ASSERT_EQ(Run(115, edit), 0) << ReadWholeFile("stderr.txt");
    EXPECT_EQ(Dump("saved.json").at("globals").at("screenMessage").get<std::string>(), "vecanim.dat saved: 1 key added, 2 values written");
    const std::string after =
        "key_part=3\nnumkeys=5\nkey=0\nuse_startangle=1\nkey_startangle=0\nkey_destangle=-15\nkey_rotspeed=-200\n"
        "key=1\nkey_destangle=38\nkey_rotspeed=1000\nkey=2\nkey_destangle=90\nkey_rotspeed=1000\npart_visible=7\n"
        "key=3\nkey_destangle=93\nkey_rotspeed=30\nkey=4\nkey_destangle=0\nkey_rotspeed=-400\npart_invisible=7\n";
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), Replaced(anim, PUNCH_ARM, after));
}

TEST_F(PoseAuthoring, ATimelineClickChoosesTheKeyAndTheLoopPlaysAtHalfSpeedUntilStopped)
{
    // The front arm's second mark on the timeline (the punch's arm keys start at 0, 75,
    // 180 and 280 ms), then half speed and a loop; the play keys neither spin the figure
    // nor move the camera here.
    const std::string script =
        "100 key down F4\n101 key up F4\n102 mouse move 104 366\n104 mouse down 0\n106 mouse up 0\n"
        "108 dump chosen.json\n110 char 2\n111 char l\n112 dump looping.json\n"
        "200 dump later.json\n201 char l\n202 dump stopped.json\n203 char 1\n204 dump full.json\n";
    ASSERT_EQ(Run(205, script), 0) << ReadWholeFile("stderr.txt");
    const Json chosen = Dump("chosen.json").at("globals");
    EXPECT_EQ(chosen.at("g_selectedPart").get<double>(), FRONT_ARM);
    EXPECT_EQ(chosen.at("g_poseKey").get<double>(), 1);
    EXPECT_EQ(chosen.at("statusLine").get<std::string>(), "pose | frame 0 punch with the front arm | key 1 | slot 3 | dest 90  speed 1000  105 ms");
    // 88 passes of 16 ms at half speed are more than the whole punch (about half a second):
    // it has started again.
    const Json later = Dump("later.json");
    EXPECT_TRUE(later.at("globals").at("g_posePlaying").get<bool>());
    EXPECT_TRUE(later.at("globals").at("g_poseLooping").get<bool>());
    EXPECT_EQ(later.at("globals").at("g_posePlaybackRate").get<double>(), 0.5);
    EXPECT_EQ(later.at("figure").at("zAngularVelocity").get<double>(), 0);
    const Json stopped = Dump("stopped.json").at("globals");
    EXPECT_FALSE(stopped.at("g_posePlaying").get<bool>());
    EXPECT_FALSE(stopped.at("g_poseLooping").get<bool>());
    EXPECT_EQ(Dump("full.json").at("globals").at("g_posePlaybackRate").get<double>(), 1);
}

// A frame of two lists: slot 1 with two keys (the first moves it, the second loops and
// hides slot 0 five times over), slot 2 with one.
const char PARTS[] = "numparts=2\npart=0\ntexture=none.png\npart=1\ntexture=none.png\n";
const char ANIM[] =
    "numframes=1\nframe=0\nframe_numparts=3\n"
    "key_part=1\nnumkeys=2\nkey=0\nkey_destangle=90\nkey_rotspeed=1\nmove_ymax=4\nkey=1\nkey_destangle=0\nkey_rotspeed=-90\n"
    "loopkeys=1\npart_invisible=0,0,0,0,0\n"
    "key_part=2\nnumkeys=1\nkey=0\nkey_destangle=30\nkey_rotspeed=60\n";

class PoseKeyEdits : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        WriteWholeFile("vecparts.dat", PARTS);
        WriteWholeFile("vecanim.dat", ANIM);
        LoadVectorParts();
        LoadVectorAnim();
        for (ManPart& s : slots) s.visible = 1;
        man.numparts = 3;
        man.parts = slots;
        man.maxKeys = 3;
        g_vectorMan = &man;
        EnterEditMode(EDIT_POSE);
    }
    void TearDown() override
    {
        EnterEditMode(EDIT_PLAY);
        g_vectorMan = nullptr;
        ForgetEdits();
        ForgetPoseMode();
    }
    ScopedTempDir dir;
    ManPart slots[3] = {};
    VectorMan man = {};
};

TEST_F(PoseKeyEdits, RefusalsLeaveTheKeysAsTheyWere)
{
    // The only key of slot 2's list stays.
    g_selectedPart = 2;
    DeletePoseKey();
    EXPECT_EQ(KeyCount(KeyAt(0, 2, 0)), 1);
    EXPECT_EQ(CurrentScreenMessage(), "The only key of a list cannot be deleted");

    // Slot 1's first key moves the slot: it stays.
    g_selectedPart = 1;
    DeletePoseKey();
    EXPECT_EQ(KeyCount(KeyAt(0, 1, 0)), 2);
    EXPECT_EQ(CurrentScreenMessage(), "The first key moves the part: it cannot be deleted");

    // A speed of 1 is as slow as a key gets; faster goes up a whole degree at least.
    RetimePoseKey(1);
    EXPECT_EQ(KeyAt(0, 1, 0)->rotSpeed, 1.0f);
    EXPECT_EQ(CurrentScreenMessage(), "The key is as slow as the file can hold");
    RetimePoseKey(-1);
    EXPECT_EQ(KeyAt(0, 1, 0)->rotSpeed, 2.0f);

    // The second key's hide list is full: a sixth slot is refused.
    g_poseKey = 1;
    TogglePoseKeyVisibility();
    EXPECT_EQ(KeyAt(0, 1, 1)->invisibleParts[4], 0);
    EXPECT_EQ(CurrentScreenMessage(), "part_invisible holds 5 slots already");
}

TEST_F(PoseKeyEdits, SplittingKeepsTheTimeAndTheLoopAndDeletingPutsTheLoopBack)
{
    g_selectedPart = 1;
    g_poseKey = 1;
    const float before = KeyStartSeconds(0, 1, 2);
    InsertPoseKey();
    ASSERT_EQ(KeyCount(KeyAt(0, 1, 0)), 3);
    EXPECT_FLOAT_EQ(KeyStartSeconds(0, 1, 3), before);
    EXPECT_FALSE(KeyAt(0, 1, 1)->loopKeys);
    EXPECT_TRUE(KeyAt(0, 1, 2)->loopKeys);
    EXPECT_TRUE(KeyAt(0, 1, 2)->hasInvisibleList);
    // The second half goes: the first half keeps the list looping.
    g_poseKey = 2;
    DeletePoseKey();
    EXPECT_TRUE(KeyAt(0, 1, 1)->loopKeys);
    EXPECT_EQ(g_poseKey, 1);
    UndoEdit();
    UndoEdit();
    EXPECT_EQ(KeyCount(KeyAt(0, 1, 0)), 2);
    EXPECT_TRUE(KeyAt(0, 1, 1)->loopKeys);
    EXPECT_EQ(KeyAt(0, 1, 1)->destAngle, 0.0f);
}

TEST_F(PoseKeyEdits, TheImageCyclesThroughEveryPartAndBackToNoneAndLeavesAnotherSlotsChange)
{
    g_selectedPart = 2;
    std::vector<int> images;
    for (int press = 0; press < 3; ++press) {
        CyclePoseKeyImage();
        const AnimKey* k = KeyAt(0, 2, 0);
        images.push_back(k->useChangePart ? k->changePartVecPart : -1);
        EXPECT_TRUE(!k->useChangePart || k->changePartSlot == 2);
    }
    EXPECT_EQ(images, (std::vector<int>{0, 1, -1}));
    EXPECT_FALSE(g_editsUnsaved);

    // Slot 1's second key gives slot 0 an image: slot 1 does not take it over.
    AnimKey* other = KeyAt(0, 1, 1);
    other->useChangePart = 1;
    other->changePartSlot = 0;
    g_selectedPart = 1;
    g_poseKey = 1;
    CyclePoseKeyImage();
    EXPECT_EQ(other->changePartSlot, 0);
    EXPECT_EQ(CurrentScreenMessage(), "The key changes the image of slot 0");
}

}  // namespace
