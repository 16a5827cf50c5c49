// The main window as a person sees it on the desktop.
#include <gtest/gtest.h>
#include <stand_in.h>

#include <SDL.h>

#include "game/state.h"
#include "graphics/device_setup.h"
#include "platform/sdl/sdl_window.h"
#include "shell/main_window.h"
#include "support.h"

namespace {

// A windowed game gets a window of the back buffer's size, whole on the display.
TEST(SdlWindow, WindowedGameIsCentredOnItsDisplay)
{
    ResetGameState();
    ScopedTempDir dir;
    PlatformSetFailures(nullptr);
    PlatformSetDeviceBackend("opengl");
    setenv("VANTREL_WINDOWED", "1", 1);
    g_screenWidth = 640.0f;
    g_screenHeight = 480.0f;
    RegisterMainClass(GetModuleHandleA(nullptr));
    ASSERT_TRUE(CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWDEFAULT));
    if (FAILED(InitD3D(g_hWnd)) || !g_device) GTEST_SKIP() << "no OpenGL device here";

    SDL_Window* window = SdlWindowFromHandle(g_hWnd);
    ASSERT_NE(window, nullptr);
    SDL_Rect display;
    ASSERT_EQ(SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &display), 0);
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(x, display.x + (display.w - width) / 2);
    EXPECT_EQ(y, display.y + (display.h - height) / 2);

    g_device->Release();
    g_d3d->Release();
    DestroyWindow(g_hWnd);
}

}  // namespace

namespace {

// Before the device decides, the pop-up covers the display, so a full-screen game fills
// the screen even where nothing carries out the full-screen request.
TEST(SdlWindow, MainWindowStartsOverTheWholeDisplay)
{
    ResetGameState();
    ScopedTempDir dir;
    PlatformSetFailures(nullptr);
    RegisterMainClass(GetModuleHandleA(nullptr));
    ASSERT_TRUE(CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWDEFAULT));
    SDL_Window* window = SdlWindowFromHandle(g_hWnd);
    ASSERT_NE(window, nullptr);
    SDL_Rect display;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
    int x = -1, y = -1, width = 0, height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(x, display.x);
    EXPECT_EQ(y, display.y);
    EXPECT_EQ(width, display.w);
    EXPECT_EQ(height, display.h);
    DestroyWindow(g_hWnd);
}

}  // namespace
