// The main window as a person sees it on the desktop.
#include <gtest/gtest.h>
#include <stand_in.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "game/state.h"
#include "gl_device_fixture.h"
#include "graphics/device_setup.h"
#include "platform/gl/gl_device.h"
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

namespace {

// Cleared rectangles and a pre-transformed triangle, both off-centre so a turned-over
// picture shows.
void DrawMarks()
{
    D3DVIEWPORT8 whole;
    g_device->GetViewport(&whole);
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff203040, 1.0f, 0);
    const D3DVIEWPORT8 corner = {10, 5, 30, 20, 0.0f, 1.0f};
    g_device->SetViewport(&corner);
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffa0b0c0, 1.0f, 0);
    g_device->SetViewport(&whole);
    struct Vertex { float x, y, z, rhw; D3DCOLOR colour; };
    const Vertex triangle[3] = {{100, 50, 0.5f, 1, 0xffff0000}, {200, 50, 0.5f, 1, 0xffff0000},
                                {100, 150, 0.5f, 1, 0xffff0000}};
    g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    g_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    IDirect3DTexture8* none = nullptr;
    g_device->SetTexture(0, none);
    g_device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    g_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(Vertex));
}

// A window of the back buffer's size is drawn into directly, upright, pixel for pixel as
// the framebuffer the runner draws into.
TEST(SdlWindow, WindowOfTheBackBufferSizeIsDrawnIntoAsTheRunnersFramebuffer)
{
#ifdef VANTREL_GLES
    GTEST_SKIP() << "OpenGL ES has no clip control: its device always draws into a framebuffer";
#endif
    if (PlatformScripted()) GTEST_SKIP() << "a script already runs in this process";
    ResetGameState();
    ScopedTempDir dir;
    PlatformSetFailures(nullptr);
    PlatformSetDeviceBackend("opengl");
    setenv("VANTREL_WINDOWED", "1", 1);
    RegisterMainClass(GetModuleHandleA(nullptr));
    ASSERT_TRUE(CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWDEFAULT));
    // The window is made over the whole display; a back buffer of that size needs no resize.
    SDL_Rect display;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
    g_screenWidth = float(display.w);
    g_screenHeight = float(display.h);
    if (FAILED(InitD3D(g_hWnd)) || !g_device) GTEST_SKIP() << "no OpenGL device here";
    const UINT width = UINT(display.w), height = UINT(display.h);

    ASSERT_TRUE(GlDrawsToWindow());
    DrawMarks();
    const std::vector<uint32_t> window = BackBufferPixels(g_device, width, height);
    EXPECT_EQ(window[5 * width + 10], 0xffa0b0c0u);  // upright: the cleared corner's first pixel
    EXPECT_EQ(window[4 * width + 10], 0xff203040u);
    ASSERT_EQ(g_device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    std::vector<uint32_t> shot;
    unsigned w = 0, h = 0;
    EXPECT_FALSE(GlLastPresented(shot, w, h));  // swapped away

    PlatformBeginScript(PlatformScript{0, 10, -1, nullptr, nullptr, nullptr});
    ASSERT_EQ(g_device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    ASSERT_FALSE(GlDrawsToWindow());
    DrawMarks();
    EXPECT_TRUE(BackBufferPixels(g_device, width, height) == window);

    g_device->Release();
    g_d3d->Release();
    DestroyWindow(g_hWnd);
}

}  // namespace
