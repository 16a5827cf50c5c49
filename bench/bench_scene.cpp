// Writes the game's first frame as plain quads, for the SDL_Renderer reference to draw the
// very same scene: usage `bench_scene OUT_DIR`. OUT_DIR/scene.txt gets one line per texture
// (`texture ID WIDTH HEIGHT FILE`, FILE raw 8-bit BGRA rows, top first, as the game uploaded
// them), the clear colour (`clear ARGB`) and one line per draw (`quad ID` then four `x y u v argb` corners in window pixels, ID -1
// for untextured), in drawing order. The frame is drawn on the memory device, seen through
// a device that forwards every call and notes where each quad lands.
#include <stand_in.h>
#include <d3d8.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "animation/render.h"
#include "game/state.h"
#include "graphics/device.h"
#include "graphics/device_setup.h"
#include "base/log.h"

namespace fs = std::filesystem;

namespace {

struct Corner {
    float x, y, u, v;
    DWORD colour;
};

class SceneRecorder : public IDirect3DDevice8 {
public:
    SceneRecorder(IDirect3DDevice8* inner, const fs::path& out) : inner_(inner), out_(out) {}
    std::string lines;
    int quads = 0;

    HRESULT QueryInterface(REFIID id, void** object) override { return inner_->QueryInterface(id, object); }
    ULONG AddRef() override { return inner_->AddRef(); }
    ULONG Release() override { return inner_->Release(); }
    HRESULT TestCooperativeLevel() override { return inner_->TestCooperativeLevel(); }
    HRESULT GetDirect3D(IDirect3D8** d3d) override { return inner_->GetDirect3D(d3d); }
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override { return inner_->GetDeviceCaps(caps); }
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override { return inner_->GetDisplayMode(mode); }
    HRESULT Present(CONST RECT* a, CONST RECT* b, HWND w, CONST RGNDATA* r) override { return inner_->Present(a, b, w, r); }
    HRESULT GetBackBuffer(UINT i, D3DBACKBUFFER_TYPE t, IDirect3DSurface8** s) override { return inner_->GetBackBuffer(i, t, s); }
    HRESULT CreateTexture(UINT w, UINT h, UINT l, DWORD u, D3DFORMAT f, D3DPOOL p, IDirect3DTexture8** t) override
    {
        return inner_->CreateTexture(w, h, l, u, f, p, t);
    }
    HRESULT CreateVertexBuffer(UINT l, DWORD u, DWORD f, D3DPOOL p, IDirect3DVertexBuffer8** b) override
    {
        return inner_->CreateVertexBuffer(l, u, f, p, b);
    }
    HRESULT BeginScene() override { return inner_->BeginScene(); }
    HRESULT EndScene() override { return inner_->EndScene(); }
    HRESULT Clear(DWORD n, CONST D3DRECT* r, DWORD f, D3DCOLOR c, float z, DWORD s) override
    {
        char line[32];
        std::snprintf(line, sizeof line, "clear %08lx\n", static_cast<unsigned long>(c));
        if (f & D3DCLEAR_TARGET) lines += line;
        return inner_->Clear(n, r, f, c, z, s);
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE s, CONST D3DMATRIX* m) override { return inner_->SetTransform(s, m); }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE s, D3DMATRIX* m) override { return inner_->GetTransform(s, m); }
    HRESULT SetViewport(CONST D3DVIEWPORT8* v) override { return inner_->SetViewport(v); }
    HRESULT GetViewport(D3DVIEWPORT8* v) override { return inner_->GetViewport(v); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override { return inner_->SetRenderState(s, v); }
    HRESULT GetRenderState(D3DRENDERSTATETYPE s, DWORD* v) override { return inner_->GetRenderState(s, v); }
    HRESULT GetTexture(DWORD s, IDirect3DBaseTexture8** t) override { return inner_->GetTexture(s, t); }
    HRESULT SetTexture(DWORD s, IDirect3DBaseTexture8* t) override { return inner_->SetTexture(s, t); }
    HRESULT GetTextureStageState(DWORD s, D3DTEXTURESTAGESTATETYPE t, DWORD* v) override
    {
        return inner_->GetTextureStageState(s, t, v);
    }
    HRESULT SetTextureStageState(DWORD s, D3DTEXTURESTAGESTATETYPE t, DWORD v) override
    {
        return inner_->SetTextureStageState(s, t, v);
    }
    HRESULT SetVertexShader(DWORD h) override { return inner_->SetVertexShader(h); }
    HRESULT GetVertexShader(DWORD* h) override { return inner_->GetVertexShader(h); }
    HRESULT SetStreamSource(UINT n, IDirect3DVertexBuffer8* b, UINT s) override { return inner_->SetStreamSource(n, b, s); }
    HRESULT GetStreamSource(UINT n, IDirect3DVertexBuffer8** b, UINT* s) override { return inner_->GetStreamSource(n, b, s); }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override
    {
        IDirect3DVertexBuffer8* buffer = nullptr;
        UINT stride = 0;
        BYTE* data = nullptr;
        if (type == D3DPT_TRIANGLEFAN && count == 2 && SUCCEEDED(inner_->GetStreamSource(0, &buffer, &stride)) &&
            buffer) {
            if (SUCCEEDED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY)) && data) {
                Note(data + size_t(start) * stride, stride);
                buffer->Unlock();
            }
            buffer->Release();
        }
        return inner_->DrawPrimitive(type, start, count);
    }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, CONST void* data, UINT stride) override
    {
        if (type == D3DPT_TRIANGLEFAN && count == 2 && data) Note(static_cast<const BYTE*>(data), stride);
        return inner_->DrawPrimitiveUP(type, count, data, stride);
    }

