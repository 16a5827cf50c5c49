// The thread's message queue, the SDL event pump, the tick count and the cursor of the
// Win32 stand-in, and the scripted mode that replaces the devices and the clock.
#include <SDL.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <string>

#include <stand_in.h>

#include "common/gamepad.h"
#include "common/script.h"
#include "key_tables.h"
#include "window_registry.h"

namespace {

struct QueuedMessage {
    MSG msg;
    std::string text;  // characters the layout gave for this key press, for TranslateMessage
};

std::deque<QueuedMessage> g_queue;
bool g_quitPosted = false;
int g_quitCode = 0;
// The key press PeekMessageA handed out last, so TranslateMessage can find its characters.
QueuedMessage g_lastTaken = {};
// The last key press posted by the pump, so the text event that follows can join it.
QueuedMessage* g_pendingKeyDown = nullptr;

DWORD RealTickCount()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(static_cast<uint64_t>(ms));
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    QueuedMessage queued = {};
    queued.msg.hwnd = window;
    queued.msg.message = message;
    queued.msg.wParam = wParam;
    queued.msg.lParam = lParam;
    queued.msg.time = GetTickCount();
    queued.msg.pt.x = PlatformInput().cursorX;
    queued.msg.pt.y = PlatformInput().cursorY;
    g_queue.push_back(queued);
}

// Key message flags: repeat count 1, scan code, extended bit, context and transition bits.
LPARAM KeyFlags(int dik, bool altDown, bool wasDown, bool released)
{
    uint32_t flags = 1u | (static_cast<uint32_t>(dik & 0x7F) << 16);
    if (dik & 0x80) flags |= 1u << 24;
    if (altDown) flags |= 1u << 29;
    if (wasDown) flags |= 1u << 30;
    if (released) flags |= 1u << 31;
    return static_cast<LPARAM>(flags);
}

// Characters of a UTF-8 text as the single-byte codes the game's messages carry;
// characters beyond Latin-1 have no such code and are dropped.
std::string SingleByteText(const char* utf8)
{
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        uint32_t code;
        int extra;
        if (*p < 0x80) { code = *p; extra = 0; }
        else if ((*p & 0xE0) == 0xC0) { code = *p & 0x1F; extra = 1; }
        else if ((*p & 0xF0) == 0xE0) { code = *p & 0x0F; extra = 2; }
        else if ((*p & 0xF8) == 0xF0) { code = *p & 0x07; extra = 3; }
        else { ++p; continue; }
        ++p;
        bool valid = true;
        for (int i = 0; i < extra; ++i) {
            if ((*p & 0xC0) != 0x80) { valid = false; break; }
            code = (code << 6) | (*p & 0x3F);
            ++p;
        }
        if (valid && code > 0 && code < 0x100) out += static_cast<char>(code);
    }
    return out;
}

// Mouse positions in back-buffer pixels, whatever size the window has on screen.
void ScaleToBackBuffer(HWND window, int x, int y, int32_t& outX, int32_t& outY)
{
    outX = x;
    outY = y;
    WindowRecord* record = FindWindowRecord(window);
    if (!record || record->backBufferWidth <= 0 || record->backBufferHeight <= 0) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(record->sdlWindow, &width, &height);
    if (width <= 0 || height <= 0) return;
    outX = static_cast<int32_t>(static_cast<int64_t>(x) * record->backBufferWidth / width);
    outY = static_cast<int32_t>(static_cast<int64_t>(y) * record->backBufferHeight / height);
}

void HandleFocus(HWND window, bool gained)
{
    PlatformInputState& input = PlatformInput();
    if (gained) {
        input.foreground = true;
        Post(window, WM_ACTIVATE, WA_ACTIVE, 0);
        Post(window, WM_SETFOCUS, 0, 0);
    } else {
        input.foreground = false;
        // Keys released while another window has the focus never reach us.
        PlatformResetInput();
        Post(window, WM_ACTIVATE, WA_INACTIVE, 0);
        Post(window, WM_KILLFOCUS, 0, 0);
    }
}

