// Which pixels a primitive covers on the OpenGL device: Direct3D's rule, pixel centres on
// whole coordinates, so that both builds of the game put every edge on the same pixel.
// Found by comparing screenshots with the Windows build, where every textured image came
// out one pixel further left and up on the OpenGL device.
#include <string>
#include <vector>

#include "gl_device_fixture.h"

namespace {

const D3DCOLOR WHITE = 0xffffffff;

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};

struct ClipVertex {
    float x, y, z;
    D3DCOLOR colour;
};

class GlRasterisation : public GlDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MakeDevice(false));
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    }

    // The covered pixels as a set of rows, each a string with '#' where white.
    std::vector<std::string> Coverage()
    {
        const std::vector<uint32_t> pixels = Pixels();
        std::vector<std::string> rows(H, std::string(W, '.'));
        for (UINT y = 0; y < H; ++y)
            for (UINT x = 0; x < W; ++x) rows[y][x] = (pixels[y * W + x] & 0xffffff) == 0xffffff ? '#' : '.';
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
