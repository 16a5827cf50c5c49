// Controls of the stand-in layer that the real platform does not have: the shared
// input state that every back-end fills, the scripted (replay) mode with its virtual
// clock, and the switches tests use. Game code never includes this header; the
// entry point, tools, tests and benchmarks do.
#pragma once
#include <windows.h>
#include <cstdint>

// Device and cursor state, filled once per pass by the event pump (or by a script),
// read by the DirectInput devices and GetCursorPos.
struct PlatformInputState {
    unsigned char keys[256];   // by DirectInput key code; 0x80 while down
    int32_t mouseDX;           // relative motion since the last mouse read, device units
    int32_t mouseDY;
    int32_t mouseWheel;        // 120 per notch, away from the user positive
    unsigned char buttons[4];  // 0x80 while down: left, right, middle, fourth
    bool foreground;           // the main window has the keyboard and mouse focus
    int32_t cursorX;           // platform cursor, screen pixels
    int32_t cursorY;
};
PlatformInputState& PlatformInput();
// Clears keys, buttons and motion (focus loss, start of a run).
void PlatformResetInput();

// Failure switches for tests, also read from the environment variable VANTREL_FAIL
// (a comma list): "window", "d3dcreate", "displaymode", "createdevice", "dinput",
// "keyboard", "mouse", "acquire".
bool PlatformFailureRequested(const char* what);
void PlatformSetFailures(const char* commaList);  // replaces the set; null clears it

// Device back-end of Direct3DCreate8: "opengl" (default) or "memory"; also read from
// the environment variable VANTREL_D3D.
void PlatformSetDeviceBackend(const char* name);
const char* PlatformDeviceBackend();

// Scripted mode: a virtual clock, passes counted by PeekMessageA calls, and hooks the
// runner uses to feed events before a pass and to take screenshots and dumps after it.
struct PlatformScript {
    uint32_t startTick;  // GetTickCount before pass 0
    uint32_t dtMs;       // added to the tick count before each pass
    int frames;          // passes to run; pass `frames` receives WM_QUIT (-1: unlimited)
    void (*beforePass)(int pass, void* user);  // post messages, set device state
    void (*afterPass)(int pass, void* user);   // screenshots, dumps
    void* user;
};
void PlatformBeginScript(const PlatformScript& script);
bool PlatformScripted();
int PlatformCurrentPass();  // -1 before the first pass
// Runs the after-pass hook of the last pass when the loop ends (called by ShutDown paths).
void PlatformEndScript();

// Posts a message to the thread's queue exactly as the platform would deliver it.
void PlatformPostWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
// The main window, or null before it exists.
HWND PlatformMainWindow();

// Writes the last presented back buffer as a PNG file, top row first. Ask between Present
// and the next frame's drawing (the runner's after-pass hook is): the back buffer is read.
bool PlatformScreenshot(const char* pngPath);

// Waits until the device has finished drawing everything sent so far (benchmarks).
void PlatformFinishFrame();

// Whether the in-memory device records its calls (tests read the record; long runs need not
// keep it). Where there is no in-memory device this does nothing.
void PlatformRecordDeviceCalls(bool record);

// Hands a file the game has just written (an export, say; a path relative to the working
// directory or absolute) to the player. In the browser page the player's folder lives in the
// page, out of reach of the player's own files, so the page offers the file's bytes as they
// are at this call as a download; on the desktop and Windows the file already lies in the
// player's folder and nothing happens.
void OfferDownload(const char* path);
