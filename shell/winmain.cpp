#include "shell/entry.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "game/frame.h"
#include "game/state.h"
#include "input/key_state.h"
#include "graphics/device_setup.h"
#include "input/input_devices.h"
#include "base/log.h"
#include "editor/editor.h"
#include "shell/main_window.h"

static void LogCommandLine(const char* commandLine)
{
    static const char kFormat[] = "Command line parms: %s";
    // Sized to the line rather than fixed, so a long command line is logged whole.
    std::vector<char> line(sizeof kFormat + std::strlen(commandLine));
    std::snprintf(line.data(), line.size(), kFormat, commandLine);
    WriteLog(line.data());
}

void ShutDown()
{
    if (g_device) g_device->Release();
    if (g_d3d) g_d3d->Release();
    if (g_keyboard) {
        g_keyboard->Unacquire();
        g_keyboard->Release();
    }
    if (g_mouse) {
        g_mouse->Unacquire();
        g_mouse->Release();
    }
    if (g_directInput) g_directInput->Release();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    // The game below reaches the input and the editor only through these hooks.
    InstallInput();
    InstallEditor();
    ResetLog();
    const char* text = commandLine ? commandLine : "";
    LogCommandLine(text);
    if (std::strcmp(text, "/640") == 0) {
        WriteLog("Running in 640x480");
        g_screenWidth = 640.0f;
        g_screenHeight = 480.0f;
    } else {
        WriteLog("Running in 1024x768");
    }

    RegisterMainClass(instance);
    if (!CreateMainWindow(instance, showCommand)) {
        // Without a window there is no game: say so and fail, rather than exit as a success.
        WriteLog("Failed to create the main window");
        return 1;
    }
    if (FAILED(InitD3D(g_hWnd))) {
        ShutDown();
        return 1;
    }
    if (FAILED(InitDirectInput(g_hWnd, instance))) {
        WriteLog("Failed to initialize DirectInput");
        ShutDown();
        return 1;
    }

    // One message at most, then one frame: the game never waits for input.
    MSG msg = {};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        UpdateFrame();
    }
    ShutDown();
    return static_cast<int>(msg.wParam);
}
