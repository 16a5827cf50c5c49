// A device that draws nothing and records what the drawing code asks of it: every call
// in order, with the world matrix, texture, stream and fill mode each draw ran under and
// a copy of the four vertices it drew.
#pragma once
#include <d3d8.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "figure/records.h"
#include "graphics/draw_helpers.h"

class RecordingDevice;

struct RecordedCall {
    std::string op;
    DWORD a = 0, b = 0, c = 0;
    const void* object = nullptr;   // buffer or texture the call names (draws: the stream)
    const void* texture = nullptr;  // draws: texture on stage 0
    DWORD fillMode = D3DFILL_SOLID; // draws: fill mode in force
    D3DMATRIX matrix = {};          // SetTransform: the matrix; draws: the world matrix
    QuadVertex vertices[4] = {};    // draws: the stream's four vertices
};

class RecordingBuffer : public IDirect3DVertexBuffer8 {
public:
    explicit RecordingBuffer(RecordingDevice* device) : device_(device) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT, UINT, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC*) override { return E_NOTIMPL; }

    QuadVertex vertices[4] = {};
    ULONG refs_ = 1;
    bool failLock = false;

private:
    RecordingDevice* device_;
};

class RecordingTexture : public IDirect3DTexture8 {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return refs_ ? --refs_ : 0; }
    HRESULT GetDevice(IDirect3DDevice8**) override { return E_NOTIMPL; }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT, D3DSURFACE_DESC*) override { return E_NOTIMPL; }
    HRESULT GetSurfaceLevel(UINT, IDirect3DSurface8**) override { return E_NOTIMPL; }
    HRESULT LockRect(UINT, D3DLOCKED_RECT*, CONST RECT*, DWORD) override { return E_NOTIMPL; }
    HRESULT UnlockRect(UINT) override { return E_NOTIMPL; }
    ULONG refs_ = 1;
};

class RecordingDevice : public IDirect3DDevice8 {
public:
    RecordingDevice()
    {
        D3DMATRIX identity = {};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
        world = view = projection = identity;
        viewport = {0, 0, 1024, 768, 0.0f, 1.0f};
    }

    // A buffer holding a w x h quad centred on the origin, as the part builder makes it.
    RecordingBuffer* NewQuad(float w, float h)
    {
        owned_.emplace_back(new RecordingBuffer(this));
        RecordingBuffer* b = owned_.back().get();
        const float xs[4] = {-w / 2, w / 2, w / 2, -w / 2};
        const float ys[4] = {h / 2, h / 2, -h / 2, -h / 2};
        for (int i = 0; i < 4; ++i) {
            b->vertices[i].x = xs[i];
            b->vertices[i].y = ys[i];
            b->vertices[i].colour = 0xFFFFFFFF;
        }
        return b;
    }
    RecordingTexture* NewTexture()
    {
        textures_.emplace_back(new RecordingTexture);
        return textures_.back().get();
    }

    std::vector<RecordedCall> Calls(const std::string& op) const
    {
        std::vector<RecordedCall> out;
        for (const RecordedCall& call : calls)
            if (call.op == op) out.push_back(call);
        return out;
    }
    std::vector<RecordedCall> Draws(DWORD type, DWORD fill) const
    {
        std::vector<RecordedCall> out;
        for (const RecordedCall& call : calls)
            if (call.op == "DrawPrimitive" && call.a == type && call.fillMode == fill) out.push_back(call);
        return out;
    }
    std::vector<RecordedCall> SolidFans() const { return Draws(D3DPT_TRIANGLEFAN, D3DFILL_SOLID); }
    std::vector<RecordedCall> WireFans() const { return Draws(D3DPT_TRIANGLEFAN, D3DFILL_WIREFRAME); }
    void Record(RecordedCall call) { calls.push_back(call); }

