// Screenshots of the last presented frame, and the end-of-frame wait for benchmarks.
#include <stand_in.h>

#include "d3dx/image_encode.h"

#include <vector>

#include "gl/gl_device.h"

bool PlatformScreenshot(const char* pngPath)
{
    std::vector<uint32_t> argb;
    unsigned width = 0, height = 0;
    if (!pngPath || !GlLastPresented(argb, width, height)) return false;
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        rgb[i * 3] = static_cast<unsigned char>(argb[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(argb[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(argb[i]);
    }
    return WritePngRgb(pngPath, width, height, rgb.data());
}

void PlatformFinishFrame() { GlFinish(); }
