// In-memory Direct3D objects over the shared device core (core/), recording every call
// the game makes.
#include "memory/memory_device.h"
#include "pixel_format.h"

#include <stand_in.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "common/rect.h"
#include "core/device_core.h"
#include "core/vertex_buffer.h"

namespace {

std::vector<MemoryCall> g_record;
bool g_recording = true;
size_t g_recordLimit = kMemoryRecordLimit;
size_t g_recordDropped = 0;
std::vector<BYTE> g_lastUserVertices;
MemoryDeviceConfig g_config;
bool g_configSet = false;
IDirect3DDevice8* g_currentDevice = nullptr;

MemoryDeviceConfig DefaultConfig()
{
    MemoryDeviceConfig config;
    config.adapters.push_back({"Memory Adapter", 2048, 2048, 0, false});
    config.displayFormat = D3DFMT_X8R8G8B8;
    config.createDeviceResult = S_OK;
    return config;
}

void Record(const char* method, std::initializer_list<double> args)
{
    if (!g_recording) return;
    // A long run would otherwise grow the record without bound; the first calls are the
    // ones tests look at, so later ones are counted instead of kept.
    if (g_record.size() >= g_recordLimit) {
        ++g_recordDropped;
        return;
    }
    g_record.push_back({method, std::vector<double>(args)});
}

double Ptr(const void* p) { return static_cast<double>(reinterpret_cast<uintptr_t>(p)); }

// AddRef and Release are recorded under the object's kind, with the object's own address.
void RecordReference(const char* kind, const char* call, const void* object)
{
    if (g_recording) Record((std::string(kind) + "::" + call).c_str(), {Ptr(object)});
}

// Marks this back-end's objects among all the live device objects.
struct MemoryObject {};

class MemoryDevice;
class MemoryTexture;

// One mip level's pixels, shared by the texture and the surfaces handed out for it.
struct PixelLevel {
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::vector<BYTE> pixels;
    bool locked = false;
    // A clear is only painted into pixels when someone locks them: nothing reads the
    // back buffer in a normal frame, and painting it every frame was most of its cost.
    bool fillPending = false;
    D3DCOLOR fillColor = 0;
    UINT Pitch() const { return width * BytesPerPixel(format); }
    void Fill(D3DCOLOR color)
    {
        fillPending = true;
        fillColor = color;
    }
    void ApplyFill()
    {
        if (!fillPending) return;
        fillPending = false;
        if (pixels.empty()) pixels.assign(static_cast<size_t>(Pitch()) * height, 0);
        for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::memcpy(&pixels[i], &fillColor, 4);
    }
};

HRESULT LockLevel(PixelLevel& level, D3DLOCKED_RECT* lockedRect, const RECT* rect)
{
    if (!lockedRect || level.locked) return D3DERR_INVALIDCALL;
    LONG left = 0, top = 0;
    if (rect) {
        if (!RectInside(*rect, static_cast<LONG>(level.width), static_cast<LONG>(level.height)))
            return D3DERR_INVALIDCALL;
        left = rect->left;
        top = rect->top;
    }
    level.ApplyFill();
    level.locked = true;
    lockedRect->Pitch = static_cast<INT>(level.Pitch());
    lockedRect->pBits = level.pixels.data() + top * level.Pitch() + left * BytesPerPixel(level.format);
    return S_OK;
}

class MemorySurface final : public CountedObject<IDirect3DSurface8>, public MemoryObject {
public:
    MemorySurface(IDirect3DDevice8* device, IUnknown* owner, std::shared_ptr<PixelLevel> level)
        : device_(device), owner_(owner), level_(std::move(level))
    {
        if (owner_) owner_->AddRef();
    }
    void OnReferenceCall(const char* call) override { RecordReference("Surface", call, this); }
    HRESULT GetDevice(IDirect3DDevice8** device) override { return ResourceDevice(device_, device); }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override
    {
        Record("Surface::GetDesc", {Ptr(this)});
        if (!desc || !Alive()) return D3DERR_INVALIDCALL;
        std::memset(desc, 0, sizeof *desc);
        desc->Format = level_->format;
        desc->Type = D3DRTYPE_SURFACE;
        desc->Pool = D3DPOOL_MANAGED;
        desc->Size = level_->Pitch() * level_->height;
        desc->Width = level_->width;
        desc->Height = level_->height;
        return S_OK;
    }
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD flags) override
    {
        Record("Surface::LockRect", {Ptr(this), Ptr(rect), static_cast<double>(flags)});
        if (!Alive()) return D3DERR_INVALIDCALL;
        return LockLevel(*level_, lockedRect, rect);
    }
    HRESULT UnlockRect() override
    {
        Record("Surface::UnlockRect", {Ptr(this)});
        if (!Alive() || !level_->locked) return D3DERR_INVALIDCALL;
        level_->locked = false;
        return S_OK;
    }

private:
    void OnFinalRelease() override
    {
        if (owner_) owner_->Release();
        owner_ = nullptr;
    }
    IDirect3DDevice8* device_;
    IUnknown* owner_;
    std::shared_ptr<PixelLevel> level_;
};

