// The runner's script: one event per line, each due at a pass of the main loop.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class EventKind {
    Message,     // a window message posted before the pass
    Key,         // a physical key: keyboard device state and its key message together
    Dik,         // keyboard device key state
    MouseMove,   // relative motion added
    MouseWheel,  // wheel motion added
    MouseButton, // button state
    Cursor,      // platform cursor position
    Focus,       // foreground gained or lost
    Screenshot,  // written after the pass
    Dump,        // written after the pass
    Copy,        // a file copied before the pass (data changing under a running game)
    PadButton,   // game controller button: a = PadButton, b = down (1) or up (0)
    PadAxis,     // game controller axis: a = PadAxis, b = its value
    PadRemoved,  // the game controller unplugged
};

struct ScriptEvent {
    int pass;
    EventKind kind;
    unsigned int message;  // Message, Key
    uintptr_t wParam;      // Message, Key
    intptr_t lParam;       // Message, Key
    int a;                 // Dik or Key code, button, motion x, cursor x, focus gained (1) or lost (0)
    int b;                 // down (1) or up (0), motion y, cursor y
    std::string file;      // Screenshot, Dump; Copy: the source
    std::string target;    // Copy: the destination
};

// Reads a script; on a malformed line returns false with error naming its line number.
bool ParseScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error);
