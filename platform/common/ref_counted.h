// Reference counting for the layer's plain COM-style objects (the sprite, the input
// devices): one reference from creation, freed with the last, and no other interfaces to
// hand out unless a class answers QueryInterface itself. Builds against the stand-in's
// IUnknown and the platform's own.
#pragma once
#include <windows.h>

template <typename Interface>
class RefCounted : public Interface {
public:
    HRESULT QueryInterface(REFIID, void** object) override
    {
        if (object) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        const ULONG left = --references_;
        // The platform's IUnknown has no virtual destructor; this class's does.
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~RefCounted() = default;

private:
    ULONG references_ = 1;
};
