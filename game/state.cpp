#include "game/state.h"

#include <cstring>

float g_screenWidth = 1024.0f;
float g_screenHeight = 768.0f;
HWND g_hWnd = nullptr;
HINSTANCE g_hInstance = nullptr;
IDirect3D8* g_d3d = nullptr;
IDirect3DDevice8* g_device = nullptr;
DWORD g_maxTextureWidth = 0;
DWORD g_maxTextureHeight = 0;
LPDIRECTINPUT8 g_directInput = nullptr;
LPDIRECTINPUTDEVICE8 g_keyboard = nullptr;
LPDIRECTINPUTDEVICE8 g_mouse = nullptr;
KeyState g_keyStates[256] = {};
KeyState g_mouseButtons[4] = {};
int g_mouseX = 0;
int g_mouseY = 0;
POINT g_cursorPos = {0, 0};
DWORD g_lastTick = 0;
float g_cameraX = -320.0f;
float g_cameraY = -640.0f;
float g_cameraDistance = 800.0f;
float g_cameraPitch = 0.0f;
float g_cameraYaw = 0.0f;
unsigned char g_cameraFollows = 1;
unsigned char g_showHitBoxes = 0;
int g_editMode = 0;
int g_selectedPart = -1;
unsigned char g_leftButtonDown = 0;
int g_moveDir = 0;
unsigned char g_jumping = 0;
unsigned char g_onGround = 0;
unsigned char g_jumpKeyHeld = 0;
unsigned char g_charging = 0;
VectorPart* g_parts = nullptr;
int g_numParts = 0;
VectorMan* g_vectorMan = nullptr;
AnimFrame* g_frames = nullptr;
int g_numFrames = 0;
Level* g_level = nullptr;

void ResetGameState()
{
    g_screenWidth = 1024.0f;
    g_screenHeight = 768.0f;
    g_hWnd = nullptr;
    g_hInstance = nullptr;
    g_d3d = nullptr;
    g_device = nullptr;
    g_maxTextureWidth = 0;
    g_maxTextureHeight = 0;
    g_directInput = nullptr;
    g_keyboard = nullptr;
    g_mouse = nullptr;
    std::memset(g_keyStates, 0, sizeof g_keyStates);
    std::memset(g_mouseButtons, 0, sizeof g_mouseButtons);
    g_mouseX = 0;
    g_mouseY = 0;
    g_cursorPos = {0, 0};
    g_lastTick = 0;
    g_cameraX = -320.0f;
    g_cameraY = -640.0f;
    g_cameraDistance = 800.0f;
    g_cameraPitch = 0.0f;
    g_cameraYaw = 0.0f;
    g_cameraFollows = 1;
    g_showHitBoxes = 0;
    g_editMode = 0;
    g_selectedPart = -1;
    g_leftButtonDown = 0;
    g_moveDir = 0;
    g_jumping = 0;
    g_onGround = 0;
    g_jumpKeyHeld = 0;
    g_charging = 0;
    g_parts = nullptr;
    g_numParts = 0;
    g_vectorMan = nullptr;
    g_frames = nullptr;
    g_numFrames = 0;
    g_level = nullptr;
}
