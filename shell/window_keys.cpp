#include "shell/window_keys.h"

#include "game/actions.h"
#include "game/figure_access.h"
#include "game/state.h"

static const float NUDGE_VELOCITY = 1.0f;
static const float NUDGE_OFFSET = 0.1f;
static const float CAMERA_STEP = 5.0f;
static const float TURN_STEP = 1.0f;

// The image of the slot picked in the editor, or null when nothing usable is picked.
static VectorPart* SelectedImage()
{
    const ManPart* slot = SlotAt(g_selectedPart);
    return slot ? PartAt(slot->vecpartnum) : nullptr;
}

static void Nudge(float direction)
{
    if (g_editMode == 1) {
        if (g_vectorMan) g_vectorMan->yVelocity += direction * NUDGE_VELOCITY;
    } else if (g_editMode == 2) {
        if (VectorPart* image = SelectedImage()) image->yoffset += direction * NUDGE_OFFSET;
    }
}

void OnWindowKeyDown(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_SPACE:
        Jump();
        break;
    case VK_UP:
        Nudge(1.0f);
        break;
    case VK_DOWN:
        Nudge(-1.0f);
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
        g_editMode = 0;
        break;
    case VK_F2:
        g_editMode = 1;
        break;
    case VK_F3:
        g_editMode = 2;
        break;
    case VK_F5:
        g_editMode = 5;
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
    case 'a': TurnSlot(2, -TURN_STEP); break;
    case 's': TurnSlot(2, TURN_STEP); break;
    case 'd': TurnSlot(3, -TURN_STEP); break;
    case 'f': TurnSlot(3, TURN_STEP); break;
    case 'z': TurnSlot(4, -TURN_STEP); break;
    case 'x': TurnSlot(4, TURN_STEP); break;
    case 'c': TurnSlot(5, -TURN_STEP); break;
    case 'v': TurnSlot(5, TURN_STEP); break;
    case 'k':
        StartFrameIfIdle(5, 1);
        break;
    case 'p':
        StartFrameIfIdle(3, 0);
        break;
    case 'w':
        if (man) {
            if (AnimFrame* f = FrameAt(2)) AddFrames(man, f);
        }
        break;
    case 'b':
        ToggleHeldItem();
        break;
    default:
        break;
    }
}
