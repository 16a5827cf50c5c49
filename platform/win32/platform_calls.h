// Forced into every source of the Windows build (cmake/windows.cmake): the game reaches the
// tick count, the message queue and Direct3DCreate8 through the platform layer, which hands
// them straight to the system unless the runner's scripted mode is on. The layer's own
// sources see the real names.
#pragma once
#include <windows.h>

#ifndef VANTREL_PLATFORM_LAYER

struct IDirect3D8;

extern "C" {
DWORD WINAPI PlatformGetTickCount(void);
BOOL WINAPI PlatformPeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg);
IDirect3D8* WINAPI PlatformDirect3DCreate8(UINT sdkVersion);
// The runner sets its own environment; the C runtime here only has _putenv_s.
int setenv(const char* name, const char* value, int overwrite);
}

#define GetTickCount PlatformGetTickCount
#define PeekMessageA PlatformPeekMessageA
#define Direct3DCreate8 PlatformDirect3DCreate8
#endif

// 16-bit memory-model keywords the SDK still defines as empty macros; they would swallow
// ordinary names such as a clipping plane's "near" and "far".
#undef near
#undef far
#undef NEAR
#undef FAR
#define NEAR
#define FAR

// Published with the Direct3D 8 headers but missing from this toolchain's copy.
#ifndef D3DPRESENT_RATE_DEFAULT
#define D3DPRESENT_RATE_DEFAULT 0x00000000
#endif
