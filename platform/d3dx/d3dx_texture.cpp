// Textures and surfaces from image files, written against the Direct3D interfaces only.
#include <d3dx8.h>
#include "pixel_format.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/rect.h"
#include "d3dx/image_decode.h"

namespace {


void StorePixel(BYTE* dst, D3DFORMAT format, uint32_t argb)
{
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
    uint32_t value = 0;
    switch (format) {
    case D3DFMT_A8R8G8B8: value = argb; break;
    case D3DFMT_X8R8G8B8: value = argb | 0xff000000u; break;
    case D3DFMT_R8G8B8:
        dst[0] = static_cast<BYTE>(b);
        dst[1] = static_cast<BYTE>(g);
        dst[2] = static_cast<BYTE>(r);
        return;
    case D3DFMT_R5G6B5: value = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3); break;
    case D3DFMT_X1R5G5B5: value = 0x8000 | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); break;
    case D3DFMT_A1R5G5B5: value = (a >= 128 ? 0x8000 : 0) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); break;
    case D3DFMT_A4R4G4B4: value = ((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4); break;
    default: return;
    }
    std::memcpy(dst, &value, BytesPerPixel(format));
}

UINT NextPowerOfTwo(UINT value)
{
    UINT result = 1;
    while (result < value && result < 0x80000000u) result <<= 1;
    return result;
}

// The size a new texture really gets under the device's rules.
void AdjustTextureSize(LPDIRECT3DDEVICE8 device, UINT& width, UINT& height, UINT& mipLevels)
{
    if (width == 0 || width == D3DX_DEFAULT) width = 256;
    if (height == 0 || height == D3DX_DEFAULT) height = 256;
    D3DCAPS8 caps;
    std::memset(&caps, 0, sizeof caps);
    if (SUCCEEDED(device->GetDeviceCaps(&caps))) {
        if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
            width = NextPowerOfTwo(width);
            height = NextPowerOfTwo(height);
        }
        if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = std::max(width, height);
        if (caps.MaxTextureWidth) width = std::min<UINT>(width, caps.MaxTextureWidth);
        if (caps.MaxTextureHeight) height = std::min<UINT>(height, caps.MaxTextureHeight);
    }
    if (mipLevels == D3DX_DEFAULT) mipLevels = 0;
}

// Fills a locked destination of the given size from a rectangle of the image. Without
// filtering the rectangle lands pixel for pixel at the top-left and the rest is
// transparent black; otherwise it is stretched over the whole destination.
void FillFromImage(const D3DLOCKED_RECT& locked, D3DFORMAT format, UINT width, UINT height, const DecodedImage& image,
                   const RECT& source, DWORD filter, D3DCOLOR colorKey)
{
    const UINT bpp = BytesPerPixel(format);
    const UINT srcWidth = static_cast<UINT>(source.right - source.left);
    const UINT srcHeight = static_cast<UINT>(source.bottom - source.top);
    const bool noFilter = (filter & 0xff) == D3DX_FILTER_NONE;
    for (UINT y = 0; y < height; ++y) {
        BYTE* row = static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        for (UINT x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            UINT sx = 0, sy = 0;
            bool inside = true;
            if (noFilter) {
                inside = x < srcWidth && y < srcHeight;
                sx = x;
                sy = y;
            } else {
                sx = static_cast<UINT>(uint64_t(x) * srcWidth / width);
                sy = static_cast<UINT>(uint64_t(y) * srcHeight / height);
            }
            if (inside) {
                pixel = image.argb[size_t(source.top + sy) * image.width + source.left + sx];
                if (colorKey && pixel == colorKey) pixel = 0;
            }
            StorePixel(row + x * bpp, format, pixel);
        }
    }
}

