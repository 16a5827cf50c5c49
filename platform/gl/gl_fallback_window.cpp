// Stand-ins used only while no window layer is linked in: with them the device
// renders into its own hidden window. The window layer's definitions win.
#include "sdl/sdl_window.h"

__attribute__((weak)) SDL_Window* SdlWindowFromHandle(HWND) { return nullptr; }
__attribute__((weak)) void SdlSetBackBufferSize(HWND, int, int) {}
