#include "input/input_devices.h"

#include <dinput.h>

#include "figure/roles.h"
#include "game/figure_access.h"
#include "game/state.h"
#include "input/key_table.h"
#include "base/log.h"

#include "game/pass_hooks.h"
#include "game/play_record.h"
#include "input/key_state.h"

#include <cstdint>
#include <cstring>

LPDIRECTINPUT8 g_directInput = nullptr;
LPDIRECTINPUTDEVICE8 g_keyboard = nullptr;
LPDIRECTINPUTDEVICE8 g_mouse = nullptr;
KeyState g_keyStates[256] = {};
KeyState g_mouseButtons[4] = {};

namespace {

void ForgetInput()
{
    g_directInput = nullptr;
    g_keyboard = nullptr;
    g_mouse = nullptr;
    std::memset(g_keyStates, 0, sizeof g_keyStates);
    std::memset(g_mouseButtons, 0, sizeof g_mouseButtons);
    ForgetPlay();
}

void AimHeldItem(LONG dy);

// A recorded pass of play, played again in a sandbox (game/play_record.h).
void ReplayPass(const PlayPass& pass)
{
    for (const PlayKey& key : pass.keys) {
        // A thrust's release reads the button's held time: the one it had in play.
        const KeySource source = static_cast<KeySource>(key.source);
        const bool mouse = source == MOUSE_BUTTON_DOWN || source == MOUSE_BUTTON_UP;
        if (!mouse || key.code >= sizeof g_mouseButtons / sizeof g_mouseButtons[0]) {
            RunKeyCommand(source, key.code);
            continue;
        }
        KeyState& button = g_mouseButtons[key.code];
        const float held = button.heldTime;
        button.heldTime = key.held;
        RunKeyCommand(source, key.code);
        button.heldTime = held;
    }
    AimHeldItem(static_cast<LONG>(pass.aim));
}

}  // namespace

void InstallInput()
{
    // The game polls the devices through its pass hooks: it sits below this layer.
    Hooks().pollInput = PollInput;
    Hooks().forgetInput = ForgetInput;
    Hooks().replayPass = ReplayPass;
}

// Creates one device, gives it its data format and cooperation, and takes it; the first
// failure is returned and the rest is not tried.
static HRESULT SetUpDevice(REFGUID guid, LPCDIDATAFORMAT format, HWND window, DWORD cooperation,
                           LPDIRECTINPUTDEVICE8* device)
{
    HRESULT hr = g_directInput->CreateDevice(guid, device, nullptr);
    if (FAILED(hr)) return hr;
    hr = (*device)->SetDataFormat(format);
    if (FAILED(hr)) return hr;
    hr = (*device)->SetCooperativeLevel(window, cooperation);
    if (FAILED(hr)) return hr;
    return (*device)->Acquire();
}

HRESULT InitDirectInput(HWND window, HINSTANCE instance)
{
    HRESULT hr = DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                    reinterpret_cast<LPVOID*>(&g_directInput), nullptr);
    if (FAILED(hr)) return hr;
    hr = SetUpDevice(GUID_SysKeyboard, &c_dfDIKeyboard, window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, &g_keyboard);
    if (FAILED(hr)) return hr;
    // The mouse is the game's alone while the window is in front: the game draws its own cursor.
    hr = SetUpDevice(GUID_SysMouse, &c_dfDIMouse, window, DISCL_EXCLUSIVE | DISCL_FOREGROUND, &g_mouse);
    if (FAILED(hr)) return hr;
    std::memset(g_keyStates, 0, sizeof g_keyStates);
    WriteLog("DirectInput initialized");
    return 0;
}

// A device taken away while the window was in the background is asked for again, so
// input comes back once the player returns; until then the read keeps failing.
static HRESULT ReadDevice(LPDIRECTINPUTDEVICE8 device, DWORD size, void* data)
{
    HRESULT hr = device->GetDeviceState(size, data);
    if (hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED) {
        if (SUCCEEDED(device->Acquire())) hr = device->GetDeviceState(size, data);
    }
    return hr;
}