void FillInfo(D3DXIMAGE_INFO* info, const DecodedImage& image)
{
    if (!info) return;
    info->Width = image.width;
    info->Height = image.height;
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = image.fileFormat;
}

}  // namespace

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE8 device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, LPDIRECT3DTEXTURE8* texture)
{
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    if (format == D3DFMT_UNKNOWN) format = D3DFMT_A8R8G8B8;
    AdjustTextureSize(device, width, height, mipLevels);
    return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture);
}

HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 device, LPCSTR srcFile, UINT width, UINT height,
                                            UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                            PALETTEENTRY* palette, LPDIRECT3DTEXTURE8* texture)
{
    (void)mipFilter;
    (void)palette;
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || !srcFile) return D3DERR_INVALIDCALL;
    DecodedImage image;
    std::string error;
    if (!DecodeImageFile(srcFile, image, error)) return D3DXERR_INVALIDDATA;
    FillInfo(srcInfo, image);
    if (width == 0 || width == D3DX_DEFAULT) width = image.width;
    if (height == 0 || height == D3DX_DEFAULT) height = image.height;
    if (format == D3DFMT_UNKNOWN) format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (BytesPerPixel(format) == 0) return D3DERR_INVALIDCALL;
    if (filter == D3DX_DEFAULT) filter = D3DX_FILTER_POINT;

    LPDIRECT3DTEXTURE8 created = nullptr;
    HRESULT result = D3DXCreateTexture(device, width, height, mipLevels, usage, format, pool, &created);
    if (FAILED(result) || !created) return FAILED(result) ? result : E_FAIL;
    const RECT whole = {0, 0, static_cast<LONG>(image.width), static_cast<LONG>(image.height)};
    const DWORD levels = created->GetLevelCount();
    for (DWORD level = 0; level < levels; ++level) {
        D3DSURFACE_DESC desc;
        D3DLOCKED_RECT locked;
        if (FAILED(created->GetLevelDesc(level, &desc)) || FAILED(created->LockRect(level, &locked, nullptr, 0))) {
            created->Release();
            return E_FAIL;
        }
        // Smaller mip levels are always scaled; only the top level honours "no filter".
        FillFromImage(locked, desc.Format, desc.Width, desc.Height, image, whole,
                      level == 0 ? filter : D3DX_FILTER_POINT, colorKey);
        created->UnlockRect(level);
    }
    *texture = created;
    return S_OK;
}

HRESULT WINAPI D3DXLoadSurfaceFromFileA(LPDIRECT3DSURFACE8 destSurface, CONST PALETTEENTRY* destPalette,
                                        CONST RECT* destRect, LPCSTR srcFile, CONST RECT* srcRect, DWORD filter,
                                        D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo)
{
    (void)destPalette;
    if (!destSurface || !srcFile) return D3DERR_INVALIDCALL;
    DecodedImage image;
    std::string error;
    if (!DecodeImageFile(srcFile, image, error)) return D3DXERR_INVALIDDATA;
    FillInfo(srcInfo, image);

    RECT source = {0, 0, static_cast<LONG>(image.width), static_cast<LONG>(image.height)};
    if (srcRect) {
        if (!RectInside(*srcRect, source.right, source.bottom)) return D3DERR_INVALIDCALL;
        source = *srcRect;
    }
    D3DSURFACE_DESC desc;
    if (FAILED(destSurface->GetDesc(&desc)) || BytesPerPixel(desc.Format) == 0) return D3DERR_INVALIDCALL;
    RECT target = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    if (destRect) {
        if (!RectInside(*destRect, target.right, target.bottom)) return D3DERR_INVALIDCALL;
        target = *destRect;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(destSurface->LockRect(&locked, destRect ? &target : nullptr, 0))) return D3DERR_INVALIDCALL;
    if (filter == D3DX_DEFAULT) filter = D3DX_FILTER_POINT;
    FillFromImage(locked, desc.Format, static_cast<UINT>(target.right - target.left),
                  static_cast<UINT>(target.bottom - target.top), image, source, filter, colorKey);
    destSurface->UnlockRect();
    return S_OK;
}
