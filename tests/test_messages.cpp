#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <vector>

#include <dinput.h>
#include <stand_in.h>

#include "platform/sdl/sdl_window.h"

namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_seen.push_back(message);
    if (message == WM_DESTROY) PostQuitMessage(7);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow()
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "recording";
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "recording", "test", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

void BeginScripted(uint32_t startTick = 0, uint32_t dtMs = 16)
{
    PlatformScript script = {};
    script.startTick = startTick;
    script.dtMs = dtMs;
    script.frames = -1;
    PlatformBeginScript(script);
}

// The characters TranslateMessage puts right behind one key press, ahead of a queued key up.
std::vector<WPARAM> CharactersOf(WPARAM virtualKey)
{
    PlatformPostWindowMessage(WM_KEYDOWN, virtualKey, 1);
    PlatformPostWindowMessage(WM_KEYUP, virtualKey, 1);
    std::vector<WPARAM> characters;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_KEYUP) break;
        if (msg.message == WM_CHAR) characters.push_back(msg.wParam);
        TranslateMessage(&msg);
    }
    return characters;
}

}  // namespace

TEST(Messages, ScriptedKeysTranslateAsAUsKeyboard)
{
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_NE(MakeWindow(), nullptr);
    BeginScripted();
    EXPECT_EQ(CharactersOf(VK_TAB), (std::vector<WPARAM>{9}));
    EXPECT_EQ(CharactersOf(VK_ESCAPE), (std::vector<WPARAM>{27}));
    EXPECT_EQ(CharactersOf(VK_RETURN), (std::vector<WPARAM>{13}));
    EXPECT_EQ(CharactersOf(VK_BACK), (std::vector<WPARAM>{8}));
    EXPECT_EQ(CharactersOf(VK_SPACE), (std::vector<WPARAM>{' '}));
    EXPECT_EQ(CharactersOf('Q'), (std::vector<WPARAM>{'q'}));
    EXPECT_EQ(CharactersOf('1'), (std::vector<WPARAM>{'1'}));
    EXPECT_EQ(CharactersOf(0xBB), (std::vector<WPARAM>{'='}));
    EXPECT_EQ(CharactersOf(0xC0), (std::vector<WPARAM>{'`'}));
    EXPECT_TRUE(CharactersOf(VK_F1).empty());
    EXPECT_TRUE(CharactersOf(VK_UP).empty());
    MSG keyUp = {};
    keyUp.message = WM_KEYUP;
    keyUp.wParam = 'Q';
    EXPECT_FALSE(TranslateMessage(&keyUp));
}

TEST(Messages, QuitComesAfterWaitingMessagesAndCarriesItsCode)
{
    HWND window = MakeWindow();
    BeginScripted();
    PostQuitMessage(0);
    PostMessageA(window, WM_COMMAND, 1, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_COMMAND));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    // Closing goes through the default procedure, which destroys the window.
    g_seen.clear();
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_EQ(SdlWindowFromHandle(window), nullptr);
    EXPECT_FALSE(PostMessageA(window, WM_CLOSE, 0, 0));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);

    // Alt+F4 arrives as a system key, which the default procedure turns into a close request.
    HWND second = MakeWindow();
    g_seen.clear();
    DefWindowProcA(second, WM_SYSKEYDOWN, VK_F4, 1 << 29);
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(DestroyWindow(second));
}

TEST(Messages, VirtualClockAdvancesPerPassAndWraps)
{
    BeginScripted(0xFFFFFFE0u, 16);
    EXPECT_EQ(PlatformCurrentPass(), -1);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFE0u);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(PlatformCurrentPass(), 0);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(GetTickCount(), 0u);
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(GetTickCount() - 0xFFFFFFF0u, 32u);
}

namespace {

SDL_Event KeyEvent(HWND window, Uint32 type, SDL_Scancode scancode, SDL_Keycode key, Uint16 mod = 0,
                   Uint8 repeat = 0)
{
    SDL_Event event = {};
    event.type = type;
    event.key.windowID = SDL_GetWindowID(SdlWindowFromHandle(window));
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    return event;
}

std::vector<MSG> Drain()
{
    std::vector<MSG> messages;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        messages.push_back(msg);
        TranslateMessage(&msg);
    }
    return messages;
}

}  // namespace

