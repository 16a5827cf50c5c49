// The temporary four-vertex buffer and the wire-frame outline shared by the drawing code.
#include "graphics/draw_helpers.h"

#include <cstring>

static const UINT QUAD_BYTES = 4 * sizeof(QuadVertex);

IDirect3DVertexBuffer8* CreateTempQuadBuffer(IDirect3DDevice8* device, const QuadVertex vertices[4])
{
    if (!device || !vertices) return nullptr;
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (FAILED(device->CreateVertexBuffer(QUAD_BYTES, D3DUSAGE_WRITEONLY, QUAD_FVF, D3DPOOL_MANAGED, &buffer)) ||
        !buffer)
        return nullptr;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) {
        buffer->Release();
        return nullptr;
    }
    std::memcpy(data, vertices, QUAD_BYTES);
    buffer->Unlock();
    return buffer;
}

void BindQuadBuffer(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer)
{
    if (!device) return;
    device->SetStreamSource(0, buffer, sizeof(QuadVertex));
    device->SetVertexShader(QUAD_FVF);
}

void DrawWireFrameOutline(IDirect3DDevice8* device)
{
    if (!device) return;
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
}
