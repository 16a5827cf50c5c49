// Creates the Direct3D object and the one full-screen device, logging each adapter.
#include "graphics/device_setup.h"

#include <d3d8.h>
#include <d3dx8.h>

#include <cstdio>
#include <cstring>

#include "graphics/device.h"
#include "graphics/scene_resources.h"
#include "base/log.h"

float g_screenWidth = 1024.0f;
float g_screenHeight = 768.0f;
IDirect3D8* g_d3d = nullptr;
IDirect3DDevice8* g_device = nullptr;
DWORD g_maxTextureWidth = 0;
DWORD g_maxTextureHeight = 0;

HRESULT InitD3D(HWND window)
{
    char line[256];

    g_d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!g_d3d) return E_FAIL;

    const UINT adapterCount = g_d3d->GetAdapterCount();
    std::snprintf(line, sizeof line, "Adapter count: %i", static_cast<int>(adapterCount));
    WriteLog(line);

    for (UINT adapter = 0; adapter < adapterCount; ++adapter) {
        D3DADAPTER_IDENTIFIER8 identifier;
        std::memset(&identifier, 0, sizeof identifier);
        g_d3d->GetAdapterIdentifier(adapter, D3DENUM_NO_WHQL_LEVEL, &identifier);
        identifier.Description[sizeof identifier.Description - 1] = '\0';
        std::snprintf(line, sizeof line, "Adapter Description: %.234s", identifier.Description);
        WriteLog(line);

        D3DCAPS8 caps;
        std::memset(&caps, 0, sizeof caps);
        const HRESULT capsResult = g_d3d->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps);
        std::snprintf(line, sizeof line, "Max Texture Size: %dx%d", static_cast<int>(caps.MaxTextureWidth),
                      static_cast<int>(caps.MaxTextureHeight));
        if (adapter == 0) {
            // The part builder divides by these, so an unreadable size must not become 0.
            const bool readable = SUCCEEDED(capsResult);
            g_maxTextureWidth = readable && caps.MaxTextureWidth ? caps.MaxTextureWidth : SAFE_MAX_TEXTURE_SIZE;
            g_maxTextureHeight = readable && caps.MaxTextureHeight ? caps.MaxTextureHeight : SAFE_MAX_TEXTURE_SIZE;
        }
        WriteLog(line);
    }

    D3DDISPLAYMODE mode;
    std::memset(&mode, 0, sizeof mode);
    if (FAILED(g_d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
        WriteLog("Error getting display mode");
        return E_FAIL;
    }

    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.BackBufferWidth = static_cast<UINT>(g_screenWidth);
    parameters.BackBufferHeight = static_cast<UINT>(g_screenHeight);
    parameters.BackBufferFormat = mode.Format;
    parameters.BackBufferCount = 1;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = nullptr;
    parameters.Windowed = FALSE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.Flags = 0;
    parameters.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
    parameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    const HRESULT result = g_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &g_device);
    if (FAILED(result)) {
        WriteLog("Error creating device:");
        char name[250];
        D3DXGetErrorStringA(result, name, sizeof name);
        std::snprintf(line, sizeof line, "%s", name);
        WriteLog(line);
        g_device = nullptr;
        return E_FAIL;
    }

    WriteLog("Completed initializing d3d");
    InitSceneResources();
    return S_OK;
}
