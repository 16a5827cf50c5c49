#include <gtest/gtest.h>

#include <d3dx8.h>
#include <stand_in.h>

#include <cstring>
#include <string>

#include "memory/memory_device.h"

namespace {

std::string ImagePath(const char* name) { return std::string(VANTREL_TEST_DATA_DIR) + "/images/" + name; }

class D3dxImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        PlatformSetDeviceBackend("memory");
        PlatformSetFailures(nullptr);
        MemoryResetConfig();
    }
    IDirect3DDevice8* MakeDevice(DWORD textureCaps = 0, DWORD maxSize = 2048)
    {
        MemoryConfig().adapters = {{"Test", maxSize, maxSize, textureCaps, false}};
        IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = 64;
        parameters.BackBufferHeight = 64;
        IDirect3DDevice8* device = nullptr;
        EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device), S_OK);
        return device;
    }
};

// Reads texel (x, y) of level 0 as a raw 16- or 32-bit value.
uint32_t Texel(IDirect3DTexture8* texture, UINT x, UINT y)
{
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    uint32_t value = 0;
    const UINT bytes = desc.Format == D3DFMT_A1R5G5B5 ? 2 : 4;
    std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * bytes, bytes);
    texture->UnlockRect(0);
    return value;
}

TEST_F(D3dxImage, PngWithAndWithoutAlphaToEveryFormatTheGameUses)
{
    IDirect3DDevice8* device = MakeDevice();
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, ImagePath("rgba.png").c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                           D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0,
                                           &info, nullptr, &texture),
              S_OK);
    EXPECT_EQ(info.Width, 4u);
    EXPECT_EQ(info.Height, 3u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    EXPECT_EQ(Texel(texture, 0, 0), 0xffff0000u);
    EXPECT_EQ(Texel(texture, 1, 0), 0x8000ff00u);
    EXPECT_EQ(Texel(texture, 2, 0), 0x7f0000ffu);
    EXPECT_EQ(Texel(texture, 3, 0) >> 24, 0u);
    EXPECT_EQ(Texel(texture, 0, 1), 0xffef1010u);  // second row really is the second row

    // 1-bit alpha: 128 and above is opaque, below is transparent.
    IDirect3DTexture8* packed = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, ImagePath("rgba.png").c_str(), 4, 3, 1, 0, D3DFMT_A1R5G5B5,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr,
                                           &packed),
              S_OK);
    EXPECT_EQ(Texel(packed, 0, 0), 0xfc00u);
    EXPECT_EQ(Texel(packed, 1, 0), 0x83e0u);
    EXPECT_EQ(Texel(packed, 2, 0), 0x001fu);
    EXPECT_EQ(Texel(packed, 3, 0) & 0x8000u, 0u);

    // No alpha in the file: every texel opaque.
    IDirect3DTexture8* opaque = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, ImagePath("rgb.png").c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                           D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0,
                                           nullptr, nullptr, &opaque),
              S_OK);
    for (UINT y = 0; y < 2; ++y)
        for (UINT x = 0; x < 3; ++x) EXPECT_TRUE(Texel(opaque, x, y) & 0x8000u);
    EXPECT_EQ(Texel(opaque, 2, 1), 0x8000u | (160 >> 3) << 10 | (170 >> 3) << 5 | (180 >> 3));
}

