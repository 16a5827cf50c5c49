// The shared OpenGL context.
#include "gl/gl_context.h"

#include <SDL.h>
#ifndef __EMSCRIPTEN__
#include <malloc.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sdl/sdl_window.h"

namespace {
SDL_Window* g_hiddenWindow = nullptr;
SDL_GLContext g_context = nullptr;
bool g_tried = false;
std::string g_renderer;
}  // namespace

bool GlEnsureContext()
{
    if (g_context) return true;
    if (g_tried) return false;
    g_tried = true;
    // The software rasteriser allocates and frees scene memory for every frame; keeping
    // freed memory in the heap instead of handing it back to the system spares the page
    // faults of touching it afresh each frame.
#ifndef __EMSCRIPTEN__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 16 << 20);
#endif
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, kGles ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, kGles ? 0 : 3);
    // Present blits into the window, which OpenGL ES refuses when the window is multisampled.
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // As the game window's (platform/sdl/window.cpp): the context moves between the two.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    // A page has one canvas, and each window made on it answers its events, each in its
    // own scale: the context lives on the game's window there once it exists.
    SDL_Window* borrowed = kBrowser ? SdlFirstWindow() : nullptr;
    g_hiddenWindow = borrowed ? borrowed
                              : SDL_CreateWindow("Vantrel GL", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16,
                                                 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!g_hiddenWindow) return false;
    g_context = SDL_GL_CreateContext(g_hiddenWindow);
    if (!g_context) {
        if (!borrowed) SDL_DestroyWindow(g_hiddenWindow);
        g_hiddenWindow = nullptr;
        return false;
    }
#ifndef __EMSCRIPTEN__
    const bool tooOld = epoxy_gl_version() < (kGles ? 30 : 33);
#else
    const bool tooOld = false;  // the context above is WebGL 2 or nothing
#endif
    if (tooOld) {
        SDL_GL_DeleteContext(g_context);
        g_context = nullptr;
        return false;
    }
    const GLubyte* renderer = glGetString(GL_RENDERER);
    g_renderer = renderer ? reinterpret_cast<const char*>(renderer) : "OpenGL";
    return true;
}

bool GlMakeCurrent(SDL_Window* window)
{
    if (!GlEnsureContext()) return false;
    if (window && SDL_GL_MakeCurrent(window, g_context) == 0) return true;
    return SDL_GL_MakeCurrent(g_hiddenWindow, g_context) == 0 && !window;
}

SDL_Window* GlHiddenWindow() { return g_hiddenWindow; }

const char* GlRendererName() { return g_renderer.c_str(); }

void GlMaxTextureSize(unsigned& width, unsigned& height)
{
    GLint size = 0;
    if (GlEnsureContext()) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    width = height = size > 0 ? static_cast<unsigned>(size) : 2048;
    if (const char* env = std::getenv("VANTREL_MAX_TEXTURE")) {
        unsigned w = 0, h = 0;
        const int fields = std::sscanf(env, "%ux%u", &w, &h);
        if (fields >= 1 && w > 0) {
            width = w;
            height = fields == 2 && h > 0 ? h : w;
        }
    }
}
