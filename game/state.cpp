#include "game/state.h"

#include "base/screen_message.h"
#include "game/data_reload.h"
#include "game/pass_hooks.h"
#include "graphics/text.h"

HWND g_hWnd = nullptr;
HINSTANCE g_hInstance = nullptr;
POINT g_cursorPos = {0, 0};
unsigned char g_leftButtonDown = 0;
int g_moveDir = 0;
unsigned char g_jumping = 0;
unsigned char g_onGround = 0;
unsigned char g_jumpKeyHeld = 0;
unsigned char g_charging = 0;
int g_editMode = EDIT_PLAY;
int g_selectedPart = -1;
bool g_editsUnsaved = false;

PassHooks& Hooks()
{
    static PassHooks hooks;
    return hooks;
}

void ResetGameState()
{
    ClearScreenMessage();
    if (Hooks().forgetEditor) Hooks().forgetEditor();
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

    g_hWnd = nullptr;
    g_hInstance = nullptr;
    if (Hooks().forgetInput) Hooks().forgetInput();
    g_cursorPos = {0, 0};
    g_editMode = EDIT_PLAY;
    g_selectedPart = -1;
    // The walk, the jump and the thrust all start at rest.
    g_leftButtonDown = g_moveDir = g_jumping = g_onGround = g_jumpKeyHeld = g_charging = 0;
}
