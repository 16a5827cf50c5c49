// A game controller as the keyboard and mouse the game already reads: its buttons and sticks
// become device key states, window messages and mouse motion, so no game code knows about
// pads. The mapping is a pure function of the pad's state; the live event pump and the
// runner's script both feed the one pad below through it. Sees no SDL.
#pragma once
#include <cstdint>
#include <vector>

enum class PadButton { A, B, X, Y, Back, Start, LeftShoulder, RightShoulder, DpadUp, DpadDown, DpadLeft, DpadRight, Count };
enum class PadAxis { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger, Count };
constexpr int kPadButtonCount = static_cast<int>(PadButton::Count);
constexpr int kPadAxisCount = static_cast<int>(PadAxis::Count);

// Axes run from -32768 to 32767 (triggers from 0), y growing downwards.
struct PadState {
    bool buttons[kPadButtonCount];
    int16_t axes[kPadAxisCount];
};

struct PadMessage {
    unsigned int message;
    uintptr_t wParam;
    intptr_t lParam;
};

// What a change of the pad's state does, in the order a keyboard and mouse would do it.
struct PadEffects {
    std::vector<std::pair<int, bool>> keys;     // keyboard device state: key code, down
    std::vector<std::pair<int, bool>> buttons;  // mouse buttons: index, down
    std::vector<PadMessage> messages;           // posted to the main window
};

// The presses and releases that going from `before` to `after` stands for.
PadEffects PadChange(const PadState& before, const PadState& after);

// Mouse motion for holding the right stick as in `state` for `elapsedMs`, in whole counts;
// `carry` keeps the fractions between calls, so a slow aim still moves.
void PadAim(const PadState& state, uint32_t elapsedMs, float carry[2], int32_t& dx, int32_t& dy);

// The pad in use, applied to PlatformInput() and the message queue.
void PlatformPadButton(PadButton button, bool down);
void PlatformPadAxis(PadAxis axis, int value);  // clamped to the axis range
void PlatformPadRemoved();                      // lets go of everything it held
void PlatformPadElapse(uint32_t elapsedMs);     // aim motion for the time passed

