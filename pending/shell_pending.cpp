// Stand-ins for functions of other branches, until they land.
#include <stand_in.h>
#include <windows.h>

#include "game/frame.h"
#include "graphics/device_setup.h"
#include "input/input_devices.h"
#include "shell/window_keys.h"


HRESULT InitDirectInput(HWND, HINSTANCE) { return PlatformFailureRequested("dinput") ? E_FAIL : S_OK; }

int UpdateFrame() { return 0; }

void OnWindowKeyDown(WPARAM) {}

void OnWindowKeyUp(WPARAM) {}

void OnWindowChar(WPARAM character)
{
    if (character == 27 || character == 'q') PostQuitMessage(0);
}

