// Edge detection of one key or mouse button between polls.
#pragma once

struct KeyState {
    unsigned char lastState;  // state byte at the previous poll, 0x80 while down
    float heldTime;           // seconds the state has stayed unchanged
    unsigned char changed;    // the latest poll found a different state byte
    unsigned char down;       // bit 0x80 of the latest state byte
};
