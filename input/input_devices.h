// The DirectInput keyboard and mouse, polled once per frame.
#pragma once
#include <windows.h>

HRESULT InitDirectInput(HWND window, HINSTANCE instance);
void PollInput(float dt);
