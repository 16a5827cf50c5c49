#include <gtest/gtest.h>
#include <dinput.h>

#include "game/actions.h"
#include "game/frame.h"
#include "game/state.h"
#include "input/key_table.h"
#include "play_world.h"
#include "shell/window_keys.h"

namespace {

const int FLOOR_IMAGE = 9;
const int BLOCK_IMAGE = 10;
const int SLOT_IMAGE = 11;

// A floor piece 100 x 40 whose world box is x 270..370, y 560..600 (cell column 0, row 1).
class FrameWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartPlayWorld();
        MakeParts(13);
        SetPartSize(FLOOR_IMAGE, 100, 40);
        SetPartSize(BLOCK_IMAGE, 40, 40);
        SetPartSize(SLOT_IMAGE, 60, 60);
        man = MakeFigure(8, 10.0f, 20.0f);
        MakeFrames();
        MakeLevel();
    }
    ManPart* AddFloor() { return AddPiece(0, 1, 320.0f, 100.0f, FLOOR_IMAGE); }
    VectorMan* man = nullptr;
};

TEST_F(FrameWorld, FallingAcceleratesUntilTheSpeedLimitAndStopsAtTheGroundLine)
{
    man->x = 320.0f;
    man->y = 1000.0f;
    RunFrame(100);
    EXPECT_FLOAT_EQ(man->y, 1000.0f) << "the velocity of the frame start moves the figure";
    EXPECT_FLOAT_EQ(man->yVelocity, -200.0f);
    RunFrame(100);
    EXPECT_FLOAT_EQ(man->y, 980.0f);
    EXPECT_FLOAT_EQ(man->yVelocity, -400.0f);
    for (int i = 0; i < 4; ++i) {
        RunFrame(1000);
        EXPECT_GE(man->yVelocity, -2000.0f);
    }
    EXPECT_EQ(man->yVelocity, -2000.0f);
    EXPECT_EQ(man->y, 0.0f);
    EXPECT_FALSE(g_onGround) << "the ground line carries the figure but is not a piece";
    Jump();
    EXPECT_EQ(man->yVelocity, -2000.0f);
    EXPECT_FALSE(g_jumping);
}

TEST_F(FrameWorld, FallingFigureLandsExactlyOnThePieceTopAndStays)
{
    AddFloor();
    man->x = 320.0f;
    man->y = 650.0f;
    for (int i = 0; i < 20 && !g_onGround; ++i) RunFrame(100);
    ASSERT_TRUE(g_onGround);
    EXPECT_EQ(man->y - 20.0f, 600.0f);
    EXPECT_EQ(man->yVelocity, 0.0f);
    for (int i = 0; i < 5; ++i) {
        RunFrame(16);
        EXPECT_EQ(man->y, 620.0f);
        EXPECT_EQ(man->yVelocity, 0.0f) << "resting on the edge counts as landing every frame";
        EXPECT_TRUE(g_onGround);
    }
}

TEST_F(FrameWorld, JumpingIntoAPieceFromBelowBouncesDown)
{
    AddFloor();
    man->x = 320.0f;
    man->y = 500.0f;
    man->yVelocity = 1000.0f;
    RunFrame(100);
    EXPECT_FLOAT_EQ(man->y, 540.0f) << "the box top rests on the piece bottom";
    EXPECT_FLOAT_EQ(man->yVelocity, -800.0f);
    EXPECT_FALSE(g_onGround);
}

TEST_F(FrameWorld, WalkingIntoAPieceStopsOneUnitFromEitherSide)
{
    AddFloor();
    man->x = 200.0f;
    man->y = 580.0f;
    man->xVelocity = 1000.0f;
    RunFrame(100);
    EXPECT_FLOAT_EQ(man->x + 10.0f, 269.0f);

    man->x = 440.0f;
    man->y = 580.0f;
    man->yVelocity = 0.0f;
    man->xVelocity = -1000.0f;
    RunFrame(100);
    EXPECT_FLOAT_EQ(man->x - 10.0f, 371.0f);
}

TEST_F(FrameWorld, DeepOverlapPushesOutByFacing)
{
    AddFloor();
    const float angles[] = {0.0f, 180.0f, 90.0f};
    const float expected[] = {259.0f, 381.0f, 320.0f};
    for (int i = 0; i < 3; ++i) {
        man->x = 320.0f;
        man->y = 580.0f;
        man->xVelocity = man->yVelocity = 0.0f;
        man->yAngle = angles[i];
        RunFrame(0);
        EXPECT_FLOAT_EQ(man->x, expected[i]) << "facing " << angles[i];
    }
}

TEST_F(FrameWorld, TrackedSlotPushesPiecesOnlyWhileTheHeldItemMoves)
{
    ManPart* block = AddPiece(0, 1, 500.0f, 100.0f, BLOCK_IMAGE, true, true, true);
    ManPart* fixed = AddPiece(0, 1, 500.0f, 100.0f, BLOCK_IMAGE, true, false, false);
    man->x = 100.0f;
    man->y = 1000.0f;
    ManPart& slot = man->parts[2];
    slot.tracked = 1;
    slot.vecpartnum = SLOT_IMAGE;  // strike half-size 60 / 2 - 10 = 20
    slot.worldX = 470.0f;
    slot.worldY = 580.0f;

    RunFrame(0);
    EXPECT_EQ(block->x, 500.0f) << "the held item is at rest";

    man->parts[6].yVelocity = -500.0f;
    RunFrame(0);
    EXPECT_EQ(block->x, 510.0f) << "pushed away from a slot on its left";
    EXPECT_EQ(fixed->x, 500.0f) << "neither movable nor pushable";

    slot.worldX = 540.0f;
    man->parts[6].yVelocity = -500.0f;
    RunFrame(0);
    EXPECT_EQ(block->x, 500.0f) << "pushed away from a slot on its right";
}

