// Every key and button the game answers, in one table: which key, in which edit modes,
// what it does and which line of the help panel lists it. The window messages, the
// DirectInput edges and the help panel all read this table, so binding a key is adding a
// row and nothing else. A key no row names for the current mode does nothing.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The control characters WM_CHAR carries for these keys (the message translation gives
// Ctrl plus a letter as the letter's place in the alphabet).
const WPARAM CHAR_CTRL_C = 3;
const WPARAM CHAR_CTRL_S = 19;
const WPARAM CHAR_CTRL_V = 22;
const WPARAM CHAR_CTRL_Y = 25;
const WPARAM CHAR_CTRL_Z = 26;
const WPARAM CHAR_TAB = 9;
const WPARAM CHAR_ENTER = '\r';
const WPARAM CHAR_ESCAPE = 27;

// Where a key arrives from, and so what its code means.
enum KeySource {
    WINDOW_CHAR,        // WM_CHAR: the translated character
    WINDOW_KEY_DOWN,    // WM_KEYDOWN: a virtual key (auto-repeat arrives again)
    WINDOW_KEY_UP,      // WM_KEYUP: a virtual key
    DEVICE_KEY_DOWN,    // the keyboard device's edges, by DIK code, once per press
    DEVICE_KEY_UP,
    MOUSE_BUTTON_DOWN,  // the mouse device's edges, by button index
    MOUSE_BUTTON_UP,
};

// A set of edit modes (the values of g_editMode), one bit each.
using ModeMask = unsigned;
constexpr ModeMask ModeBit(int mode)
{
    return mode >= 0 && mode < static_cast<int>(sizeof(ModeMask) * 8) ? 1u << mode : 0u;
}

// One line of the help panel, shared by every row it describes. `keys` and `text` are as
// the panel shows them; a '\n' in `text` starts a line indented under the text.
struct KeyHelp {
    const char* section;  // the heading the line stands under
    const char* keys;
    const char* text;
};

struct KeyBinding {
    KeySource source;
    WPARAM code;
    ModeMask modes;
    void (*command)();
    const KeyHelp* help;  // null: the panel does not list it
};

const std::vector<KeyBinding>& KeyTable();

// Runs the row for this key in the current edit mode; false when there is none.
bool RunKeyCommand(KeySource source, WPARAM code);

// The help panel: each section's heading, then its lines, in the table's order, each
// KeyHelp once however many rows share it.
std::vector<std::string> KeyHelpLines();
