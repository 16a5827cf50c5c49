#include <gtest/gtest.h>

#include <d3dx8.h>
#include <stand_in.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "d3dx/image_decode.h"
#include "graphics/draw_helpers.h"
#include "gl_device_fixture.h"
#include "support.h"

namespace {

class GlRender : public GlDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MakeDevice(true));
        // The game's fixed state, with identity transforms so positions are clip space.
        SetGameBlending();
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device_->SetRenderState(D3DRS_ALPHAREF, 2);
        device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
    }
    uint32_t At(const std::vector<uint32_t>& pixels, UINT x, UINT y) { return pixels[y * W + x] & 0xffffff; }

    // A solid-coloured texture of one texel per entry, row by row.
    IDirect3DTexture8* Texture(UINT w, UINT h, std::vector<uint32_t> argb)
    {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, 0);
        for (UINT y = 0; y < h; ++y) std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, &argb[y * w], w * 4);
        texture->UnlockRect(0);
        return texture;
    }

    // Rectangle in clip space (x, y in -1..1, y up) drawn through a temporary buffer.
    void Quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR colour, bool wire = false)
    {
        const QuadVertex quad[4] = {{x0, y1, z, colour, 0, 0}, {x1, y1, z, colour, 1, 0},
                                    {x1, y0, z, colour, 1, 1}, {x0, y0, z, colour, 0, 1}};
        IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device_, quad);
        ASSERT_NE(buffer, nullptr);
        BindQuadBuffer(device_, buffer);
        if (wire)
            DrawWireFrameOutline(device_);
        else
            device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
        buffer->Release();
    }

};

TEST_F(GlRender, ClearAndTexturedQuadModulatedByVertexColour)
{
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff336699, 1.0f, 0);
    EXPECT_EQ(At(Pixels(), 5, 5), 0x336699u);

    // Quadrants: top-left red, top-right green, bottom-left blue, bottom-right white.
    IDirect3DTexture8* texture = Texture(2, 2, {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff});
    device_->SetTexture(0, texture);
    Quad(-1, -1, 0, 1, 0.5f, 0xff808080);  // left half of the screen
    const std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 4, 4), 0x800000u);     // top-left of the quad: image top row
    EXPECT_EQ(At(pixels, 28, 4), 0x008000u);
    EXPECT_EQ(At(pixels, 4, 40), 0x000080u);
    EXPECT_EQ(At(pixels, 28, 40), 0x808080u);
    EXPECT_EQ(At(pixels, 40, 20), 0x336699u);  // right half untouched
    texture->Release();
}

TEST_F(GlRender, AlphaTestDropsBelowTwoAndDepthKeepsTheLaterOfEqualDraws)
{
    // Texel alpha 255 with vertex alpha 1 gives 1: dropped, so it writes no depth either.
    IDirect3DTexture8* white = Texture(1, 1, {0xffffffff});
    device_->SetTexture(0, white);
    Quad(-1, -1, 1, 1, 0.1f, 0x01ff0000);
    EXPECT_EQ(At(Pixels(), 32, 24), 0u);
    // Alpha 2 is drawn, barely: still nothing visible after blending, but depth written.
    Quad(-1, -1, 0, 1, 0.2f, 0x02ffffff);
    Quad(-1, -1, 1, 1, 0.3f, 0xff00ff00);  // farther: hidden on the left only
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_LE(At(pixels, 10, 24), 0x020202u);
    EXPECT_EQ(At(pixels, 50, 24), 0x00ff00u);

    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
    Quad(-1, -1, 1, 1, 0.5f, 0xffff0000);
    Quad(-1, -1, 1, 1, 0.5f, 0xff0000ff);  // same depth, drawn later: wins
    Quad(-1, -1, 1, 1, 0.7f, 0xff00ff00);  // behind: loses
    EXPECT_EQ(At(Pixels(), 32, 24), 0x0000ffu);
    white->Release();
}

TEST_F(GlRender, WireFrameOutlineShowsEdgesAndOneDiagonalOnly)
{
    IDirect3DTexture8* red = Texture(1, 1, {0xffff0000});
    device_->SetTexture(0, red);
    Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f, 0xffffffff, true);
    std::vector<uint32_t> pixels = Pixels();
    int edge = 0, inside = 0;
    for (UINT x = 20; x < 44; ++x) edge += At(pixels, x, 12) == 0xffffffu || At(pixels, x, 11) == 0xffffffu;
    for (UINT y = 14; y < 34; ++y)
        for (UINT x = 18; x < 46; ++x) inside += At(pixels, x, y) != 0;
    EXPECT_GT(edge, 18);  // top edge drawn in the vertex colour, not the texture's red
    EXPECT_GT(inside, 10);    // the diagonal
    EXPECT_LT(inside, 200);   // but not filled
    DWORD fill = 0;
    device_->GetRenderState(D3DRS_FILLMODE, &fill);
    EXPECT_EQ(fill, static_cast<DWORD>(D3DFILL_SOLID));
    red->Release();
}

