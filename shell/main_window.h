// The main window: class, creation and window procedure.
#pragma once
#include <windows.h>

#include "resources/resource.h"

ATOM RegisterMainClass(HINSTANCE instance);
bool CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
