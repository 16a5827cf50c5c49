// A bare OpenGL device with a small back buffer, for the tests that draw a few primitives
// and read every pixel back. The device starts with lighting and culling off.
#pragma once
#include <gtest/gtest.h>

#include <d3d8.h>
#include <stand_in.h>

#include <cstdint>
#include <cstring>
#include <vector>

// The whole back buffer of a device, top row first, through a lock as the game would take it.
inline std::vector<uint32_t> BackBufferPixels(IDirect3DDevice8* device, UINT width, UINT height)
{
    std::vector<uint32_t> pixels(size_t(width) * height, 0);
    IDirect3DSurface8* back = nullptr;
    EXPECT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
    if (!back) return pixels;
    D3DLOCKED_RECT locked;
    EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
    for (UINT y = 0; y < height; ++y)
        std::memcpy(&pixels[y * width], static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, width * 4);
    back->UnlockRect();
    back->Release();
    return pixels;
}

class GlDeviceTest : public ::testing::Test {
protected:
    static constexpr UINT W = 64, H = 48;

    void MakeDevice(bool depthBuffer)
    {
        PlatformSetDeviceBackend("opengl");
        PlatformSetFailures(nullptr);
        d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr) << "no OpenGL 3.3";
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = W;
        parameters.BackBufferHeight = H;
        parameters.EnableAutoDepthStencil = depthBuffer ? TRUE : FALSE;
        parameters.AutoDepthStencilFormat = D3DFMT_D16;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                     &device_),
                  S_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    // The game's blending: depth tested, source alpha over, the texture's alpha times the
    // vertex colour's.
    void SetGameBlending()
    {
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    }
    void TearDown() override
    {
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
    }

    std::vector<uint32_t> Pixels() { return BackBufferPixels(device_, W, H); }

    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
};