class MemoryTexture final : public CountedObject<IDirect3DTexture8>, public MemoryObject {
public:
    MemoryTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                  D3DPOOL pool)
        : device_(device), usage_(usage), pool_(pool)
    {
        if (levels == 0) levels = FullMipCount(width, height);
        for (UINT i = 0; i < levels; ++i) {
            auto level = std::make_shared<PixelLevel>();
            level->width = width;
            level->height = height;
            level->format = format;
            level->pixels.assign(static_cast<size_t>(level->Pitch()) * height, 0);
            levels_.push_back(level);
            width = width > 1 ? width / 2 : 1;
            height = height > 1 ? height / 2 : 1;
        }
    }
    void OnReferenceCall(const char* call) override { RecordReference("Texture", call, this); }
    HRESULT GetDevice(IDirect3DDevice8** device) override { return ResourceDevice(device_, device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override
    {
        Record("Texture::GetLevelDesc", {Ptr(this), static_cast<double>(level)});
        if (!desc || !Alive() || level >= levels_.size()) return D3DERR_INVALIDCALL;
        std::memset(desc, 0, sizeof *desc);
        const PixelLevel& l = *levels_[level];
        desc->Format = l.format;
        desc->Type = D3DRTYPE_TEXTURE;
        desc->Usage = usage_;
        desc->Pool = pool_;
        desc->Size = static_cast<UINT>(l.pixels.size());
        desc->Width = l.width;
        desc->Height = l.height;
        return S_OK;
    }
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override
    {
        Record("Texture::GetSurfaceLevel", {Ptr(this), static_cast<double>(level)});
        if (!surface) return D3DERR_INVALIDCALL;
        *surface = nullptr;
        if (!Alive() || level >= levels_.size()) return D3DERR_INVALIDCALL;
        *surface = MakeObject<MemorySurface>(device_, this, levels_[level]);
        return S_OK;
    }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD flags) override
    {
        Record("Texture::LockRect", {Ptr(this), static_cast<double>(level), Ptr(rect), static_cast<double>(flags)});
        if (!Alive() || level >= levels_.size()) return D3DERR_INVALIDCALL;
        return LockLevel(*levels_[level], lockedRect, rect);
    }
    HRESULT UnlockRect(UINT level) override
    {
        Record("Texture::UnlockRect", {Ptr(this), static_cast<double>(level)});
        if (!Alive() || level >= levels_.size() || !levels_[level]->locked) return D3DERR_INVALIDCALL;
        levels_[level]->locked = false;
        return S_OK;
    }

private:
    IDirect3DDevice8* device_;
    DWORD usage_;
    D3DPOOL pool_;
    std::vector<std::shared_ptr<PixelLevel>> levels_;
};

