// What both Direct3D devices keep the same way: the render, texture-stage and transform
// state, the viewport, the bound textures and vertex stream, the scene bracket, with the
// platform's defaults for the states the game reads back. A back-end adds drawing and
// says which textures and buffers it can take.
#pragma once
#include "core/device_object.h"

#include <map>

class DeviceCore : public CountedObject<IDirect3DDevice8> {
public:
    static const UINT kStages = 8;

    // Holds a reference to d3d; the viewport covers width x height.
    DeviceCore(IDirect3D8* d3d, const D3DPRESENT_PARAMETERS& parameters, UINT width, UINT height);

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDirect3D(IDirect3D8** d3d) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(CONST D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT GetVertexShader(DWORD* handle) override;
    HRESULT SetStreamSource(UINT number, IDirect3DVertexBuffer8* data, UINT stride) override;
    HRESULT GetStreamSource(UINT number, IDirect3DVertexBuffer8** data, UINT* stride) override;

protected:
    // Whether the back-end can draw with this live object (one of its own kind).
    virtual bool TakesTexture(IDirect3DBaseTexture8* texture) const = 0;
    virtual bool TakesVertexBuffer(IDirect3DVertexBuffer8* buffer) const = 0;

    // Unset states read 0, as the platform's do for states it never documented.
    DWORD RenderState(D3DRENDERSTATETYPE state) const;
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;
    void SetStageDefault(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) { stageStates_[stage][type] = value; }
    // World, view and projection are always set; any other reads as the identity.
    const D3DMATRIX& Transform(D3DTRANSFORMSTATETYPE state) const;
    const D3DVIEWPORT8& Viewport() const { return viewport_; }
    IDirect3DBaseTexture8* BoundTexture(DWORD stage) const { return stage < kStages ? textures_[stage] : nullptr; }
    IDirect3DVertexBuffer8* Stream() const { return stream_; }
    UINT StreamStride() const { return stride_; }
    DWORD VertexShader() const { return shader_; }
    // Lets go of the bound textures, the stream and the Direct3D object; the final release
    // of a device calls it.
    void ReleaseBindings();

private:
    IDirect3D8* d3d_;
    D3DVIEWPORT8 viewport_;
    std::map<DWORD, DWORD> renderStates_;
    std::map<DWORD, DWORD> stageStates_[kStages];
    std::map<DWORD, D3DMATRIX> transforms_;
    IDirect3DBaseTexture8* textures_[kStages] = {};
    IDirect3DVertexBuffer8* stream_ = nullptr;
    UINT stride_ = 0;
    DWORD shader_ = 0;
    bool inScene_ = false;
};
