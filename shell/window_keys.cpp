#include "shell/window_keys.h"

#include "editor/editor.h"
#include "editor/edits.h"
#include "editor/pose.h"
#include "editor/status_line.h"
#include "figure/roles.h"
#include "game/actions.h"
#include "game/figure_access.h"
#include "game/state.h"

static const float CAMERA_STEP = 5.0f;
static const float TURN_STEP = 1.0f;

void OnWindowKeyDown(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_SPACE:
        Jump();
        break;
    case VK_UP:
        NudgeVertically(1.0f);
        break;
    case VK_DOWN:
        NudgeVertically(-1.0f);
        break;
    default:
        break;
    }
}

void OnWindowKeyUp(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_SPACE:
        g_jumpKeyHeld = 0;
        break;
    case VK_F1:
        EnterEditMode(EDIT_PLAY);
        break;
    case VK_F2:
        EnterEditMode(EDIT_HOVER);
        break;
    case VK_F3:
        EnterEditMode(EDIT_PIVOT);
        break;
    case VK_F4:
        EnterEditMode(EDIT_POSE);
        break;
    case VK_F5:
        EnterEditMode(EDIT_FROZEN);
        g_cameraFollows = !g_cameraFollows;
        break;
    case VK_F12:
        g_cameraFollows = !g_cameraFollows;
        break;
    default:
        break;
    }
}

static void TurnSlot(int index, float delta)
{
    if (ManPart* slot = SlotAt(index)) slot->angularVelocity += delta;
}

// Starts a frame unless the slot it guards is still busy with a key.
static void StartFrameIfIdle(int guardSlot, int frame)
{
    if (!g_vectorMan || g_vectorMan->currentKeys[guardSlot]) return;
    if (AnimFrame* f = FrameAt(frame)) AddFrames(g_vectorMan, f);
}

void OnWindowChar(WPARAM character)
{
    VectorMan* man = g_vectorMan;
    switch (character) {
    // Ctrl+S, Ctrl+Z, Ctrl+Y as the message translation gives them; in every mode, so
    // work done in the pivot editor can be kept or taken back after leaving it.
    case 19:
        SaveEdits();
        break;
    case 26:
        UndoEdit();
        break;
    case 25:
        RedoEdit();
        break;
    case 9:
        g_showHitBoxes = !g_showHitBoxes;
        break;
    case 27:
    case 'q':
        PostQuitMessage(0);
        break;
    case '+':
    case '=':
        g_cameraDistance -= CAMERA_STEP;
        break;
    case '-':
        g_cameraDistance += CAMERA_STEP;
        break;
    case '0':
        ResetFigure();
        break;
    case '1':
        if (man) man->zAngularVelocity -= TURN_STEP;
        break;
    case '2':
        if (man) man->zAngularVelocity += TURN_STEP;
        break;
    case '`':
        if (man) man->zAngularVelocity = 0.0f;
        break;
    case 'a': TurnSlot(BACK_ARM_SLOT, -TURN_STEP); break;
    case 's': TurnSlot(BACK_ARM_SLOT, TURN_STEP); break;
    case 'd': TurnSlot(HOLDING_SLOT, -TURN_STEP); break;
    case 'f': TurnSlot(HOLDING_SLOT, TURN_STEP); break;
    case 'z': TurnSlot(BACK_LEG_SLOT, -TURN_STEP); break;
    case 'x': TurnSlot(BACK_LEG_SLOT, TURN_STEP); break;
    case 'c': TurnSlot(FRONT_LEG_SLOT, -TURN_STEP); break;
    case 'v': TurnSlot(FRONT_LEG_SLOT, TURN_STEP); break;
    case 'k':
        StartFrameIfIdle(FRONT_LEG_SLOT, KICK_FRAME);
        break;
    case 'p':
        StartFrameIfIdle(HOLDING_SLOT, PUNCH_FRAME);
        break;
    case 'w':
        if (man) {
            if (AnimFrame* f = FrameAt(WALK_FRAME)) AddFrames(man, f);
        }
        break;
    case 'b':
        ToggleHeldItem();
        break;
    case 'h':
        ToggleHelp();
        break;
    // The pose editor's keys, which do nothing outside it.
    case ']':
        ChoosePoseFrame(1);
        break;
    case '[':
        ChoosePoseFrame(-1);
        break;
    case '.':
        ChoosePoseKey(1);
        break;
    case ',':
        ChoosePoseKey(-1);
        break;
    case 'n':
        ToggleNextKeyOnion();
        break;
    case '\r':
        PlayPoseFrame();
        break;
    default:
        break;
    }
}
