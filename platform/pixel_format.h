// Bytes per pixel of the surface formats the stand-in devices and image loaders handle;
// 0 for any other format.
#pragma once
#include <d3d8.h>

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
