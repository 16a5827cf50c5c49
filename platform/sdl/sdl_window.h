// Shared inside the stand-in layer only: the SDL window behind a window handle.
#pragma once
#include <windows.h>

struct SDL_Window;

// The SDL window of a handle made by CreateWindowExA; null for any other handle.
SDL_Window* SdlWindowFromHandle(HWND window);
// Lets the device tell the event pump the back buffer's size, so that mouse and
// cursor positions arrive in back-buffer pixels even when the window is scaled.
void SdlSetBackBufferSize(HWND window, int width, int height);
// The SDL window of the first live window made by CreateWindowExA, or null.
SDL_Window* SdlFirstWindow();
