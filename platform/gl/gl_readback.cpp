// Reading pixels back from the OpenGL device.
#include "gl/gl_readback.h"

#include <algorithm>
#include <cstddef>

namespace {

// ARGB words read as RGBA bytes into the platform's word order, in place.
void RgbaBytesToArgb(uint32_t* pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const BYTE* b = reinterpret_cast<const BYTE*>(&pixels[i]);
        pixels[i] = uint32_t(b[3]) << 24 | uint32_t(b[0]) << 16 | uint32_t(b[1]) << 8 | b[2];
    }
}

}  // namespace

void GlReadArgb(GLint x, GLint y, GLsizei width, GLsizei height, UINT pitch, uint32_t* argb)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(pitch));
    if (kGles) {
        glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, argb);
        for (GLsizei row = 0; row < height; ++row) RgbaBytesToArgb(argb + size_t(row) * pitch, size_t(width));
    } else {
        glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    }
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

void GlReadWindowArgb(const RECT& rect, UINT windowHeight, UINT pitch, uint32_t* argb)
{
    const GLsizei w = rect.right - rect.left, h = rect.bottom - rect.top;
    GlReadArgb(rect.left, GLint(windowHeight) - rect.bottom, w, h, pitch, argb);
    for (GLsizei top = 0, bottom = h - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(argb + size_t(top) * pitch, argb + size_t(top) * pitch + w, argb + size_t(bottom) * pitch);
}
