#include <gtest/gtest.h>

#include "game/actions.h"
#include "game/state.h"
#include "play_world.h"
#include "support.h"

namespace {

class Actions : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartPlayWorld();
        MakeParts(13);
        man = MakeFigure(8, 10.0f, 20.0f, 5.0f);
        MakeFrames();
    }
    VectorMan* man = nullptr;
    ScopedTempDir dir;
};

TEST_F(Actions, JumpNeedsGroundAndASpaceRelease)
{
    AnimKey* jumpKey = GiveFrameKey(3, 1);
    man->parts[2].angle = 45.0f;

    Jump();
    EXPECT_TRUE(g_jumpKeyHeld);
    EXPECT_FALSE(g_jumping) << "in the air";
    EXPECT_EQ(man->yVelocity, 0.0f);

    g_onGround = 1;
    Jump();
    EXPECT_FALSE(g_jumping) << "Space still held from before";

    g_jumpKeyHeld = 0;
    Jump();
    EXPECT_TRUE(g_jumping);
    EXPECT_EQ(man->yVelocity, 800.0f);
    EXPECT_EQ(man->currentKeys[1], jumpKey);
    EXPECT_EQ(man->parts[2].angle, 0.0f) << "the animation was stopped first";
}

TEST_F(Actions, WalkStartsMirrorBoxesAndChooseSpeedAndFrameByGround)
{
    AnimKey* walkKey = GiveFrameKey(2, 0);
    AnimKey* jumpKey = GiveFrameKey(3, 1);

    StartWalk(WALK_RIGHT);
    EXPECT_EQ(g_moveDir, 2);
    EXPECT_EQ(man->xVelocity, 200.0f);
    EXPECT_EQ(man->currentKeys[1], nullptr) << "a right walk in the air starts no frame";
    EXPECT_EQ(man->hitBoxes[0].centerX, 5.0f);

    StartWalk(WALK_LEFT);
    EXPECT_EQ(g_moveDir, -2);
    EXPECT_EQ(man->xVelocity, -200.0f);
    EXPECT_EQ(man->yAngle, 180.0f);
    EXPECT_EQ(man->currentKeys[1], jumpKey);
    EXPECT_EQ(man->hitBoxes[0].centerX, -5.0f);

    g_onGround = 1;
    StartWalk(WALK_LEFT);
    EXPECT_EQ(g_moveDir, -1);
    EXPECT_EQ(man->xVelocity, -500.0f);
    EXPECT_EQ(man->currentKeys[0], walkKey);
    EXPECT_EQ(man->hitBoxes[0].centerX, -5.0f) << "already facing left";

    man->xVelocity = -123.0f;
    StartWalk(WALK_LEFT);
    EXPECT_EQ(man->xVelocity, -123.0f) << "already walking left";

    StartWalk(WALK_RIGHT);
    EXPECT_EQ(g_moveDir, 1);
    EXPECT_EQ(man->hitBoxes[0].centerX, 5.0f);
    StopWalk(WALK_LEFT);
    EXPECT_EQ(g_moveDir, 1) << "releasing the other arrow does nothing";
    man->parts[1].y = 3.0f;
    man->parts[1].yVelocity = 7.0f;
    StopWalk(WALK_RIGHT);
    EXPECT_EQ(g_moveDir, 0);
    EXPECT_EQ(man->xVelocity, 0.0f);
    EXPECT_EQ(man->parts[1].y, 0.0f);
    EXPECT_EQ(man->currentKeys[0], nullptr);
}

TEST_F(Actions, WalkInOtherModesOnlyMirrors)
{
    g_onGround = 1;
    g_editMode = 1;
    StartWalk(WALK_LEFT);
    EXPECT_EQ(g_moveDir, 0);
    EXPECT_EQ(man->hitBoxes[0].centerX, -5.0f);
    EXPECT_EQ(man->yAngle, 0.0f);
}

