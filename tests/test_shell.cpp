#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <module_resources.h>
#include <stand_in.h>

#include "game/state.h"
#include "input/key_state.h"
#include "platform/sdl/sdl_window.h"
#include "shell/entry.h"
#include "base/log.h"
#include "shell/main_window.h"
#include "support.h"

namespace {

struct GameRun {
    std::function<void(int)> beforePass;
    std::vector<int> passes;  // every pass the loop began
    int exitCode = -1;
    int lastPass = -1;
};

void Before(int pass, void* user)
{
    GameRun& run = *static_cast<GameRun*>(user);
    run.passes.push_back(pass);
    if (run.beforePass) run.beforePass(pass);
}

// Runs the whole game on the virtual clock; frames -1 leaves the end to the game.
GameRun RunGame(const std::string& commandLine, int frames, std::function<void(int)> beforePass = {})
{
    ResetGameState();
    GameRun run;
    run.beforePass = std::move(beforePass);
    PlatformScript script = {};
    script.dtMs = 16;
    script.frames = frames;
    script.beforePass = Before;
    script.user = &run;
    PlatformBeginScript(script);
    std::string text = commandLine;
    run.exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, text.data(), SW_SHOWDEFAULT);
    run.lastPass = PlatformCurrentPass();
    PlatformEndScript();
    return run;
}

std::vector<std::string> LogLines()
{
    std::vector<std::string> lines;
    std::istringstream in(ReadWholeFile("log.log"));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(Shell, OnlyTheExactOptionSelects640x480)
{
    ScopedTempDir dir;
    PlatformSetFailures(nullptr);
    struct Case {
        const char* commandLine;
        const char* resolution;
        float width;
        float height;
    };
    const Case cases[] = {
        {"/640", "Running in 640x480", 640.0f, 480.0f},
        {"/640 ", "Running in 1024x768", 1024.0f, 768.0f},
        {"/640x480", "Running in 1024x768", 1024.0f, 768.0f},
        {"-640", "Running in 1024x768", 1024.0f, 768.0f},
        {"/640/640", "Running in 1024x768", 1024.0f, 768.0f},
        {"", "Running in 1024x768", 1024.0f, 768.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        GameRun run = RunGame(c.commandLine, 2);
        EXPECT_EQ(run.exitCode, 0);
        std::vector<std::string> lines = LogLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], std::string("Command line parms: ") + c.commandLine);
        EXPECT_EQ(lines[1], c.resolution);
        EXPECT_EQ(g_screenWidth, c.width);
        EXPECT_EQ(g_screenHeight, c.height);
    }
}

TEST(Shell, LongCommandLineIsLoggedWholeWithoutOverflow)
{
    ScopedTempDir dir;
    std::string commandLine;
    for (int i = 0; i < 5000; ++i) commandLine += static_cast<char>('a' + i % 26);
    commandLine += " %s %n";  // never taken as a format
    GameRun run = RunGame(commandLine, 1);
    EXPECT_EQ(run.exitCode, 0);
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Command line parms: " + commandLine);
    EXPECT_EQ(lines[1], "Running in 1024x768");
}

TEST(Shell, WindowFailureIsLoggedAndFails)
{
    ScopedTempDir dir;
    PlatformSetFailures("window");
    GameRun run = RunGame("", 5);
    PlatformSetFailures(nullptr);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.passes.empty());
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "Failed to create the main window");
}

TEST(Shell, DeviceFailureEndsBeforeInputAndLoop)
{
    ScopedTempDir dir;
    PlatformSetFailures("d3dcreate,dinput");
    GameRun run = RunGame("", 5);
    PlatformSetFailures(nullptr);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.passes.empty());
    const std::string log = ReadWholeFile("log.log");
    EXPECT_EQ(log.find("Failed to initialize DirectInput"), std::string::npos);
    EXPECT_EQ(log.find("Failed to create the main window"), std::string::npos);
}

TEST(Shell, InputFailureIsTheLastLineAndFails)
{
    ScopedTempDir dir;
    PlatformSetFailures("dinput");
    GameRun run = RunGame("", 5);
    PlatformSetFailures(nullptr);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.passes.empty());
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.back(), "Failed to initialize DirectInput");
}

TEST(Shell, MessagesAreWorkedOffOnePerPass)
{
    ScopedTempDir dir;
    // About does nothing; Exit destroys the window, whose quit message comes a pass later.
    GameRun run = RunGame("", -1, [](int pass) {
        if (pass != 0) return;
        PlatformPostWindowMessage(WM_COMMAND, IDM_ABOUT, 0);
        PlatformPostWindowMessage(WM_COMMAND, IDM_ABOUT, 0);
        PlatformPostWindowMessage(WM_COMMAND, IDM_EXIT, 0);
    });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lastPass, 3);
    EXPECT_EQ(run.passes, (std::vector<int>{0, 1, 2, 3}));
}

