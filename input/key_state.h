// Edge detection of one key or mouse button between polls, and the input layer's
// globals: the DirectInput devices and the state of every key and button.
#pragma once
#include <dinput.h>

struct KeyState {
    unsigned char lastState;  // state byte at the previous poll, 0x80 while down
    float heldTime;           // seconds the state has stayed unchanged
    unsigned char changed;    // the latest poll found a different state byte
    unsigned char down;       // bit 0x80 of the latest state byte
};

extern LPDIRECTINPUT8 g_directInput;
extern LPDIRECTINPUTDEVICE8 g_keyboard;
extern LPDIRECTINPUTDEVICE8 g_mouse;
extern KeyState g_keyStates[256];
extern KeyState g_mouseButtons[4];
