// What the OpenGL device asks of the window and the display before deciding where a frame
// goes: whether anyone can see the window, the size drawing into it would have, whether
// its rows can be kept top first, and whether the player asked for a window. SDL and EGL
// are asked here so the device need not know their quirks.
#pragma once

struct SDL_Window;

// SDL's driver with no display: its windows are never shown.
bool GlOffscreenDriver();
// The size drawing into window would have (0 by 0 where it has no surface).
void GlDrawableSize(SDL_Window* window, int& width, int& height);
// Whether a copy onto window could be seen at all.
bool GlWindowSeen(SDL_Window* window);
// Whether the current context can put the window's origin at its top-left.
bool GlHasClipControl();
// VANTREL_WINDOWED=1: a window of the back buffer's size rather than the full screen.
bool GlWindowedRequested();
