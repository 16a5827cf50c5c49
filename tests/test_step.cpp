#include <gtest/gtest.h>

#include <stand_in.h>

#include <vector>

#include "animation/step.h"
#include "figure/roles.h"
#include "game/actions.h"
#include "game/state.h"
#include "graphics/scene_resources.h"
#include "memory/memory_device.h"
#include "support.h"
#include "play_world.h"

namespace {

TEST(AngleToTurn, UpwardTurnsWrapOnceDownwardTurnsGoTheLongWay)
{
    EXPECT_FLOAT_EQ(AngleToTurn(350.0f, 10.0f, 5.0f), 20.0f);
    EXPECT_FLOAT_EQ(AngleToTurn(10.0f, 10.0f, 5.0f), 0.0f);
    EXPECT_FLOAT_EQ(AngleToTurn(90.0f, 45.0f, -5.0f), 405.0f);
    EXPECT_FLOAT_EQ(AngleToTurn(45.0f, 90.0f, -5.0f), 315.0f);
    EXPECT_FLOAT_EQ(AngleToTurn(90.0f, 0.0f, -5.0f), 90.0f);
    EXPECT_FLOAT_EQ(AngleToTurn(30.0f, 30.0f, -5.0f), 360.0f);
    EXPECT_FLOAT_EQ(AngleToTurn(30.0f, 30.0f, 0.0f), 360.0f) << "zero speed counts as downward";
}

class Step : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartPlayWorld();
        MakeParts(13);
        man = MakeFigure(8);
        key = KeyList(1);
        man->currentKeys[0] = key;
    }
    ManPart& slot() { return man->parts[0]; }
    VectorMan* man = nullptr;
    AnimKey* key = nullptr;
};

TEST_F(Step, UpwardKeyThroughZeroEndsExactlyOnItsDestination)
{
    slot().angle = 350.0f;
    key->destAngle = 10.0f;
    key->rotSpeed = 100.0f;
    man->StepAnimation(0.1f);
    EXPECT_FLOAT_EQ(slot().angle, 0.0f) << "360 wraps to 0";
    EXPECT_EQ(man->currentKeys[0], key);
    man->StepAnimation(0.15f);
    EXPECT_EQ(slot().angle, 10.0f) << "the overshoot is dropped";
    EXPECT_EQ(man->currentKeys[0], nullptr);
    EXPECT_EQ(man->playback[0].turned, 0.0f);
}

TEST_F(Step, DownwardKeyFrom90To45TurnsAFullCircleAndMore)
{
    slot().angle = 90.0f;
    key->destAngle = 45.0f;
    key->rotSpeed = -45.0f;
    int passes = 0;
    bool passed45 = false;
    while (man->currentKeys[0] && passes < 100) {
        man->StepAnimation(1.0f);
        ++passes;
        if (man->currentKeys[0] && slot().angle == 45.0f) passed45 = true;
    }
    EXPECT_EQ(passes, 10) << "405 degrees at 45 a second";
    EXPECT_TRUE(passed45);
    EXPECT_EQ(slot().angle, 45.0f);
}

TEST_F(Step, ZeroSpeedKeyReappliesItsStartForever)
{
    key->useStartAngle = 1;
    key->startAngle = 20.0f;
    key->destAngle = 30.0f;
    for (int i = 0; i < 50; ++i) {
        slot().angle = 99.0f;
        man->StepAnimation(0.5f);
        ASSERT_EQ(man->currentKeys[0], key);
        EXPECT_EQ(slot().angle, 20.0f);
    }
}

TEST_F(Step, EndedAnglesAreWrappedIntoOneTurn)
{
    const float destinations[] = {360.0f, -30.0f};
    const float expected[] = {0.0f, 330.0f};
    for (int i = 0; i < 2; ++i) {
        slot().angle = 10.0f;
        man->playback[0].turned = 0.0f;
        key->destAngle = destinations[i];
        key->rotSpeed = 1000.0f;
        man->currentKeys[0] = key;
        while (man->currentKeys[0]) man->StepAnimation(1.0f);
        EXPECT_EQ(slot().angle, expected[i]);
    }
}

