// Feeds arbitrary bytes to every data-file loader as each of the game's data files,
// on the in-memory device, and frees what they built so only real leaks show.
#include <d3d8.h>
#include <stand_in.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "figure/anim_file.h"
#include "figure/figure_file.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/actions.h"
#include "game/data_reload.h"
#include "game/state.h"
#include "level/level.h"
#include "memory/memory_device.h"
#include "base/log.h"
#include "../data_files_support.h"

namespace {

char s_workDir[] = "/tmp/vantrel-fuzz-XXXXXX";
char s_startDir[4096];
IDirect3D8* s_d3d = nullptr;
IDirect3DDevice8* s_device = nullptr;

void WriteInput(const char* name, const uint8_t* data, size_t size)
{
    if (FILE* f = std::fopen(name, "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

void FreeRecords()
{
    delete[] g_parts;
    if (g_vectorMan) {
        delete[] g_vectorMan->parts;
        delete[] g_vectorMan->hitBoxes;
        delete g_vectorMan;
    }
    for (int f = 0; g_frames && f < g_numFrames; ++f) {
        for (AnimKey* list : g_frames[f].keys) delete[] list;
    }
    delete[] g_frames;
    if (g_level) {
        std::set<LevelCell*> cells(std::begin(g_level->slots), std::end(g_level->slots));
        for (LevelCell* cell : cells) {
            for (int i = 0; cell && i < cell->count; ++i) delete cell->pieces[i];
            delete cell;
        }
        delete g_level;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // libFuzzer reads its corpus relative to the start directory, so each input
    // visits the work directory only while the loaders run.
    if (!mkdtemp(s_workDir) || !getcwd(s_startDir, sizeof s_startDir)) std::abort();
    // Images the seeds name: one that needs 2 x 2 tiles, one of 5 x 1, one too wide.
    const std::string dir = std::string(s_workDir) + "/";
    WriteBmp(dir + "t.bmp", 100, 40, [](int x, int y) { return static_cast<uint32_t>(x * 2551 + y * 77); });
    WriteBmp(dir + "w.bmp", 300, 20);
    WriteBmp(dir + "big.bmp", 400, 10);
    if (!CreateMemoryDevice(64, 64, &s_d3d, &s_device)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (chdir(s_workDir) != 0) std::abort();
    ResetGameState();
    g_d3d = s_d3d;
    g_device = s_device;
    // Small enough that the test images of the corpus need several tiles.
    g_maxTextureWidth = 64;
    g_maxTextureHeight = 32;
    ResetLog();
    // Each file gets the same bytes: keys of one file are unknown lines to the others.
    for (const char* name : {"vecparts.dat", "vecman.dat", "vecanim.dat", "veclevel.dat"}) WriteInput(name, data, size);
    LoadVectorParts();
    InitVectorMan();
    LoadVectorAnim();
    InitLevel();
    // Read again under a running walk, as a change noticed while playing would be: kept
    // or refused, what is left in use is whole and the rest is freed.
    if (g_vectorMan) {
        if (AnimFrame* walk = FrameAt(WALK_FRAME)) AddFrames(g_vectorMan, walk);
    }
    ReloadDataFiles();
    FreeRecords();
    if (chdir(s_startDir) != 0) std::abort();
    return 0;
}