void HandleKey(const SDL_KeyboardEvent& event, bool down)
{
    HWND window = FindWindowBySdlId(event.windowID);
    if (!window) window = PlatformMainWindow();
    PlatformInputState& input = PlatformInput();
    const int dik = DikFromScancode(event.keysym.scancode);
    if (dik) input.keys[dik] = down ? 0x80 : 0;

    g_pendingKeyDown = nullptr;
    const int vk = VirtualKeyFromSdl(event.keysym.sym, event.keysym.scancode);
    if (!vk || !window) return;
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    // Alt combinations and F10 are system keys on the platform.
    const bool system = alt || vk == VK_F10 || vk == VK_MENU;
    const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN)
                              : (system ? WM_SYSKEYUP : WM_KEYUP);
    Post(window, message, static_cast<WPARAM>(vk), KeyFlags(dik, alt, down ? event.repeat != 0 : true, !down));
    if (message != WM_KEYDOWN) return;
    g_pendingKeyDown = &g_queue.back();
    // Ctrl with a letter types that letter's control code (Ctrl+S gives 19), as the
    // platform's translation does; the layout sends no text for it.
    if ((event.keysym.mod & KMOD_CTRL) != 0 && vk >= 'A' && vk <= 'Z') {
        g_pendingKeyDown->text = std::string(1, static_cast<char>(vk - 'A' + 1));
    }
}

void HandleText(const SDL_TextInputEvent& event)
{
    const std::string text = SingleByteText(event.text);
    if (text.empty()) return;
    if (g_pendingKeyDown) {
        // A control code already typed stands for the whole press.
        const std::string& typed = g_pendingKeyDown->text;
        if (!(typed.size() == 1 && static_cast<unsigned char>(typed[0]) < 32)) g_pendingKeyDown->text += text;
        return;
    }
    // Text with no key press of its own (input methods): straight to the queue.
    HWND window = FindWindowBySdlId(event.windowID);
    if (!window) window = PlatformMainWindow();
    for (char c : text) Post(window, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// The one game controller in use; the first one found, and the next when it goes.
SDL_GameController* g_pad = nullptr;
SDL_JoystickID g_padId = -1;
DWORD g_lastPadTick = 0;

// SDL's buttons in the order of PadButton; the guide and stick buttons have no part.
struct SdlPadButton {
    SDL_GameControllerButton sdl;
    PadButton pad;
};
const SdlPadButton kPadButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, PadButton::A},
    {SDL_CONTROLLER_BUTTON_B, PadButton::B},
    {SDL_CONTROLLER_BUTTON_X, PadButton::X},
    {SDL_CONTROLLER_BUTTON_Y, PadButton::Y},
    {SDL_CONTROLLER_BUTTON_BACK, PadButton::Back},
    {SDL_CONTROLLER_BUTTON_START, PadButton::Start},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PadButton::LeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PadButton::RightShoulder},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadButton::DpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadButton::DpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadButton::DpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadButton::DpadRight},
};
const PadAxis kPadAxes[SDL_CONTROLLER_AXIS_MAX] = {PadAxis::LeftX, PadAxis::LeftY, PadAxis::RightX,
                                                   PadAxis::RightY, PadAxis::LeftTrigger, PadAxis::RightTrigger};

void OpenPad(int deviceIndex)
{
    if (g_pad || !SDL_IsGameController(deviceIndex)) return;
    g_pad = SDL_GameControllerOpen(deviceIndex);
    if (g_pad) g_padId = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(g_pad));
}

// The headless driver of the tests and the runner has no one at the controls.
const char* const kHeadlessVideoDriver = "offscreen";

// Pads already plugged in are announced as added once the subsystem starts, so starting it
// is all a pad present at launch needs.
void StartPads()
{
    static bool tried = false;
    if (tried) return;
    tried = true;
    g_lastPadTick = RealTickCount();
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, kHeadlessVideoDriver) == 0) return;
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void HandlePadRemoved(SDL_JoystickID id)
{
    if (!g_pad || id != g_padId) return;
    SDL_GameControllerClose(g_pad);
    g_pad = nullptr;
    g_padId = -1;
    // What it held is let go, so a walk does not go on without it.
    PlatformPadRemoved();
    for (int i = 0; i < SDL_NumJoysticks() && !g_pad; ++i) OpenPad(i);
}

void HandlePadButton(const SDL_ControllerButtonEvent& event)
{
    if (event.which != g_padId) return;
    for (const SdlPadButton& b : kPadButtons) {
        if (b.sdl == event.button) PlatformPadButton(b.pad, event.state == SDL_PRESSED);
    }
}

void HandlePadAxis(const SDL_ControllerAxisEvent& event)
{
    if (event.which != g_padId || event.axis >= SDL_CONTROLLER_AXIS_MAX) return;
    PlatformPadAxis(kPadAxes[event.axis], event.value);
}

