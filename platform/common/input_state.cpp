// The input state every back-end fills and the input devices read; it carries nothing of
// SDL, so the platform's own build keeps its scripted input here too.
#include <stand_in.h>

#include <cstdint>

static PlatformInputState g_platformInput = {};

PlatformInputState& PlatformInput() { return g_platformInput; }

void PlatformResetInput()
{
    const bool foreground = g_platformInput.foreground;
    const int32_t cursorX = g_platformInput.cursorX;
    const int32_t cursorY = g_platformInput.cursorY;
    g_platformInput = {};
    g_platformInput.foreground = foreground;
    g_platformInput.cursorX = cursorX;
    g_platformInput.cursorY = cursorY;
}
