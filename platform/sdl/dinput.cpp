// The keyboard and mouse devices over the shared input state that the event pump (or a
// replay script) fills once per pass.
#include <dinput.h>
#include <stand_in.h>

#include "common/ref_counted.h"

#include <SDL.h>

#include <cstring>

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};

static const GUID GUID_XAxis = {0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
static const GUID GUID_YAxis = {0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
static const GUID GUID_ZAxis = {0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
static const GUID GUID_Button = {0xA36D02F0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
static const GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

static const DWORD DIDF_RELAXIS = 0x00000002;
static const DWORD DIDFT_AXIS = 0x00000003;
static const DWORD DIDFT_BUTTON = 0x0000000C;
static const DWORD DIDFT_ANYINSTANCE = 0x00FFFF00;
static const DWORD DIDFT_OPTIONAL = 0x80000000;
static const DWORD KEYBOARD_STATE_SIZE = 256;
static const DWORD MOUSE_STATE_SIZE = sizeof(DIMOUSESTATE);

static DIOBJECTDATAFORMAT* KeyboardObjects()
{
    static DIOBJECTDATAFORMAT objects[KEYBOARD_STATE_SIZE];
    for (DWORD i = 0; i < KEYBOARD_STATE_SIZE; ++i)
        objects[i] = {&GUID_Key, i, DIDFT_OPTIONAL | DIDFT_BUTTON | (i << 8), 0};
    return objects;
}

static DIOBJECTDATAFORMAT g_mouseObjects[] = {
    {&GUID_XAxis, 0, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_YAxis, 4, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_ZAxis, 8, DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_Button, 12, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {&GUID_Button, 13, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {&GUID_Button, 14, DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {&GUID_Button, 15, DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                     KEYBOARD_STATE_SIZE, KEYBOARD_STATE_SIZE, KeyboardObjects()};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                  MOUSE_STATE_SIZE, sizeof g_mouseObjects / sizeof g_mouseObjects[0],
                                  g_mouseObjects};

static bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

// Pointer capture follows the exclusive mouse; without a video subsystem there is nothing to capture.
static void CapturePointer(bool capture)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
#ifdef __EMSCRIPTEN__
    // A page may lock the pointer only inside an input event, so SDL would keep the request
    // for the next one anywhere on the page: the first click on a page button would then
    // lock the pointer onto the canvas and every later click would land in the game. The
    // page asks for the lock itself when the canvas is clicked; a locked pointer's motion
    // reaches the game as relative motion either way. Only the cursor is hidden here.
    SDL_ShowCursor(capture ? SDL_DISABLE : SDL_ENABLE);
#else
    SDL_SetRelativeMouseMode(capture ? SDL_TRUE : SDL_FALSE);
#endif
}

namespace {

enum class DeviceKind { Keyboard, Mouse };

class InputDevice final : public RefCounted<IDirectInputDevice8A> {
public:
    explicit InputDevice(DeviceKind kind) : kind_(kind) {}
    // A device freed while acquired lets the pointer go.
    ~InputDevice() override { Unacquire(); }

    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override
    {
        if (!format) return DIERR_INVALIDPARAM;
        if (acquired_) return DIERR_ACQUIRED_CODE;
        if (format->dwDataSize != StateSize()) return DIERR_INVALIDPARAM;
        formatSet_ = true;
        return DI_OK;
    }

    HRESULT SetCooperativeLevel(HWND, DWORD flags) override
    {
        const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
        const bool nonExclusive = (flags & DISCL_NONEXCLUSIVE) != 0;
        const bool foreground = (flags & DISCL_FOREGROUND) != 0;
        const bool background = (flags & DISCL_BACKGROUND) != 0;
        if (exclusive == nonExclusive || foreground == background) return DIERR_INVALIDPARAM;
        if (acquired_) return DIERR_ACQUIRED_CODE;
        flags_ = flags;
        return DI_OK;
    }

    HRESULT Acquire() override
    {
        if (!formatSet_) return DIERR_INVALIDPARAM;
        if (PlatformFailureRequested("acquire")) return DIERR_OTHERAPPHASPRIO;
        if (acquired_) return S_FALSE;
        if (ForegroundOnly() && !PlatformInput().foreground) return DIERR_OTHERAPPHASPRIO;
        acquired_ = true;
        if (kind_ == DeviceKind::Mouse) {
            // Motion made while the device was not ours is not reported.
            PlatformInputState& input = PlatformInput();
            input.mouseDX = input.mouseDY = input.mouseWheel = 0;
            if (flags_ & DISCL_EXCLUSIVE) CapturePointer(true);
        }
        return DI_OK;
    }

    HRESULT Unacquire() override
    {
        if (!acquired_) return S_FALSE;
        acquired_ = false;
        if (kind_ == DeviceKind::Mouse && (flags_ & DISCL_EXCLUSIVE)) CapturePointer(false);
        return DI_OK;
    }

    HRESULT GetDeviceState(DWORD cbData, LPVOID data) override
    {
        if (!data || cbData != StateSize()) return DIERR_INVALIDPARAM;
        if (!acquired_) return DIERR_NOTACQUIRED;
        PlatformInputState& input = PlatformInput();
        if (ForegroundOnly() && !input.foreground) {
            Unacquire();
            return DIERR_INPUTLOST;
        }
        if (kind_ == DeviceKind::Keyboard) {
            std::memcpy(data, input.keys, KEYBOARD_STATE_SIZE);
            return DI_OK;
        }
        DIMOUSESTATE state;
        state.lX = input.mouseDX;
        state.lY = input.mouseDY;
        state.lZ = input.mouseWheel;
        std::memcpy(state.rgbButtons, input.buttons, sizeof state.rgbButtons);
        input.mouseDX = input.mouseDY = input.mouseWheel = 0;
        std::memcpy(data, &state, sizeof state);
        return DI_OK;
    }

private:
    // The platform's code for a change that needs the device unacquired first.
    static constexpr HRESULT DIERR_ACQUIRED_CODE = static_cast<HRESULT>(0x800700AAL);

    DWORD StateSize() const { return kind_ == DeviceKind::Keyboard ? KEYBOARD_STATE_SIZE : MOUSE_STATE_SIZE; }
    bool ForegroundOnly() const { return (flags_ & DISCL_BACKGROUND) == 0; }

    DeviceKind kind_;
    bool formatSet_ = false;
    bool acquired_ = false;
    DWORD flags_ = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
};

class DirectInput final : public RefCounted<IDirectInput8A> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        if (SameGuid(riid, IID_IDirectInput8A)) {
            AddRef();
            *object = static_cast<IDirectInput8A*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN unkOuter) override
    {
        if (!device || unkOuter) return DIERR_INVALIDPARAM;
        *device = nullptr;
        if (SameGuid(guid, GUID_SysKeyboard)) {
            if (PlatformFailureRequested("keyboard")) return DIERR_DEVICENOTREG;
            *device = new InputDevice(DeviceKind::Keyboard);
            return DI_OK;
        }
        if (SameGuid(guid, GUID_SysMouse)) {
            if (PlatformFailureRequested("mouse")) return DIERR_DEVICENOTREG;
            *device = new InputDevice(DeviceKind::Mouse);
            return DI_OK;
        }
        return DIERR_DEVICENOTREG;
    }
};

}  // namespace

HRESULT WINAPI DirectInput8Create(HINSTANCE, DWORD version, REFIID riidltf, LPVOID* out, LPUNKNOWN unkOuter)
{
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (unkOuter || version != DIRECTINPUT_VERSION || !SameGuid(riidltf, IID_IDirectInput8A))
        return DIERR_INVALIDPARAM;
    if (PlatformFailureRequested("dinput")) return E_FAIL;
    *out = static_cast<IDirectInput8A*>(new DirectInput);
    return DI_OK;
}
