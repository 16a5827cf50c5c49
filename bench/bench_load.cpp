// Cost of reading the bundled data files on the in-memory device: each loader on its
// own and all four together, median of a few fresh loads.
#include <d3d8.h>
#include <stand_in.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "figure/anim_file.h"
#include "figure/figure_file.h"
#include "figure/parts_file.h"
#include "game/state.h"
#include "level/level.h"
#include "base/log.h"

namespace fs = std::filesystem;

namespace {

const int LOADS = 25;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main()
{
    if (!fs::exists(fs::path(VANTREL_DATA_DIR) / "vecparts.dat")) {
        std::printf("no bundled data\n");
        return 1;
    }
    // A scratch copy, so the log and any file the readers create land outside the sources.
    const fs::path scratch = fs::temp_directory_path() / ("vantrel-bench-load-" + std::to_string(getpid()));
    fs::create_directories(scratch);
    for (const auto& entry : fs::directory_iterator(VANTREL_DATA_DIR))
        if (entry.is_regular_file()) fs::copy_file(entry.path(), scratch / entry.path().filename());
    fs::current_path(scratch);

    PlatformSetDeviceBackend("memory");
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 48;
    parameters.Windowed = TRUE;
    IDirect3DDevice8* device = nullptr;
    if (!d3d || FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device))) {
        std::printf("no memory device\n");
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    std::vector<double> parts, figure, anim, level, total;
    for (int load = 0; load < LOADS; ++load) {
        // Earlier loads are left behind on purpose: freeing them is not what is measured.
        ResetGameState();
        ResetLog();
        g_d3d = d3d;
        g_device = device;
        g_maxTextureWidth = g_maxTextureHeight = 2048;
        auto time = [](void (*loader)(), std::vector<double>& into) {
            const Clock::time_point start = Clock::now();
            loader();
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            into.push_back(ms);
            return ms;
        };
        double sum = time([] { LoadVectorParts(); }, parts);
        sum += time([] { InitVectorMan(); }, figure);
        sum += time([] { LoadVectorAnim(); }, anim);
        sum += time([] { InitLevel(); }, level);
        total.push_back(sum);
    }
    std::printf("vecparts.dat (images decoded and cut): %8.3f ms\n", Median(parts));
    std::printf("vecman.dat:                            %8.3f ms\n", Median(figure));
    std::printf("vecanim.dat:                           %8.3f ms\n", Median(anim));
    std::printf("veclevel.dat:                          %8.3f ms\n", Median(level));
    std::printf("all bundled data files:                %8.3f ms\n", Median(total));
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(scratch);
    return 0;
}
