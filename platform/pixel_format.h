// Bytes per pixel of the surface formats the stand-in devices and image loaders handle
// (0 for any other format), and one pixel of them read as an ARGB word.
#pragma once
#include <d3d8.h>

#include <cstdint>

inline UINT BytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4: return 2;
    default: return 0;
    }
}

// One pixel of format at pixel as ARGB, each channel widened to 8 bits; alpha 255 where
// the format has none. 0 for a format BytesPerPixel does not know.
inline uint32_t PixelArgb(D3DFORMAT format, const BYTE* pixel)
{
    // A channel of bits width at shift in a 16-bit pixel, widened to 8 bits.
    auto widen = [](unsigned value, unsigned shift, unsigned bits) {
        const unsigned max = (1u << bits) - 1;
        return uint32_t(((value >> shift) & max) * 255 / max);
    };
    const unsigned p16 = BytesPerPixel(format) == 2 ? unsigned(pixel[0]) | unsigned(pixel[1]) << 8 : 0;
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: {
        // Blue, green, red, then the alpha or unused byte.
        const uint32_t alpha = format == D3DFMT_A8R8G8B8 ? pixel[3] : 255u;
        return alpha << 24 | uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
    }
    case D3DFMT_R8G8B8: return 0xff000000u | uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
    case D3DFMT_R5G6B5: return 0xff000000u | widen(p16, 11, 5) << 16 | widen(p16, 5, 6) << 8 | widen(p16, 0, 5);
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
        const uint32_t alpha = format == D3DFMT_A1R5G5B5 ? widen(p16, 15, 1) : 255u;
        return alpha << 24 | widen(p16, 10, 5) << 16 | widen(p16, 5, 5) << 8 | widen(p16, 0, 5);
    }
    case D3DFMT_A4R4G4B4:
        return widen(p16, 12, 4) << 24 | widen(p16, 8, 4) << 16 | widen(p16, 4, 4) << 8 | widen(p16, 0, 4);
    default: return 0;
    }
}
