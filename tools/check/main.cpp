// vantrel-check DIR: reports every breach in the game data of DIR; exit 1 if any.
#include <d3d8.h>
#include <stand_in.h>

#include <cstdio>
#include <cstring>

#include "game/state.h"
#include "memory/memory_device.h"
#include "tools/check/data_check.h"

namespace {

// The images load through the in-memory device, so no display is needed.
bool OpenImageDevice()
{
    if (!CreateMemoryDevice(640, 480, &g_d3d, &g_device)) return false;
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
    if (!OpenImageDevice()) {
        std::fprintf(stderr, "vantrel-check: no device to load images with\n");
        return 2;
    }
    std::vector<std::string> breaches = CheckDataDirectory(argv[1]);
    for (const std::string& line : breaches) std::printf("%s\n", line.c_str());
    return breaches.empty() ? 0 : 1;
}
