#include "game/state.h"

#include "base/screen_message.h"
#include "editor/edits.h"
#include "editor/pose.h"
#include "editor/status_line.h"
#include "game/data_reload.h"
#include "graphics/text.h"

#include <cstring>

HWND g_hWnd = nullptr;
HINSTANCE g_hInstance = nullptr;
LPDIRECTINPUT8 g_directInput = nullptr;
LPDIRECTINPUTDEVICE8 g_keyboard = nullptr;
LPDIRECTINPUTDEVICE8 g_mouse = nullptr;
KeyState g_keyStates[256] = {};
KeyState g_mouseButtons[4] = {};
POINT g_cursorPos = {0, 0};
unsigned char g_leftButtonDown = 0;
int g_moveDir = 0;
unsigned char g_jumping = 0;
unsigned char g_onGround = 0;
unsigned char g_jumpKeyHeld = 0;
unsigned char g_charging = 0;

void ResetGameState()
{
    ClearScreenMessage();
    ForgetEdits();
    ForgetDataWatch();
    g_screenWidth = 1024.0f;
    g_screenHeight = 768.0f;
    g_d3d = nullptr;
    g_device = nullptr;
    g_maxTextureWidth = 0;
    g_maxTextureHeight = 0;
    SetStartView();
    g_cameraFollows = 1;
    g_showHitBoxes = 0;
    g_lastTick = 0;

    g_parts = nullptr;
    g_numParts = 0;
    g_vectorMan = nullptr;
    g_frames = nullptr;
    g_numFrames = 0;
    g_level = nullptr;
    ForgetFont();
    g_helpShown = false;

    g_hWnd = nullptr;
    g_hInstance = nullptr;
    g_directInput = nullptr;
    g_keyboard = nullptr;
    g_mouse = nullptr;
    std::memset(g_keyStates, 0, sizeof g_keyStates);
    std::memset(g_mouseButtons, 0, sizeof g_mouseButtons);
    g_cursorPos = {0, 0};
    g_editMode = EDIT_PLAY;
    ForgetPoseMode();
    g_selectedPart = -1;
    // The walk, the jump and the thrust all start at rest.
    g_leftButtonDown = g_moveDir = g_jumping = g_onGround = g_jumpKeyHeld = g_charging = 0;
}
