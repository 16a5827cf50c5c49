// OfferDownload where the player's folder is a real folder on the player's machine: the
// written file is already theirs, so there is nothing to hand over. The browser build has
// its own (platform/sdl/browser.cpp).
#include <stand_in.h>

#ifndef __EMSCRIPTEN__
void OfferDownload(const char*) {}
#endif