TEST_F(FrameWorld, AirWalkStopsOnTouchdownButALandingFromAJumpWalksOn)
{
    AddFloor();
    AnimKey* walkKey = GiveFrameKey(2, 0);
    man->x = 320.0f;
    man->y = 621.0f;
    man->yVelocity = -100.0f;
    StartWalk(WALK_RIGHT);
    EXPECT_EQ(g_moveDir, 2);
    EXPECT_EQ(man->xVelocity, 200.0f);
    RunFrame(100);
    ASSERT_TRUE(g_onGround);
    EXPECT_EQ(man->xVelocity, 0.0f);
    EXPECT_EQ(g_moveDir, 2);

    man->y = 621.0f;
    man->yVelocity = -100.0f;
    man->xVelocity = 200.0f;
    g_jumping = 1;
    RunFrame(100);
    EXPECT_FALSE(g_jumping);
    EXPECT_EQ(g_moveDir, 1);
    EXPECT_EQ(man->xVelocity, 500.0f);
    EXPECT_EQ(man->currentKeys[0], walkKey) << "the walk animation starts again";
}

TEST_F(FrameWorld, EditModesMoveFreelyWithoutGravityOrCollisions)
{
    AddFloor();
    for (int mode : {1, 2, 5}) {
        g_editMode = mode;
        g_onGround = 1;
        man->x = 320.0f;
        man->y = 700.0f;
        man->yVelocity = -200.0f;
        RunFrame(1000);
        EXPECT_EQ(man->y, 500.0f) << "mode " << mode << " passes through the piece";
        EXPECT_EQ(man->yVelocity, -200.0f);
        EXPECT_TRUE(g_onGround);
    }
}

TEST_F(FrameWorld, TimingUsesTheTickDifferenceAcrossAWrapAndAllowsLongSteps)
{
    StartPlayWorld(10);
    man = MakeFigure();
    g_editMode = 1;
    man->xVelocity = 1000.0f;
    RunFrame(16);
    EXPECT_FLOAT_EQ(man->x, 16.0f);
    EXPECT_EQ(g_lastTick, 10u);
    RunFrame(0);
    EXPECT_FLOAT_EQ(man->x, 16.0f);
    RunFrame(3000);
    EXPECT_FLOAT_EQ(man->x, 3016.0f);
}

TEST_F(FrameWorld, PickingUsesTheGameCursor)
{
    PlatformInput().cursorX = 5;
    PlatformInput().cursorY = 6;
    g_mouseX = 100;
    g_mouseY = 200;
    RunFrame(16);
    EXPECT_EQ(g_cursorPos.x, 100);
    EXPECT_EQ(g_cursorPos.y, 200);
}

TEST(BoxesOverlap, TouchingEdgesOverlap)
{
    const Box a = {0, 10, 10, 0};
    EXPECT_TRUE(BoxesOverlap(a, {10, 20, 10, 0}));
    EXPECT_TRUE(BoxesOverlap(a, {0, 10, 20, 10}));
    EXPECT_FALSE(BoxesOverlap(a, {10.5f, 20, 10, 0}));
    EXPECT_FALSE(BoxesOverlap(a, {0, 10, -1, -5}));
}

// Data that lacks frames, slots, parts and sane key lists must leave the game running.
TEST(MissingData, ActionsAndFramesDoNothingInsteadOfCrashing)
{
    StartPlayWorld();
    VectorMan* man = MakeFigure(3);
    MakeLevel();
    AddPiece(0, 1, 320.0f, 100.0f, FLOOR_IMAGE, true, true, true);
    man->x = 320.0f;
    man->y = 600.0f;
    man->parts[0].tracked = 1;
    man->maxKeys = MAXKEYS;

    RunFrame(16);
    RunFrame(16);
    EXPECT_TRUE(g_onGround) << "a piece without an image still carries the figure";
    Jump();
    EXPECT_TRUE(g_jumping);
    EXPECT_FLOAT_EQ(man->yVelocity, 800.0f);
    StartWalk(WALK_LEFT);
    StopWalk(WALK_LEFT);
    StartWalk(WALK_RIGHT);
    ToggleHeldItem();
    BeginThrust();
    ReleaseThrust(1.0f);
    ResetFigure();
    for (int c = 0; c < 128; ++c)
        if (c != 'q' && c != 27) OnWindowChar(c);
    g_selectedPart = 2;
    g_editMode = 2;
    RunKeyCommand(DEVICE_KEY_DOWN, DIK_RIGHT);
    OnWindowKeyDown(VK_UP);
    g_editMode = 0;

    AnimKey* key = KeyList(1);
    key->rotSpeed = 1000.0f;
    key->destAngle = 10.0f;
    key->useChangePart = 1;
    key->changePartSlot = 7;
    key->changePartVecPart = 99;
    key->hasVisibleList = key->hasInvisibleList = 1;
    for (int e = 0; e < MAX_PART_LIST; ++e) key->visibleParts[e] = key->invisibleParts[e] = 40 + e;
    man->currentKeys[0] = key;
    man->parts[0].angle = 5.0f;
    for (int i = 0; i < 5; ++i) RunFrame(16);
    EXPECT_EQ(man->currentKeys[0], nullptr) << "the key ended";
    EXPECT_EQ(man->parts[0].angle, 10.0f);
}

}  // namespace
