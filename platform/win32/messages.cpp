// The scripted mode on the real platform: a virtual tick count, passes counted by the main
// loop's PeekMessageA calls, and script messages posted to the real queue so that the
// system orders them (and TranslateMessage's characters) as it orders any other.
#include <windows.h>

#include <stand_in.h>

#include <cstdlib>
#include <cstring>

extern "C" DWORD WINAPI PlatformGetTickCount(void);

namespace {

bool g_scripted = false;
PlatformScript g_script = {};
int g_pass = -1;
bool g_afterPassDone = true;
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

// One pass of the scripted loop begins with the main loop's PeekMessageA call.
bool BeginScriptedPass(LPMSG msg)
{
    if (g_pass >= 0 && !g_afterPassDone && g_script.afterPass) g_script.afterPass(g_pass, g_script.user);
    ++g_pass;
    g_afterPassDone = false;
    DropSystemInput();
    if (g_script.frames >= 0 && g_pass >= g_script.frames) {
        std::memset(msg, 0, sizeof *msg);
        msg->message = WM_QUIT;
        msg->time = PlatformGetTickCount();
        return true;
    }
    if (g_script.beforePass) g_script.beforePass(g_pass, g_script.user);
    return false;
}

}  // namespace

void PlatformBeginScript(const PlatformScript& script)
{
    g_scripted = true;
    g_script = script;
    g_pass = -1;
    g_afterPassDone = true;
    PlatformResetInput();
}

bool PlatformScripted() { return g_scripted; }

int PlatformCurrentPass() { return g_pass; }

void PlatformEndScript()
{
    if (!g_scripted) return;
    if (g_pass >= 0 && !g_afterPassDone && g_script.afterPass) g_script.afterPass(g_pass, g_script.user);
    g_afterPassDone = true;
}

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
    if (g_scripted && BeginScriptedPass(msg)) return TRUE;
    return PeekMessageA(msg, window, filterMin, filterMax, removeMsg);
}

extern "C" DWORD WINAPI PlatformGetTickCount(void)
{
    if (g_scripted) {
        // Unsigned arithmetic wraps exactly as the 32-bit counter does.
        return g_script.startTick + static_cast<uint32_t>(g_pass + 1) * g_script.dtMs;
    }
    return GetTickCount();
}

extern "C" int setenv(const char* name, const char* value, int overwrite)
{
    if (!name || !*name || std::strchr(name, '=') || !value) return -1;
    if (!overwrite && std::getenv(name)) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}
