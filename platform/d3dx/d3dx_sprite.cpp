// The screen sprite: a texture drawn as a screen-aligned rectangle in back-buffer
// pixels, over everything, through the Direct3D interfaces only. Every device state
// it changes is put back afterwards, so the scene's fixed state survives.
#include <d3dx8.h>

#include "common/ref_counted.h"

#include <cmath>
#include <vector>

namespace {

struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
const DWORD SPRITE_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

const D3DRENDERSTATETYPE kRenderStates[] = {
    D3DRS_ZENABLE,  D3DRS_ZWRITEENABLE,     D3DRS_FILLMODE,  D3DRS_CULLMODE,  D3DRS_LIGHTING,
    D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ALPHATESTENABLE, D3DRS_ALPHAREF,
    D3DRS_ALPHAFUNC, D3DRS_FOGENABLE,
};
const D3DTEXTURESTAGESTATETYPE kStageStates[] = {
    D3DTSS_COLOROP,  D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAOP,   D3DTSS_ALPHAARG1,
    D3DTSS_ALPHAARG2, D3DTSS_ADDRESSU, D3DTSS_ADDRESSV,  D3DTSS_MAGFILTER, D3DTSS_MINFILTER, D3DTSS_MIPFILTER,
};

class Sprite final : public RefCounted<ID3DXSprite> {
public:
    explicit Sprite(LPDIRECT3DDEVICE8 device) : device_(device) { device_->AddRef(); }
    ~Sprite() override { device_->Release(); }

    HRESULT GetDevice(LPDIRECT3DDEVICE8* device) override
    {
        if (!device) return D3DERR_INVALIDCALL;
        *device = device_;
        device_->AddRef();
        return S_OK;
    }
    HRESULT Begin() override { return S_OK; }
    HRESULT End() override { return S_OK; }

    HRESULT Draw(LPDIRECT3DTEXTURE8 texture, CONST RECT* srcRect, CONST D3DXVECTOR2* scaling,
                 CONST D3DXVECTOR2* rotationCenter, FLOAT rotation, CONST D3DXVECTOR2* translation,
                 D3DCOLOR color) override
    {
        if (!texture) return D3DERR_INVALIDCALL;
        D3DSURFACE_DESC desc;
        if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0)
            return D3DERR_INVALIDCALL;
        RECT source = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
        if (srcRect) source = *srcRect;
        const float width = float(source.right - source.left) * (scaling ? scaling->x : 1.0f);
        const float height = float(source.bottom - source.top) * (scaling ? scaling->y : 1.0f);
        const float left = translation ? translation->x : 0.0f;
        const float top = translation ? translation->y : 0.0f;
        const float u0 = float(source.left) / desc.Width, u1 = float(source.right) / desc.Width;
        const float v0 = float(source.top) / desc.Height, v1 = float(source.bottom) / desc.Height;
        SpriteVertex quad[4] = {
            {left, top, 0.0f, 1.0f, color, u0, v0},
            {left + width, top, 0.0f, 1.0f, color, u1, v0},
            {left + width, top + height, 0.0f, 1.0f, color, u1, v1},
            {left, top + height, 0.0f, 1.0f, color, u0, v1},
        };
        if (rotation != 0.0f) {
            const float cx = left + (rotationCenter ? rotationCenter->x : 0.0f);
            const float cy = top + (rotationCenter ? rotationCenter->y : 0.0f);
            const float c = std::cos(rotation), s = std::sin(rotation);
            for (SpriteVertex& v : quad) {
                const float dx = v.x - cx, dy = v.y - cy;
                v.x = cx + dx * c - dy * s;
                v.y = cy + dx * s + dy * c;
            }
        }

        DWORD savedStates[sizeof kRenderStates / sizeof kRenderStates[0]];
        DWORD savedStage[sizeof kStageStates / sizeof kStageStates[0]];
        for (size_t i = 0; i < sizeof kRenderStates / sizeof kRenderStates[0]; ++i)
            device_->GetRenderState(kRenderStates[i], &savedStates[i]);
        for (size_t i = 0; i < sizeof kStageStates / sizeof kStageStates[0]; ++i)
            device_->GetTextureStageState(0, kStageStates[i], &savedStage[i]);
        IDirect3DBaseTexture8* savedTexture = nullptr;
        device_->GetTexture(0, &savedTexture);
        DWORD savedShader = 0;
        device_->GetVertexShader(&savedShader);

        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device_->SetRenderState(D3DRS_ALPHAREF, 1);
        device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ADDRESSU, 3);
        device_->SetTextureStageState(0, D3DTSS_ADDRESSV, 3);
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        device_->SetTexture(0, texture);
        device_->SetVertexShader(SPRITE_FVF);
        const HRESULT result = device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(SpriteVertex));

        for (size_t i = 0; i < sizeof kRenderStates / sizeof kRenderStates[0]; ++i)
            device_->SetRenderState(kRenderStates[i], savedStates[i]);
        for (size_t i = 0; i < sizeof kStageStates / sizeof kStageStates[0]; ++i)
            device_->SetTextureStageState(0, kStageStates[i], savedStage[i]);
        device_->SetTexture(0, savedTexture);
        if (savedTexture) savedTexture->Release();
        device_->SetVertexShader(savedShader);
        return result;
    }

private:
    LPDIRECT3DDEVICE8 device_;
};

}  // namespace

HRESULT WINAPI D3DXCreateSprite(LPDIRECT3DDEVICE8 device, LPD3DXSPRITE* sprite)
{
    if (!sprite) return D3DERR_INVALIDCALL;
    *sprite = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    *sprite = new Sprite(device);
    return S_OK;
}
