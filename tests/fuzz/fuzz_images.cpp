// Feeds arbitrary bytes to the image loaders (PNG, JPEG, BMP are told apart by content)
// through the texture-from-file call, on the in-memory device.
#include <d3d8.h>
#include <d3dx8.h>
#include <stand_in.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

char s_workDir[] = "/tmp/vantrel-fuzz-images-XXXXXX";
std::string s_path;
IDirect3DDevice8* s_device = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!mkdtemp(s_workDir)) std::abort();
    s_path = std::string(s_workDir) + "/input.img";
    PlatformSetDeviceBackend("memory");
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) std::abort();
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 64;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.Windowed = TRUE;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &s_device))) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (FILE* f = std::fopen(s_path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    // Both the formats the game asks for: 32-bit with alpha and 16-bit with a colour key.
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5};
    const D3DFORMAT format = formats[size % 2];
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info;
    if (SUCCEEDED(D3DXCreateTextureFromFileExA(s_device, s_path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, format,
                                               D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFF000000,
                                               &info, nullptr, &texture)) &&
        texture)
        texture->Release();
    return 0;
}
