// The device state both back-ends keep alike.
#include "core/device_core.h"

namespace {

D3DMATRIX Identity()
{
    D3DMATRIX identity = {};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
    return identity;
}

}  // namespace

DeviceCore::DeviceCore(IDirect3D8* d3d, const D3DPRESENT_PARAMETERS& parameters, UINT width, UINT height)
    : d3d_(d3d)
{
    d3d_->AddRef();
    viewport_ = {0, 0, width, height, 0.0f, 1.0f};
    // The platform's documented defaults for the states the game reads back.
    renderStates_[D3DRS_ZENABLE] = parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    renderStates_[D3DRS_FILLMODE] = D3DFILL_SOLID;
    renderStates_[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates_[D3DRS_LIGHTING] = TRUE;
    for (UINT stage = 0; stage < kStages; ++stage) {
        auto& tss = stageStates_[stage];
        tss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        tss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        tss[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        tss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        tss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        tss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    }
    transforms_[D3DTS_WORLD] = transforms_[D3DTS_VIEW] = transforms_[D3DTS_PROJECTION] = Identity();
}

HRESULT DeviceCore::TestCooperativeLevel() { return Alive() ? S_OK : D3DERR_INVALIDCALL; }

HRESULT DeviceCore::GetDirect3D(IDirect3D8** d3d)
{
    if (!d3d) return D3DERR_INVALIDCALL;
    *d3d = d3d_;
    d3d_->AddRef();
    return S_OK;
}

HRESULT DeviceCore::BeginScene()
{
    if (!Alive() || inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return S_OK;
}

HRESULT DeviceCore::EndScene()
{
    if (!Alive() || !inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return S_OK;
}

HRESULT DeviceCore::SetTransform(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix)
{
    if (!Alive() || !matrix) return D3DERR_INVALIDCALL;
    transforms_[state] = *matrix;
    return S_OK;
}

HRESULT DeviceCore::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    auto it = transforms_.find(state);
    if (it == transforms_.end()) return D3DERR_INVALIDCALL;
    *matrix = it->second;
    return S_OK;
}

HRESULT DeviceCore::SetViewport(CONST D3DVIEWPORT8* viewport)
{
    if (!Alive() || !viewport) return D3DERR_INVALIDCALL;
    viewport_ = *viewport;
    return S_OK;
}

HRESULT DeviceCore::GetViewport(D3DVIEWPORT8* viewport)
{
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return S_OK;
}

HRESULT DeviceCore::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (!Alive()) return D3DERR_INVALIDCALL;
    renderStates_[state] = value;
    return S_OK;
}

HRESULT DeviceCore::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value) return D3DERR_INVALIDCALL;
    *value = RenderState(state);
    return S_OK;
}

HRESULT DeviceCore::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    if (!texture || stage >= kStages) return D3DERR_INVALIDCALL;
    *texture = textures_[stage];
    if (*texture) (*texture)->AddRef();
    return S_OK;
}

HRESULT DeviceCore::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    if (!Alive() || stage >= kStages) return D3DERR_INVALIDCALL;
    if (texture && !TakesTexture(texture)) return D3DERR_INVALIDCALL;
    if (texture) texture->AddRef();
    if (textures_[stage]) textures_[stage]->Release();
    textures_[stage] = texture;
    return S_OK;
}

HRESULT DeviceCore::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (!value || stage >= kStages) return D3DERR_INVALIDCALL;
    *value = StageState(stage, type);
    return S_OK;
}

HRESULT DeviceCore::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (!Alive() || stage >= kStages) return D3DERR_INVALIDCALL;
    stageStates_[stage][type] = value;
    return S_OK;
}

HRESULT DeviceCore::SetVertexShader(DWORD handle)
{
    if (!Alive()) return D3DERR_INVALIDCALL;
    shader_ = handle;
    return S_OK;
}

HRESULT DeviceCore::GetVertexShader(DWORD* handle)
{
    if (!handle) return D3DERR_INVALIDCALL;
    *handle = shader_;
    return S_OK;
}

HRESULT DeviceCore::SetStreamSource(UINT number, IDirect3DVertexBuffer8* data, UINT stride)
{
    if (!Alive() || number != 0) return D3DERR_INVALIDCALL;
    if (data && !TakesVertexBuffer(data)) return D3DERR_INVALIDCALL;
    if (data) data->AddRef();
    if (stream_) stream_->Release();
    stream_ = data;
    stride_ = stride;
    return S_OK;
}

HRESULT DeviceCore::GetStreamSource(UINT number, IDirect3DVertexBuffer8** data, UINT* stride)
{
    if (!data || !stride || number != 0) return D3DERR_INVALIDCALL;
    *data = stream_;
    if (stream_) stream_->AddRef();
    *stride = stride_;
    return S_OK;
}

DWORD DeviceCore::RenderState(D3DRENDERSTATETYPE state) const
{
    auto it = renderStates_.find(state);
    return it == renderStates_.end() ? 0 : it->second;
}

DWORD DeviceCore::StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const
{
    if (stage >= kStages) return 0;
    auto it = stageStates_[stage].find(type);
    return it == stageStates_[stage].end() ? 0 : it->second;
}

const D3DMATRIX& DeviceCore::Transform(D3DTRANSFORMSTATETYPE state) const
{
    static const D3DMATRIX identity = Identity();
    auto it = transforms_.find(state);
    return it == transforms_.end() ? identity : it->second;
}

void DeviceCore::ReleaseBindings()
{
    for (auto& texture : textures_)
        if (texture) texture->Release(), texture = nullptr;
    if (stream_) stream_->Release();
    stream_ = nullptr;
    d3d_->Release();
}
