#include <gtest/gtest.h>

#include "game/state.h"
#include "play_world.h"
#include "shell/window_keys.h"

namespace {

class WindowKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        man = StartFigureWorld();
    }
    // True when a quit message waits in the queue (and takes it).
    static bool QuitPosted()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_QUIT) return true;
        return false;
    }
    VectorMan* man = nullptr;
};

TEST_F(WindowKeys, F5FreezesAndFlipsTheCameraFollowEachTime)
{
    OnWindowKeyUp(VK_F5);
    EXPECT_EQ(g_editMode, 5);
    EXPECT_FALSE(g_cameraFollows);
    OnWindowKeyUp(VK_F5);
    EXPECT_EQ(g_editMode, 5);
    EXPECT_TRUE(g_cameraFollows);
    OnWindowKeyUp(VK_F2);
    EXPECT_EQ(g_editMode, 1);
    OnWindowKeyDown(VK_F1);
    EXPECT_EQ(g_editMode, 1) << "modes change on the release";
    OnWindowKeyUp(VK_F1);
    EXPECT_EQ(g_editMode, 0);
}

TEST_F(WindowKeys, OnlyLowerCaseQAndEscapeQuit)
{
    OnWindowChar('Q');
    EXPECT_FALSE(QuitPosted());
    OnWindowChar('q');
    EXPECT_TRUE(QuitPosted());
    OnWindowChar(27);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(WindowKeys, FrameKeysWaitForTheirGuardSlotButWAlwaysStarts)
{
    AnimKey* frame0 = GiveFrameKey(0, 0);
    AnimKey* frame1 = GiveFrameKey(1, 1);
    AnimKey* frame2 = GiveFrameKey(2, 2);
    AnimKey* busy = KeyList(1);

    man->currentKeys[5] = busy;
    OnWindowChar('k');
    EXPECT_EQ(man->currentKeys[1], nullptr);
    man->currentKeys[5] = nullptr;
    OnWindowChar('k');
    EXPECT_EQ(man->currentKeys[1], frame1);

    man->currentKeys[3] = busy;
    OnWindowChar('p');
    EXPECT_EQ(man->currentKeys[0], nullptr);
    man->currentKeys[3] = nullptr;
    OnWindowChar('p');
    EXPECT_EQ(man->currentKeys[0], frame0);

    OnWindowChar('w');
    man->currentKeys[2] = busy;
    OnWindowChar('w');
    EXPECT_EQ(man->currentKeys[2], frame2);
}

TEST_F(WindowKeys, UpAndDownNudgeOnlyInTheEditModes)
{
    OnWindowKeyDown(VK_UP);
    EXPECT_EQ(man->yVelocity, 0.0f);
    g_editMode = 1;
    OnWindowKeyDown(VK_UP);
    OnWindowKeyDown(VK_UP);
    OnWindowKeyDown(VK_DOWN);
    EXPECT_EQ(man->yVelocity, 1.0f);

    g_editMode = 2;
    man->parts[4].vecpartnum = 8;
    OnWindowKeyDown(VK_UP);
    EXPECT_EQ(g_parts[8].yoffset, 0.0f) << "no slot selected";
    g_selectedPart = 4;
    OnWindowKeyDown(VK_DOWN);
    EXPECT_FLOAT_EQ(g_parts[8].yoffset, -0.1f);
    EXPECT_EQ(man->yVelocity, 1.0f);
}

TEST_F(WindowKeys, CharactersTurnSlotsCameraAndDisplay)
{
    OnWindowChar(9);
    EXPECT_TRUE(g_showHitBoxes);
    OnWindowChar('+');
    OnWindowChar('=');
    OnWindowChar('-');
    EXPECT_EQ(g_cameraDistance, 795.0f);
    OnWindowChar('2');
    OnWindowChar('2');
    OnWindowChar('1');
    EXPECT_EQ(man->zAngularVelocity, 1.0f);
    OnWindowChar('`');
    EXPECT_EQ(man->zAngularVelocity, 0.0f);
    const char* keys = "asdfzxcv";
    for (int i = 0; i < 8; ++i) OnWindowChar(keys[i]);
    OnWindowChar('s');
    OnWindowChar('v');
    for (int slot = 2; slot <= 4; ++slot) EXPECT_EQ(man->parts[slot].angularVelocity, slot == 2 ? 1.0f : 0.0f);
    EXPECT_EQ(man->parts[5].angularVelocity, 1.0f);
}

TEST_F(WindowKeys, SpaceJumpsOncePerPress)
{
    g_onGround = 1;
    OnWindowKeyDown(VK_SPACE);
    OnWindowKeyDown(VK_SPACE);
    EXPECT_EQ(man->yVelocity, 800.0f) << "auto-repeat does not jump again";
    OnWindowKeyUp(VK_SPACE);
    EXPECT_FALSE(g_jumpKeyHeld);
    OnWindowKeyDown(VK_SPACE);
    EXPECT_EQ(man->yVelocity, 1600.0f);
}

}  // namespace
