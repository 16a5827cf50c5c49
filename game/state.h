// The game's global state: the globals of the game, one instance each, with those of the
// layers below it (the device, the view, the records, the level) gathered here. The input
// devices and key states belong to input/ (input/key_state.h), the editor's own to editor/.
#pragma once
#include <windows.h>
#include <d3d8.h>
#include "figure/records.h"
#include "game/modes.h"
#include "graphics/device.h"
#include "graphics/scene_state.h"
#include "level/level.h"

extern HWND g_hWnd;
extern HINSTANCE g_hInstance;
extern POINT g_cursorPos;
extern unsigned char g_leftButtonDown;
extern int g_moveDir;
extern unsigned char g_jumping;
extern unsigned char g_onGround;
extern unsigned char g_jumpKeyHeld;
extern unsigned char g_charging;

// Puts every global back to its start value (tests run many games in one process), those
// of the layers above through their forget hooks (game/pass_hooks.h). Records are dropped,
// not freed: they live until the process ends.
void ResetGameState();