class MemoryVertexBuffer final : public VertexBufferCore, public MemoryObject {
public:
    MemoryVertexBuffer(IDirect3DDevice8* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
        : VertexBufferCore(device, length, usage, fvf, pool)
    {
    }
    void OnReferenceCall(const char* call) override { RecordReference("VertexBuffer", call, this); }
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override
    {
        Record("VertexBuffer::Lock",
               {Ptr(this), static_cast<double>(offsetToLock), static_cast<double>(sizeToLock),
                static_cast<double>(flags)});
        return VertexBufferCore::Lock(offsetToLock, sizeToLock, data, flags);
    }
    HRESULT Unlock() override
    {
        Record("VertexBuffer::Unlock", {Ptr(this)});
        return VertexBufferCore::Unlock();
    }
};

class MemoryDevice final : public DeviceCore, public MemoryObject {
public:
    MemoryDevice(IDirect3D8* d3d, const D3DPRESENT_PARAMETERS& parameters, const MemoryAdapter& adapter,
                 D3DFORMAT displayFormat)
        : DeviceCore(d3d, parameters, parameters.BackBufferWidth, parameters.BackBufferHeight),
          parameters_(parameters), adapter_(adapter), displayFormat_(displayFormat)
    {
        auto back = std::make_shared<PixelLevel>();
        back->width = parameters.BackBufferWidth;
        back->height = parameters.BackBufferHeight;
        back->format = D3DFMT_X8R8G8B8;
        // Allocated on first lock (see PixelLevel::Fill).
        back->Fill(0);
        backBuffer_ = back;
    }
    void OnReferenceCall(const char* call) override { RecordReference("Device", call, this); }