TEST_F(D3dxImage, JpegAndBmpDecode)
{
    IDirect3DDevice8* device = MakeDevice();
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, ImagePath("solid.jpg").c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, 0, 0, &info, nullptr, &texture),
              S_OK);
    EXPECT_EQ(info.Width, 16u);
    EXPECT_EQ(info.Height, 8u);
    const uint32_t jpegTexel = Texel(texture, 5, 5);
    EXPECT_EQ(jpegTexel >> 24, 0xffu);
    EXPECT_NEAR(double((jpegTexel >> 16) & 0xff), 200, 4);
    EXPECT_NEAR(double((jpegTexel >> 8) & 0xff), 100, 4);
    EXPECT_NEAR(double(jpegTexel & 0xff), 50, 4);

    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, ImagePath("rgb24.bmp").c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, 0, 0, &info, nullptr, &texture),
              S_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    EXPECT_EQ(Texel(texture, 0, 0), 0xffff0000u);  // bottom-up storage, top row first here
    EXPECT_EQ(Texel(texture, 2, 0), 0xff0000ffu);
    EXPECT_EQ(Texel(texture, 1, 1), 0xff040506u);

    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, ImagePath("pal8.bmp").c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, 0, 0, &info, nullptr, &texture),
              S_OK);
    EXPECT_EQ(Texel(texture, 0, 0), 0xff966432u);  // top-down palette image
    EXPECT_EQ(Texel(texture, 1, 0), 0xff000000u);
    EXPECT_EQ(Texel(texture, 1, 1), 0xff966432u);
}

TEST_F(D3dxImage, UnreadableFilesFailWithoutCreatingATexture)
{
    IDirect3DDevice8* device = MakeDevice();
    const char* bad[] = {"truncated.png", "corrupt.png", "truncated.jpg", "not_an_image.png",
                         "huge.png",      "huge.bmp",    "huge.jpg",         "missing.png"};
    for (const char* name : bad) {
        MemoryDeviceClearRecord();
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
        D3DXIMAGE_INFO info = {};
        EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileExA(device, ImagePath(name).c_str(), 0, 0, 1, 0,
                                                        D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, D3DX_FILTER_NONE, 0, 0,
                                                        &info, nullptr, &texture)))
            << name;
        EXPECT_EQ(texture, nullptr) << name;
        EXPECT_EQ(MemoryDeviceFind("CreateTexture"), -1) << name;
    }
}

TEST_F(D3dxImage, TexturesGrowToPowersOfTwoWhenTheDeviceAsks)
{
    IDirect3DDevice8* device = MakeDevice(D3DPTEXTURECAPS_POW2, 64);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 100, 30, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, &texture), S_OK);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 64u);  // clamped to the device limit
    EXPECT_EQ(desc.Height, 32u);

    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, ImagePath("rgb.png").c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, 0, 0, &info, nullptr, &texture),
              S_OK);
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(info.Width, 3u);  // the file's own size
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(Texel(texture, 0, 0), 0xff0a141eu);
    EXPECT_EQ(Texel(texture, 3, 0), 0u);  // unfiltered: the extra column stays transparent black
}

TEST_F(D3dxImage, SourceRectangleLandsTopLeftRestTransparent)
{
    IDirect3DDevice8* device = MakeDevice();
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    // Dirty the texture first so that "rest transparent" is really written.
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 8; ++y) std::memset(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, 0x55, 32);
    texture->UnlockRect(0);

    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), S_OK);
    const RECT source = {1, 1, 3, 3};
    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, ImagePath("rgba.png").c_str(), &source,
                                       D3DX_FILTER_NONE, 0, &info),
              S_OK);
    EXPECT_EQ(info.Width, 4u);
    EXPECT_EQ(Texel(texture, 0, 0), 0x8010ef10u);  // image (1, 1)
    EXPECT_EQ(Texel(texture, 1, 1), 0x7f2020dfu);  // image (2, 2)
    for (UINT y = 0; y < 8; ++y)
        for (UINT x = 0; x < 8; ++x) {
            if (x >= 2 || y >= 2) {
                EXPECT_EQ(Texel(texture, x, y), 0u) << x << "," << y;
            }
        }

    const RECT outside = {2, 2, 9, 3};
    EXPECT_TRUE(FAILED(D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, ImagePath("rgba.png").c_str(), &outside,
                                                D3DX_FILTER_NONE, 0, nullptr)));
    EXPECT_TRUE(FAILED(D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, ImagePath("corrupt.png").c_str(),
                                                nullptr, D3DX_FILTER_NONE, 0, nullptr)));
    surface->Release();
}

}  // namespace
