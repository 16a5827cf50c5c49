#include "d3dx/image_encode.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

bool WritePngRgb(const char* path, unsigned width, unsigned height, const unsigned char* rgb)
{
    if (!path || !rgb || width == 0 || height == 0) return false;
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::remove(path);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (unsigned y = 0; y < height; ++y) png_write_row(png, const_cast<png_bytep>(rgb + size_t(y) * width * 3));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        std::remove(path);
        return false;
    }
    return true;
}
