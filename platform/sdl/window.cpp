// Window classes, windows, icons and cursors of the Win32 stand-in.
#include "window_registry.h"

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <module_resources.h>
#include <stand_in.h>

#include "sdl_window.h"

namespace {

struct ClassRecord {
    WNDCLASSEXA description;
    std::string name;
};

std::map<std::string, ClassRecord> g_classes;
std::map<HWND, WindowRecord> g_windows;
HWND g_mainWindow = nullptr;
uintptr_t g_nextHandle = 0x10000;

// Handles of loaded icons and cursors are their resource numbers, offset so that they
// are never null and never mistaken for a window.
const uintptr_t kIconHandleBase = 0x1000000;
const uintptr_t kCursorHandleBase = 0x2000000;

bool EnsureVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vantrel: SDL video start failed: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

// The icon image of a class icon handle as an SDL surface, or null.
SDL_Surface* IconSurface(HICON icon, std::unique_ptr<unsigned char[]>& pixels)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(icon);
    if (value < kIconHandleBase || value >= kCursorHandleBase) return nullptr;
    const ModuleIcon* resource = FindModuleIcon(static_cast<int>(value - kIconHandleBase));
    if (!resource || !resource->png || resource->size == 0) return nullptr;

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, resource->png, resource->size)) return nullptr;
    image.format = PNG_FORMAT_RGBA;
    pixels.reset(new unsigned char[PNG_IMAGE_SIZE(image)]);
    if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr)) {
        png_image_free(&image);
        return nullptr;
    }
    return SDL_CreateRGBSurfaceWithFormatFrom(pixels.get(), static_cast<int>(image.width),
                                              static_cast<int>(image.height), 32,
                                              static_cast<int>(PNG_IMAGE_ROW_STRIDE(image)),
                                              SDL_PIXELFORMAT_RGBA32);
}

void SetWindowIcon(SDL_Window* window, HICON icon)
{
    std::unique_ptr<unsigned char[]> pixels;
    SDL_Surface* surface = IconSurface(icon, pixels);
    if (!surface) return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

}  // namespace

WindowRecord* FindWindowRecord(HWND window)
{
    auto found = g_windows.find(window);
    return found == g_windows.end() ? nullptr : &found->second;
}

HWND FindWindowBySdlId(unsigned int sdlWindowId)
{
    for (auto& entry : g_windows) {
        if (entry.second.sdlWindow && SDL_GetWindowID(entry.second.sdlWindow) == sdlWindowId)
            return entry.first;
    }
    return nullptr;
}

HWND PlatformMainWindow() { return g_mainWindow; }

SDL_Window* SdlFirstWindow()
{
    for (const auto& entry : g_windows)
        if (!entry.second.destroying) return entry.second.sdlWindow;
    return nullptr;
}

SDL_Window* SdlWindowFromHandle(HWND window)
{
    WindowRecord* record = FindWindowRecord(window);
    return record ? record->sdlWindow : nullptr;
}

