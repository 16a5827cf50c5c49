// Direct3DCreate8: picks the device back-end named in the stand-in's settings.
#include <d3d8.h>
#include <stand_in.h>

#include <cstring>

#include "gl/gl_device.h"
#include "memory/memory_device.h"

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION || PlatformFailureRequested("d3dcreate")) return nullptr;
    if (std::strcmp(PlatformDeviceBackend(), "memory") == 0) return CreateMemoryDirect3D();
    return CreateGlDirect3D();
}