TEST(Shell, CloseRequestEndsTheRunWithZero)
{
    ScopedTempDir dir;
    GameRun run = RunGame("", 50, [](int pass) {
        if (pass == 4) PlatformPostWindowMessage(WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lastPass, 5);
    EXPECT_EQ(SdlWindowFromHandle(g_hWnd), nullptr);
}

TEST(Shell, EscapeKeyIsTranslatedAndQuits)
{
    ScopedTempDir dir;
    // The key, then its character right behind it, then the quit message.
    GameRun run = RunGame("", 50, [](int pass) {
        if (pass == 1) PlatformPostWindowMessage(WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lastPass, 3);
}

TEST(Shell, FramesRunWithoutMessagesUntilTheQuitPass)
{
    ScopedTempDir dir;
    GameRun run = RunGame("", 7);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lastPass, 7);
    EXPECT_EQ(run.passes.size(), 7u);
}

TEST(MainWindow, ClassWindowAndMessageTable)
{
    ScopedTempDir dir;
    ResetGameState();
    PlatformSetFailures(nullptr);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_NE(RegisterMainClass(instance), 0);
    ASSERT_TRUE(CreateMainWindow(instance, SW_SHOWDEFAULT));
    EXPECT_EQ(g_hInstance, instance);
    ASSERT_NE(g_hWnd, nullptr);
    EXPECT_TRUE(PlatformInput().foreground);

    PlatformScript script = {};
    script.frames = -1;
    PlatformBeginScript(script);
    EXPECT_EQ(MainWindowProc(g_hWnd, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(MainWindowProc(g_hWnd, WM_COMMAND, IDM_ABOUT, 0), 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(UpdateWindow(g_hWnd));

    EXPECT_EQ(MainWindowProc(g_hWnd, WM_COMMAND, IDM_EXIT, 0), 0);
    EXPECT_FALSE(UpdateWindow(g_hWnd));  // destroyed
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST(MainWindow, ResourcesCarryTheMenuAndIcons)
{
    // The menu the window class names is there and offers the command that quits; every
    // item has a label to show.
    int count = 0;
    const ModuleMenuItem* items = FindModuleMenu(IDC_VANTREL_MENU, &count);
    ASSERT_NE(items, nullptr);
    bool offersExit = false;
    for (int i = 0; i < count; ++i) {
        offersExit = offersExit || items[i].command == IDM_EXIT;
        EXPECT_GT(std::strlen(items[i].popup), 0u);
        EXPECT_GT(std::strlen(items[i].text), 0u);
    }
    EXPECT_TRUE(offersExit);
    EXPECT_EQ(FindModuleMenu(IDC_VANTREL_MENU + 1, &count), nullptr);
    EXPECT_EQ(count, 0);

    // Built in from the PNG files, sized 32 and 16 pixels as the PNG headers say.
    const struct { int id; unsigned char side; } icons[] = {{IDI_VANTREL, 32}, {IDI_SMALL, 16}};
    for (const auto& expected : icons) {
        const ModuleIcon* icon = FindModuleIcon(expected.id);
        ASSERT_NE(icon, nullptr);
        ASSERT_NE(icon->png, nullptr);
        ASSERT_GT(icon->size, 24u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(icon->png) + 1, 3), "PNG");
        EXPECT_EQ(icon->png[19], expected.side);  // width, big-endian
        EXPECT_EQ(icon->png[23], expected.side);  // height
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(IDI_VANTREL)), nullptr);
    EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL)), nullptr);
    EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCEA(999)), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

namespace {

// DirectInput objects that only record what ShutDown does to them.
struct Recorder : IDirectInputDevice8A {
    Recorder(std::vector<std::string>& log, const char* name) : log_(log), name_(name) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { log_.push_back(name_ + " release"); return 0; }
    HRESULT Acquire() override { return S_OK; }
    HRESULT Unacquire() override { log_.push_back(name_ + " unacquire"); return S_OK; }
    HRESULT GetDeviceState(DWORD, LPVOID) override { return S_OK; }
    HRESULT SetDataFormat(LPCDIDATAFORMAT) override { return S_OK; }
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return S_OK; }
    std::vector<std::string>& log_;
    std::string name_;
};

struct InputRecorder : IDirectInput8A {
    explicit InputRecorder(std::vector<std::string>& log) : log_(log) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { log_.push_back("dinput release"); return 0; }
    HRESULT CreateDevice(REFGUID, LPDIRECTINPUTDEVICE8A*, LPUNKNOWN) override { return E_FAIL; }
    std::vector<std::string>& log_;
};

}  // namespace

TEST(Shell, ShutDownReleasesInputInOrderAndSkipsMissingObjects)
{
    ResetGameState();
    ShutDown();  // nothing created: nothing to touch

    std::vector<std::string> calls;
    Recorder keyboard(calls, "keyboard");
    Recorder mouse(calls, "mouse");
    InputRecorder input(calls);
    g_keyboard = &keyboard;
    g_mouse = &mouse;
    g_directInput = &input;
    ShutDown();
    EXPECT_EQ(calls, (std::vector<std::string>{"keyboard unacquire", "keyboard release",
                                               "mouse unacquire", "mouse release",
                                               "dinput release"}));
    calls.clear();
    g_keyboard = nullptr;
    ShutDown();
    EXPECT_EQ(calls, (std::vector<std::string>{"mouse unacquire", "mouse release", "dinput release"}));
    ResetGameState();
}
