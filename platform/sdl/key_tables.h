// Key numbering shared by the event pump and the scripted runner.
#pragma once
#include <SDL.h>

// DirectInput key code of a physical key; 0 for keys the keyboard device does not report.
int DikFromScancode(SDL_Scancode scancode);
// Virtual-key code of a key as the user's layout names it; 0 when there is none.
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);
// The character a US keyboard gives for a virtual key with no modifier held; 0 for none.
int CharacterFromVirtualKey(int virtualKey);