TEST_F(Actions, ThrustVelocityGrowsWithHeldTimeUpToTheLimit)
{
    man->parts[3].vecpartnum = 6;
    const float held[] = {1.0f, 2.0f, 3.0f};
    const float expected[] = {-1250.0f, -2000.0f, -2000.0f};
    for (int i = 0; i < 3; ++i) {
        man->parts[6].yVelocity = 0.0f;
        BeginThrust();
        EXPECT_TRUE(g_charging);
        ReleaseThrust(held[i]);
        EXPECT_FALSE(g_leftButtonDown);
        EXPECT_FALSE(g_charging);
        EXPECT_EQ(man->parts[6].yVelocity, expected[i]) << held[i] << " s";
        EXPECT_EQ(man->parts[6].yMin, -50.0f);
        EXPECT_EQ(man->parts[6].yMax, 0.0f);
    }

    BeginThrust();
    EXPECT_FALSE(g_charging) << "the item is still moving";
    ReleaseThrust(1.0f);
    EXPECT_EQ(man->parts[6].yVelocity, -2000.0f);

    man->parts[3].vecpartnum = 3;
    man->parts[6].yVelocity = 0.0f;
    BeginThrust();
    EXPECT_TRUE(g_leftButtonDown);
    ReleaseThrust(1.0f);
    EXPECT_FALSE(g_leftButtonDown);
    EXPECT_EQ(man->parts[6].yVelocity, 0.0f) << "no item in the hand";
}

TEST_F(Actions, HeldItemTogglesByTheHoldingSlotsImage)
{
    AnimKey* take = GiveFrameKey(4, 3);
    AnimKey* putAway = GiveFrameKey(5, 3);
    man->parts[3].vecpartnum = 3;
    man->parts[3].angularVelocity = 4.0f;
    ToggleHeldItem();
    EXPECT_EQ(man->currentKeys[3], take);
    EXPECT_TRUE(man->parts[6].tracked);
    EXPECT_EQ(man->parts[3].angularVelocity, 0.0f);
    man->parts[3].vecpartnum = 6;
    ToggleHeldItem();
    EXPECT_EQ(man->currentKeys[3], putAway);
    EXPECT_FALSE(man->parts[6].tracked);
}

TEST_F(Actions, ResetWhileFacingLeftFacesRightWithBoxesMirroredBack)
{
    g_onGround = 1;
    StartWalk(WALK_LEFT);
    man->parts[2].angle = 30.0f;
    man->parts[5].angularVelocity = 3.0f;
    man->zAngle = 12.0f;
    ResetFigure();
    EXPECT_EQ(man->x, 320.0f);
    EXPECT_EQ(man->y, 640.0f);
    EXPECT_EQ(man->yAngle, 0.0f);
    EXPECT_EQ(man->xVelocity, 0.0f);
    EXPECT_EQ(man->zAngle, 0.0f);
    EXPECT_EQ(man->hitBoxes[0].centerX, 5.0f);
    EXPECT_EQ(man->parts[2].angle, 0.0f);
    EXPECT_EQ(man->parts[5].angularVelocity, 0.0f);
    EXPECT_EQ(g_moveDir, -1) << "the walk state is kept";
}

TEST_F(Actions, AddFramesRefusesAMismatchAndKeepsSlotsWithoutAList)
{
    AnimKey* kept = KeyList(1);
    man->currentKeys[0] = kept;
    AnimKey* key = GiveFrameKey(1, 2);
    man->playback[2].turned = 33.0f;
    key->moveY = 1;
    key->yMin = -5.0f;
    key->yMax = 6.0f;
    key->yVel = 7.0f;
    key->yLoop = 1;

    g_frames[1].numparts = 5;
    EXPECT_EQ(AddFrames(man, &g_frames[1]), E_FAIL);
    EXPECT_EQ(man->currentKeys[2], nullptr);
    EXPECT_EQ(ReadWholeFile("log.log"), "MAXKEYS doesn't match during AddFrames\n");

    g_frames[1].numparts = MAXKEYS;
    EXPECT_EQ(AddFrames(man, &g_frames[1]), S_OK);
    EXPECT_EQ(man->currentKeys[0], kept);
    EXPECT_EQ(man->currentKeys[2], key);
    EXPECT_EQ(man->playback[2].turned, 0.0f);
    EXPECT_EQ(man->parts[2].yMin, -5.0f);
    EXPECT_EQ(man->parts[2].yMax, 6.0f);
    EXPECT_EQ(man->parts[2].yVelocity, 7.0f);
    EXPECT_TRUE(man->parts[2].yBounce);

    EXPECT_EQ(AddFrames(man, &g_frames[0]), S_OK) << "all lists empty";
    EXPECT_EQ(man->currentKeys[2], key);
}

}  // namespace