void SdlSetBackBufferSize(HWND window, int width, int height)
{
    if (WindowRecord* record = FindWindowRecord(window)) {
        record->backBufferWidth = width;
        record->backBufferHeight = height;
        // The window was placed while it was still tiny, so its corner sits where its
        // middle should be: once it has the back buffer's size, centre it on its display.
        if ((SDL_GetWindowFlags(record->sdlWindow) & SDL_WINDOW_FULLSCREEN) == 0)
            SDL_SetWindowPosition(record->sdlWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc ||
        wc->cbSize != sizeof(WNDCLASSEXA))
        return 0;
    const std::string name = wc->lpszClassName;
    if (g_classes.count(name)) return 0;  // the platform refuses a second registration
    ClassRecord& record = g_classes[name];
    record.description = *wc;
    record.name = name;
    record.description.lpszClassName = record.name.c_str();
    return static_cast<ATOM>(0xC000 + g_classes.size());
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int, int, int,
                            int, HWND, HMENU, HINSTANCE, LPVOID)
{
    if (PlatformFailureRequested("window")) {
        std::fprintf(stderr, "vantrel: window creation refused (VANTREL_FAIL=window)\n");
        return nullptr;
    }
    if (!className || IS_INTRESOURCE(className)) return nullptr;
    auto found = g_classes.find(className);
    if (found == g_classes.end()) {
        std::fprintf(stderr, "vantrel: window class \"%s\" is not registered\n", className);
        return nullptr;
    }
    if (!EnsureVideo()) return nullptr;
    // Hidden until the device sizes it. It starts out covering the display, as a pop-up
    // that a full-screen device takes over: without a window manager to honour the
    // full-screen request, a smaller window would leave most of the screen black.
    SDL_Rect display = {0, 0, 1, 1};
    if (SDL_GetDisplayBounds(0, &display) != 0 || display.w <= 0 || display.h <= 0) display = {0, 0, 1, 1};
    // The device may draw straight into this window, depth test included; the visual is
    // picked now, so the depth buffer has to be asked for before the window exists.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* sdlWindow = SDL_CreateWindow(windowName ? windowName : "", display.x, display.y, display.w,
                                             display.h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!sdlWindow) {
        std::fprintf(stderr, "vantrel: SDL window creation failed: %s\n", SDL_GetError());
        return nullptr;
    }
    SetWindowIcon(sdlWindow, found->second.description.hIcon);

    HWND handle = reinterpret_cast<HWND>(g_nextHandle);
    g_nextHandle += 0x10;
    g_windows[handle] = WindowRecord{found->second.description.lpfnWndProc, sdlWindow, 0, 0, false};
    g_mainWindow = handle;
    return handle;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand)
{
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return FALSE;
    if (showCommand == SW_HIDE) {
        SDL_HideWindow(record->sdlWindow);
        return TRUE;
    }
    SDL_ShowWindow(record->sdlWindow);
    SDL_RaiseWindow(record->sdlWindow);
    // A shown window gets the keyboard and mouse until the system reports otherwise.
    PlatformInput().foreground = true;
    return FALSE;
}

BOOL WINAPI UpdateWindow(HWND window) { return FindWindowRecord(window) ? TRUE : FALSE; }

BOOL WINAPI DestroyWindow(HWND window)
{
    WindowRecord* record = FindWindowRecord(window);
    if (!record || record->destroying) return FALSE;
    record->destroying = true;
    const WNDPROC procedure = record->procedure;
    SDL_Window* sdlWindow = record->sdlWindow;
    procedure(window, WM_DESTROY, 0, 0);
    g_windows.erase(window);
    if (window == g_mainWindow) g_mainWindow = nullptr;
    // The SDL window itself stays until the process ends: the device may still hold it and
    // draw the frame that follows the destruction.
    SDL_HideWindow(sdlWindow);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close, as the platform's system menu does.
        if (wParam == VK_F4) {
            if (WindowRecord* record = FindWindowRecord(window))
                return record->procedure(window, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return 0;
    }
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (!IS_INTRESOURCE(name)) return nullptr;
    const int id = LOWORD(name);
    if (instance == nullptr) {
        // The system's own icons.
        return id == LOWORD(IDI_APPLICATION) ? reinterpret_cast<HICON>(kIconHandleBase + id)
                                             : nullptr;
    }
    if (!FindModuleIcon(id)) return nullptr;
    return reinterpret_cast<HICON>(kIconHandleBase + id);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance != nullptr || !IS_INTRESOURCE(name)) return nullptr;
    const int id = LOWORD(name);
    if (id != LOWORD(IDC_ARROW)) return nullptr;
    return reinterpret_cast<HCURSOR>(kCursorHandleBase + id);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    static char moduleTag;
    return moduleName ? nullptr : reinterpret_cast<HMODULE>(&moduleTag);
}
