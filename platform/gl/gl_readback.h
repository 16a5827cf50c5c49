// Pixels read out of OpenGL as the platform's ARGB words, rows `pitch` words apart: from
// the bound read framebuffer in the order it holds them (top first, as the device draws),
// or from the window, whose rows count from the bottom, turned top first. OpenGL ES reads
// only RGBA bytes; those are put into the platform's word order here.
#pragma once
#include <windows.h>

#include <cstdint>

#include "gl/gl_api.h"

void GlReadArgb(GLint x, GLint y, GLsizei width, GLsizei height, UINT pitch, uint32_t* argb);
// rect in the window's top-first rows; windowHeight is the window's height in pixels.
void GlReadWindowArgb(const RECT& rect, UINT windowHeight, UINT pitch, uint32_t* argb);
