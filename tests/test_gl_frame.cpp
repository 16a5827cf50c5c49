// The OpenGL device draws a frame when it is presented or read, not when each call comes:
// what it records must be what the calls meant at their moment, and what it leaves out
// (the depth buffer, a frame already on show) must not change a pixel.
#include <gtest/gtest.h>

#include <d3dx8.h>
#include <stand_in.h>

#include <cstring>
#include <vector>

#include "graphics/draw_helpers.h"
#include "gl_device_fixture.h"

namespace {

constexpr D3DCOLOR kBlack = 0xff000000, kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff;

class GlFrame : public GlDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MakeDevice(true));
        SetGameBlending();
    }
    uint32_t At(const std::vector<uint32_t>& pixels, UINT x, UINT y) { return pixels[y * W + x] & 0xffffff; }

    IDirect3DTexture8* Texture(D3DCOLOR argb)
    {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
        Fill(texture, argb);
        return texture;
    }
    void Fill(IDirect3DTexture8* texture, D3DCOLOR argb)
    {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
        std::memcpy(locked.pBits, &argb, sizeof argb);
        texture->UnlockRect(0);
    }

    // A rectangle in clip space (identity transforms), through a buffer of its own.
    void Quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR colour)
    {
        const QuadVertex quad[4] = {{x0, y1, z, colour, 0, 0}, {x1, y1, z, colour, 1, 0},
                                    {x1, y0, z, colour, 1, 1}, {x0, y0, z, colour, 0, 1}};
        IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device_, quad);
        ASSERT_NE(buffer, nullptr);
        BindQuadBuffer(device_, buffer);
        EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), S_OK);
        buffer->Release();
    }
    void Present() { EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK); }
    void ClearAll() { device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0); }
};

TEST_F(GlFrame, DrawsSeeTexturesAndVerticesAsTheyWereWhenAsked)
{
    IDirect3DTexture8* texture = Texture(kRed);
    device_->SetTexture(0, texture);
    ClearAll();
    Quad(-1, -1, 0, 1, 0.5f, 0xffffffff);  // left half, red
    Fill(texture, kGreen);
    Quad(0, -1, 1, 1, 0.5f, 0xffffffff);  // right half, green

    // One buffer drawn, rewritten and drawn again: each draw keeps its own vertices.
    device_->SetTexture(0, nullptr);
    const QuadVertex top[4] = {{-1, 1, 0.5f, kBlue, 0, 0}, {1, 1, 0.5f, kBlue, 0, 0},
                               {1, 0.75f, 0.5f, kBlue, 0, 0}, {-1, 0.75f, 0.5f, kBlue, 0, 0}};
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device_, top);
    ASSERT_NE(buffer, nullptr);
    BindQuadBuffer(device_, buffer);
    device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    BYTE* bytes = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &bytes, 0), S_OK);
    QuadVertex* vertices = reinterpret_cast<QuadVertex*>(bytes);
    for (int i = 0; i < 4; ++i) vertices[i].y -= 1.75f;  // to the bottom row
    buffer->Unlock();
    device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    buffer->Release();
    texture->Release();  // still sampled by nothing left undrawn
    Present();

    const std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 10, 24), 0xff0000u);
    EXPECT_EQ(At(pixels, 50, 24), 0x00ff00u);
    EXPECT_EQ(At(pixels, 10, 1), 0x0000ffu);
    EXPECT_EQ(At(pixels, 50, 46), 0x0000ffu);
}

TEST_F(GlFrame, ReadingMidFrameSeesTheDrawsSoFarAndTheFrameGoesOn)
{
    ClearAll();
    Quad(-1, -1, 0, 1, 0.5f, kRed);
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 10, 24), 0xff0000u);
    EXPECT_EQ(At(pixels, 50, 24), 0u);
    Quad(-1, -1, 1, 1, 0.7f, kGreen);  // behind the red half: depth from before the read holds
    Present();
    pixels = Pixels();
    EXPECT_EQ(At(pixels, 10, 24), 0xff0000u);
    EXPECT_EQ(At(pixels, 50, 24), 0x00ff00u);
}