void PumpEvents()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    StartPads();
    PlatformInputState& input = PlatformInput();
    SDL_Event event;
    g_pendingKeyDown = nullptr;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            OpenPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            HandlePadRemoved(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            HandlePadButton(event.cbutton);
            break;
        case SDL_CONTROLLERAXISMOTION:
            HandlePadAxis(event.caxis);
            break;
        case SDL_KEYDOWN:
            HandleKey(event.key, true);
            break;
        case SDL_KEYUP:
            HandleKey(event.key, false);
            break;
        case SDL_TEXTINPUT:
            HandleText(event.text);
            break;
        case SDL_MOUSEMOTION: {
            input.mouseDX += event.motion.xrel;
            input.mouseDY += event.motion.yrel;
            HWND window = FindWindowBySdlId(event.motion.windowID);
            ScaleToBackBuffer(window, event.motion.x, event.motion.y, input.cursorX, input.cursorY);
            break;
        }
        case SDL_MOUSEWHEEL: {
            int notches = event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
            input.mouseWheel += notches * 120;
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int index = -1;
            switch (event.button.button) {
            case SDL_BUTTON_LEFT: index = 0; break;
            case SDL_BUTTON_RIGHT: index = 1; break;
            case SDL_BUTTON_MIDDLE: index = 2; break;
            case SDL_BUTTON_X1: index = 3; break;
            default: break;
            }
            if (index >= 0) input.buttons[index] = event.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
            break;
        }
        case SDL_WINDOWEVENT: {
            HWND window = FindWindowBySdlId(event.window.windowID);
            if (!window) break;
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) Post(window, WM_CLOSE, 0, 0);
            else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) HandleFocus(window, true);
            else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) HandleFocus(window, false);
            break;
        }
        case SDL_QUIT: {
            // Interrupts and termination signals arrive here: ask the main window to close so
            // the game shuts down through its own path. A window's own close request has
            // already been queued by its window event.
            HWND window = PlatformMainWindow();
            bool queued = false;
            for (const QueuedMessage& waiting : g_queue) queued = queued || waiting.msg.message == WM_CLOSE;
            if (window && !queued) Post(window, WM_CLOSE, 0, 0);
            break;
        }
        default:
            break;
        }
    }
    g_pendingKeyDown = nullptr;
    const DWORD now = RealTickCount();
    PlatformPadElapse(now - g_lastPadTick);
    g_lastPadTick = now;
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (window && msg.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

void DropSystemInput()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
}

}  // namespace

void ScriptStarting()
{
    g_queue.clear();
    g_quitPosted = false;
}

void PlatformPostWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    Post(PlatformMainWindow(), message, wParam, lParam);
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!msg) return FALSE;
    if (PlatformScripted()) {
        if (ScriptBeginPass(msg, DropSystemInput)) return TRUE;
    } else {
        PumpEvents();
    }
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if (!Matches(it->msg, window, filterMin, filterMax)) continue;
        *msg = it->msg;
        if (removeMsg & PM_REMOVE) {
            g_lastTaken = *it;
            g_queue.erase(it);
        }
        return TRUE;
    }
    // The quit message comes only once nothing else is waiting, as on the platform.
    if (g_quitPosted && !window) {
        std::memset(msg, 0, sizeof *msg);
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(g_quitCode);
        msg->time = GetTickCount();
        if (removeMsg & PM_REMOVE) g_quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg)
{
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    std::string characters;
    const QueuedMessage& last = g_lastTaken;
    if (last.msg.message == msg->message && last.msg.hwnd == msg->hwnd &&
        last.msg.wParam == msg->wParam && last.msg.lParam == msg->lParam &&
        last.msg.time == msg->time && !last.text.empty()) {
        characters = last.text;
    } else {
        const int vk = static_cast<int>(msg->wParam);
        const int character = CharacterFromVirtualKey(vk);
        // Live keyboards deliver printable characters through the layout's text; only the
        // control keys are left to the key itself. Scripts have no layout: use a US one.
        const bool control = character == 8 || character == 9 || character == 13 || character == 27;
        if (character && (PlatformScripted() || control)) characters = std::string(1, static_cast<char>(character));
    }
    if (characters.empty()) return FALSE;
    // The character comes next, ahead of anything queued behind its key.
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
        QueuedMessage queued = {};
        queued.msg = *msg;
        queued.msg.message = WM_CHAR;
        queued.msg.wParam = static_cast<unsigned char>(*it);
        g_queue.push_front(queued);
    }
    g_lastTaken.text.clear();
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (!msg) return 0;
    WindowRecord* record = FindWindowRecord(msg->hwnd);
    if (!record) return 0;
    return record->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window && !FindWindowRecord(window)) return FALSE;
    Post(window, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    g_quitPosted = true;
    g_quitCode = exitCode;
}

DWORD WINAPI GetTickCount(void)
{
    return PlatformScripted() ? ScriptTickCount() : RealTickCount();
}

BOOL WINAPI GetCursorPos(LPPOINT point)
{
    if (!point) return FALSE;
    point->x = PlatformInput().cursorX;
    point->y = PlatformInput().cursorY;
    return TRUE;
}
