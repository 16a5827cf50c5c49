#include <gtest/gtest.h>

#include <dinput.h>

#include "game/actions.h"
#include "game/state.h"
#include "input/key_state.h"
#include "input/input_devices.h"
#include "input/key_table.h"
#include "play_world.h"
#include "support.h"

namespace {

class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        man = StartFigureWorld();
        ASSERT_EQ(InitDirectInput(nullptr, nullptr), 0);
    }
    void TearDown() override
    {
        for (LPDIRECTINPUTDEVICE8 device : {g_keyboard, g_mouse}) {
            if (!device) continue;
            device->Unacquire();
            device->Release();
        }
        if (g_directInput) g_directInput->Release();
    }
    void Key(unsigned char code, bool down) { PlatformInput().keys[code] = down ? 0x80 : 0; }
    void Move(int dx, int dy, int wheel = 0)
    {
        PlatformInput().mouseDX += dx;
        PlatformInput().mouseDY += dy;
        PlatformInput().mouseWheel += wheel;
    }
    VectorMan* man = nullptr;
    ScopedTempDir dir;
};

TEST_F(Input, PageDownLogsOnceAtPressAndOnceAtRelease)
{
    ASSERT_EQ(ReadWholeFile("log.log"), "DirectInput initialized\n");
    Key(DIK_NEXT, true);
    PollInput(0.016f);
    PollInput(0.016f);
    Key(DIK_NEXT, false);
    PollInput(0.016f);
    EXPECT_EQ(ReadWholeFile("log.log"), "DirectInput initialized\nPAGEDOWN DOWN\nPAGEDOWN UP\n");
    EXPECT_EQ(man->xVelocity, 0.0f);
}

TEST_F(Input, KeyStatesTrackChangesAndHeldTime)
{
    Key(DIK_NEXT, true);
    PollInput(0.5f);
    const KeyState& s = g_keyStates[DIK_NEXT];
    EXPECT_TRUE(s.changed);
    EXPECT_TRUE(s.down);
    EXPECT_EQ(s.heldTime, 0.0f);
    PollInput(0.25f);
    PollInput(0.25f);
    EXPECT_FALSE(s.changed);
    EXPECT_EQ(s.heldTime, 0.5f);

    // Between two polls a press and its release leave nothing to see.
    Key(DIK_F, true);
    Key(DIK_F, false);
    PollInput(0.1f);
    EXPECT_FALSE(g_keyStates[DIK_F].changed);
}

TEST_F(Input, ChangesOfOnePollRunInAscendingKeyOrder)
{
    g_onGround = 1;
    Key(DIK_RIGHT, true);
    Key(DIK_LEFT, true);
    PollInput(0.016f);
    EXPECT_EQ(g_moveDir, 1) << "left (0xCB) runs before right (0xCD)";
    EXPECT_EQ(man->yAngle, 0.0f);
    Key(DIK_LEFT, false);
    PollInput(0.016f);
    EXPECT_EQ(g_moveDir, 1);
    Key(DIK_RIGHT, false);
    PollInput(0.016f);
    EXPECT_EQ(g_moveDir, 0);
}

TEST_F(Input, MouseMovesTheGameCursorTwoPixelsPerUnitWithinTheBackBuffer)
{
    Move(10, 3);
    PollInput(0.016f);
    EXPECT_EQ(g_mouseX, 20);
    EXPECT_EQ(g_mouseY, 6);
    PollInput(0.016f);
    EXPECT_EQ(g_mouseX, 20) << "a read consumes the motion";

    Move(5000, 5000);
    PollInput(0.016f);
    EXPECT_EQ(g_mouseX, 1023);
    EXPECT_EQ(g_mouseY, 767);
    Move(-5000, -5000);
    PollInput(0.016f);
    EXPECT_EQ(g_mouseX, 0);
    EXPECT_EQ(g_mouseY, 0);

    g_screenWidth = 640.0f;
    g_screenHeight = 480.0f;
    Move(5000, 5000);
    PollInput(0.016f);
    EXPECT_EQ(g_mouseX, 639);
    EXPECT_EQ(g_mouseY, 479);
}

