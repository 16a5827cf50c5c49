#include "key_tables.h"

#include <dinput.h>
#include <windows.h>

namespace {

struct ScancodeDik {
    SDL_Scancode scancode;
    int dik;
};

// Physical positions, so a layout change never moves the DirectInput arrows or Page Down.
const ScancodeDik kScancodeDik[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE}, {SDL_SCANCODE_1, DIK_1}, {SDL_SCANCODE_2, DIK_2},
    {SDL_SCANCODE_3, DIK_3}, {SDL_SCANCODE_4, DIK_4}, {SDL_SCANCODE_5, DIK_5},
    {SDL_SCANCODE_6, DIK_6}, {SDL_SCANCODE_7, DIK_7}, {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9}, {SDL_SCANCODE_0, DIK_0}, {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS}, {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB}, {SDL_SCANCODE_Q, DIK_Q}, {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E}, {SDL_SCANCODE_R, DIK_R}, {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y}, {SDL_SCANCODE_U, DIK_U}, {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O}, {SDL_SCANCODE_P, DIK_P}, {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET}, {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL}, {SDL_SCANCODE_A, DIK_A}, {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D}, {SDL_SCANCODE_F, DIK_F}, {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H}, {SDL_SCANCODE_J, DIK_J}, {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L}, {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE}, {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT}, {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_Z, DIK_Z}, {SDL_SCANCODE_X, DIK_X}, {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V}, {SDL_SCANCODE_B, DIK_B}, {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M}, {SDL_SCANCODE_COMMA, DIK_COMMA}, {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH}, {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY}, {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE}, {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1}, {SDL_SCANCODE_F2, DIK_F2}, {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4}, {SDL_SCANCODE_F5, DIK_F5}, {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7}, {SDL_SCANCODE_F8, DIK_F8}, {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10}, {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL}, {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8}, {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT}, {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5}, {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD}, {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2}, {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0}, {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_F11, DIK_F11}, {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER}, {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE}, {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_HOME, DIK_HOME}, {SDL_SCANCODE_UP, DIK_UP}, {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT}, {SDL_SCANCODE_RIGHT, DIK_RIGHT}, {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN}, {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT}, {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN}, {SDL_SCANCODE_RGUI, DIK_RWIN},
};

struct ScancodeVk {
    SDL_Scancode scancode;
    int vk;
};

// Keys whose virtual key does not depend on the layout.
const ScancodeVk kScancodeVk[] = {
    {SDL_SCANCODE_BACKSPACE, VK_BACK}, {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_RETURN, VK_RETURN}, {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT}, {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL}, {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU}, {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR}, {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_END, VK_END}, {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_LEFT, VK_LEFT}, {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT}, {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_INSERT, VK_INSERT}, {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_F1, VK_F1}, {SDL_SCANCODE_F2, VK_F2}, {SDL_SCANCODE_F3, VK_F3},
    {SDL_SCANCODE_F4, VK_F4}, {SDL_SCANCODE_F5, VK_F5}, {SDL_SCANCODE_F6, VK_F6},
    {SDL_SCANCODE_F7, VK_F7}, {SDL_SCANCODE_F8, VK_F8}, {SDL_SCANCODE_F9, VK_F9},
    {SDL_SCANCODE_F10, VK_F10}, {SDL_SCANCODE_F11, VK_F11}, {SDL_SCANCODE_F12, VK_F12},
    {SDL_SCANCODE_KP_0, 0x60}, {SDL_SCANCODE_KP_1, 0x61}, {SDL_SCANCODE_KP_2, 0x62},
    {SDL_SCANCODE_KP_3, 0x63}, {SDL_SCANCODE_KP_4, 0x64}, {SDL_SCANCODE_KP_5, 0x65},
    {SDL_SCANCODE_KP_6, 0x66}, {SDL_SCANCODE_KP_7, 0x67}, {SDL_SCANCODE_KP_8, 0x68},
    {SDL_SCANCODE_KP_9, 0x69}, {SDL_SCANCODE_KP_MULTIPLY, 0x6A}, {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_KP_MINUS, 0x6D}, {SDL_SCANCODE_KP_PERIOD, 0x6E},
    {SDL_SCANCODE_KP_DIVIDE, 0x6F},
};

struct KeyVk {
    SDL_Keycode key;
    int vk;
};

// Punctuation keys (the platform's OEM codes), by what the layout puts on them.
const KeyVk kPunctuationVk[] = {
    {SDLK_SEMICOLON, 0xBA}, {SDLK_EQUALS, 0xBB}, {SDLK_PLUS, 0xBB}, {SDLK_COMMA, 0xBC},
    {SDLK_MINUS, 0xBD}, {SDLK_PERIOD, 0xBE}, {SDLK_SLASH, 0xBF}, {SDLK_BACKQUOTE, 0xC0},
    {SDLK_LEFTBRACKET, 0xDB}, {SDLK_BACKSLASH, 0xDC}, {SDLK_RIGHTBRACKET, 0xDD},
    {SDLK_QUOTE, 0xDE},
};

struct VkCharacter {
    int vk;
    int character;
};

const VkCharacter kUsCharacters[] = {
    {VK_BACK, 8}, {VK_TAB, 9}, {VK_RETURN, 13}, {VK_ESCAPE, 27}, {VK_SPACE, ' '},
    {0x6A, '*'}, {0x6B, '+'}, {0x6D, '-'}, {0x6E, '.'}, {0x6F, '/'},
    {0xBA, ';'}, {0xBB, '='}, {0xBC, ','}, {0xBD, '-'}, {0xBE, '.'}, {0xBF, '/'},
    {0xC0, '`'}, {0xDB, '['}, {0xDC, '\\'}, {0xDD, ']'}, {0xDE, '\''},
};

}  // namespace

int DikFromScancode(SDL_Scancode scancode)
{
    for (const ScancodeDik& entry : kScancodeDik) {
        if (entry.scancode == scancode) return entry.dik;
    }
    return 0;
}

int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode)
{
    for (const ScancodeVk& entry : kScancodeVk) {
        if (entry.scancode == scancode) return entry.vk;
    }
    // Letters and digits follow the layout, as the platform's virtual keys do.
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<int>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<int>(key - SDLK_0);
    for (const KeyVk& entry : kPunctuationVk) {
        if (entry.key == key) return entry.vk;
    }
    // Layouts with other letters in the letter rows: fall back to the physical position.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + static_cast<int>(scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + static_cast<int>(scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    return 0;
}

int CharacterFromVirtualKey(int virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 'a';
    if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return '0' + (virtualKey - 0x60);
    for (const VkCharacter& entry : kUsCharacters) {
        if (entry.vk == virtualKey) return entry.character;
    }
    return 0;
}
