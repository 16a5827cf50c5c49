// Placeholders for functions that other branches deliver; removed when they land.
#include <windows.h>
#include <stand_in.h>

#include "animation/render.h"
#include "graphics/device_setup.h"
#include "figure/records.h"
#include "level/level.h"
#include "shell/log.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

void ResetLog()
{
    if (FILE* f = std::fopen("log.log", "w")) std::fclose(f);
}

void WriteLog(const char* message)
{
    if (FILE* f = std::fopen("log.log", "a")) {
        std::fprintf(f, "%s\n", message);
        std::fclose(f);
    }
}

static bool g_pendingScripted = false;
static PlatformScript g_pendingScript = {};
static uint32_t g_pendingTick = 0;
static int g_pendingPass = -1;
static bool g_pendingQuit = false;

void PlatformBeginScript(const PlatformScript& script)
{
    g_pendingScripted = true;
    g_pendingScript = script;
    g_pendingTick = script.startTick;
    g_pendingPass = -1;
}
bool PlatformScripted() { return g_pendingScripted; }
int PlatformCurrentPass() { return g_pendingPass; }

DWORD WINAPI GetTickCount(void)
{
    if (g_pendingScripted) return g_pendingTick;
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT)
{
    if (g_pendingScripted) {
        ++g_pendingPass;
        g_pendingTick += g_pendingScript.dtMs;
    }
    if (g_pendingQuit) {
        g_pendingQuit = false;
        *msg = {};
        msg->message = WM_QUIT;
        return TRUE;
    }
    return FALSE;
}

void WINAPI PostQuitMessage(int) { g_pendingQuit = true; }

BOOL WINAPI GetCursorPos(LPPOINT point)
{
    point->x = PlatformInput().cursorX;
    point->y = PlatformInput().cursorY;
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR) { return nullptr; }
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }

VectorPart::VectorPart() {}
VectorPart::~VectorPart() {}

VectorPart* PartAt(int index)
{
    if (!g_parts || index < 0 || index >= g_numParts) return nullptr;
    return &g_parts[index];
}

AnimKey* NewKeyList(int n)
{
    AnimKey* keys = static_cast<AnimKey*>(std::calloc(n, sizeof(AnimKey)));
    for (int i = 0; i < n; ++i) {
        keys[i].prev = i > 0 ? &keys[i - 1] : nullptr;
        keys[i].next = i + 1 < n ? &keys[i + 1] : nullptr;
        keys[i].first = &keys[0];
    }
    return keys;
}

Level::Level()
{
    for (LevelCell*& slot : slots) slot = nullptr;
}

LevelNeighbourhood GetLevelNeighbourhood(float px, float py)
{
    const int column = std::abs(static_cast<int>(px)) / SCREEN_CELL_WIDTH;
    const int row = std::abs(static_cast<int>(py)) / SCREEN_CELL_HEIGHT;
    LevelNeighbourhood n;
    n.firstColumn = column - 1 < 0 ? 0 : column - 1;
    n.lastColumn = column + 1 > LEVEL_COLUMNS - 1 ? LEVEL_COLUMNS - 1 : column + 1;
    n.firstRow = row - 1 < 0 ? 0 : row - 1;
    n.lastRow = row + 1 > LEVEL_ROWS - 1 ? LEVEL_ROWS - 1 : row + 1;
    return n;
}

void RenderScene() {}

HRESULT InitD3D(HWND) { return E_FAIL; }
