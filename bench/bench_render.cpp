// Cost of one rendered frame of the bundled scene: the game's own CPU work on the in-memory
// device, and the whole frame on OpenGL next to a frame that only clears and presents.
#include <benchmark/benchmark.h>
#include <stand_in.h>
#include <d3d8.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

#include "animation/render.h"
#include "game/state.h"
#include "graphics/device_setup.h"
#include "platform/memory/memory_device.h"
#include "base/log.h"

namespace fs = std::filesystem;

namespace {

std::string g_backend;
bool g_ready = false;

void ReleaseScene()
{
    if (g_device) g_device->Release();
    if (g_d3d) g_d3d->Release();
    g_device = nullptr;
    g_d3d = nullptr;
    g_backend.clear();
}

// Loads the bundled data on the named back-end, in a scratch directory so the log lands there.
bool LoadScene(const char* backend)
{
    if (g_backend == backend) return g_ready;
    ReleaseScene();
    if (!fs::exists(fs::path(VANTREL_DATA_DIR) / "vecparts.dat")) return false;
    static const fs::path scratch = fs::temp_directory_path() / ("vantrel-bench-render-" + std::to_string(getpid()));
    fs::create_directories(scratch);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(VANTREL_DATA_DIR, error))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), scratch / entry.path().filename(), fs::copy_options::overwrite_existing);
    fs::current_path(scratch);
    ResetGameState();
    ResetLog();
    PlatformSetDeviceBackend(backend);
    // The memory device keeps every pixel it clears; a small back buffer keeps that cost
    // out of the game's own figure (the view is the same at any 4:3 size).
    const bool memory = std::string(backend) == "memory";
    g_screenWidth = memory ? 64.0f : 1024.0f;
    g_screenHeight = memory ? 48.0f : 768.0f;
    g_backend = backend;
    g_ready = SUCCEEDED(InitD3D(nullptr)) && g_device;
    return g_ready;
}

// Waits until the frame just presented is drawn, so the time covers the drawing itself. A
// pixel read of the back buffer would not do: after Present that is the other colour
// buffer, and the rasteriser may still be drawing the presented one.
void FinishFrame() { PlatformFinishFrame(); }

void EmptyFrame(D3DCOLOR colour = CLEAR_COLOUR)
{
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
    g_device->BeginScene();
    g_device->EndScene();
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

// Accepts every call and does nothing, so only the game's own work is timed.
class NullDevice : public IDirect3DDevice8 {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT TestCooperativeLevel() override { return S_OK; }
    HRESULT GetDirect3D(IDirect3D8**) override { return E_FAIL; }
    HRESULT GetDeviceCaps(D3DCAPS8*) override { return E_FAIL; }
    HRESULT GetDisplayMode(D3DDISPLAYMODE*) override { return E_FAIL; }
    HRESULT Present(CONST RECT*, CONST RECT*, HWND, CONST RGNDATA*) override { return S_OK; }
    HRESULT GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8**) override { return E_FAIL; }
    HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture8**) override { return E_FAIL; }
    HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8**) override { return E_FAIL; }
    HRESULT BeginScene() override { return S_OK; }
    HRESULT EndScene() override { return S_OK; }
    HRESULT Clear(DWORD, CONST D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return S_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, CONST D3DMATRIX*) override { return S_OK; }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX* m) override
    {
        *m = D3DMATRIX{};
        m->_11 = m->_22 = m->_33 = m->_44 = 1.0f;
        return S_OK;
    }
    HRESULT SetViewport(CONST D3DVIEWPORT8*) override { return S_OK; }
    HRESULT GetViewport(D3DVIEWPORT8* v) override
    {
        *v = {0, 0, 1024, 768, 0.0f, 1.0f};
        return S_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return S_OK; }
    HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD* value) override
    {
        *value = 0;
        return S_OK;
    }
    HRESULT GetTexture(DWORD, IDirect3DBaseTexture8** texture) override
    {
        *texture = nullptr;
        return S_OK;
    }
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture8*) override { return S_OK; }
    HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD* value) override
    {
        *value = 0;
        return S_OK;
    }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return S_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return S_OK; }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, CONST void*, UINT) override { return S_OK; }
    HRESULT SetVertexShader(DWORD) override { return S_OK; }
    HRESULT GetVertexShader(DWORD* handle) override
    {
        *handle = 0;
        return S_OK;
    }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT) override { return S_OK; }
    HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer8** data, UINT* stride) override
    {
        *data = nullptr;
        *stride = 0;
        return S_OK;
    }
};