TEST_F(GlRender, GameProjectionCentresTheOriginAtItsScale)
{
    D3DXMATRIX projection, view;
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, float(W) / H, 1.0f, 2000.0f);
    D3DXMatrixTranslation(&view, 0, 0, 800);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetTransform(D3DTS_VIEW, &view);
    // The visible height at distance 800 is about 662.7 units: 331 units fill half the height.
    const float half = 662.7f / 4;
    Quad(-half, -half, 0, half, 0, 0xffffffff);
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 20, 24), 0xffffffu);   // left of centre
    EXPECT_EQ(At(pixels, 34, 24), 0u);          // right of centre
    EXPECT_EQ(At(pixels, 31, 13), 0xffffffu);   // a quarter from the top
    EXPECT_EQ(At(pixels, 31, 10), 0u);
}

TEST_F(GlRender, SpriteDrawsAtPixelPositionOverEverythingAndRestoresState)
{
    Quad(-1, -1, 1, 1, 0.0f, 0xff0000ff);  // nearest possible depth
    IDirect3DTexture8* texture = Texture(4, 3, std::vector<uint32_t>(12, 0xffffffff));
    LPD3DXSPRITE sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(device_, &sprite), S_OK);
    const D3DXVECTOR2 at(10, 7);
    ASSERT_EQ(sprite->Draw(texture, nullptr, nullptr, nullptr, 0, &at, 0xffffff00), S_OK);
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 10, 7), 0xffff00u);
    EXPECT_EQ(At(pixels, 13, 9), 0xffff00u);
    EXPECT_EQ(At(pixels, 9, 7), 0x0000ffu);
    EXPECT_EQ(At(pixels, 14, 7), 0x0000ffu);
    EXPECT_EQ(At(pixels, 10, 10), 0x0000ffu);
    EXPECT_EQ(At(pixels, 10, 6), 0x0000ffu);

    DWORD value = 0;
    device_->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));
    device_->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 2u);
    device_->GetVertexShader(&value);
    EXPECT_EQ(value, 0x142u);
    sprite->Release();
    texture->Release();
}

// The picture is kept only in the framebuffer it was drawn in: the next frame's drawing
// covers it, and a screenshot then is refused rather than showing a frame never presented.
TEST_F(GlRender, ScreenshotIsTheLastPresentedFrameTopRowFirstUntilTheNextFrameDraws)
{
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff102030, 1.0f, 0);
    Quad(-1, 0, 1, 1, 0.5f, 0xffffffff);  // top half white
    IDirect3DTexture8* none = nullptr;
    device_->SetTexture(0, none);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    IDirect3DSurface8* back = nullptr;  // reading the back buffer draws nothing
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
    back->UnlockRect();
    back->Release();

    ScopedTempDir dir;
    ASSERT_TRUE(PlatformScreenshot("shot.png"));
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile("shot.png", image, error)) << error;
    EXPECT_EQ(image.width, W);
    EXPECT_EQ(image.height, H);
    EXPECT_EQ(image.argb[2 * W + 3], 0xffffffffu);
    EXPECT_EQ(image.argb[(H - 2) * W + 3], 0xff102030u);

    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffff0000, 1.0f, 0);
    EXPECT_FALSE(PlatformScreenshot("late.png"));
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    ASSERT_TRUE(PlatformScreenshot("shot.png"));
    ASSERT_TRUE(DecodeImageFile("shot.png", image, error)) << error;
    EXPECT_EQ(image.argb[2 * W + 3], 0xffff0000u);
}

