// The window and display queries of the OpenGL device.
#include "gl/gl_window.h"

#include <SDL.h>
#ifndef __EMSCRIPTEN__
#include <epoxy/egl.h>
#endif

#include <cstdlib>
#include <cstring>

#include "gl/gl_api.h"

bool GlOffscreenDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") == 0;
}

// The offscreen driver's surface keeps the size the window was made with, whatever SDL
// reports after a resize, so EGL is asked instead.
void GlDrawableSize(SDL_Window* window, int& width, int& height)
{
    SDL_GL_GetDrawableSize(window, &width, &height);
#ifndef __EMSCRIPTEN__
    if (!GlOffscreenDriver()) return;
    EGLDisplay display = eglGetCurrentDisplay();
    EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    EGLint w = 0, h = 0;
    if (surface == EGL_NO_SURFACE || !eglQuerySurface(display, surface, EGL_WIDTH, &w) ||
        !eglQuerySurface(display, surface, EGL_HEIGHT, &h))
        w = h = 0;
    width = w;
    height = h;
#endif
}

// The offscreen driver's windows are on no display, and a hidden or minimised window shows
// nothing. Copying the picture over is most of a scripted pass on a software rasteriser,
// and the runner's window is never looked at.
bool GlWindowSeen(SDL_Window* window)
{
    if (GlOffscreenDriver()) return false;
    return (SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

bool GlHasClipControl()
{
#ifdef VANTREL_GLES
    return false;
#else
    return epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
#endif
}

bool GlWindowedRequested()
{
    const char* env = std::getenv("VANTREL_WINDOWED");
    return env && std::strcmp(env, "1") == 0;
}