void RenderMemory(benchmark::State& state)
{
    if (!LoadScene("memory")) {
        state.SkipWithError("the bundled data did not load on the memory device");
        return;
    }
    for (auto _ : state) {
        RenderScene();
        // The device keeps a record of every call; dropping it now and then keeps memory flat.
        if (MemoryDeviceRecord().size() > 100000) MemoryDeviceClearRecord();
    }
}

// The bundled scene loaded on the memory device, drawn on a device that does nothing.
void RenderGameOnly(benchmark::State& state)
{
    if (!LoadScene("memory")) {
        state.SkipWithError("the bundled data did not load on the memory device");
        return;
    }
    NullDevice null;
    IDirect3DDevice8* memory = g_device;
    g_device = &null;
    for (auto _ : state) RenderScene();
    g_device = memory;
}

void EmptyFrameOpenGL(benchmark::State& state)
{
    if (!LoadScene("opengl")) {
        state.SkipWithError("no OpenGL device or no bundled data");
        return;
    }
    for (auto _ : state) {
        EmptyFrame();
        FinishFrame();
    }
}

// The empty frame with its clear colour changed in the lowest bit each frame, so that each
// is drawn rather than left as the picture on show.
void EmptyFrameOpenGLRedrawn(benchmark::State& state)
{
    if (!LoadScene("opengl")) {
        state.SkipWithError("no OpenGL device or no bundled data");
        return;
    }
    D3DCOLOR colour = CLEAR_COLOUR;
    for (auto _ : state) {
        colour ^= 1;
        EmptyFrame(colour);
        FinishFrame();
    }
}

void RenderOpenGL(benchmark::State& state)
{
    if (!LoadScene("opengl")) {
        state.SkipWithError("no OpenGL device or no bundled data");
        return;
    }
    for (auto _ : state) {
        RenderScene();
        FinishFrame();
    }
}

// The same scene with the cursor moved by a pixel each frame, so no frame is the picture
// already on show: the cost of drawing the whole scene, which RenderOpenGL pays only once.
void RenderOpenGLRedrawn(benchmark::State& state)
{
    if (!LoadScene("opengl")) {
        state.SkipWithError("no OpenGL device or no bundled data");
        return;
    }
    const int x = g_mouseX;
    for (auto _ : state) {
        g_mouseX = g_mouseX == x ? x + 1 : x;
        RenderScene();
        FinishFrame();
    }
    g_mouseX = x;
}

BENCHMARK(RenderMemory)->Unit(benchmark::kMicrosecond);
BENCHMARK(RenderGameOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(EmptyFrameOpenGL)->Unit(benchmark::kMicrosecond);
BENCHMARK(EmptyFrameOpenGLRedrawn)->Unit(benchmark::kMicrosecond);
BENCHMARK(RenderOpenGL)->Unit(benchmark::kMicrosecond);
BENCHMARK(RenderOpenGLRedrawn)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per frame so the OpenGL ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.iterations > 0)
            {
                microseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
                cpuMicroseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
    }
    std::map<std::string, double> microseconds;
    std::map<std::string, double> cpuMicroseconds;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // CPU time: the wall clock of a shared machine counts other people's work too.
    for (const char* name : {"RenderMemory", "RenderGameOnly"}) {
        const auto cpu = reporter.cpuMicroseconds.find(name);
        if (cpu != reporter.cpuMicroseconds.end())
            std::printf("%s: %.2f us CPU per frame (aim for the game's own cost: under 20)\n", name, cpu->second);
    }
    const auto empty = reporter.microseconds.find("EmptyFrameOpenGL");
    const auto full = reporter.microseconds.find("RenderOpenGL");
    if (empty != reporter.microseconds.end() && full != reporter.microseconds.end() && empty->second > 0)
        std::printf("OpenGL frame: %.1f us against %.1f us empty, ratio %.2f (aim: at most 2)\n", full->second,
                    empty->second, full->second / empty->second);
    ReleaseScene();
    benchmark::Shutdown();
    return 0;
}
