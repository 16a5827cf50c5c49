// Screenshots from the real device's back buffer, which scripted runs create lockable and
// kept through Present (direct3d.cpp), so it still holds the last presented frame.
#include <d3d8.h>

#include <stand_in.h>

#include "d3dx/image_encode.h"
#include "pixel_format.h"

#include <cstdio>
#include <vector>

IDirect3DDevice8* PlatformLastDevice();

namespace {

// One pixel of a display format as red, green and blue; false for formats a back buffer
// of this game never has.
bool ToRgb(D3DFORMAT format, const BYTE* row, unsigned x, unsigned char* out)
{
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: break;
    default: return false;
    }
    const uint32_t argb = PixelArgb(format, row + size_t(x) * BytesPerPixel(format));
    out[0] = static_cast<unsigned char>(argb >> 16);
    out[1] = static_cast<unsigned char>(argb >> 8);
    out[2] = static_cast<unsigned char>(argb);
    return true;
}

}  // namespace

bool PlatformScreenshot(const char* pngPath)
{
    IDirect3DDevice8* device = PlatformLastDevice();
    if (!pngPath || !device) return false;
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || !back) return false;
    D3DSURFACE_DESC desc = {};
    D3DLOCKED_RECT locked = {};
    std::vector<unsigned char> rgb;
    bool read = false;
    if (SUCCEEDED(back->GetDesc(&desc)) && SUCCEEDED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        rgb.resize(size_t(desc.Width) * desc.Height * 3);
        read = true;
        for (unsigned y = 0; read && y < desc.Height; ++y) {
            const BYTE* row = static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch;
            for (unsigned x = 0; read && x < desc.Width; ++x)
                read = ToRgb(desc.Format, row, x, &rgb[(size_t(y) * desc.Width + x) * 3]);
        }
        back->UnlockRect();
    }
    back->Release();
    return read && WritePngRgb(pngPath, desc.Width, desc.Height, rgb.data());
}

// Present has already waited for the frame on this platform.
void PlatformFinishFrame() {}