TEST_F(Input, WheelNotchChangesTheCameraDistance)
{
    Move(0, 0, 120);
    PollInput(0.016f);
    EXPECT_EQ(g_cameraDistance, 800.0f - 120.0f);
    Move(0, 0, -240);
    PollInput(0.016f);
    EXPECT_EQ(g_cameraDistance, 920.0f);
}

TEST_F(Input, VerticalMotionAimsTheHoldingSlotOnlyWhileItHoldsTheItem)
{
    ManPart& arm = man->parts[3];
    arm.vecpartnum = 3;
    arm.angle = 10.0f;
    Move(0, 5);
    PollInput(0.016f);
    EXPECT_EQ(arm.angle, 10.0f);

    arm.vecpartnum = 6;
    arm.angle = 1.0f;
    Move(0, 5);
    PollInput(0.016f);
    EXPECT_EQ(arm.angle, 356.0f);
    arm.angle = 358.0f;
    Move(0, -5);
    PollInput(0.016f);
    EXPECT_EQ(arm.angle, 3.0f);
}

TEST_F(Input, LeftButtonHeldTimeSetsTheThrust)
{
    man->parts[3].vecpartnum = 6;
    PlatformInput().buttons[0] = 0x80;
    PollInput(0.016f);
    EXPECT_TRUE(g_leftButtonDown);
    EXPECT_TRUE(g_charging);
    PollInput(0.5f);
    PollInput(0.5f);
    PlatformInput().buttons[0] = 0;
    PollInput(0.016f);
    EXPECT_FALSE(g_leftButtonDown);
    EXPECT_EQ(man->parts[6].yVelocity, -1250.0f);
}

TEST_F(Input, LostFocusReleasesOnceAndFreezesInputUntilTheWindowIsBackInFront)
{
    Key(DIK_NEXT, true);
    PollInput(0.016f);
    PlatformInput().foreground = false;
    Key(DIK_NEXT, false);
    Move(10, 10);
    PollInput(1.0f);
    PollInput(1.0f);
    EXPECT_FALSE(g_keyStates[DIK_NEXT].down) << "let go once, when the keyboard went";
    EXPECT_EQ(g_keyStates[DIK_NEXT].heldTime, 0.0f);
    EXPECT_EQ(g_mouseX, 0);

    PlatformInput().foreground = true;
    PollInput(0.016f);
    EXPECT_FALSE(g_keyStates[DIK_NEXT].changed) << "the devices were acquired again";
    EXPECT_EQ(g_mouseX, 0) << "motion made in the background is dropped";
    Move(3, 0);
    PollInput(0.016f);
    EXPECT_EQ(g_mouseX, 6);
    EXPECT_EQ(ReadWholeFile("log.log"), "DirectInput initialized\nPAGEDOWN DOWN\nPAGEDOWN UP\n");
}

// What a failed set-up leaves is released by the shut-down, as the program does.
static void ReleaseInput()
{
    for (LPDIRECTINPUTDEVICE8* device : {&g_keyboard, &g_mouse}) {
        if (*device) (*device)->Release();
        *device = nullptr;
    }
    if (g_directInput) g_directInput->Release();
    g_directInput = nullptr;
}

TEST(InputDevices, FailuresOfCreationAndAcquireEndTheSetUp)
{
    ResetGameState();
    PlatformInput().foreground = true;
    for (const char* what : {"dinput", "keyboard", "mouse", "acquire"}) {
        PlatformSetFailures(what);
        EXPECT_LT(InitDirectInput(nullptr, nullptr), 0) << what;
        ReleaseInput();
    }
    PlatformSetFailures(nullptr);
    PlatformInput().foreground = false;
    EXPECT_EQ(InitDirectInput(nullptr, nullptr), DIERR_OTHERAPPHASPRIO) << "not in the foreground";
    ReleaseInput();
    PlatformInput().foreground = true;
    EXPECT_EQ(InitDirectInput(nullptr, nullptr), 0);
    ReleaseInput();
}