    HRESULT TestCooperativeLevel() override
    {
        Record("TestCooperativeLevel", {});
        return DeviceCore::TestCooperativeLevel();
    }
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override
    {
        Record("GetDeviceCaps", {Ptr(caps)});
        if (!caps) return D3DERR_INVALIDCALL;
        std::memset(caps, 0, sizeof *caps);
        caps->DeviceType = D3DDEVTYPE_HAL;
        caps->TextureCaps = adapter_.textureCaps;
        caps->MaxTextureWidth = adapter_.maxTextureWidth;
        caps->MaxTextureHeight = adapter_.maxTextureHeight;
        return S_OK;
    }
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override
    {
        if (!mode) return D3DERR_INVALIDCALL;
        *mode = {parameters_.BackBufferWidth, parameters_.BackBufferHeight, 60, displayFormat_};
        return S_OK;
    }
    HRESULT Present(CONST RECT* sourceRect, CONST RECT* destRect, HWND window, CONST RGNDATA* dirty) override
    {
        Record("Present", {Ptr(sourceRect), Ptr(destRect), Ptr(window), Ptr(dirty)});
        return Alive() ? S_OK : D3DERR_INVALIDCALL;
    }
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override
    {
        Record("GetBackBuffer", {static_cast<double>(index), static_cast<double>(type)});
        if (!surface) return D3DERR_INVALIDCALL;
        *surface = nullptr;
        if (!Alive() || index != 0) return D3DERR_INVALIDCALL;
        *surface = MakeObject<MemorySurface>(this, this, backBuffer_);
        return S_OK;
    }
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override
    {
        Record("CreateTexture", {static_cast<double>(width), static_cast<double>(height), static_cast<double>(levels),
                                 static_cast<double>(usage), static_cast<double>(format), static_cast<double>(pool)});
        if (!texture) return D3DERR_INVALIDCALL;
        *texture = nullptr;
        if (!Alive() || width == 0 || height == 0 || BytesPerPixel(format) == 0) return D3DERR_INVALIDCALL;
        if (width > adapter_.maxTextureWidth || height > adapter_.maxTextureHeight) return D3DERR_INVALIDCALL;
        *texture = MakeObject<MemoryTexture>(this, width, height, levels, usage, format, pool);
        return S_OK;
    }
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override
    {
        Record("CreateVertexBuffer",
               {static_cast<double>(length), static_cast<double>(usage), static_cast<double>(fvf),
                static_cast<double>(pool)});
        if (!buffer) return D3DERR_INVALIDCALL;
        *buffer = nullptr;
        if (!Alive() || length == 0) return D3DERR_INVALIDCALL;
        *buffer = MakeObject<MemoryVertexBuffer>(this, length, usage, fvf, pool);
        return S_OK;
    }
    HRESULT BeginScene() override
    {
        Record("BeginScene", {});
        return DeviceCore::BeginScene();
    }
    HRESULT EndScene() override
    {
        Record("EndScene", {});
        return DeviceCore::EndScene();
    }
    HRESULT Clear(DWORD count, CONST D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override
    {
        Record("Clear", {static_cast<double>(count), Ptr(rects), static_cast<double>(flags), static_cast<double>(color),
                         z, static_cast<double>(stencil)});
        if (!Alive()) return D3DERR_INVALIDCALL;
        if (flags & D3DCLEAR_TARGET) backBuffer_->Fill(color);
        return S_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix) override
    {
        Record("SetTransform", {static_cast<double>(state), Ptr(matrix)});
        return DeviceCore::SetTransform(state, matrix);
    }
    HRESULT SetViewport(CONST D3DVIEWPORT8* viewport) override
    {
        Record("SetViewport", viewport ? std::initializer_list<double>{static_cast<double>(viewport->X),
                                                                        static_cast<double>(viewport->Y),
                                                                        static_cast<double>(viewport->Width),
                                                                        static_cast<double>(viewport->Height),
                                                                        viewport->MinZ, viewport->MaxZ}
                                       : std::initializer_list<double>{0});
        return DeviceCore::SetViewport(viewport);
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        Record("SetRenderState", {static_cast<double>(state), static_cast<double>(value)});
        return DeviceCore::SetRenderState(state, value);
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override
    {
        Record("SetTexture", {static_cast<double>(stage), Ptr(texture)});
        return DeviceCore::SetTexture(stage, texture);
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        Record("SetTextureStageState", {static_cast<double>(stage), static_cast<double>(type), static_cast<double>(value)});
        return DeviceCore::SetTextureStageState(stage, type, value);
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override
    {
        Record("DrawPrimitive", {static_cast<double>(type), static_cast<double>(startVertex), static_cast<double>(count)});
        if (!Alive() || !Stream()) return D3DERR_INVALIDCALL;
        return S_OK;
    }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, CONST void* data, UINT stride) override
    {
        Record("DrawPrimitiveUP", {static_cast<double>(type), static_cast<double>(count), Ptr(data),
                                   static_cast<double>(stride)});
        if (!Alive() || !data || stride == 0) return D3DERR_INVALIDCALL;
        const BYTE* bytes = static_cast<const BYTE*>(data);
        g_lastUserVertices.assign(bytes, bytes + static_cast<size_t>(PrimitiveVertexCount(type, count)) * stride);
        return S_OK;
    }
    HRESULT SetVertexShader(DWORD handle) override
    {
        Record("SetVertexShader", {static_cast<double>(handle)});
        return DeviceCore::SetVertexShader(handle);
    }
    HRESULT SetStreamSource(UINT number, IDirect3DVertexBuffer8* data, UINT stride) override
    {
        Record("SetStreamSource", {static_cast<double>(number), Ptr(data), static_cast<double>(stride)});
        return DeviceCore::SetStreamSource(number, data, stride);
    }

private:
    bool TakesTexture(IDirect3DBaseTexture8* texture) const override { return LiveObject<MemoryTexture>(texture); }
    bool TakesVertexBuffer(IDirect3DVertexBuffer8* buffer) const override
    {
        return LiveObject<MemoryVertexBuffer>(buffer);
    }
    void OnFinalRelease() override
    {
        ReleaseBindings();
        if (g_currentDevice == this) g_currentDevice = nullptr;
    }
    D3DPRESENT_PARAMETERS parameters_;
    MemoryAdapter adapter_;
    D3DFORMAT displayFormat_;
    std::shared_ptr<PixelLevel> backBuffer_;
};

class MemoryDirect3D final : public CountedObject<IDirect3D8>, public MemoryObject {
public:
    explicit MemoryDirect3D(const MemoryDeviceConfig& config) : config_(config) {}
    void OnReferenceCall(const char* call) override { RecordReference("Direct3D", call, this); }

    UINT GetAdapterCount() override
    {
        Record("GetAdapterCount", {});
        return Alive() ? static_cast<UINT>(config_.adapters.size()) : 0;
    }
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override
    {
        Record("GetAdapterIdentifier", {static_cast<double>(adapter), static_cast<double>(flags), Ptr(identifier)});
        if (!identifier || !Alive() || adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
        std::memset(identifier, 0, sizeof *identifier);
        std::snprintf(identifier->Driver, sizeof identifier->Driver, "memory");
        std::snprintf(identifier->Description, sizeof identifier->Description, "%s",
                      config_.adapters[adapter].description.c_str());
        return S_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        Record("GetAdapterDisplayMode", {static_cast<double>(adapter), Ptr(mode)});
        if (!mode || !Alive() || adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
        if (PlatformFailureRequested("displaymode")) return D3DERR_NOTAVAILABLE;
        *mode = {1024, 768, 60, config_.displayFormat};
        return S_OK;
    }
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override
    {
        Record("GetDeviceCaps", {static_cast<double>(adapter), static_cast<double>(type), Ptr(caps)});
        if (!caps || !Alive() || adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
        const MemoryAdapter& a = config_.adapters[adapter];
        if (a.capsFail) return D3DERR_NOTAVAILABLE;
        std::memset(caps, 0, sizeof *caps);
        caps->DeviceType = type;
        caps->AdapterOrdinal = adapter;
        caps->TextureCaps = a.textureCaps;
        caps->MaxTextureWidth = a.maxTextureWidth;
        caps->MaxTextureHeight = a.maxTextureHeight;
        return S_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override
    {
        Record("CreateDevice", {static_cast<double>(adapter), static_cast<double>(type), Ptr(focusWindow),
                                static_cast<double>(behaviorFlags), Ptr(parameters), Ptr(device)});
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!parameters || !Alive() || adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
        if (PlatformFailureRequested("createdevice")) return D3DERR_NOTAVAILABLE;
        if (FAILED(config_.createDeviceResult)) return config_.createDeviceResult;
        lastParameters_ = *parameters;
        MemoryDevice* created = MakeObject<MemoryDevice>(this, *parameters, config_.adapters[adapter],
                                                         config_.displayFormat);
        g_currentDevice = created;
        *device = created;
        return S_OK;
    }

private:
    MemoryDeviceConfig config_;
    D3DPRESENT_PARAMETERS lastParameters_ = {};
};

}  // namespace

MemoryDeviceConfig& MemoryConfig()
{
    if (!g_configSet) {
        g_config = DefaultConfig();
        g_configSet = true;
    }
    return g_config;
}

void MemoryResetConfig()
{
    g_config = DefaultConfig();
    g_configSet = true;
}

IDirect3D8* CreateMemoryDirect3D()
{
    Record("Direct3DCreate8", {});
    return MakeObject<MemoryDirect3D>(MemoryConfig());
}

const std::vector<MemoryCall>& MemoryDeviceRecord() { return g_record; }
void MemoryDeviceClearRecord()
{
    g_record.clear();
    g_record.shrink_to_fit();
    g_recordDropped = 0;
}

int MemoryDeviceFind(const char* method, size_t from)
{
    for (size_t i = from; i < g_record.size(); ++i)
        if (g_record[i].method == method) return static_cast<int>(i);
    return -1;
}

int MemoryDeviceCount(const char* method)
{
    int count = 0;
    for (const MemoryCall& call : g_record) count += call.method == method;
    return count;
}

IDirect3DDevice8* MemoryDeviceCurrent() { return g_currentDevice; }
const std::vector<BYTE>& MemoryDeviceLastUserVertices() { return g_lastUserVertices; }

long MemoryObjectRefCount(IUnknown* object)
{
    const DeviceObject* found = FindDeviceObject(object);
    return found && dynamic_cast<const MemoryObject*>(found) ? found->refs : 0;
}

void MemoryDeviceSetRecording(bool on) { g_recording = on; }

void PlatformRecordDeviceCalls(bool record) { MemoryDeviceSetRecording(record); }

void MemoryDeviceSetRecordLimit(size_t calls)
{
    g_recordLimit = calls;
    if (g_record.size() > calls) {
        g_recordDropped += g_record.size() - calls;
        g_record.resize(calls);
    }
}

size_t MemoryDeviceRecordDropped() { return g_recordDropped; }

bool CreateMemoryDevice(UINT width, UINT height, IDirect3D8** d3d, IDirect3DDevice8** device)
{
    *d3d = CreateMemoryDirect3D();
    *device = nullptr;
    if (!*d3d) return false;
    // Only the size matters to this device; the rest stays as a window's defaults.
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.Windowed = TRUE;
    if (SUCCEEDED((*d3d)->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, device)))
        return true;
    (*d3d)->Release();
    *d3d = nullptr;
    return false;
}
