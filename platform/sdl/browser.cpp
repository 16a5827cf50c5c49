// The browser's frame yield (browser.h), and the page's half of OfferDownload (stand_in.h).
#ifdef __EMSCRIPTEN__
#include "sdl/browser.h"

#include <emscripten.h>
#include <stand_in.h>

namespace {

EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
    await new Promise((resolve) => requestAnimationFrame(resolve));
});

// The page (tools/web/data.js) reads the file at once, so a later write by the game does not
// change what was offered.
EM_JS(void, OfferDownloadInPage, (const char* path), {
    if (Module["offerDownload"]) Module["offerDownload"](UTF8ToString(path));
});

}  // namespace

void BrowserYieldFrame(bool scripted)
{
    if (scripted) emscripten_sleep(0);
    else WaitForAnimationFrame();
}

void OfferDownload(const char* path)
{
    if (path && *path) OfferDownloadInPage(path);
}
#endif
