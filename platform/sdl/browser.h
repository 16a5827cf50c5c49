// Handing control back to the browser once a frame. A page's script must return before the
// page draws or delivers input, while the game's main loop never returns; Asyncify unwinds
// the loop at this call and resumes it from the browser's next animation frame, so the loop
// stays the game's own. Nothing at all on the desktop.
#pragma once

#ifdef __EMSCRIPTEN__
// Waits for the next animation frame, or (scripted: the clock is virtual) only for the
// browser to run what it has queued.
void BrowserYieldFrame(bool scripted);
#else
inline void BrowserYieldFrame(bool) {}
#endif