TEST_F(Step, ListsWalkOnLoopAndApplyTheirEndActions)
{
    AnimKey* list = KeyList(2);
    man->currentKeys[0] = list;
    list[0].destAngle = 10.0f;
    list[0].rotSpeed = 1000.0f;
    list[0].useChangePart = 1;
    list[0].changePartSlot = 4;
    list[0].changePartVecPart = 12;
    list[0].hasVisibleList = list[0].hasInvisibleList = 1;
    const int shown[MAX_PART_LIST] = {5, 6, -1, -1, 9};
    const int hidden[MAX_PART_LIST] = {-1, 6, 2, -1, -1};
    for (int e = 0; e < MAX_PART_LIST; ++e) {
        list[0].visibleParts[e] = shown[e];
        list[0].invisibleParts[e] = hidden[e];
    }
    man->parts[5].visible = man->parts[6].visible = 0;
    list[1].destAngle = 20.0f;
    list[1].rotSpeed = 1000.0f;
    list[1].loopKeys = 1;

    man->StepAnimation(1.0f);
    EXPECT_EQ(man->currentKeys[0], &list[1]) << "the next key waits for the next pass";
    EXPECT_EQ(slot().angle, 10.0f);
    EXPECT_EQ(man->parts[4].vecpartnum, 12);
    EXPECT_TRUE(man->parts[5].visible);
    EXPECT_FALSE(man->parts[6].visible) << "named in both lists";
    EXPECT_FALSE(man->parts[2].visible);
    man->StepAnimation(1.0f);
    EXPECT_EQ(man->currentKeys[0], &list[0]) << "the last key loops";
}

TEST_F(Step, KeylessSlotsTurnFreelyAndMoveWithinTheirBounds)
{
    man->currentKeys[0] = nullptr;
    ManPart& s = slot();
    s.angularVelocity = -20.0f;
    s.angle = 5.0f;
    s.yMax = 10.0f;
    s.yMin = -10.0f;
    s.yVelocity = 30.0f;
    man->StepAnimation(0.5f);
    EXPECT_EQ(s.angle, 355.0f);
    EXPECT_EQ(s.y, 10.0f);
    EXPECT_EQ(s.yVelocity, 0.0f) << "stops at the top without bounce";

    s.y = 0.0f;
    s.yVelocity = 30.0f;
    s.yBounce = 1;
    man->StepAnimation(0.5f);
    EXPECT_EQ(s.yVelocity, -30.0f);

    s.y = 0.0f;
    s.yVelocity = -30.0f;
    s.yBounce = 0;
    man->StepAnimation(0.5f);
    EXPECT_EQ(s.y, -10.0f);
    EXPECT_EQ(s.yVelocity, 30.0f) << "the bottom always bounces";

    man->parts[1].y = 4.0f;
    man->StepAnimation(0.5f);
    EXPECT_EQ(man->parts[1].y, 0.0f) << "no bounds given holds the slot at 0";
}

}  // namespace

// The keys as read are what the editor saves: a whole punch, started and stepped the way
// the game does, must leave every byte of them as it was.
TEST(Playback, AWholePunchLeavesTheLoadedKeysAsRead)
{
    ScopedTempDir dir;
    CopyDirectoryFiles(VANTREL_DATA_DIR);
    StartOnMemoryDevice();
    ASSERT_TRUE(CreateMemoryDevice(640, 480, &g_d3d, &g_device));
    InitSceneResources();
    AnimFrame* punch = FrameAt(PUNCH_FRAME);
    ASSERT_NE(punch, nullptr);
    auto bytes = [&] {
        std::vector<unsigned char> all;
        for (const AnimKey* list : punch->keys) {
            const unsigned char* b = reinterpret_cast<const unsigned char*>(list);
            if (list) all.insert(all.end(), b, b + KeyCount(list) * sizeof(AnimKey));
        }
        return all;
    };
    const std::vector<unsigned char> asRead = bytes();
    ASSERT_FALSE(asRead.empty());

    ASSERT_EQ(AddFrames(g_vectorMan, punch), S_OK);
    int passes = 0;
    auto running = [] {
        for (const AnimKey* k : g_vectorMan->currentKeys)
            if (k) return true;
        return false;
    };
    for (; running() && passes < 1000; ++passes) g_vectorMan->StepAnimation(0.016f);
    EXPECT_GT(passes, 10) << "the punch ran";
    EXPECT_FALSE(running()) << "the punch ended";
    EXPECT_EQ(bytes(), asRead);
}
