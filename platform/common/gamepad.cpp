#include "gamepad.h"

#include <dinput.h>
#include <stand_in.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace {

// A stick at rest rarely reads zero; this much either way is still rest.
const int kStickDeadZone = 8000;
const int kAxisMax = 32767;
const int kAxisMin = -32768;
// Past half its travel the trigger counts as the held mouse button.
const int kTriggerPressed = 16384;
// Mouse counts a second at full deflection of the right stick: the held arm turns one
// degree per count, so half a turn a second.
const float kAimCountsPerSecond = 180.0f;
const float kMsPerSecond = 1000.0f;
const int kThrustButton = 0;  // the left mouse button
const unsigned kKeyRepeatCount = 1;
const unsigned kPreviousStateBit = 1u << 30;
const unsigned kTransitionBit = 1u << 31;
const int kScanShift = 16;

// Buttons that type a character, as the key of that letter would.
struct TypedButton {
    PadButton button;
    char character;
};
const TypedButton kTypedButtons[] = {
    {PadButton::B, 'b'},    {PadButton::X, 'p'},     {PadButton::Y, 'k'},
    {PadButton::Back, '0'}, {PadButton::Start, 'h'},
};

bool Down(const PadState& s, PadButton b) { return s.buttons[static_cast<int>(b)]; }
int Axis(const PadState& s, PadAxis a) { return s.axes[static_cast<int>(a)]; }

bool WalksLeft(const PadState& s) { return Down(s, PadButton::DpadLeft) || Axis(s, PadAxis::LeftX) < -kStickDeadZone; }
bool WalksRight(const PadState& s) { return Down(s, PadButton::DpadRight) || Axis(s, PadAxis::LeftX) > kStickDeadZone; }
bool Thrusts(const PadState& s) { return Axis(s, PadAxis::RightTrigger) > kTriggerPressed; }

// Deflection beyond the dead zone, -1 to 1.
float Deflection(int value)
{
    if (std::abs(value) <= kStickDeadZone) return 0.0f;
    const float beyond = static_cast<float>(std::abs(value) - kStickDeadZone) / (kAxisMax - kStickDeadZone);
    return std::min(1.0f, beyond) * (value < 0 ? -1.0f : 1.0f);
}

// The key message a keyboard gives for Space: repeat count 1 and its scan code; a release
// also carries the previous-state and transition bits.
PadMessage SpaceMessage(bool down)
{
    unsigned flags = kKeyRepeatCount | (static_cast<unsigned>(DIK_SPACE) << kScanShift);
    if (!down) flags |= kPreviousStateBit | kTransitionBit;
    return {static_cast<unsigned>(down ? WM_KEYDOWN : WM_KEYUP), static_cast<uintptr_t>(VK_SPACE),
            static_cast<intptr_t>(flags)};
}

PadState g_pad = {};
float g_aimCarry[2] = {};

void Apply(const PadEffects& effects)
{
    PlatformInputState& input = PlatformInput();
    const unsigned char kDown = 0x80;
    for (const auto& [key, down] : effects.keys) input.keys[key] = down ? kDown : 0;
    for (const auto& [button, down] : effects.buttons) input.buttons[button] = down ? kDown : 0;
    for (const PadMessage& m : effects.messages) PlatformPostWindowMessage(m.message, m.wParam, m.lParam);
}

void MoveTo(const PadState& next)
{
    const PadEffects effects = PadChange(g_pad, next);
    g_pad = next;
    Apply(effects);
}

}  // namespace

PadEffects PadChange(const PadState& before, const PadState& after)
{
    PadEffects effects;
    if (WalksLeft(before) != WalksLeft(after)) effects.keys.push_back({DIK_LEFT, WalksLeft(after)});
    if (WalksRight(before) != WalksRight(after)) effects.keys.push_back({DIK_RIGHT, WalksRight(after)});
    if (Down(before, PadButton::A) != Down(after, PadButton::A)) {
        effects.keys.push_back({DIK_SPACE, Down(after, PadButton::A)});
        effects.messages.push_back(SpaceMessage(Down(after, PadButton::A)));
    }
    for (const TypedButton& typed : kTypedButtons) {
        if (!Down(before, typed.button) && Down(after, typed.button))
            effects.messages.push_back({WM_CHAR, static_cast<uintptr_t>(typed.character), kKeyRepeatCount});
    }
    if (Thrusts(before) != Thrusts(after)) effects.buttons.push_back({kThrustButton, Thrusts(after)});
    return effects;
}

void PadAim(const PadState& state, uint32_t elapsedMs, float carry[2], int32_t& dx, int32_t& dy)
{
    const float seconds = static_cast<float>(elapsedMs) / kMsPerSecond;
    const float moved[2] = {Deflection(Axis(state, PadAxis::RightX)) * kAimCountsPerSecond * seconds,
                            Deflection(Axis(state, PadAxis::RightY)) * kAimCountsPerSecond * seconds};
    int32_t whole[2];
    for (int i = 0; i < 2; ++i) {
        // Letting go of the stick drops what was left over, so the next aim starts clean.
        if (moved[i] == 0.0f) carry[i] = 0.0f;
        const float total = carry[i] + moved[i];
        whole[i] = static_cast<int32_t>(total);
        carry[i] = total - static_cast<float>(whole[i]);
    }
    dx = whole[0];
    dy = whole[1];
}

void PlatformPadButton(PadButton button, bool down)
{
    PadState next = g_pad;
    next.buttons[static_cast<int>(button)] = down;
    MoveTo(next);
}

void PlatformPadAxis(PadAxis axis, int value)
{
    PadState next = g_pad;
    next.axes[static_cast<int>(axis)] = static_cast<int16_t>(std::clamp(value, kAxisMin, kAxisMax));
    MoveTo(next);
}

void PlatformPadRemoved()
{
    MoveTo(PadState{});
    g_aimCarry[0] = g_aimCarry[1] = 0.0f;
}

void PlatformPadElapse(uint32_t elapsedMs)
{
    int32_t dx = 0, dy = 0;
    PadAim(g_pad, elapsedMs, g_aimCarry, dx, dy);
    PlatformInputState& input = PlatformInput();
    input.mouseDX += dx;
    input.mouseDY += dy;
}
