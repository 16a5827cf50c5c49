// The main window: class, creation and window procedure.
#pragma once
#include <windows.h>

const int IDI_VANTREL = 107;
const int IDI_SMALL = 108;
const int IDC_VANTREL_MENU = 109;
const int IDM_ABOUT = 104;
const int IDM_EXIT = 105;

ATOM RegisterMainClass(HINSTANCE instance);
bool CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
