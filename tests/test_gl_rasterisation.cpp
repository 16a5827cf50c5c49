// Which pixels a primitive covers on the OpenGL device: Direct3D's rule, pixel centres on
// whole coordinates, so that both builds of the game put every edge on the same pixel.
// Found by comparing screenshots with the Windows build, where every textured image came
// out one pixel further left and up on the OpenGL device.
#include <gtest/gtest.h>

#include <d3d8.h>
#include <stand_in.h>

#include <cstring>
#include <vector>

namespace {

const UINT W = 64, H = 48;
const D3DCOLOR WHITE = 0xffffffff;

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};

struct ClipVertex {
    float x, y, z;
    D3DCOLOR colour;
};

class GlRasterisation : public ::testing::Test {
protected:
    void SetUp() override
    {
        PlatformSetDeviceBackend("opengl");
        PlatformSetFailures(nullptr);
        d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr) << "no OpenGL 3.3";
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = W;
        parameters.BackBufferHeight = H;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                     &device_),
                  S_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    }
    void TearDown() override
    {
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
    }

    // The covered pixels as a set of rows, each a string with '#' where white.
    std::vector<std::string> Coverage()
    {
        std::vector<std::string> rows(H, std::string(W, '.'));
        IDirect3DSurface8* back = nullptr;
        EXPECT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        if (!back) return rows;
        D3DLOCKED_RECT locked;
        EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
        for (UINT y = 0; y < H; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (UINT x = 0; x < W; ++x) rows[y][x] = (row[x] & 0xffffff) == 0xffffff ? '#' : '.';
        }
        back->UnlockRect();
        back->Release();
        return rows;
    }

    // Expects exactly the pixels x in [x0, x1], y in [y0, y1] covered.
    void ExpectCovered(UINT x0, UINT y0, UINT x1, UINT y1)
    {
        const std::vector<std::string> rows = Coverage();
        for (UINT y = 0; y < H; ++y) {
            std::string expected(W, '.');
            if (y >= y0 && y <= y1) expected.replace(x0, x1 - x0 + 1, x1 - x0 + 1, '#');
            EXPECT_EQ(rows[y], expected) << "row " << y;
        }
    }

    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
};

}  // namespace

TEST_F(GlRasterisation, ScreenSpaceEdgesBetweenPixelsFollowTheirCentres)
{
    // Edges half-way between pixels: Direct3D takes the pixels whose whole-number centres
    // lie inside, 11..20 across and 6..15 down (OpenGL's own rule would give 10..19, 5..14).
    const ScreenVertex quad[4] = {{10.5f, 5.5f, 0.5f, 1, WHITE}, {20.5f, 5.5f, 0.5f, 1, WHITE},
                                  {20.5f, 15.5f, 0.5f, 1, WHITE}, {10.5f, 15.5f, 0.5f, 1, WHITE}};
    device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), S_OK);
    ExpectCovered(11, 6, 20, 15);
}

TEST_F(GlRasterisation, TransformedEdgesUseTheSameRuleAndWholePixelEdgesAreUnchanged)
{
    // Identity transforms: positions are clip space, y up. Pixel edges a and b across
    // (and c and d down, from the top) become clip coordinates.
    auto clipX = [](float a) { return a / W * 2.0f - 1.0f; };
    auto clipY = [](float c) { return 1.0f - c / H * 2.0f; };
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);

    const ClipVertex between[4] = {{clipX(30.5f), clipY(20.5f), 0.5f, WHITE}, {clipX(40.5f), clipY(20.5f), 0.5f, WHITE},
                                   {clipX(40.5f), clipY(30.5f), 0.5f, WHITE}, {clipX(30.5f), clipY(30.5f), 0.5f, WHITE}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, between, sizeof(ClipVertex)), S_OK);
    ExpectCovered(31, 21, 40, 30);

    // On whole coordinates both rules agree; this case must not move.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    const ClipVertex whole[4] = {{clipX(2), clipY(3), 0.5f, WHITE}, {clipX(8), clipY(3), 0.5f, WHITE},
                                 {clipX(8), clipY(9), 0.5f, WHITE}, {clipX(2), clipY(9), 0.5f, WHITE}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, whole, sizeof(ClipVertex)), S_OK);
    ExpectCovered(2, 3, 7, 8);
}
