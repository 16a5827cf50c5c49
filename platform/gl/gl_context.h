// The process's one OpenGL context, made on a hidden window of its own and moved to
// the game's window when a device presents there.
#pragma once
#include "gl/gl_api.h"

struct SDL_Window;

// Creates the context on first use; false when OpenGL 3.3 (or ES 3.0) is not available.
bool GlEnsureContext();
// Makes the context current on window (null: on the hidden window).
bool GlMakeCurrent(SDL_Window* window);
SDL_Window* GlHiddenWindow();
const char* GlRendererName();
// GL_MAX_TEXTURE_SIZE, or the VANTREL_MAX_TEXTURE override.
void GlMaxTextureSize(unsigned& width, unsigned& height);