TEST(InputDevices, DevicesCheckSizesAndCountReferences)
{
    LPDIRECTINPUT8 input = nullptr;
    ASSERT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, reinterpret_cast<LPVOID*>(&input),
                                 nullptr),
              DI_OK);
    LPDIRECTINPUTDEVICE8 mouse = nullptr;
    ASSERT_EQ(input->CreateDevice(GUID_SysMouse, &mouse, nullptr), DI_OK);
    EXPECT_EQ(mouse->SetDataFormat(&c_dfDIKeyboard), DIERR_INVALIDPARAM);
    ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
    DIMOUSESTATE state;
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
    PlatformInput().foreground = true;
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    EXPECT_EQ(mouse->GetDeviceState(256, &state), DIERR_INVALIDPARAM);
    PlatformInput().buttons[2] = 0x80;
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.rgbButtons[2], 0x80);
    EXPECT_EQ(mouse->AddRef(), 2u);
    EXPECT_EQ(mouse->Release(), 1u);
    EXPECT_EQ(mouse->Release(), 0u);
    EXPECT_EQ(input->Release(), 0u);
}

}  // namespace

namespace {

TEST_F(Input, LosingTheWindowLetsGoOfHeldKeysAndButtonsOnce)
{
    // Walking right with the spear charging, then the keyboard and the mouse go elsewhere,
    // where Right and the button are let go: the game must see those releases itself.
    g_onGround = 1;
    man->parts[HOLDING_SLOT].vecpartnum = GRIP_IMAGE;
    Key(DIK_RIGHT, true);
    PlatformInput().buttons[0] = 0x80;
    PollInput(0.016f);
    PollInput(0.5f);
    ASSERT_EQ(g_moveDir, MOVE_RIGHT);
    ASSERT_EQ(g_charging, 1);

    PlatformInput().foreground = false;
    PlatformResetInput();
    PollInput(0.016f);
    EXPECT_EQ(g_moveDir, MOVE_STILL);
    EXPECT_EQ(g_leftButtonDown, 0);
    EXPECT_EQ(g_charging, 0);
    EXPECT_NE(man->parts[ITEM_SLOT].yVelocity, 0.0f) << "the thrust goes off with its held time";
    EXPECT_FALSE(g_keyStates[DIK_RIGHT].down);

    // Nothing more comes of it while the window stays away, and a key still held when it
    // comes back is a fresh press.
    const float thrust = man->parts[ITEM_SLOT].yVelocity;
    man->parts[ITEM_SLOT].yVelocity = 0.0f;
    PollInput(0.016f);
    EXPECT_EQ(man->parts[ITEM_SLOT].yVelocity, 0.0f);
    EXPECT_NE(thrust, 0.0f);
    PlatformInput().foreground = true;
    Key(DIK_RIGHT, true);
    PollInput(0.016f);
    EXPECT_EQ(g_moveDir, MOVE_RIGHT);
}

}  // namespace

