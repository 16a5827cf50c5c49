#include "shell/main_window.h"

#include "game/state.h"
#include "shell/window_keys.h"

ATOM RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VANTREL));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = MAKEINTRESOURCEA(IDC_VANTREL_MENU);
    wc.lpszClassName = "vantrelgame";
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    return RegisterClassExA(&wc);
}

bool CreateMainWindow(HINSTANCE instance, int showCommand)
{
    g_hInstance = instance;
    // A pop-up turns the default position and size into (0, 0) and 0 x 0; the full-screen
    // device covers the screen with it later.
    g_hWnd = CreateWindowExA(0, "vantrelgame", "Vantrel Game", WS_POPUP, CW_USEDEFAULT, 0,
                             CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (!g_hWnd) return false;
    ShowWindow(g_hWnd, showCommand);
    UpdateWindow(g_hWnd);
    return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_EXIT) {
            DestroyWindow(window);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT:
        // The device draws everything; the window is deliberately left unvalidated.
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        OnWindowKeyDown(wParam);
        return 0;
    case WM_KEYUP:
        OnWindowKeyUp(wParam);
        return 0;
    case WM_CHAR:
        OnWindowChar(wParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
