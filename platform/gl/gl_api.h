// The OpenGL interface of the back-end, picked at build time: desktop OpenGL 3.3 core
// through libepoxy, or OpenGL ES 3.0 (WebGL 2 in the browser) where VANTREL_GLES is set,
// as it always is for WebAssembly. kGles lets the code say which without an #if at every
// call; the few desktop-only calls go through the helpers below.
#pragma once

#if defined(__EMSCRIPTEN__)
#include <GLES3/gl3.h>
// Desktop names the shared code spells on paths that kGles never takes.
#define GL_BGR 0x80E0
#define GL_BGRA 0x80E1
#define GL_UNSIGNED_SHORT_4_4_4_4_REV 0x8365
#define GL_UNSIGNED_SHORT_1_5_5_5_REV 0x8366
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#define GL_CLAMP_TO_BORDER 0x812D
#ifndef VANTREL_GLES
#define VANTREL_GLES 1
#endif
#else
#include <epoxy/gl.h>
#endif

#ifdef __EMSCRIPTEN__
constexpr bool kBrowser = true;
#else
constexpr bool kBrowser = false;
#endif

#ifdef VANTREL_GLES
constexpr bool kGles = true;
#else
constexpr bool kGles = false;
#endif

// The window's clip origin: upper-left keeps rows top first when drawing straight into
// it. OpenGL ES has no clip control, so there the device never draws into the window.
inline void GlSetClipOrigin(bool upperLeft)
{
#ifdef VANTREL_GLES
    (void)upperLeft;
#else
    glClipControl(upperLeft ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
#endif
}

// The float forms are OpenGL ES's; desktop OpenGL 3.3 has only the double ones.
inline void GlClearDepth(float depth)
{
#ifdef VANTREL_GLES
    glClearDepthf(depth);
#else
    glClearDepth(depth);
#endif
}

inline void GlDepthRange(float nearZ, float farZ)
{
#ifdef VANTREL_GLES
    glDepthRangef(nearZ, farZ);
#else
    glDepthRange(nearZ, farZ);
#endif
}