// A frame at one depth is drawn without the depth buffer; a later frame that tests depth
// without clearing it must still find the depth that frame would have written.
TEST_F(GlFrame, DepthLeftOutOfOneFrameIsThereForTheNext)
{
    ClearAll();
    Quad(-1, -1, 0, 1, 0.5f, kRed);
    Quad(-0.5f, -1, 0.5f, 1, 0.5f, kBlue);  // same depth, later: drawn over the red
    Present();
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 4, 24), 0xff0000u);
    EXPECT_EQ(At(pixels, 24, 24), 0x0000ffu);

    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
    Quad(-1, -1, 1, 1, 0.7f, kGreen);  // behind what the last frame wrote
    Present();
    pixels = Pixels();
    EXPECT_EQ(At(pixels, 4, 24), 0u);
    EXPECT_EQ(At(pixels, 40, 24), 0u);
    EXPECT_EQ(At(pixels, 60, 24), 0x00ff00u);
}

TEST_F(GlFrame, AFrameIsLeftUndrawnOnlyWhenItCouldNotChangeThePicture)
{
    IDirect3DTexture8* texture = Texture(kRed);
    device_->SetTexture(0, texture);
    auto frame = [&] {
        ClearAll();
        Quad(-1, -1, 1, 1, 0.5f, 0xffffffff);
        Present();
    };
    frame();
    frame();
    EXPECT_EQ(At(Pixels(), 32, 24), 0xff0000u);
    // The same calls over other texels are another picture.
    Fill(texture, kGreen);
    frame();
    EXPECT_EQ(At(Pixels(), 32, 24), 0x00ff00u);
    device_->SetTexture(0, nullptr);
    texture->Release();

    // Without a clear the same calls blend over the last picture, which changes each time.
    ClearAll();
    Present();
    uint32_t last = 0;
    for (int i = 0; i < 3; ++i) {
        Quad(-1, -1, 1, 1, 0.5f, 0x80ffffff);
        Present();
        const uint32_t now = At(Pixels(), 32, 24);
        EXPECT_GT(now, last) << "frame " << i;
        last = now;
    }
}

TEST_F(GlFrame, QuadsBatchedUnderTheirOwnTransformsAndStates)
{
    // A row of eight quads, each placed by its own world matrix; every third unblended and
    // half transparent, which splits the batches.
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);  // not one depth the test passes at twice
    ClearAll();
    for (int i = 0; i < 8; ++i) {
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, -1.0f + 0.25f * i, 0, 0);
        device_->SetTransform(D3DTS_WORLD, &world);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, i % 3 == 0 ? FALSE : TRUE);
        Quad(0, -0.5f, 0.25f, 0.5f, 0.1f * i, D3DCOLOR(0x80000000 | (0x1c * (i + 1)) << 8));
    }
    Present();
    const std::vector<uint32_t> pixels = Pixels();
    for (UINT i = 0; i < 8; ++i) {
        const uint32_t green = 0x1c * (i + 1);
        const uint32_t blended = i % 3 == 0 ? green : (green * 0x80 + 127) / 255;
        const uint32_t seen = (At(pixels, 8 * i + 4, 24) >> 8) & 0xff;
        EXPECT_LE(seen > blended ? seen - blended : blended - seen, 1u) << "quad " << i;
        EXPECT_EQ(At(pixels, 8 * i + 4, 4), 0u);
    }
}

// Each vertex's inputs are copied when the draw is asked, so they must lie inside what the
// caller handed over; a stride shorter than the format's vertex reads past the end.
TEST_F(GlFrame, DrawsReadingPastTheirVerticesAreRefused)
{
    const QuadVertex quad[4] = {};
    device_->SetVertexShader(QUAD_FVF);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(QuadVertex) / 2), D3DERR_INVALIDCALL);
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device_, quad);
    ASSERT_NE(buffer, nullptr);
    device_->SetStreamSource(0, buffer, 3 * sizeof(float));  // vertices overlap, the last runs out
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 4, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 3, 2), S_OK);  // its last vertex ends at the end
    device_->SetStreamSource(0, nullptr, 0);
    buffer->Release();
}

}  // namespace