private:
    // One four-corner fan in window pixels; the half pixel moves the platform's pixel
    // centres (whole coordinates) onto SDL's (half coordinates), as the game's shader does.
    void Note(const BYTE* vertices, UINT stride)
    {
        DWORD fvf = 0;
        inner_->GetVertexShader(&fvf);
        const bool pretransformed = (fvf & 0x00e) == D3DFVF_XYZRHW;
        D3DVIEWPORT8 viewport = {};
        inner_->GetViewport(&viewport);
        D3DMATRIX world, view, projection;
        inner_->GetTransform(D3DTS_WORLD, &world);
        inner_->GetTransform(D3DTS_VIEW, &view);
        inner_->GetTransform(D3DTS_PROJECTION, &projection);
        const D3DMATRIX combined = Multiply(Multiply(world, view), projection);
        Corner corners[4];
        for (int i = 0; i < 4; ++i) {
            const BYTE* vertex = vertices + size_t(i) * stride;
            float position[4] = {};
            std::memcpy(position, vertex, pretransformed ? 16 : 12);
            size_t offset = pretransformed ? 16 : 12;
            DWORD colour = 0xffffffff;
            if (fvf & D3DFVF_DIFFUSE) std::memcpy(&colour, vertex + offset, 4), offset += 4;
            if (fvf & D3DFVF_SPECULAR) offset += 4;
            float uv[2] = {};
            if (fvf & D3DFVF_TEX1) std::memcpy(uv, vertex + offset, 8);
            float x = position[0], y = position[1];
            if (!pretransformed) {
                float clip[4];
                for (int c = 0; c < 4; ++c)
                    clip[c] = position[0] * combined.m[0][c] + position[1] * combined.m[1][c] +
                              position[2] * combined.m[2][c] + combined.m[3][c];
                x = viewport.X + (clip[0] / clip[3] + 1.0f) * 0.5f * viewport.Width;
                y = viewport.Y + (1.0f - clip[1] / clip[3]) * 0.5f * viewport.Height;
            }
            corners[i] = {x + 0.5f, y + 0.5f, uv[0], uv[1], colour};
        }
        char line[512];
        int length = std::snprintf(line, sizeof line, "quad %d", TextureId());
        for (const Corner& c : corners)
            length += std::snprintf(line + length, sizeof line - length, " %.4f %.4f %.6f %.6f %08lx", c.x, c.y,
                                    c.u, c.v, static_cast<unsigned long>(c.colour));
        lines += std::string(line) + "\n";
        ++quads;
    }

    static D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
    {
        D3DMATRIX r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        return r;
    }

    // The bound texture's id, its pixels written out the first time it is seen.
    int TextureId()
    {
        IDirect3DBaseTexture8* base = nullptr;
        inner_->GetTexture(0, &base);
        if (!base) return -1;
        auto* texture = static_cast<IDirect3DTexture8*>(base);
        const auto known = ids_.find(texture);
        if (known != ids_.end()) {
            base->Release();
            return known->second;
        }
        const int id = static_cast<int>(ids_.size());
        ids_[texture] = id;
        D3DSURFACE_DESC desc = {};
        D3DLOCKED_RECT locked = {};
        if (SUCCEEDED(texture->GetLevelDesc(0, &desc)) &&
            SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
            const std::string file = "texture" + std::to_string(id) + ".bgra";
            std::vector<uint32_t> argb(size_t(desc.Width) * desc.Height);
            for (UINT row = 0; row < desc.Height; ++row)
                for (UINT column = 0; column < desc.Width; ++column)
                    argb[size_t(row) * desc.Width + column] =
                        Argb(desc.Format, static_cast<const BYTE*>(locked.pBits) + size_t(row) * locked.Pitch, column);
            texture->UnlockRect(0);
            std::ofstream(out_ / file, std::ios::binary)
                .write(reinterpret_cast<const char*>(argb.data()), std::streamsize(argb.size() * 4));
            lines += "texture " + std::to_string(id) + " " + std::to_string(desc.Width) + " " +
                     std::to_string(desc.Height) + " " + file + "\n";
        }
        base->Release();
        return id;
    }

    // The game's two texture layouts, widened to eight bits a channel.
    static uint32_t Argb(D3DFORMAT format, const BYTE* row, UINT column)
    {
        if (format != D3DFMT_A1R5G5B5) {
            uint32_t value;
            std::memcpy(&value, row + size_t(column) * 4, 4);
            return format == D3DFMT_X8R8G8B8 ? value | 0xff000000u : value;
        }
        uint16_t value;
        std::memcpy(&value, row + size_t(column) * 2, 2);
        auto widen = [](uint32_t five) { return (five << 3) | (five >> 2); };
        return (value & 0x8000 ? 0xff000000u : 0) | widen((value >> 10) & 31) << 16 | widen((value >> 5) & 31) << 8 |
               widen(value & 31);
    }

    IDirect3DDevice8* inner_;
    fs::path out_;
    std::map<IDirect3DTexture8*, int> ids_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_scene OUT_DIR\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    fs::create_directories(out);
    // The game reads its data from, and logs into, the working directory: a copy of the bundle.
    const fs::path scratch = out / "data";
    fs::create_directories(scratch);
    for (const auto& entry : fs::directory_iterator(VANTREL_DATA_DIR))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), scratch / entry.path().filename(), fs::copy_options::overwrite_existing);
    fs::current_path(scratch);
    ResetGameState();
    ResetLog();
    PlatformSetDeviceBackend("memory");
    if (FAILED(InitD3D(nullptr)) || !g_device) {
        std::fprintf(stderr, "bench_scene: the bundled data did not load on the memory device\n");
        return 1;
    }
    IDirect3DDevice8* memory = g_device;
    SceneRecorder recorder(memory, out);
    g_device = &recorder;
    RenderScene();
    g_device = memory;
    std::ofstream(out / "scene.txt") << recorder.lines;
    std::printf("bench_scene: %d quads of the first frame in %s\n", recorder.quads, (out / "scene.txt").c_str());
    g_device->Release();
    g_d3d->Release();
    return recorder.quads > 0 ? 0 : 1;
}
