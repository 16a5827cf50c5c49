// Inside the stand-in layer: the classes and windows made through the Win32 calls.
#pragma once
#include <windows.h>

struct SDL_Window;

struct WindowRecord {
    WNDPROC procedure;
    SDL_Window* sdlWindow;
    int backBufferWidth;   // 0 until the device reports its back buffer
    int backBufferHeight;
    bool destroying;       // WM_DESTROY is being delivered
};

// The live window behind a handle, or null for unknown and destroyed handles.
WindowRecord* FindWindowRecord(HWND window);
// The window that owns the SDL window with this id, or null.
HWND FindWindowBySdlId(unsigned int sdlWindowId);
