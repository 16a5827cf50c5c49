// image-diff A.png B.png [--channel N] [--pixels M] [--mask OUT.png]: compares two
// screenshots of the same size pixel by pixel. A pixel differs when one of its channels
// differs by more than N; the images match when at most M pixels differ. Prints the counts
// either way; the mask shows the differing pixels white on A's picture darkened.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image_compare.h"

namespace {

// Reads any PNG as 8-bit RGB; false when it cannot.
bool ReadRgb(const char* path, RgbImage& image)
{
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path)) return false;
    png.format = PNG_FORMAT_RGB;
    image.width = png.width;
    image.height = png.height;
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

bool WriteMask(const char* path, const RgbImage& a, const RgbImage& b, int channel)
{
    RgbImage mask = a;
    for (size_t p = 0; p + 2 < mask.pixels.size(); p += 3) {
        const bool differs = PixelDifference(a, b, p) > channel;
        for (size_t c = 0; c < 3; ++c) mask.pixels[p + c] = differs ? 255 : a.pixels[p + c] / 4;
    }
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = mask.width;
    png.height = mask.height;
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path, 0, mask.pixels.data(), 0, nullptr) != 0;
}

bool ParseCount(const char* text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* paths[2] = {nullptr, nullptr};
    const char* maskPath = nullptr;
    long channel = 0, pixels = 0;
    int given = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--channel") == 0 && i + 1 < argc) {
            if (!ParseCount(argv[++i], channel)) return 2;
        } else if (std::strcmp(argv[i], "--pixels") == 0 && i + 1 < argc) {
            if (!ParseCount(argv[++i], pixels)) return 2;
        } else if (std::strcmp(argv[i], "--mask") == 0 && i + 1 < argc) {
            maskPath = argv[++i];
        } else if (given < 2) {
            paths[given++] = argv[i];
        } else {
            given = 3;
        }
    }
    if (given != 2) {
        std::fprintf(stderr, "usage: image-diff A.png B.png [--channel N] [--pixels M] [--mask OUT.png]\n");
        return 2;
    }
    RgbImage a, b;
    if (!ReadRgb(paths[0], a) || !ReadRgb(paths[1], b)) {
        std::fprintf(stderr, "image-diff: cannot read %s or %s\n", paths[0], paths[1]);
        return 2;
    }
    const ImageDifference d = CompareImages(a, b, static_cast<int>(channel));
    if (!d.sameSize) {
        std::printf("sizes differ: %ux%u and %ux%u\n", a.width, a.height, b.width, b.height);
        return 1;
    }
    if (maskPath && !WriteMask(maskPath, a, b, static_cast<int>(channel))) {
        std::fprintf(stderr, "image-diff: cannot write %s\n", maskPath);
    }
    std::printf("%zu of %zu pixels differ by more than %ld (largest channel difference %d)\n", d.differing,
                size_t(a.width) * a.height, channel, d.largest);
    return d.differing <= static_cast<size_t>(pixels) ? 0 : 1;
}
