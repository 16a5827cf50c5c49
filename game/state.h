// The game's global state: every global of the program, one instance each. The device,
// the view, the records and the level are declared by their own layers and gathered here;
// the rest belongs to the game, its input and its editor.
#pragma once
#include <windows.h>
#include <d3d8.h>
#include <dinput.h>
#include "editor/editor.h"
#include "figure/records.h"
#include "graphics/device.h"
#include "graphics/scene_state.h"
#include "input/key_state.h"
#include "level/level.h"

extern HWND g_hWnd;
extern HINSTANCE g_hInstance;
extern LPDIRECTINPUT8 g_directInput;
extern LPDIRECTINPUTDEVICE8 g_keyboard;
extern LPDIRECTINPUTDEVICE8 g_mouse;
extern KeyState g_keyStates[256];
extern KeyState g_mouseButtons[4];
extern POINT g_cursorPos;
extern unsigned char g_leftButtonDown;
extern int g_moveDir;
extern unsigned char g_jumping;
extern unsigned char g_onGround;
extern unsigned char g_jumpKeyHeld;
extern unsigned char g_charging;

// Puts every global back to its start value (tests run many games in one process).
// Records are dropped, not freed: they live until the process ends.
void ResetGameState();
