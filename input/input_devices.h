// The DirectInput keyboard and mouse, polled once per frame.
#pragma once
#include <windows.h>

// Hands the game the poll it makes once a pass (game/pass_hooks.h); the shell does it once at start.
void InstallInput();
HRESULT InitDirectInput(HWND window, HINSTANCE instance);
void PollInput(float dt);
