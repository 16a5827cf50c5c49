// The browser's frame yield (browser.h).
#ifdef __EMSCRIPTEN__
#include "sdl/browser.h"

#include <emscripten.h>

namespace {

EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
    await new Promise((resolve) => requestAnimationFrame(resolve));
});

}  // namespace

void BrowserYieldFrame(bool scripted)
{
    if (scripted) emscripten_sleep(0);
    else WaitForAnimationFrame();
}
#endif
