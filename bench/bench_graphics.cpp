// Frame cost on the OpenGL device: an empty frame (clear + present) against a frame
// of 100 textured quads and 10 wire-frame outlines, 1024 x 768, each frame waited for.
#include <d3dx8.h>
#include <stand_in.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "graphics/draw_helpers.h"
#include "graphics/scene_resources.h"

namespace {

const int FRAMES = 200;

// CPU time of the whole process, the rasteriser's threads included: on a shared machine
// the wall clock also counts other people's work.
double ProcessCpuMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct FrameCost {
    double wall, cpu;  // milliseconds per frame
};

FrameCost MillisecondsPerFrame(IDirect3DDevice8* device, void (*draw)(IDirect3DDevice8*))
{
    auto frame = [&] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff203040, 1.0f, 0);
        device->BeginScene();
        if (draw) draw(device);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        PlatformFinishFrame();
    };
    for (int i = 0; i < 20; ++i) frame();  // warm-up
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuMilliseconds();
    for (int i = 0; i < FRAMES; ++i) frame();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count() / FRAMES, (ProcessCpuMilliseconds() - cpuStart) / FRAMES};
}

std::vector<IDirect3DVertexBuffer8*> g_quads;
std::vector<IDirect3DTexture8*> g_textures;
IDirect3DVertexBuffer8* g_outline = nullptr;

void DrawScene(IDirect3DDevice8* device)
{
    D3DXMATRIX world;
    for (size_t i = 0; i < g_quads.size(); ++i) {
        D3DXMatrixTranslation(&world, float(int(i % 10) * 64 - 320), float(int(i / 10) * 64 - 320), 0);
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTexture(0, g_textures[i % g_textures.size()]);
        BindQuadBuffer(device, g_quads[i]);
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    }
    for (int i = 0; i < 10; ++i) {
        D3DXMatrixTranslation(&world, float(i * 60 - 300), 0, 0);
        device->SetTransform(D3DTS_WORLD, &world);
        BindQuadBuffer(device, g_outline);
        DrawWireFrameOutline(device);
    }
}

}  // namespace

int main()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("VANTREL_WINDOWED", "1", 0);
    PlatformSetDeviceBackend("opengl");
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) {
        std::printf("no OpenGL device\n");
        return 1;
    }
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 1024;
    parameters.BackBufferHeight = 768;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice8* device = nullptr;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                 &device))) {
        std::printf("device not created\n");
        return 1;
    }
    // The game's fixed state, with the camera 800 units back.
    SetFixedDeviceState(device);
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 0, 0, 800);
    device->SetTransform(D3DTS_VIEW, &view);

    for (int t = 0; t < 10; ++t) {
        IDirect3DTexture8* texture = nullptr;
        D3DXCreateTexture(device, 64, 64, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, &texture);
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                reinterpret_cast<WORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
                    static_cast<WORD>(((x + y + t) % 7 ? 0x8000 : 0) | (x << 10) | (y << 5) | t);
        texture->UnlockRect(0);
        g_textures.push_back(texture);
    }
    const QuadVertex quad[4] = {{-32, 32, 0, 0xffffffff, 0, 0}, {32, 32, 0, 0xffffffff, 1, 0},
                                {32, -32, 0, 0xffffffff, 1, 1}, {-32, -32, 0, 0xffffffff, 0, 1}};
    for (int i = 0; i < 100; ++i) g_quads.push_back(CreateTempQuadBuffer(device, quad));
    const QuadVertex box[4] = {{-25, 40, 0, 0xffff0000, 0, 0}, {25, 40, 0, 0xffff0000, 1, 0},
                               {25, -40, 0, 0xffff0000, 1, 1}, {-25, -40, 0, 0xffff0000, 0, 1}};
    g_outline = CreateTempQuadBuffer(device, box);

    const FrameCost empty = MillisecondsPerFrame(device, nullptr);
    const FrameCost scene = MillisecondsPerFrame(device, DrawScene);
    std::printf("                                        wall         CPU\n");
    std::printf("empty frame (clear + present):     %8.3f ms %8.3f ms\n", empty.wall, empty.cpu);
    std::printf("100 textured quads + 10 outlines:  %8.3f ms %8.3f ms\n", scene.wall, scene.cpu);
    std::printf("ratio:                             %8.2f    %8.2f\n", scene.wall / empty.wall, scene.cpu / empty.cpu);
    return 0;
}
