// The OpenGL back-end of the Direct3D stand-in.
#pragma once
#include <d3d8.h>

#include <cstdint>
#include <vector>

IDirect3D8* CreateGlDirect3D();
// A device drawing for window, its back buffer as parameters ask; textures up to the
// given size. The process's context must exist (GlEnsureContext).
IDirect3DDevice8* CreateGlDevice(IDirect3D8* d3d, HWND window, const D3DPRESENT_PARAMETERS& parameters,
                                 unsigned maxWidth, unsigned maxHeight);

// The last presented back buffer as ARGB words, top row first, read from the framebuffer
// it was drawn in: false before any Present, after a frame drawn straight into the window
// (never while a script runs), and once the next frame's drawing has begun.
bool GlLastPresented(std::vector<uint32_t>& argb, unsigned& width, unsigned& height);
// Whether the current device's next frame goes straight into its window.
bool GlDrawsToWindow();
// Waits until the current device has finished every command sent so far.
void GlFinish();
