// Screenshots from the real device's back buffer, which scripted runs create lockable and
// kept through Present (direct3d.cpp), so it still holds the last presented frame.
#include <d3d8.h>

#include <stand_in.h>

#include "d3dx/image_encode.h"

#include <cstdio>
#include <vector>

IDirect3DDevice8* PlatformLastDevice();

namespace {

// A 16-bit pixel's channels widened to 8 bits: red from redShift up, green greenBits wide
// below it, blue the low 5 bits.
void Unpack16(unsigned p, unsigned redShift, unsigned greenBits, unsigned char* out)
{
    const unsigned greenMax = (1u << greenBits) - 1;
    out[0] = static_cast<unsigned char>(((p >> redShift) & 31) * 255 / 31);
    out[1] = static_cast<unsigned char>(((p >> 5) & greenMax) * 255 / greenMax);
    out[2] = static_cast<unsigned char>((p & 31) * 255 / 31);
}

// One pixel of a display format as red, green and blue; false for formats a back buffer
// of this game never has.
bool ToRgb(D3DFORMAT format, const BYTE* row, unsigned x, unsigned char* out)
{
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
        // Blue, green, red, then the unused or alpha byte.
        out[0] = row[x * 4 + 2];
        out[1] = row[x * 4 + 1];
        out[2] = row[x * 4];
        return true;
    case D3DFMT_R5G6B5: Unpack16(row[x * 2] | row[x * 2 + 1] << 8, 11, 6, out); return true;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: Unpack16(row[x * 2] | row[x * 2 + 1] << 8, 10, 5, out); return true;
    default:
        return false;
    }
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