TEST(Messages, LiveEventsBecomeMessagesAndDeviceState)
{
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 0);
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    Drain();
    PlatformResetInput();
    PlatformInputState& input = PlatformInput();

    // '=' with Shift on this layout types '+': the character follows the layout's text.
    SDL_Event down = KeyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_EQUALS, SDLK_EQUALS, KMOD_LSHIFT);
    SDL_PushEvent(&down);
    SDL_Event text = {};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = down.key.windowID;
    SDL_strlcpy(text.text.text, "+", sizeof text.text.text);
    SDL_PushEvent(&text);
    SDL_Event repeat = KeyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 0, 1);
    SDL_PushEvent(&repeat);
    SDL_Event up = KeyEvent(window, SDL_KEYUP, SDL_SCANCODE_EQUALS, SDLK_EQUALS);
    SDL_PushEvent(&up);
    std::vector<MSG> messages = Drain();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(messages[0].wParam, 0xBBu);
    EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(messages[1].wParam, static_cast<WPARAM>('+'));
    EXPECT_EQ(messages[2].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(messages[2].wParam, static_cast<WPARAM>(VK_NEXT));
    EXPECT_NE(messages[2].lParam & (1 << 30), 0);  // auto-repeat: it was already down
    EXPECT_EQ(messages[3].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(input.keys[DIK_EQUALS], 0);
    EXPECT_EQ(input.keys[DIK_NEXT], 0x80);

    // Ctrl with S, Z and Y types 19, 26 and 25, even should the layout send its letter.
    for (SDL_Keycode letter : {SDLK_s, SDLK_z, SDLK_y}) {
        const SDL_Scancode scancode = SDL_GetScancodeFromKey(letter);
        SDL_Event control = KeyEvent(window, SDL_KEYDOWN, scancode, letter, KMOD_LCTRL);
        SDL_PushEvent(&control);
        SDL_Event letterText = text;
        SDL_strlcpy(letterText.text.text, SDL_GetKeyName(letter), sizeof letterText.text.text);
        SDL_PushEvent(&letterText);
        SDL_Event release = KeyEvent(window, SDL_KEYUP, scancode, letter, KMOD_LCTRL);
        SDL_PushEvent(&release);
        messages = Drain();
        ASSERT_EQ(messages.size(), 3u);
        EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_CHAR));
        EXPECT_EQ(messages[1].wParam, static_cast<WPARAM>(letter - SDLK_a + 1));
    }

    // Escape has no text; the key itself gives 27.
    SDL_Event escape = KeyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    SDL_PushEvent(&escape);
    messages = Drain();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(messages[1].wParam, 27u);

    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = down.key.windowID;
    motion.motion.x = 50;
    motion.motion.y = 20;
    motion.motion.xrel = 3;
    motion.motion.yrel = -4;
    SDL_PushEvent(&motion);
    SDL_PushEvent(&motion);
    SDL_Event wheel = {};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    SDL_PushEvent(&wheel);
    SDL_Event button = {};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&button);
    Drain();
    EXPECT_EQ(input.mouseDX, 6);
    EXPECT_EQ(input.mouseDY, -8);
    EXPECT_EQ(input.mouseWheel, -240);
    EXPECT_EQ(input.buttons[1], 0x80);
    POINT cursor = {};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 50);
    EXPECT_EQ(cursor.y, 20);

    // Losing the focus drops every held key and button and says so in messages.
    SDL_Event focus = {};
    focus.type = SDL_WINDOWEVENT;
    focus.window.windowID = down.key.windowID;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);
    messages = Drain();
    EXPECT_FALSE(input.foreground);
    EXPECT_EQ(input.keys[DIK_NEXT], 0);
    EXPECT_EQ(input.buttons[1], 0);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_ACTIVATE));
    EXPECT_EQ(messages[0].wParam, static_cast<WPARAM>(WA_INACTIVE));
    EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_KILLFOCUS));

    SDL_Event close = {};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = down.key.windowID;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
    messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_CLOSE));

    // An interrupt asks for the same close, once, whatever else asked already.
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&close);
    SDL_PushEvent(&quit);
    messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_CLOSE));
    SDL_PushEvent(&quit);
    messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_CLOSE));
}

TEST(Messages, CursorIsReportedInBackBufferPixels)
{
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 0);
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    SDL_SetWindowSize(SdlWindowFromHandle(window), 400, 300);
    SdlSetBackBufferSize(window, 800, 600);
    Drain();
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(SdlWindowFromHandle(window));
    motion.motion.x = 100;
    motion.motion.y = 150;
    SDL_PushEvent(&motion);
    Drain();
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 200);
    EXPECT_EQ(cursor.y, 300);
}

TEST(Messages, WindowFailureSwitchRefusesCreation)
{
    PlatformSetFailures("window");
    EXPECT_EQ(MakeWindow(), nullptr);
    PlatformSetFailures(nullptr);
    EXPECT_NE(MakeWindow(), nullptr);
}