// A locked rectangle reads only its own pixels, yet keeps the whole surface's pitch and
// puts its first pixel at pBits, as a whole-surface lock offset by the rectangle would.
TEST_F(GlRender, BackBufferRectangleLockReadsItsOwnPixelsAtTheSurfacePitch)
{
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff102030, 1.0f, 0);
    const D3DVIEWPORT8 inner = {10, 5, 10, 10, 0.0f, 1.0f};
    device_->SetViewport(&inner);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffa0b0c0, 1.0f, 0);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
    const RECT rect = {8, 3, 22, 17};
    D3DLOCKED_RECT locked;
    ASSERT_EQ(back->LockRect(&locked, &rect, D3DLOCK_READONLY), S_OK);
    EXPECT_EQ(locked.Pitch, INT(W * 4));
    auto at = [&](int x, int y) {
        uint32_t value;
        std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
        return value;
    };
    EXPECT_EQ(at(0, 0), 0xff102030u);
    EXPECT_EQ(at(2, 2), 0xffa0b0c0u);    // (10, 5), the inner square's corner
    EXPECT_EQ(at(11, 11), 0xffa0b0c0u);  // (19, 14)
    EXPECT_EQ(at(12, 12), 0xff102030u);
    EXPECT_EQ(at(13, 13), 0xff102030u);  // the rectangle's last pixel
    back->UnlockRect();
    const RECT outside = {60, 40, 70, 48};
    EXPECT_EQ(back->LockRect(&locked, &outside, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
    back->Release();
}

TEST_F(GlRender, OneBitAlphaTexelsVanishAndWriteNoDepth)
{
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(2, 1, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, &texture), S_OK);
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    const WORD texels[2] = {0xfc00, 0x7c00};  // opaque red, transparent red
    std::memcpy(locked.pBits, texels, sizeof texels);
    texture->UnlockRect(0);
    device_->SetTexture(0, texture);
    Quad(-1, -1, 1, 1, 0.2f, 0xffffffff);
    device_->SetTexture(0, nullptr);
    Quad(-1, -1, 1, 1, 0.6f, 0xff0000ff);  // farther: shows only through the transparent half
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 10, 24), 0xff0000u);
    EXPECT_EQ(At(pixels, 50, 24), 0x0000ffu);
    texture->Release();
}

TEST_F(GlRender, TextureLimitCanBeLowered)
{
    setenv("VANTREL_MAX_TEXTURE", "512x256", 1);
    D3DCAPS8 caps;
    ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), S_OK);
    unsetenv("VANTREL_MAX_TEXTURE");
    EXPECT_EQ(caps.MaxTextureWidth, 512u);
    EXPECT_EQ(caps.MaxTextureHeight, 256u);
    D3DADAPTER_IDENTIFIER8 identifier;
    ASSERT_EQ(d3d_->GetAdapterIdentifier(0, D3DENUM_NO_WHQL_LEVEL, &identifier), S_OK);
    EXPECT_STRNE(identifier.Description, "");
}

TEST_F(GlRender, StaleAndNullObjectsAreRefused)
{
    IDirect3DTexture8* texture = Texture(1, 1, {0xffffffff});
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(device_->SetTexture(0, texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetStreamSource(0, nullptr, 24), S_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nullptr, 24), D3DERR_INVALIDCALL);
    // A range whose end wraps past 32 bits is outside the buffer, not back at its start.
    const QuadVertex quad[4] = {};
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device_, quad);
    ASSERT_NE(buffer, nullptr);
    BindQuadBuffer(device_, buffer);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0xffffffffu, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), S_OK);
    buffer->Release();
    D3DCAPS8 caps;
    EXPECT_EQ(device_->GetDeviceCaps(&caps), S_OK);
    EXPECT_GE(caps.MaxTextureWidth, 256u);
    EXPECT_EQ(device_->CreateTexture(caps.MaxTextureWidth + 1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
}

}  // namespace

TEST_F(GlRender, StageOperationsAndEveryAlphaComparisonPickTheirOwnShader)
{
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    IDirect3DTexture8* red = Texture(1, 1, {0x80ff0000});
    device_->SetTexture(0, red);
    // Colour from the texture alone, then from the vertex alone.
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Quad(-1, -1, 0, 1, 0.5f, 0xff00ff00);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Quad(0, -1, 1, 1, 0.5f, 0xff0000ff);
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, 10, 24), 0xff0000u);
    EXPECT_EQ(At(pixels, 50, 24), 0x0000ffu);

    // Texel alpha 0x80 modulated by vertex alpha 0xff: 0x80 against a reference of 0x80.
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
    const struct {
        D3DCMPFUNC func;
        bool drawn;
    } cases[] = {{D3DCMP_NEVER, false},        {D3DCMP_LESS, false},    {D3DCMP_EQUAL, true},
                 {D3DCMP_LESSEQUAL, true},     {D3DCMP_GREATER, false}, {D3DCMP_NOTEQUAL, false},
                 {D3DCMP_GREATEREQUAL, true},  {D3DCMP_ALWAYS, true}};
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
        device_->SetRenderState(D3DRS_ALPHAFUNC, c.func);
        Quad(-1, -1, 1, 1, 0.5f, 0xffffffff);
        EXPECT_EQ(At(Pixels(), 32, 24), c.drawn ? 0xff0000u : 0u) << "comparison " << c.func;
    }

    // A released texture is freed; handing it back is refused and draws untextured.
    EXPECT_EQ(device_->SetTexture(0, nullptr), S_OK);
    EXPECT_EQ(red->Release(), 0u);
    EXPECT_EQ(device_->SetTexture(0, red), D3DERR_INVALIDCALL);
}
