// Screenshots of the last presented frame, and the end-of-frame wait for benchmarks.
#include <stand_in.h>

#include <png.h>

#include <cstdio>
#include <vector>

#include "gl/gl_device.h"

bool PlatformScreenshot(const char* pngPath)
{
    std::vector<uint32_t> argb;
    unsigned width = 0, height = 0;
    if (!pngPath || !GlLastPresented(argb, width, height)) return false;
    FILE* file = std::fopen(pngPath, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(size_t(width) * 3);
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::remove(pngPath);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const uint32_t pixel = argb[size_t(y) * width + x];
            row[x * 3] = static_cast<png_byte>(pixel >> 16);
            row[x * 3 + 1] = static_cast<png_byte>(pixel >> 8);
            row[x * 3 + 2] = static_cast<png_byte>(pixel);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

void PlatformFinishFrame() { GlFinish(); }
