// Cost of one UpdateFrame on the in-memory device over a scripted walk-and-jump:
// median and spread of 100,000 passes, and how much the heap in use grows while they run.
#include <windows.h>
#include <dinput.h>
#include <stand_in.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <vector>

#include "game/frame.h"
#include "game/state.h"
#include "graphics/device_setup.h"
#include "input/input_devices.h"
#include "level/level.h"
#include "shell/window_keys.h"

// The in-memory device records every call for the tests; cleared between passes so the
// run measures the game, not a record growing without end.
#if __has_include("platform/memory/memory_device.h")
#include "platform/memory/memory_device.h"
static void ClearDeviceRecord() { MemoryDeviceClearRecord(); }
#else
static void ClearDeviceRecord() {}
#endif

static const int PASSES = 100000;
static const uint32_t PASS_MS = 16;

// Stand-in for the bundled data when it is not there: eight slots, six frames of two-key
// lists, and a floor of three cells, so the collision step has the usual amount of work.
static void BuildWorld()
{
    g_numParts = 13;
    g_parts = new VectorPart[g_numParts];
    for (int i = 0; i < g_numParts; ++i) g_parts[i].width = g_parts[i].height = 40;
    g_parts[9].width = 100;
    VectorMan* man = static_cast<VectorMan*>(std::calloc(1, sizeof(VectorMan)));
    man->numparts = 8;
    man->parts = static_cast<ManPart*>(std::calloc(8, sizeof(ManPart)));
    man->maxKeys = MAXKEYS;
    man->numHitBoxes = 2;
    man->hitBoxes = static_cast<HitBox*>(std::calloc(2, sizeof(HitBox)));
    man->hitBoxes[0] = {0.0f, 40.0f, 15.0f, 40.0f};
    man->hitBoxes[1] = {0.0f, -20.0f, 10.0f, 20.0f};
    man->x = 320.0f;
    man->y = 640.0f;
    g_vectorMan = man;
    g_numFrames = 6;
    g_frames = static_cast<AnimFrame*>(std::calloc(6, sizeof(AnimFrame)));
    for (int f = 0; f < 6; ++f) {
        g_frames[f].numparts = MAXKEYS;
        for (int s = 0; s < MAXKEYS; ++s) {
            AnimKey* keys = NewKeyList(2);
            keys[0].destAngle = 30.0f;
            keys[0].rotSpeed = 120.0f;
            keys[1].destAngle = 330.0f;
            keys[1].rotSpeed = -120.0f;
            keys[1].loopKeys = 1;
            g_frames[f].keys[s] = keys;
        }
    }
    g_level = new Level();
    LevelCell* floor = static_cast<LevelCell*>(std::calloc(1, sizeof(LevelCell)));
    for (int p = 0; p < 6; ++p) {
        ManPart* piece = static_cast<ManPart*>(std::calloc(1, sizeof(ManPart)));
        piece->x = 70.0f + 100.0f * p;
        piece->vecpartnum = 9;
        piece->solid = 1;
        floor->pieces[floor->count++] = piece;
    }
    for (int c = 0; c < 3; ++c) g_level->slots[c * LEVEL_ROWS + 1] = floor;
}

static bool LoadBundledData()
{
    const std::string data = VANTREL_DATA_DIR;
    if (access((data + "/vecparts.dat").c_str(), R_OK) != 0) return false;
    // A scratch copy: the game writes its log (and creates missing files) where it runs,
    // which must not be the sources.
    char scratch[] = "/tmp/vantrel-bench-update-XXXXXX";
    if (!mkdtemp(scratch)) return false;
    const std::string copy = "cp '" + data + "'/* '" + scratch + "'/";
    if (std::system(copy.c_str()) != 0 || chdir(scratch) != 0) return false;
    PlatformSetDeviceBackend("memory");
    return SUCCEEDED(InitD3D(nullptr)) && g_vectorMan && g_frames && g_level;
}

// Walks to and fro over the floor near the start, with a jump every second.
static void ScriptPass(int pass)
{
    static bool right = true;
    if (g_vectorMan->x > 1500.0f) right = false;
    if (g_vectorMan->x < 400.0f) right = true;
    PlatformInput().keys[DIK_RIGHT] = right ? 0x80 : 0;
    PlatformInput().keys[DIK_LEFT] = right ? 0 : 0x80;
    if (pass % 60 == 0) OnWindowKeyDown(VK_SPACE);
    if (pass % 60 == 5) OnWindowKeyUp(VK_SPACE);
}

int main()
{
    ResetGameState();
    PlatformSetFailures(nullptr);
    PlatformScript script = {};
    script.startTick = 1000;
    script.frames = -1;
    PlatformBeginScript(script);
    PlatformInput().foreground = true;
    // The call record is the tests' (it keeps a string per call, AddRef and Release
    // included) and was most of a pass; the runner turns it off too, so this measures the game.
    PlatformRecordDeviceCalls(false);

    const bool bundled = LoadBundledData();
    if (!bundled) {
        g_device = nullptr;
        BuildWorld();
    }
    if (FAILED(InitDirectInput(nullptr, nullptr))) {
        std::fprintf(stderr, "input devices could not be made\n");
        return 1;
    }

    std::vector<double> micros(PASSES);
    const uint32_t now = GetTickCount();
    // A warm-up pass lets every lazily made buffer reach its size before counting.
    g_lastTick = now - PASS_MS;
    UpdateFrame();
    ClearDeviceRecord();
    const size_t heapBefore = mallinfo2().uordblks;
    using Clock = std::chrono::steady_clock;
    for (int pass = 0; pass < PASSES; ++pass) {
        ScriptPass(pass);
        ClearDeviceRecord();
        g_lastTick = now - PASS_MS;
        const Clock::time_point start = Clock::now();
        UpdateFrame();
        micros[pass] = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }
    const long heapGrowth = static_cast<long>(mallinfo2().uordblks) - static_cast<long>(heapBefore);

    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[static_cast<size_t>(q * (PASSES - 1))]; };
    std::printf("world: %s, device: %s\n", bundled ? "bundled data" : "hand-made stand-in",
                g_device ? "memory" : "none");
    std::printf("UpdateFrame over %d passes: median %.3f us, p10 %.3f us, p90 %.3f us, p99 %.3f us, max %.3f us\n",
                PASSES, at(0.5), at(0.1), at(0.9), at(0.99), micros.back());
    std::printf("heap in use grew by %ld bytes over the run\n", heapGrowth);
    std::printf("figure at (%.1f, %.1f), on ground %d, walk %d\n", g_vectorMan->x, g_vectorMan->y,
                g_onGround ? 1 : 0, g_moveDir);
    return 0;
}
