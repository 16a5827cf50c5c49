// IUnknown stand-in: the reference-counting base every interface of the Direct3D and
// DirectInput stand-ins derives from, in the platform's header of the same name so both
// of those headers share one definition.
#pragma once
#include <windows.h>

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;
