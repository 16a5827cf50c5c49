// The game's global state: every global of the program, one instance each.
#pragma once
#include <windows.h>
#include <d3d8.h>
#include <dinput.h>
#include "figure/records.h"
#include "input/key_state.h"
#include "level/level.h"

extern float g_screenWidth;
extern float g_screenHeight;
extern HWND g_hWnd;
extern HINSTANCE g_hInstance;
extern IDirect3D8* g_d3d;
extern IDirect3DDevice8* g_device;
extern LPDIRECTINPUT8 g_directInput;
extern LPDIRECTINPUTDEVICE8 g_keyboard;
extern LPDIRECTINPUTDEVICE8 g_mouse;
extern KeyState g_keyStates[256];
extern KeyState g_mouseButtons[4];
extern int g_mouseX;
extern int g_mouseY;
extern POINT g_cursorPos;
extern DWORD g_lastTick;
extern float g_cameraX;
extern float g_cameraY;
extern float g_cameraDistance;
extern float g_cameraPitch;
extern float g_cameraYaw;
extern unsigned char g_cameraFollows;
extern unsigned char g_showHitBoxes;
extern int g_editMode;
extern int g_selectedPart;
extern unsigned char g_leftButtonDown;
extern int g_moveDir;
extern unsigned char g_jumping;
extern unsigned char g_onGround;
extern unsigned char g_jumpKeyHeld;
extern unsigned char g_charging;

// Puts every global back to its start value (tests run many games in one process).
// Records are dropped, not freed: they live until the process ends.
void ResetGameState();
