// The vertex buffer both back-ends share.
#include "core/vertex_buffer.h"

#include <cstring>

HRESULT VertexBufferCore::Lock(UINT offset, UINT size, BYTE** data, DWORD)
{
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    // Written as a subtraction so a range past the end cannot wrap round into the buffer.
    if (!Alive() || locked_ || offset > bytes_.size() || size > bytes_.size() - offset) return D3DERR_INVALIDCALL;
    locked_ = true;
    *data = bytes_.data() + offset;
    return S_OK;
}

HRESULT VertexBufferCore::Unlock()
{
    if (!Alive() || !locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    OnUnlocked();
    return S_OK;
}

HRESULT VertexBufferCore::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc || !Alive()) return D3DERR_INVALIDCALL;
    std::memset(desc, 0, sizeof *desc);
    desc->Format = D3DFMT_UNKNOWN;
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = static_cast<UINT>(bytes_.size());
    desc->FVF = fvf_;
    return S_OK;
}
