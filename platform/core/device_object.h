// The objects both Direct3D back-ends hand out: one reference from creation, freed with
// the last, and kept in one registry of live objects by the pointer the game holds. Every
// pointer handed back to a device is looked up there first, so a stale or foreign one is
// refused (null), never followed.
#pragma once
#include <d3d8.h>

#include <utility>

class DeviceObject {
public:
    virtual ~DeviceObject() = default;
    long refs = 1;
    bool Alive() const { return refs > 0; }

protected:
    // Lets go of what the object holds, just before it is freed.
    virtual void OnFinalRelease() {}
    // Every AddRef and Release, before it counts ("AddRef", "Release"); for call records.
    virtual void OnReferenceCall(const char* /*call*/) {}
};

void RegisterDeviceObject(const void* address, DeviceObject* object);
// The live object behind an interface pointer, or null for a freed or foreign one.
DeviceObject* FindDeviceObject(const void* address);
void FreeDeviceObject(DeviceObject* object, const void* address);

// The live object of type T behind an interface pointer, or null.
template <typename T>
T* LiveObject(const void* address)
{
    T* object = dynamic_cast<T*>(FindDeviceObject(address));
    return object && object->Alive() ? object : nullptr;
}

template <typename T, typename... Args>
T* MakeObject(Args&&... args)
{
    T* object = new T(std::forward<Args>(args)...);
    RegisterDeviceObject(static_cast<IUnknown*>(object), object);
    return object;
}

// IUnknown for a registered object; no object answers for any other interface.
template <typename Interface>
class CountedObject : public DeviceObject, public Interface {
public:
    HRESULT QueryInterface(REFIID, void** object) override
    {
        if (object) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override
    {
        OnReferenceCall("AddRef");
        return Alive() ? static_cast<ULONG>(++refs) : 0;
    }
    ULONG Release() override
    {
        OnReferenceCall("Release");
        if (!Alive()) return 0;
        if (--refs > 0) return static_cast<ULONG>(refs);
        OnFinalRelease();
        FreeDeviceObject(this, static_cast<IUnknown*>(this));
        return 0;
    }
};

// GetDevice of a resource: resources do not keep their device alive, so it may be gone.
HRESULT ResourceDevice(IDirect3DDevice8* owner, IDirect3DDevice8** device);
// Levels of a full mip chain down to 1 x 1.
UINT FullMipCount(UINT width, UINT height);
// Vertices a primitive call of count primitives reads.
UINT PrimitiveVertexCount(D3DPRIMITIVETYPE type, UINT count);
