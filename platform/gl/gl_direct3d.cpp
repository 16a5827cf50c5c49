// The Direct3D object of the OpenGL back-end: one adapter, the display's mode, the
// context's limits, and devices made on the process's one context.
#include <SDL.h>
#include <stand_in.h>

#include <cstdio>
#include <cstring>

#include "core/device_object.h"
#include "gl/gl_context.h"
#include "gl/gl_device.h"

namespace {

class GlDirect3D final : public CountedObject<IDirect3D8> {
public:
    UINT GetAdapterCount() override { return Alive() ? 1 : 0; }
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier) override
    {
        if (!identifier || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        std::memset(identifier, 0, sizeof *identifier);
        std::snprintf(identifier->Driver, sizeof identifier->Driver, "OpenGL");
        std::snprintf(identifier->Description, sizeof identifier->Description, "%s", GlRendererName());
        return S_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        if (!mode || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        if (PlatformFailureRequested("displaymode")) return D3DERR_NOTAVAILABLE;
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) desktop.w = 1024, desktop.h = 768, desktop.refresh_rate = 60;
        *mode = {static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h), static_cast<UINT>(desktop.refresh_rate),
                 D3DFMT_X8R8G8B8};
        return S_OK;
    }
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override
    {
        if (!caps || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        std::memset(caps, 0, sizeof *caps);
        unsigned w = 0, h = 0;
        GlMaxTextureSize(w, h);
        caps->DeviceType = type;
        caps->TextureCaps = D3DPTEXTURECAPS_ALPHA;
        caps->MaxTextureWidth = w;
        caps->MaxTextureHeight = h;
        return S_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND focusWindow, DWORD, D3DPRESENT_PARAMETERS* parameters,
                         IDirect3DDevice8** device) override
    {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!parameters || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        if (PlatformFailureRequested("createdevice")) return D3DERR_NOTAVAILABLE;
        if (!GlEnsureContext()) return D3DERR_NOTAVAILABLE;
        unsigned w = 0, h = 0;
        GlMaxTextureSize(w, h);
        *device = CreateGlDevice(this, focusWindow, *parameters, w, h);
        return S_OK;
    }
};

}  // namespace

IDirect3D8* CreateGlDirect3D()
{
    if (!GlEnsureContext()) return nullptr;
    return MakeObject<GlDirect3D>();
}