    std::vector<RecordedCall> calls;
    D3DMATRIX world, view, projection;
    D3DVIEWPORT8 viewport;
    DWORD fillMode = D3DFILL_SOLID;
    IDirect3DBaseTexture8* texture = nullptr;
    IDirect3DVertexBuffer8* stream = nullptr;
    bool failCreateBuffer = false;
    int buffersCreated = 0;
    int buffersFreed = 0;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 0; }
    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    HRESULT GetDirect3D(IDirect3D8**) override { return E_NOTIMPL; }
    HRESULT GetDeviceCaps(D3DCAPS8*) override { return E_NOTIMPL; }
    HRESULT GetDisplayMode(D3DDISPLAYMODE*) override { return E_NOTIMPL; }
    HRESULT Present(CONST RECT*, CONST RECT*, HWND, CONST RGNDATA*) override { return Simple("Present"); }
    HRESULT GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8**) override { return E_NOTIMPL; }
    HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture8**) override
    {
        return E_NOTIMPL;
    }
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override
    {
        RecordedCall call;
        call.op = "CreateVertexBuffer";
        call.a = length;
        call.b = usage;
        call.c = fvf | static_cast<DWORD>(pool) << 16;
        Record(call);
        if (failCreateBuffer) {
            *buffer = nullptr;
            return E_OUTOFMEMORY;
        }
        ++buffersCreated;
        *buffer = NewQuad(0, 0);
        return D3D_OK;
    }
    HRESULT BeginScene() override { return Simple("BeginScene"); }
    HRESULT EndScene() override { return Simple("EndScene"); }
    HRESULT Clear(DWORD count, CONST D3DRECT*, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override
    {
        RecordedCall call;
        call.op = "Clear";
        call.a = count;
        call.b = flags;
        call.c = colour;
        call.matrix._11 = z;
        call.matrix._12 = static_cast<float>(stencil);
        Record(call);
        return D3D_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* m) override
    {
        RecordedCall call;
        call.op = "SetTransform";
        call.a = state;
        call.matrix = *m;
        Record(call);
        if (state == D3DTS_WORLD) world = *m;
        if (state == D3DTS_VIEW) view = *m;
        if (state == D3DTS_PROJECTION) projection = *m;
        return D3D_OK;
    }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override
    {
        *m = state == D3DTS_WORLD ? world : state == D3DTS_VIEW ? view : projection;
        return D3D_OK;
    }
    HRESULT SetViewport(CONST D3DVIEWPORT8* v) override
    {
        viewport = *v;
        return Simple("SetViewport");
    }
    HRESULT GetViewport(D3DVIEWPORT8* v) override
    {
        *v = viewport;
        return D3D_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        if (state == D3DRS_FILLMODE) fillMode = value;
        RecordedCall call;
        call.op = "SetRenderState";
        call.a = state;
        call.b = value;
        Record(call);
        return D3D_OK;
    }
    HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
    HRESULT GetTexture(DWORD, IDirect3DBaseTexture8**) override { return E_NOTIMPL; }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* t) override
    {
        if (stage == 0) texture = t;
        RecordedCall call;
        call.op = "SetTexture";
        call.a = stage;
        call.object = t;
        Record(call);
        return D3D_OK;
    }
    HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override { return E_NOTIMPL; }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        RecordedCall call;
        call.op = "SetTextureStageState";
        call.a = stage;
        call.b = type;
        call.c = value;
        Record(call);
        return D3D_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override
    {
        RecordedCall call;
        call.op = "DrawPrimitive";
        call.a = type;
        call.b = start;
        call.c = count;
        call.object = stream;
        call.texture = texture;
        call.fillMode = fillMode;
        call.matrix = world;
        if (stream) std::memcpy(call.vertices, static_cast<RecordingBuffer*>(stream)->vertices, sizeof call.vertices);
        Record(call);
        return D3D_OK;
    }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, CONST void*, UINT) override { return E_NOTIMPL; }
    HRESULT SetVertexShader(DWORD handle) override
    {
        RecordedCall call;
        call.op = "SetVertexShader";
        call.a = handle;
        Record(call);
        return D3D_OK;
    }
    HRESULT GetVertexShader(DWORD*) override { return E_NOTIMPL; }
    HRESULT SetStreamSource(UINT number, IDirect3DVertexBuffer8* data, UINT stride) override
    {
        if (number == 0) stream = data;
        RecordedCall call;
        call.op = "SetStreamSource";
        call.a = number;
        call.b = stride;
        call.object = data;
        Record(call);
        return D3D_OK;
    }
    HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer8**, UINT*) override { return E_NOTIMPL; }

private:
    HRESULT Simple(const char* op)
    {
        RecordedCall call;
        call.op = op;
        Record(call);
        return D3D_OK;
    }
    std::vector<std::unique_ptr<RecordingBuffer>> owned_;
    std::vector<std::unique_ptr<RecordingTexture>> textures_;
};

inline ULONG RecordingBuffer::Release()
{
    if (refs_ == 0) return 0;
    if (--refs_ == 0) {
        ++device_->buffersFreed;
        RecordedCall call;
        call.op = "ReleaseBuffer";
        call.object = this;
        device_->Record(call);
    }
    return refs_;
}

inline HRESULT RecordingBuffer::GetDevice(IDirect3DDevice8** device)
{
    *device = device_;
    return D3D_OK;
}

inline HRESULT RecordingBuffer::Lock(UINT, UINT, BYTE** data, DWORD flags)
{
    RecordedCall call;
    call.op = "Lock";
    call.a = flags;
    call.object = this;
    device_->Record(call);
    if (failLock) {
        *data = nullptr;
        return E_FAIL;
    }
    *data = reinterpret_cast<BYTE*>(vertices);
    return D3D_OK;
}

inline HRESULT RecordingBuffer::Unlock()
{
    RecordedCall call;
    call.op = "Unlock";
    call.object = this;
    device_->Record(call);
    return D3D_OK;
}
