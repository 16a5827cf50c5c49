// vantrel-check DIR: reports every breach in the game data of DIR; exit 1 if any.
#include <d3d8.h>
#include <stand_in.h>

#include <cstdio>
#include <cstring>

#include "game/state.h"
#include "tools/check/data_check.h"

namespace {

// The images load through the in-memory device, so no display is needed.
bool CreateMemoryDevice()
{
    PlatformSetDeviceBackend("memory");
    g_d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!g_d3d) return false;
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.BackBufferWidth = 640;
    parameters.BackBufferHeight = 480;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    if (FAILED(g_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &parameters, &g_device)))
        return false;
    D3DCAPS8 caps;
    std::memset(&caps, 0, sizeof caps);
    g_device->GetDeviceCaps(&caps);
    g_maxTextureWidth = caps.MaxTextureWidth;
    g_maxTextureHeight = caps.MaxTextureHeight;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrel-check DIR\n");
        return 2;
    }
    if (!CreateMemoryDevice()) {
        std::fprintf(stderr, "vantrel-check: no device to load images with\n");
        return 2;
    }
    std::vector<std::string> breaches = CheckDataDirectory(argv[1]);
    for (const std::string& line : breaches) std::printf("%s\n", line.c_str());
    return breaches.empty() ? 0 : 1;
}
