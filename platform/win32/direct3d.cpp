// Direct3DCreate8 on the real platform: the system's Direct3D object behind a thin wrapper
// that honours the test switches and remembers the device, so that screenshots can read it.
#include <d3d8.h>

#include <stand_in.h>

namespace {

IDirect3DDevice8* g_lastDevice = nullptr;

class PlatformDirect3D final : public IDirect3D8 {
public:
    explicit PlatformDirect3D(IDirect3D8* real) : real_(real) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3D8) {
            AddRef();
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            // The game releases its device before the Direct3D object; nothing of it is
            // left to read after this.
            g_lastDevice = nullptr;
            real_->Release();
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initialize) override
    {
        return real_->RegisterSoftwareDevice(initialize);
    }
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return real_->GetAdapterCount(); }
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override
    {
        return real_->GetAdapterIdentifier(adapter, flags, identifier);
    }
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) override { return real_->GetAdapterModeCount(adapter); }
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override
    {
        return real_->EnumAdapterModes(adapter, mode, displayMode);
    }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        if (PlatformFailureRequested("displaymode")) return D3DERR_NOTAVAILABLE;
        return real_->GetAdapterDisplayMode(adapter, mode);
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                              D3DFORMAT backBufferFormat, WINBOOL windowed) override
    {
        return real_->CheckDeviceType(adapter, type, displayFormat, backBufferFormat, windowed);
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override
    {
        return real_->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                                         WINBOOL windowed, D3DMULTISAMPLE_TYPE samples) override
    {
        return real_->CheckDeviceMultiSampleType(adapter, type, surfaceFormat, windowed, samples);
    }
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) override
    {
        return real_->CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat, depthFormat);
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override
    {
        return real_->GetDeviceCaps(adapter, type, caps);
    }
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override { return real_->GetAdapterMonitor(adapter); }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                                           D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override
    {
        if (PlatformFailureRequested("createdevice")) return D3DERR_NOTAVAILABLE;
        if (!parameters) return real_->CreateDevice(adapter, type, focusWindow, behaviour, parameters, device);
        // The export reads its pictures back from the back buffer, so it is lockable, as the
        // stand-in device's always is. Scripted runs also take screenshots after the pass
        // from it, so there it keeps its picture through Present. What is drawn does not change.
        D3DPRESENT_PARAMETERS asked = *parameters;
        asked.Flags |= D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        if (PlatformScripted()) asked.SwapEffect = D3DSWAPEFFECT_COPY;
        const HRESULT hr = real_->CreateDevice(adapter, type, focusWindow, behaviour, &asked, device);
        asked.Flags = parameters->Flags;
        asked.SwapEffect = parameters->SwapEffect;
        *parameters = asked;
        if (SUCCEEDED(hr) && device) g_lastDevice = *device;
        return hr;
    }

private:
    IDirect3D8* real_;
    ULONG references_ = 1;
};

}  // namespace

IDirect3DDevice8* PlatformLastDevice() { return g_lastDevice; }

extern "C" IDirect3D8* WINAPI PlatformDirect3DCreate8(UINT sdkVersion)
{
    if (PlatformFailureRequested("d3dcreate")) return nullptr;
    IDirect3D8* real = Direct3DCreate8(sdkVersion);
    if (!real) return nullptr;
    return new PlatformDirect3D(real);
}

// The system's device keeps no record of calls to switch.
void PlatformRecordDeviceCalls(bool) {}
