// The scripted mode on the real platform: the main loop's PeekMessageA and the tick count
// pass through here, and script messages are posted to the real queue so that the system
// orders them (and TranslateMessage's characters) as it orders any other.
#include <windows.h>

#include <stand_in.h>

#include "common/script.h"

#include <cstdlib>
#include <cstring>

namespace {

HWND g_mainWindow = nullptr;

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM found)
{
    // Wine and the system keep helper windows on the thread too; the program's window is
    // the one whose class this module registered.
    const HINSTANCE owner = reinterpret_cast<HINSTANCE>(GetClassLongPtrA(window, GCLP_HMODULE));
    if (owner != GetModuleHandleA(nullptr)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Key and mouse messages are the script's: those the system's input makes are dropped.
void DropSystemInput()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
    }
}

}  // namespace

// The system's queue is the queue here; a script starting leaves nothing of ours to clear.
void ScriptStarting() {}

HWND PlatformMainWindow()
{
    if (g_mainWindow && IsWindow(g_mainWindow)) return g_mainWindow;
    g_mainWindow = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindProgramWindow, reinterpret_cast<LPARAM>(&g_mainWindow));
    return g_mainWindow;
}

void PlatformPostWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(PlatformMainWindow(), message, wParam, lParam);
}

extern "C" BOOL WINAPI PlatformPeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax,
                                             UINT removeMsg)
{
    if (!msg) return FALSE;
    if (PlatformScripted() && ScriptBeginPass(msg, DropSystemInput)) return TRUE;
    return PeekMessageA(msg, window, filterMin, filterMax, removeMsg);
}

extern "C" DWORD WINAPI PlatformGetTickCount(void)
{
    return PlatformScripted() ? ScriptTickCount() : GetTickCount();
}

extern "C" int setenv(const char* name, const char* value, int overwrite)
{
    if (!name || !*name || std::strchr(name, '=') || !value) return -1;
    if (!overwrite && std::getenv(name)) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}
