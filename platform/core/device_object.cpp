// The registry of live device objects and the small helpers both back-ends share.
#include "core/device_object.h"

#include <unordered_map>

namespace {

// Live objects by the address of their interface (the pointer the game holds).
std::unordered_map<const void*, DeviceObject*>& Registry()
{
    // Never destroyed: objects still alive at exit stay reachable for the leak checker.
    static auto* objects = new std::unordered_map<const void*, DeviceObject*>;
    return *objects;
}

}  // namespace

void RegisterDeviceObject(const void* address, DeviceObject* object) { Registry()[address] = object; }

DeviceObject* FindDeviceObject(const void* address)
{
    auto it = Registry().find(address);
    return it == Registry().end() ? nullptr : it->second;
}

void FreeDeviceObject(DeviceObject* object, const void* address)
{
    Registry().erase(address);
    delete object;
}

HRESULT ResourceDevice(IDirect3DDevice8* owner, IDirect3DDevice8** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    *device = LiveObject<DeviceObject>(owner) ? owner : nullptr;
    if (!*device) return D3DERR_INVALIDCALL;
    owner->AddRef();
    return S_OK;
}

UINT FullMipCount(UINT width, UINT height)
{
    UINT levels = 1;
    for (; width > 1 || height > 1; ++levels) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
    return levels;
}

UINT PrimitiveVertexCount(D3DPRIMITIVETYPE type, UINT count)
{
    switch (type) {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return count * 2;
    case D3DPT_LINESTRIP: return count + 1;
    case D3DPT_TRIANGLELIST: return count * 3;
    default: return count + 2;
    }
}