namespace {

TEST_F(Input, InThePivotEditorTheArrowsNudgeThePivotAndFaceTheBoxesButNeverWalk)
{
    g_onGround = 1;
    g_editMode = EDIT_PIVOT;
    man->hitBoxes[0].centerX = 5.0f;
    man->parts[4].vecpartnum = 7;
    RunKeyCommand(DEVICE_KEY_DOWN, DIK_RIGHT);
    EXPECT_EQ(g_parts[7].xoffset, 0.0f) << "no slot selected";
    g_selectedPart = 4;
    for (int i = 0; i < 10; ++i) RunKeyCommand(DEVICE_KEY_DOWN, DIK_RIGHT);
    EXPECT_NEAR(g_parts[7].xoffset, 1.0f, 1e-5);
    EXPECT_EQ(g_moveDir, 0);
    EXPECT_EQ(man->hitBoxes[0].centerX, 5.0f);

    // Left, through the keyboard device as a player presses it.
    Key(DIK_LEFT, true);
    PollInput(0.016f);
    EXPECT_NEAR(g_parts[7].xoffset, 0.9f, 1e-5);
    EXPECT_EQ(man->hitBoxes[0].centerX, -5.0f) << "the boxes take the facing, as in the other edit modes";
    EXPECT_EQ(man->yAngle, 0.0f);
    EXPECT_EQ(g_moveDir, 0);
}

// The help panel is made from the key table; these are its lines, byte for byte.
TEST(KeyTable, HelpPanelListsEachLineOnceUnderItsSection)
{
    const std::vector<std::string> expected = {
        "Play",
        "  Left, Right       walk",
        "  Space             jump",
        "  b                 take or put away the spear",
        "  mouse, button     aim the spear; hold, release to thrust",
        "  p  k  w           punch, kick, walk",
        "  0                 back to the start",
        "  1  2  `           spin one way, the other, stop",
        "  a s d f z x c v   turn the arms and legs",
        "  + =  -  wheel     camera closer, farther",
        "  Escape, q         quit",
        "Editor",
        "  F1                play",
        "  F2                pick the part under the cursor;",
        "                    Up, Down float the figure",
        "  F3                edit a pivot: click a part,",
        "                    the arrows nudge its pivot",
        "  F4                pose a key: click a part, Up, Down",
        "                    turn it a degree; ] [ frame, . , key",
        "                    n next key faintly, Enter play it,",
        "                    e export it as pictures",
        "    drag, Ctrl      turn the part; in steps of 15 degrees",
        "    Insert, Delete  split the key in two, delete it",
        "    - =  i  v       a tenth longer, shorter; image; show or hide",
        "    t  c m p        easing; copy, mirror, paste the pose",
        "    N  r  Ctrl+Del  new frame (a copy), rename, delete it",
        "    l  1 2 3        play in a loop; full, 1/2, 1/4 speed",
        "  F5                freeze, toggle the camera following",
        "  F6                build the level: click, Shift+click, box",
        "                    pieces, drag them; arrows, wheel camera;",
        "                    Insert copy, Delete remove, [ ] image,",
        "                    l layer, o m u solid, movable, pushable",
        "    g, Ctrl+arrows  grid 8, 16, 32, off; move the pieces by it",
        "    Ctrl+C V, r, y  copy, paste; reach; the last run again",
        "  F7                build the figure: click a part, drag it",
        "                    about its pivot; right drag a joint;",
        "                    drag a hit box's middle or corner",
        "    a  x            a joint at the cursor, the nearest goes",
        "    j  k            hang from the next joint, the next slot",
        "    [ ]  l          image (new ones from the folder), layer",
        "    Insert, Delete  a slot on the nearest joint; this one goes",
        "  F12               toggle the camera following",
        "  Tab               hit boxes and level cells",
        "  Page Down         two lines into the log",
        "  Ctrl+S            save the edits",
        "  Ctrl+Z, Ctrl+Y    undo, redo",
        "  h                 show or hide this help",
    };
    EXPECT_EQ(KeyHelpLines(), expected);
}

// With first-match dispatch a second row for the same key and mode would never run.
TEST(KeyTable, EveryRowActsAndNoKeyHasTwoRowsInOneMode)
{
    const std::vector<KeyBinding>& table = KeyTable();
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_NE(table[i].command, nullptr) << "row " << i;
        EXPECT_NE(table[i].modes, 0u) << "row " << i;
        for (size_t j = i + 1; j < table.size(); ++j) {
            const bool sameKey = table[i].source == table[j].source && table[i].code == table[j].code;
            EXPECT_FALSE(sameKey && (table[i].modes & table[j].modes)) << "rows " << i << " and " << j;
        }
    }
}

}  // namespace
