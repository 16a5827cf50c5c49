#include "raster.h"

#include <png.h>

#include <cstdio>

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba)
{
    if (rgba.size() != static_cast<size_t>(width) * height * 4) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    // The simplified writer adds no time stamp, so the bytes depend only on the pixels.
    int ok = png_image_write_to_stdio(&image, f, 0, rgba.data(), 0, nullptr);
    bool closed = std::fclose(f) == 0;
    return ok != 0 && closed;
}

bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgba)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    rgba.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return true;
}