// Edge detection of one key or button; true when the state byte changed.
static bool UpdateKeyState(KeyState& s, unsigned char state, float dt)
{
    if (s.lastState != state) {
        s.changed = 1;
    } else {
        s.heldTime += dt;
        s.changed = 0;
    }
    s.lastState = state;
    s.down = (state & 0x80) != 0;
    return s.changed != 0;
}

static int ClampToInt(int64_t value)
{
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

static void MoveGameCursor(LONG dx, LONG dy)
{
    g_mouseX = ClampToInt(static_cast<int64_t>(g_mouseX) + 2 * static_cast<int64_t>(dx));
    g_mouseY = ClampToInt(static_cast<int64_t>(g_mouseY) + 2 * static_cast<int64_t>(dy));
    if (g_mouseX < 0) g_mouseX = 0;
    if (g_mouseY < 0) g_mouseY = 0;
    if (static_cast<float>(g_mouseX) >= g_screenWidth) g_mouseX = static_cast<int>(g_screenWidth - 1.0f);
    if (static_cast<float>(g_mouseY) >= g_screenHeight) g_mouseY = static_cast<int>(g_screenHeight - 1.0f);
}

namespace {

void AimHeldItem(LONG dy)
{
    ManPart* holder = SlotAt(HOLDING_SLOT);
    if (!holder || holder->vecpartnum != GRIP_IMAGE) return;
    holder->angle -= static_cast<float>(dy);
    if (holder->angle > 359.0f) holder->angle -= 360.0f;
    if (holder->angle < 0.0f) holder->angle += 360.0f;
}

}  // namespace

// Reads one device's state bytes into its key states and calls the handler on each edge;
// a state byte of 0 for every entry is how a lost device lets go of what it held.
template <typename Handler>
static void ApplyStates(KeyState* states, int count, const unsigned char* bytes, float dt, Handler onChange)
{
    for (int k = 0; k < count; ++k) {
        KeyState& s = states[k];
        if (UpdateKeyState(s, bytes[k], dt)) {
            onChange(static_cast<unsigned char>(k), s.down != 0);
            s.heldTime = 0.0f;
        }
    }
}

// A device that cannot be read (the window lost the keyboard or the mouse) will not report
// the releases made elsewhere: whatever it still holds is let go at once, through the same
// handlers, so a walk stops and a charged thrust goes off with its held time. Once only:
// afterwards nothing is down. No time passes for the held states.
template <typename Handler>
static void ReleaseHeld(KeyState* states, int count, Handler onChange)
{
    static const unsigned char released[256] = {};
    ApplyStates(states, count, released, 0.0f, onChange);
}

void PollInput(float dt)
{
    auto onKey = [](unsigned char key, bool down) { RunKeyCommand(down ? DEVICE_KEY_DOWN : DEVICE_KEY_UP, key); };
    unsigned char keys[256];
    if (g_keyboard && ReadDevice(g_keyboard, sizeof keys, keys) == DI_OK)
        ApplyStates(g_keyStates, 256, keys, dt, onKey);
    else if (g_keyboard)
        ReleaseHeld(g_keyStates, 256, onKey);

    auto onButton = [](unsigned char button, bool down) {
        RunKeyCommand(down ? MOUSE_BUTTON_DOWN : MOUSE_BUTTON_UP, button);
    };
    DIMOUSESTATE mouse;
    long aim = 0;
    if (g_mouse && ReadDevice(g_mouse, sizeof mouse, &mouse) == DI_OK) {
        g_cameraDistance = g_cameraDistance - static_cast<float>(mouse.lZ);
        MoveGameCursor(mouse.lX, mouse.lY);
        AimHeldItem(mouse.lY);
        aim = mouse.lY;
        ApplyStates(g_mouseButtons, 4, mouse.rgbButtons, dt, onButton);
    } else if (g_mouse) {
        ReleaseHeld(g_mouseButtons, 4, onButton);
    }
    NotePlayPass(dt, aim);
}
