// A vertex buffer as both back-ends keep it: the bytes in memory, one lock at a time over
// a range inside the buffer. A back-end that draws from its own copy takes the bytes
// again on each unlock.
#pragma once
#include "core/device_object.h"

#include <vector>

class VertexBufferCore : public CountedObject<IDirect3DVertexBuffer8> {
public:
    VertexBufferCore(IDirect3DDevice8* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
        : device_(device), usage_(usage), fvf_(fvf), pool_(pool), bytes_(length, 0)
    {
    }
    HRESULT GetDevice(IDirect3DDevice8** device) override { return ResourceDevice(device_, device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    UINT Size() const { return static_cast<UINT>(bytes_.size()); }

protected:
    virtual void OnUnlocked() {}
    const std::vector<BYTE>& Bytes() const { return bytes_; }

private:
    IDirect3DDevice8* device_;
    DWORD usage_, fvf_;
    D3DPOOL pool_;
    std::vector<BYTE> bytes_;
    bool locked_ = false;
};
