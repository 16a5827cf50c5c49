// The program's resources as the platform's loader finds them in the module: icon
// images by id and menus. Defined by the program under resources/, read by the stand-in.
#pragma once
#include <cstddef>

struct ModuleIcon {
    int id;
    const unsigned char* png;  // PNG file bytes, null when the image was not built in
    size_t size;
};

struct ModuleMenuItem {
    int menuId;         // the menu resource the item belongs to
    const char* popup;  // the pop-up it sits in, with its mnemonic ampersand
    const char* text;   // the item text, with its mnemonic ampersand
    int command;        // the WM_COMMAND identifier it sends
};

// The icon resource of an id, or null when the program has none by that id.
const ModuleIcon* FindModuleIcon(int id);
// The items of a menu resource in order; count receives their number (0 when unknown).
const ModuleMenuItem* FindModuleMenu(int menuId, int* count);
