// Pixel-by-pixel comparison of two RGB images, shared by image-diff and its test.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <vector>

struct RgbImage {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels;  // rows top first, 3 bytes a pixel
};

struct ImageDifference {
    bool sameSize = false;
    size_t differing = 0;  // pixels with a channel beyond the tolerance
    int largest = 0;       // largest channel difference seen anywhere
};

// The largest of the three channel differences of the pixel at byte offset p.
inline int PixelDifference(const RgbImage& a, const RgbImage& b, size_t p)
{
    int worst = 0;
    for (size_t c = 0; c < 3; ++c) {
        const int delta = std::abs(int(a.pixels[p + c]) - int(b.pixels[p + c]));
        if (delta > worst) worst = delta;
    }
    return worst;
}

// Counts the pixels whose red, green or blue differs by more than channelTolerance.
inline ImageDifference CompareImages(const RgbImage& a, const RgbImage& b, int channelTolerance)
{
    ImageDifference d;
    const size_t bytes = size_t(a.width) * a.height * 3;
    d.sameSize = a.width == b.width && a.height == b.height && a.pixels.size() >= bytes && b.pixels.size() >= bytes;
    if (!d.sameSize) return d;
    for (size_t p = 0; p < bytes; p += 3) {
        const int worst = PixelDifference(a, b, p);
        if (worst > d.largest) d.largest = worst;
        if (worst > channelTolerance) ++d.differing;
    }
    return d;
}
