// Direct3D 8 on OpenGL 3.3 core: one small shader reproduces the fixed-function state
// the game uses. Drawing goes to a framebuffer object of exactly the back-buffer size;
// Present copies it to the window. An object is freed with its last reference; every
// pointer handed back to the device is first looked up among the live objects, so a
// stale one is refused, never followed.
#include "gl/gl_device.h"
#include "pixel_format.h"

#include <SDL.h>
#include <stand_in.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "gl/gl_context.h"
#include "sdl/sdl_window.h"

namespace {

class GlObject {
public:
    virtual ~GlObject() = default;
    long refs = 1;
    bool Alive() const { return refs > 0; }
};

// Live objects by the address of their interface (the pointer the game holds).
std::unordered_map<const void*, GlObject*>& Registry()
{
    // Never destroyed: objects still alive at exit stay reachable for the leak checker.
    static auto* objects = new std::unordered_map<const void*, GlObject*>;
    return *objects;
}

template <typename T, typename... Args>
T* MakeObject(Args&&... args)
{
    T* object = new T(std::forward<Args>(args)...);
    Registry()[static_cast<IUnknown*>(object)] = object;
    return object;
}

GlObject* FindObject(const void* address)
{
    auto it = Registry().find(address);
    return it == Registry().end() ? nullptr : it->second;
}

// The live object of type T behind an interface pointer, or null.
template <typename T>
T* LiveObject(const void* address)
{
    T* object = dynamic_cast<T*>(FindObject(address));
    return object && object->Alive() ? object : nullptr;
}

void FreeObject(GlObject* object, IUnknown* address)
{
    Registry().erase(address);
    delete object;
}

#define GL_REFCOUNT                                        \
    HRESULT QueryInterface(REFIID, void** object) override \
    {                                                      \
        if (object) *object = nullptr;                     \
        return E_NOINTERFACE;                              \
    }                                                      \
    ULONG AddRef() override { return Alive() ? static_cast<ULONG>(++refs) : 0; } \
    ULONG Release() override                               \
    {                                                      \
        if (!Alive()) return 0;                            \
        if (--refs > 0) return static_cast<ULONG>(refs);   \
        OnFinalRelease();                                  \
        FreeObject(this, static_cast<IUnknown*>(this));    \
        return 0;                                          \
    }


struct GlFormat {
    GLint internal;
    GLenum format, type;
    bool opaque;  // the format has no alpha: sampling reads alpha 1
};

GlFormat FormatFor(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false};
    case D3DFMT_X8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, true};
    case D3DFMT_R8G8B8: return {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, true};
    case D3DFMT_R5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, true};
    case D3DFMT_X1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, true};
    case D3DFMT_A1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false};
    case D3DFMT_A4R4G4B4: return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false};
    default: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false};
    }
}

class GlDevice;

// ---- textures ----

struct Level {
    UINT width, height;
    std::vector<BYTE> pixels;
    bool locked = false;
};

class GlTexture;

class GlSurface final : public GlObject, public IDirect3DSurface8 {
public:
    // A level of a texture, or (texture null) a read-back of the device's back buffer.
    GlSurface(GlDevice* device, GlTexture* texture, UINT level);
    GL_REFCOUNT
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

private:
    void OnFinalRelease();
    GlDevice* device_;
    GlTexture* texture_;
    UINT level_;
    std::vector<BYTE> readBack_;
    bool locked_ = false;
};

class GlTexture final : public GlObject, public IDirect3DTexture8 {
public:
    GlTexture(GlDevice* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : device_(device), usage_(usage), format_(format), pool_(pool)
    {
        if (levels == 0) {
            levels = 1;
            for (UINT w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2))
                ++levels;
        }
        for (UINT i = 0; i < levels; ++i) {
            levels_.push_back({width, height, std::vector<BYTE>(size_t(width) * height * BytesPerPixel(format), 0)});
            width = std::max(1u, width / 2);
            height = std::max(1u, height / 2);
        }
        glGenTextures(1, &name_);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, name_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_.size() - 1));
        const GlFormat f = FormatFor(format_);
        if (f.opaque) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
        for (UINT i = 0; i < levels_.size(); ++i) Upload(i);
    }
    GL_REFCOUNT
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override
    {
        if (!desc || !Alive() || level >= levels_.size()) return D3DERR_INVALIDCALL;
        std::memset(desc, 0, sizeof *desc);
        desc->Format = format_;
        desc->Type = D3DRTYPE_TEXTURE;
        desc->Usage = usage_;
        desc->Pool = pool_;
        desc->Size = static_cast<UINT>(levels_[level].pixels.size());
        desc->Width = levels_[level].width;
        desc->Height = levels_[level].height;
        return S_OK;
    }
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD) override
    {
        if (!lockedRect || !Alive() || level >= levels_.size() || levels_[level].locked) return D3DERR_INVALIDCALL;
        Level& l = levels_[level];
        LONG left = 0, top = 0;
        if (rect) {
            if (rect->left < 0 || rect->top < 0 || rect->right > LONG(l.width) || rect->bottom > LONG(l.height) ||
                rect->left >= rect->right || rect->top >= rect->bottom)
                return D3DERR_INVALIDCALL;
            left = rect->left;
            top = rect->top;
        }
        const UINT pitch = l.width * BytesPerPixel(format_);
        l.locked = true;
        lockedRect->Pitch = static_cast<INT>(pitch);
        lockedRect->pBits = l.pixels.data() + size_t(top) * pitch + size_t(left) * BytesPerPixel(format_);
        return S_OK;
    }
    HRESULT UnlockRect(UINT level) override
    {
        if (!Alive() || level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
        levels_[level].locked = false;
        Upload(level);
        return S_OK;
    }
    GLuint Name() const { return name_; }
    D3DFORMAT Format() const { return format_; }
    // Sampler settings last given to GL; changing them costs a texture revalidation.
    GLint sampling[4] = {-1, -1, -1, -1};
    GlDevice* Device() const { return device_; }

private:
    void Upload(UINT level)
    {
        const GlFormat f = FormatFor(format_);
        const Level& l = levels_[level];
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, name_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        // Row 0 of the pixels is the image's top row and becomes texture coordinate v = 0.
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), f.internal, static_cast<GLsizei>(l.width),
                     static_cast<GLsizei>(l.height), 0, f.format, f.type, l.pixels.data());
    }
    void OnFinalRelease()
    {
        glDeleteTextures(1, &name_);
        name_ = 0;
        levels_.clear();
    }
    GlDevice* device_;
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    std::vector<Level> levels_;
    GLuint name_ = 0;
};

// ---- vertex buffers ----

class GlVertexBuffer final : public GlObject, public IDirect3DVertexBuffer8 {
public:
    GlVertexBuffer(GlDevice* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
        : device_(device), usage_(usage), fvf_(fvf), pool_(pool), bytes_(length, 0)
    {
        glGenBuffers(1, &name_);
        glBindBuffer(GL_ARRAY_BUFFER, name_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(length), bytes_.data(), GL_DYNAMIC_DRAW);
    }
    GL_REFCOUNT
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override
    {
        if (!data) return D3DERR_INVALIDCALL;
        *data = nullptr;
        if (!Alive() || locked_ || offset > bytes_.size() || size > bytes_.size() - offset) return D3DERR_INVALIDCALL;
        locked_ = true;
        *data = bytes_.data() + offset;
        return S_OK;
    }
    HRESULT Unlock() override
    {
        if (!Alive() || !locked_) return D3DERR_INVALIDCALL;
        locked_ = false;
        glBindBuffer(GL_ARRAY_BUFFER, name_);
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes_.size()), bytes_.data());
        return S_OK;
    }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override
    {
        if (!desc || !Alive()) return D3DERR_INVALIDCALL;
        std::memset(desc, 0, sizeof *desc);
        desc->Type = D3DRTYPE_VERTEXBUFFER;
        desc->Usage = usage_;
        desc->Pool = pool_;
        desc->Size = static_cast<UINT>(bytes_.size());
        desc->FVF = fvf_;
        return S_OK;
    }
    GLuint Name() const { return name_; }
    UINT Size() const { return static_cast<UINT>(bytes_.size()); }

private:
    void OnFinalRelease()
    {
        glDeleteBuffers(1, &name_);
        name_ = 0;
        bytes_.clear();
    }
    GlDevice* device_;
    DWORD usage_, fvf_;
    D3DPOOL pool_;
    std::vector<BYTE> bytes_;
    GLuint name_ = 0;
    bool locked_ = false;
};

// ---- shader ----

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 a_position;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in vec2 a_uv;
uniform mat4 u_matrix;
uniform int u_pretransformed;
uniform vec4 u_viewport;
out vec4 v_colour;
out vec2 v_uv;
void main() {
    if (u_pretransformed != 0) {
        // Screen pixels of the viewport, top-left origin, depth 0..1.
        float x = (a_position.x - u_viewport.x) / u_viewport.z * 2.0 - 1.0;
        float y = 1.0 - (a_position.y - u_viewport.y) / u_viewport.w * 2.0;
        gl_Position = vec4(x, y, a_position.z * 2.0 - 1.0, 1.0);
    } else {
        vec4 p = u_matrix * vec4(a_position.xyz, 1.0);
        p.z = p.z * 2.0 - p.w;  // depth 0..1 onto -1..1
        gl_Position = p;
    }
    // The framebuffer holds rows top first, as the platform's does, so OpenGL's rule for
    // pixels on an edge picks Direct3D's (top and left edges in). Direct3D puts pixel
    // centres on whole coordinates, OpenGL half a pixel further on: moving everything half
    // a pixel right and down covers, and samples, what Direct3D does.
    gl_Position.y = -gl_Position.y;
    gl_Position.xy += vec2(1.0 / u_viewport.z, 1.0 / u_viewport.w) * gl_Position.w;
    v_colour = a_colour;
    v_uv = a_uv;
}
)";

// The fragment shader is made for each combination of texture stage and alpha test the
// game uses, so a software rasteriser runs straight-line code per pixel instead of
// evaluating every possible operation behind uniform branches (which it cannot skip).
struct FragmentKey {
    bool texture;
    int colour, alpha;  // ArgumentCode of the stage's result
    int alphaTest;      // comparison, 0 when the test is off or always passes
    int Packed() const { return (texture ? 1 : 0) | colour << 1 | alpha << 4 | alphaTest << 7; }
};

// What a stage operation yields: 0 diffuse, 1 texture, 2..4 products of the two.
int StageCode(DWORD op, DWORD arg1, DWORD arg2)
{
    const bool tex1 = (arg1 & 15) == D3DTA_TEXTURE, tex2 = (arg2 & 15) == D3DTA_TEXTURE;
    switch (op) {
    case D3DTOP_SELECTARG1: return tex1 ? 1 : 0;
    case D3DTOP_SELECTARG2: return tex2 ? 1 : 0;
    case D3DTOP_MODULATE: return 2 + (tex1 ? 1 : 0) + (tex2 ? 1 : 0);
    default: return 0;
    }
}

const char* StageExpression(int code)
{
    switch (code) {
    case 1: return "tex";
    case 2: return "v_colour * v_colour";
    case 3: return "tex * v_colour";
    case 4: return "tex * tex";
    default: return "v_colour";
    }
}

std::string FragmentShader(const FragmentKey& key)
{
    std::string source = R"(#version 330 core
in vec4 v_colour;
in vec2 v_uv;
uniform sampler2D u_texture;
uniform int u_alphaRef;
out vec4 o_colour;
void main() {
)";
    source += key.texture ? "    vec4 tex = texture(u_texture, v_uv);\n" : "    vec4 tex = vec4(1.0);\n";
    source += std::string("    vec3 rgb = (") + StageExpression(key.colour) + ").rgb;\n";
    source += std::string("    float a = (") + StageExpression(key.alpha) + ").a;\n";
    static const char* const comparisons[] = {"", "false", "<", "==", "<=", ">", "!=", ">="};
    if (key.alphaTest == D3DCMP_NEVER) {
        source += "    discard;\n";
    } else if (key.alphaTest > D3DCMP_NEVER && key.alphaTest < D3DCMP_ALWAYS) {
        source += std::string("    if (!(int(floor(a * 255.0 + 0.5)) ") + comparisons[key.alphaTest] +
                  " u_alphaRef)) discard;\n";
    }
    source += "    o_colour = vec4(rgb, a);\n}\n";
    return source;
}

GLuint CompileProgram(const char* fragmentSource)
{
    auto compile = [](GLenum type, const char* source) {
        GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024];
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            SDL_Log("shader: %s", log);
        }
        return shader;
    };
    GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentSource);
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

struct Program {
    GLuint name = 0;
    GLint matrix = -1, pretransformed = -1, viewport = -1, alphaRef = -1;
};

GLenum BlendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

GLenum CompareFunc(DWORD func)
{
    switch (func) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLint AddressMode(DWORD mode)
{
    switch (mode) {
    case 2: return GL_MIRRORED_REPEAT;
    case 3: return GL_CLAMP_TO_EDGE;
    case 4: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

const UINT kStages = 8;
GlDevice* g_presentingDevice = nullptr;
std::vector<uint32_t> g_noPixels;

bool OffscreenDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") == 0;
}

bool WindowedRequested()
{
    const char* env = std::getenv("VANTREL_WINDOWED");
    return env && std::strcmp(env, "1") == 0;
}

// ---- device ----

class GlDevice final : public GlObject, public IDirect3DDevice8 {
public:
    GlDevice(IDirect3D8* d3d, HWND window, const D3DPRESENT_PARAMETERS& parameters, unsigned maxWidth,
             unsigned maxHeight)
        : d3d_(d3d), hwnd_(window), maxWidth_(maxWidth), maxHeight_(maxHeight)
    {
        d3d_->AddRef();
        width_ = std::max(1u, parameters.BackBufferWidth);
        height_ = std::max(1u, parameters.BackBufferHeight);
        window_ = SdlWindowFromHandle(window);
        if (!window_ || !GlMakeCurrent(window_)) {
            // No usable game window: present into a hidden window of our own.
            window_ = nullptr;
            GlMakeCurrent(nullptr);
        }
        SetUpWindow();

        glGenVertexArrays(1, &vao_);
        glBindVertexArray(vao_);
        glGenBuffers(1, &userBuffer_);

        MakeTarget(fbo_, colour_, depth_, true);
        MakeTarget(presentedFbo_, presentedColour_, presentedDepth_, false);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);

        viewport_ = {0, 0, width_, height_, 0.0f, 1.0f};
        renderStates_[D3DRS_ZENABLE] = parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
        renderStates_[D3DRS_FILLMODE] = D3DFILL_SOLID;
        renderStates_[D3DRS_ZWRITEENABLE] = TRUE;
        renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
        renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
        renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
        renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
        renderStates_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
        renderStates_[D3DRS_LIGHTING] = TRUE;
        for (UINT stage = 0; stage < kStages; ++stage) {
            auto& tss = stageStates_[stage];
            tss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
            tss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
            tss[D3DTSS_COLORARG2] = D3DTA_CURRENT;
            tss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
            tss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
            tss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
            tss[D3DTSS_ADDRESSU] = 1;
            tss[D3DTSS_ADDRESSV] = 1;
            tss[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
            tss[D3DTSS_MINFILTER] = D3DTEXF_POINT;
            tss[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        }
        D3DMATRIX identity = {};
        for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
        transforms_[D3DTS_WORLD] = transforms_[D3DTS_VIEW] = transforms_[D3DTS_PROJECTION] = identity;
        g_presentingDevice = this;
    }
    GL_REFCOUNT

    HRESULT TestCooperativeLevel() override { return Alive() ? S_OK : D3DERR_INVALIDCALL; }
    HRESULT GetDirect3D(IDirect3D8** d3d) override
    {
        if (!d3d) return D3DERR_INVALIDCALL;
        *d3d = d3d_;
        d3d_->AddRef();
        return S_OK;
    }
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override
    {
        if (!caps) return D3DERR_INVALIDCALL;
        std::memset(caps, 0, sizeof *caps);
        caps->DeviceType = D3DDEVTYPE_HAL;
        caps->TextureCaps = D3DPTEXTURECAPS_ALPHA;
        caps->MaxTextureWidth = maxWidth_;
        caps->MaxTextureHeight = maxHeight_;
        return S_OK;
    }
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override
    {
        if (!mode) return D3DERR_INVALIDCALL;
        *mode = {width_, height_, 60, D3DFMT_X8R8G8B8};
        return S_OK;
    }
    HRESULT Present(CONST RECT*, CONST RECT*, HWND, CONST RGNDATA*) override
    {
        if (!Alive()) return D3DERR_INVALIDCALL;
        // Keep a copy of what was shown, for screenshots.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, presentedFbo_);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        presentedOnce_ = true;

        SDL_Window* target = window_ ? window_ : GlHiddenWindow();
        int windowWidth = 0, windowHeight = 0;
        SDL_GL_GetDrawableSize(target, &windowWidth, &windowHeight);
        if (window_ && windowWidth > 0 && windowHeight > 0) {
            // The back buffer scaled to the window with its aspect kept, bars black.
            const double scale = std::min(double(windowWidth) / width_, double(windowHeight) / height_);
            const int w = static_cast<int>(width_ * scale), h = static_cast<int>(height_ * scale);
            const int x = (windowWidth - w) / 2, y = (windowHeight - h) / 2;
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glDisable(GL_SCISSOR_TEST);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            // The window counts rows from the bottom.
            glBlitFramebuffer(0, 0, width_, height_, x, y + h, x + w, y, GL_COLOR_BUFFER_BIT,
                              scale == 1.0 ? GL_NEAREST : GL_LINEAR);
            SDL_GL_SwapWindow(target);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        return S_OK;
    }
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface) override
    {
        if (!surface) return D3DERR_INVALIDCALL;
        *surface = nullptr;
        if (!Alive() || index != 0) return D3DERR_INVALIDCALL;
        *surface = MakeObject<GlSurface>(this, nullptr, 0);
        return S_OK;
    }
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override
    {
        if (!texture) return D3DERR_INVALIDCALL;
        *texture = nullptr;
        if (!Alive() || width == 0 || height == 0 || BytesPerPixel(format) == 0) return D3DERR_INVALIDCALL;
        if (width > maxWidth_ || height > maxHeight_) return D3DERR_INVALIDCALL;
        *texture = MakeObject<GlTexture>(this, width, height, levels, usage, format, pool);
        return S_OK;
    }
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override
    {
        if (!buffer) return D3DERR_INVALIDCALL;
        *buffer = nullptr;
        if (!Alive() || length == 0) return D3DERR_INVALIDCALL;
        *buffer = MakeObject<GlVertexBuffer>(this, length, usage, fvf, pool);
        return S_OK;
    }
    HRESULT BeginScene() override
    {
        if (!Alive() || inScene_) return D3DERR_INVALIDCALL;
        inScene_ = true;
        return S_OK;
    }
    HRESULT EndScene() override
    {
        if (!Alive() || !inScene_) return D3DERR_INVALIDCALL;
        inScene_ = false;
        return S_OK;
    }
    HRESULT Clear(DWORD, CONST D3DRECT*, DWORD flags, D3DCOLOR color, float z, DWORD) override
    {
        if (!Alive()) return D3DERR_INVALIDCALL;
        ApplyViewport();
        glEnable(GL_SCISSOR_TEST);
        GLbitfield mask = 0;
        if (flags & D3DCLEAR_TARGET) {
            glClearColor(((color >> 16) & 0xff) / 255.0f, ((color >> 8) & 0xff) / 255.0f, (color & 0xff) / 255.0f,
                         (color >> 24) / 255.0f);
            mask |= GL_COLOR_BUFFER_BIT;
        }
        if (flags & D3DCLEAR_ZBUFFER) {
            glDepthMask(GL_TRUE);
            glClearDepth(z);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        if (mask) glClear(mask);
        glDisable(GL_SCISSOR_TEST);
        return S_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix) override
    {
        if (!Alive() || !matrix) return D3DERR_INVALIDCALL;
        transforms_[state] = *matrix;
        return S_OK;
    }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override
    {
        if (!matrix) return D3DERR_INVALIDCALL;
        auto it = transforms_.find(state);
        if (it == transforms_.end()) return D3DERR_INVALIDCALL;
        *matrix = it->second;
        return S_OK;
    }
    HRESULT SetViewport(CONST D3DVIEWPORT8* viewport) override
    {
        if (!Alive() || !viewport) return D3DERR_INVALIDCALL;
        viewport_ = *viewport;
        return S_OK;
    }
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override
    {
        if (!viewport) return D3DERR_INVALIDCALL;
        *viewport = viewport_;
        return S_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        if (!Alive()) return D3DERR_INVALIDCALL;
        renderStates_[state] = value;
        return S_OK;
    }
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override
    {
        if (!value) return D3DERR_INVALIDCALL;
        auto it = renderStates_.find(state);
        *value = it == renderStates_.end() ? 0 : it->second;
        return S_OK;
    }
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override
    {
        if (!texture || stage >= kStages) return D3DERR_INVALIDCALL;
        *texture = textures_[stage];
        if (*texture) (*texture)->AddRef();
        return S_OK;
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override
    {
        if (!Alive() || stage >= kStages) return D3DERR_INVALIDCALL;
        if (texture && !LiveObject<GlTexture>(texture)) return D3DERR_INVALIDCALL;
        if (texture) texture->AddRef();
        if (textures_[stage]) textures_[stage]->Release();
        textures_[stage] = texture;
        return S_OK;
    }
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override
    {
        if (!value || stage >= kStages) return D3DERR_INVALIDCALL;
        auto it = stageStates_[stage].find(type);
        *value = it == stageStates_[stage].end() ? 0 : it->second;
        return S_OK;
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        if (!Alive() || stage >= kStages) return D3DERR_INVALIDCALL;
        stageStates_[stage][type] = value;
        return S_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override
    {
        if (!Alive()) return D3DERR_INVALIDCALL;
        GlVertexBuffer* buffer = dynamic_cast<GlVertexBuffer*>(stream_);
        if (!buffer || !buffer->Alive() || stride_ == 0) return D3DERR_INVALIDCALL;
        const UINT vertices = VertexCount(type, count);
        if (uint64_t(startVertex + vertices) * stride_ > buffer->Size()) return D3DERR_INVALIDCALL;
        glBindBuffer(GL_ARRAY_BUFFER, buffer->Name());
        return Draw(type, startVertex, vertices, stride_);
    }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, CONST void* data, UINT stride) override
    {
        if (!Alive() || !data || stride == 0) return D3DERR_INVALIDCALL;
        const UINT vertices = VertexCount(type, count);
        glBindBuffer(GL_ARRAY_BUFFER, userBuffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size_t(vertices) * stride), data, GL_STREAM_DRAW);
        return Draw(type, 0, vertices, stride);
    }
    HRESULT SetVertexShader(DWORD handle) override
    {
        if (!Alive()) return D3DERR_INVALIDCALL;
        fvf_ = handle;
        return S_OK;
    }
    HRESULT GetVertexShader(DWORD* handle) override
    {
        if (!handle) return D3DERR_INVALIDCALL;
        *handle = fvf_;
        return S_OK;
    }
    HRESULT SetStreamSource(UINT number, IDirect3DVertexBuffer8* data, UINT stride) override
    {
        if (!Alive() || number != 0) return D3DERR_INVALIDCALL;
        if (data && !LiveObject<GlVertexBuffer>(data)) return D3DERR_INVALIDCALL;
        if (data) data->AddRef();
        if (stream_) stream_->Release();
        stream_ = data;
        stride_ = stride;
        return S_OK;
    }
    HRESULT GetStreamSource(UINT number, IDirect3DVertexBuffer8** data, UINT* stride) override
    {
        if (!data || !stride || number != 0) return D3DERR_INVALIDCALL;
        *data = stream_;
        if (stream_) stream_->AddRef();
        *stride = stride_;
        return S_OK;
    }

    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    // The rendered picture (presented copy or the live back buffer), top row first.
    bool ReadPixels(bool presented, std::vector<uint32_t>& argb)
    {
        if (!Alive() || (presented && !presentedOnce_)) return false;
        argb.assign(size_t(width_) * height_, 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, presented ? presentedFbo_ : fbo_);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        // Rows are stored top first.
        glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        return true;
    }

private:
    static UINT VertexCount(D3DPRIMITIVETYPE type, UINT count)
    {
        switch (type) {
        case D3DPT_POINTLIST: return count;
        case D3DPT_LINELIST: return count * 2;
        case D3DPT_LINESTRIP: return count + 1;
        case D3DPT_TRIANGLELIST: return count * 3;
        default: return count + 2;
        }
    }

    void SetUpWindow()
    {
        if (!window_) return;
        if (WindowedRequested()) {
            SDL_SetWindowFullscreen(window_, 0);
            SDL_SetWindowSize(window_, static_cast<int>(width_), static_cast<int>(height_));
        } else {
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        SDL_ShowWindow(window_);
        SdlSetBackBufferSize(hwnd_, static_cast<int>(width_), static_cast<int>(height_));
        SDL_GL_SetSwapInterval(OffscreenDriver() ? 0 : 1);
    }

    void MakeTarget(GLuint& fbo, GLuint& colour, GLuint& depth, bool withDepth)
    {
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        depth = 0;
        if (withDepth) {
            glGenRenderbuffers(1, &depth);
            glBindRenderbuffer(GL_RENDERBUFFER, depth);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        }
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | (withDepth ? GL_DEPTH_BUFFER_BIT : 0));
    }

    void ApplyViewport()
    {
        if (std::memcmp(&appliedViewport_, &viewport_, sizeof viewport_) == 0) return;
        appliedViewport_ = viewport_;
        // The viewport and the framebuffer both count rows from the top.
        const GLint y = static_cast<GLint>(viewport_.Y);
        glViewport(static_cast<GLint>(viewport_.X), y, static_cast<GLsizei>(viewport_.Width),
                   static_cast<GLsizei>(viewport_.Height));
        glScissor(static_cast<GLint>(viewport_.X), y, static_cast<GLsizei>(viewport_.Width),
                  static_cast<GLsizei>(viewport_.Height));
        glDepthRange(viewport_.MinZ, viewport_.MaxZ);
    }

    DWORD State(D3DRENDERSTATETYPE state) const
    {
        auto it = renderStates_.find(state);
        return it == renderStates_.end() ? 0 : it->second;
    }
    DWORD StageState(D3DTEXTURESTAGESTATETYPE type) const
    {
        auto it = stageStates_[0].find(type);
        return it == stageStates_[0].end() ? 0 : it->second;
    }

    // The drawing framebuffer stays bound between calls: rebinding it, even to itself,
    // makes software drivers resolve every pending tile, which dominates frame time.
    void ApplyState(bool pretransformed)
    {
        ApplyViewport();
        glBindVertexArray(vao_);

        // Lighting is not reproduced: the game keeps it off and draws with vertex colours.
        if (State(D3DRS_ZENABLE)) {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(CompareFunc(State(D3DRS_ZFUNC)));
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        glDepthMask(State(D3DRS_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);
        if (State(D3DRS_ALPHABLENDENABLE)) {
            glEnable(GL_BLEND);
            glBlendFunc(BlendFactor(State(D3DRS_SRCBLEND)), BlendFactor(State(D3DRS_DESTBLEND)));
        } else {
            glDisable(GL_BLEND);
        }
        const DWORD cull = State(D3DRS_CULLMODE);
        if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
            // The platform's front faces are clockwise on screen; the framebuffer is upside
            // down for OpenGL, which sees them counter-clockwise.
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(cull == D3DCULL_CCW ? GL_BACK : GL_FRONT);
        } else {
            glDisable(GL_CULL_FACE);
        }
        glPolygonMode(GL_FRONT_AND_BACK, State(D3DRS_FILLMODE) == D3DFILL_WIREFRAME ? GL_LINE
                                         : State(D3DRS_FILLMODE) == D3DFILL_POINT   ? GL_POINT
                                                                                    : GL_FILL);

        GlTexture* texture = dynamic_cast<GlTexture*>(textures_[0]);
        const bool hasTexture = texture && texture->Alive();
        FragmentKey key;
        key.texture = hasTexture;
        key.colour = StageCode(StageState(D3DTSS_COLOROP), StageState(D3DTSS_COLORARG1), StageState(D3DTSS_COLORARG2));
        key.alpha = StageCode(StageState(D3DTSS_ALPHAOP), StageState(D3DTSS_ALPHAARG1), StageState(D3DTSS_ALPHAARG2));
        const DWORD func = State(D3DRS_ALPHAFUNC);
        key.alphaTest = State(D3DRS_ALPHATESTENABLE) && func >= D3DCMP_NEVER && func < D3DCMP_ALWAYS ? int(func) : 0;
        const Program& program = ProgramFor(key);
        glUseProgram(program.name);

        D3DMATRIX combined = transforms_[D3DTS_WORLD];
        Multiply(combined, transforms_[D3DTS_VIEW]);
        Multiply(combined, transforms_[D3DTS_PROJECTION]);
        // Row-vector matrices read column-major are the transposes GLSL wants.
        glUniformMatrix4fv(program.matrix, 1, GL_FALSE, &combined.m[0][0]);
        glUniform1i(program.pretransformed, pretransformed ? 1 : 0);
        glUniform4f(program.viewport, float(viewport_.X), float(viewport_.Y),
                    float(std::max<DWORD>(1, viewport_.Width)), float(std::max<DWORD>(1, viewport_.Height)));
        glUniform1i(program.alphaRef, static_cast<GLint>(State(D3DRS_ALPHAREF) & 0xff));

        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, hasTexture ? texture->Name() : 0);
        if (hasTexture) {
            const bool linearMag = StageState(D3DTSS_MAGFILTER) >= D3DTEXF_LINEAR;
            const bool linearMin = StageState(D3DTSS_MINFILTER) >= D3DTEXF_LINEAR;
            const DWORD mip = StageState(D3DTSS_MIPFILTER);
            GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
            if (mip == D3DTEXF_POINT) minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            if (mip >= D3DTEXF_LINEAR) minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            const GLint wanted[4] = {linearMag ? GL_LINEAR : GL_NEAREST, minFilter,
                                     AddressMode(StageState(D3DTSS_ADDRESSU)), AddressMode(StageState(D3DTSS_ADDRESSV))};
            const GLenum names[4] = {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
            for (int i = 0; i < 4; ++i) {
                if (texture->sampling[i] == wanted[i]) continue;
                glTexParameteri(GL_TEXTURE_2D, names[i], wanted[i]);
                texture->sampling[i] = wanted[i];
            }
        }
    }

    const Program& ProgramFor(const FragmentKey& key)
    {
        auto found = programs_.find(key.Packed());
        if (found != programs_.end()) return found->second;
        Program program;
        program.name = CompileProgram(FragmentShader(key).c_str());
        glUseProgram(program.name);
        glUniform1i(glGetUniformLocation(program.name, "u_texture"), 0);
        program.matrix = glGetUniformLocation(program.name, "u_matrix");
        program.pretransformed = glGetUniformLocation(program.name, "u_pretransformed");
        program.viewport = glGetUniformLocation(program.name, "u_viewport");
        program.alphaRef = glGetUniformLocation(program.name, "u_alphaRef");
        return programs_[key.Packed()] = program;
    }

    static void Multiply(D3DMATRIX& a, const D3DMATRIX& b)
    {
        D3DMATRIX r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        a = r;
    }

    HRESULT Draw(D3DPRIMITIVETYPE type, UINT first, UINT vertices, UINT stride)
    {
        const bool pretransformed = (fvf_ & 0x00e) == D3DFVF_XYZRHW;
        if (!pretransformed && (fvf_ & 0x00e) != D3DFVF_XYZ) return D3DERR_INVALIDCALL;
        ApplyState(pretransformed);
        // Attribute layout follows the vertex format (the buffer stays bound as GL_ARRAY_BUFFER).
        size_t offset = 0;
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride),
                              reinterpret_cast<const void*>(offset));
        offset += pretransformed ? 16 : 12;
        if (fvf_ & D3DFVF_DIFFUSE) {
            glEnableVertexAttribArray(1);
            glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride),
                                  reinterpret_cast<const void*>(offset));
            offset += 4;
        } else {
            glDisableVertexAttribArray(1);
            glVertexAttrib4f(1, 1, 1, 1, 1);
        }
        if (fvf_ & D3DFVF_SPECULAR) offset += 4;
        if (fvf_ & D3DFVF_TEX1) {
            glEnableVertexAttribArray(2);
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride),
                                  reinterpret_cast<const void*>(offset));
        } else {
            glDisableVertexAttribArray(2);
            glVertexAttrib2f(2, 0, 0);
        }
        GLenum mode = GL_TRIANGLES;
        switch (type) {
        case D3DPT_POINTLIST: mode = GL_POINTS; break;
        case D3DPT_LINELIST: mode = GL_LINES; break;
        case D3DPT_LINESTRIP: mode = GL_LINE_STRIP; break;
        case D3DPT_TRIANGLELIST: mode = GL_TRIANGLES; break;
        case D3DPT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP; break;
        case D3DPT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN; break;
        default: return D3DERR_INVALIDCALL;
        }
        glDrawArrays(mode, static_cast<GLint>(first), static_cast<GLsizei>(vertices));
        return S_OK;
    }

    void OnFinalRelease()
    {
        for (auto& texture : textures_)
            if (texture) texture->Release(), texture = nullptr;
        if (stream_) stream_->Release();
        stream_ = nullptr;
        const GLuint framebuffers[2] = {fbo_, presentedFbo_};
        glDeleteFramebuffers(2, framebuffers);
        const GLuint renderbuffers[3] = {colour_, depth_, presentedColour_};
        glDeleteRenderbuffers(3, renderbuffers);
        glDeleteBuffers(1, &userBuffer_);
        glDeleteVertexArrays(1, &vao_);
        for (const auto& program : programs_) glDeleteProgram(program.second.name);
        if (g_presentingDevice == this) g_presentingDevice = nullptr;
        GlMakeCurrent(nullptr);
        d3d_->Release();
    }

    IDirect3D8* d3d_;
    HWND hwnd_;
    SDL_Window* window_ = nullptr;
    unsigned maxWidth_, maxHeight_;
    UINT width_ = 1, height_ = 1;
    std::map<int, Program> programs_;
    GLuint vao_ = 0, userBuffer_ = 0;
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
    GLuint presentedFbo_ = 0, presentedColour_ = 0, presentedDepth_ = 0;
    bool presentedOnce_ = false;
    D3DVIEWPORT8 viewport_;
    D3DVIEWPORT8 appliedViewport_ = {};
    std::map<DWORD, DWORD> renderStates_;
    std::map<DWORD, DWORD> stageStates_[kStages];
    std::map<DWORD, D3DMATRIX> transforms_;
    IDirect3DBaseTexture8* textures_[kStages] = {};
    IDirect3DVertexBuffer8* stream_ = nullptr;
    UINT stride_ = 0;
    DWORD fvf_ = 0;
    bool inScene_ = false;
};

// ---- out-of-line members that need the device ----

HRESULT GlTexture::GetDevice(IDirect3DDevice8** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    // Resources do not keep their device alive; it may be gone.
    *device = LiveObject<GlDevice>(static_cast<IDirect3DDevice8*>(device_)) ? device_ : nullptr;
    if (!*device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    return S_OK;
}

HRESULT GlTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface)
{
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!Alive() || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *surface = MakeObject<GlSurface>(device_, this, level);
    return S_OK;
}

HRESULT GlVertexBuffer::GetDevice(IDirect3DDevice8** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    // Resources do not keep their device alive; it may be gone.
    *device = LiveObject<GlDevice>(static_cast<IDirect3DDevice8*>(device_)) ? device_ : nullptr;
    if (!*device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    return S_OK;
}

GlSurface::GlSurface(GlDevice* device, GlTexture* texture, UINT level) : device_(device), texture_(texture), level_(level)
{
    if (texture_) texture_->AddRef();
}

void GlSurface::OnFinalRelease()
{
    if (texture_) texture_->Release();
    texture_ = nullptr;
    readBack_.clear();
}

HRESULT GlSurface::GetDevice(IDirect3DDevice8** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    // Resources do not keep their device alive; it may be gone.
    *device = LiveObject<GlDevice>(static_cast<IDirect3DDevice8*>(device_)) ? device_ : nullptr;
    if (!*device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    return S_OK;
}

HRESULT GlSurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc || !Alive()) return D3DERR_INVALIDCALL;
    if (!texture_ && !LiveObject<GlDevice>(static_cast<IDirect3DDevice8*>(device_))) return D3DERR_INVALIDCALL;
    if (texture_) {
        const HRESULT result = texture_->GetLevelDesc(level_, desc);
        desc->Type = D3DRTYPE_SURFACE;
        return result;
    }
    std::memset(desc, 0, sizeof *desc);
    desc->Format = D3DFMT_X8R8G8B8;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = D3DUSAGE_RENDERTARGET;
    desc->Width = device_->Width();
    desc->Height = device_->Height();
    desc->Size = desc->Width * desc->Height * 4;
    return S_OK;
}

HRESULT GlSurface::LockRect(D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD flags)
{
    if (!Alive() || !lockedRect) return D3DERR_INVALIDCALL;
    if (texture_) return texture_->LockRect(level_, lockedRect, rect, flags);
    // The back buffer can be read (for checks), not written.
    if (locked_ || !LiveObject<GlDevice>(static_cast<IDirect3DDevice8*>(device_))) return D3DERR_INVALIDCALL;
    std::vector<uint32_t> argb;
    if (!device_->ReadPixels(false, argb)) return D3DERR_INVALIDCALL;
    readBack_.resize(argb.size() * 4);
    std::memcpy(readBack_.data(), argb.data(), readBack_.size());
    LONG left = 0, top = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > LONG(device_->Width()) ||
            rect->bottom > LONG(device_->Height()) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        left = rect->left;
        top = rect->top;
    }
    locked_ = true;
    lockedRect->Pitch = static_cast<INT>(device_->Width() * 4);
    lockedRect->pBits = readBack_.data() + (size_t(top) * device_->Width() + left) * 4;
    return S_OK;
}

HRESULT GlSurface::UnlockRect()
{
    if (!Alive()) return D3DERR_INVALIDCALL;
    if (texture_) return texture_->UnlockRect(level_);
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return S_OK;
}

// ---- the Direct3D object ----

class GlDirect3D final : public GlObject, public IDirect3D8 {
public:
    GL_REFCOUNT
    UINT GetAdapterCount() override { return Alive() ? 1 : 0; }
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier) override
    {
        if (!identifier || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        std::memset(identifier, 0, sizeof *identifier);
        std::snprintf(identifier->Driver, sizeof identifier->Driver, "OpenGL");
        std::snprintf(identifier->Description, sizeof identifier->Description, "%s", GlRendererName());
        return S_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        if (!mode || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        if (PlatformFailureRequested("displaymode")) return D3DERR_NOTAVAILABLE;
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) desktop.w = 1024, desktop.h = 768, desktop.refresh_rate = 60;
        *mode = {static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h), static_cast<UINT>(desktop.refresh_rate),
                 D3DFMT_X8R8G8B8};
        return S_OK;
    }
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override
    {
        if (!caps || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        std::memset(caps, 0, sizeof *caps);
        unsigned w = 0, h = 0;
        GlMaxTextureSize(w, h);
        caps->DeviceType = type;
        caps->TextureCaps = D3DPTEXTURECAPS_ALPHA;
        caps->MaxTextureWidth = w;
        caps->MaxTextureHeight = h;
        return S_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND focusWindow, DWORD, D3DPRESENT_PARAMETERS* parameters,
                         IDirect3DDevice8** device) override
    {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!parameters || !Alive() || adapter != 0) return D3DERR_INVALIDCALL;
        if (PlatformFailureRequested("createdevice")) return D3DERR_NOTAVAILABLE;
        if (!GlEnsureContext()) return D3DERR_NOTAVAILABLE;
        unsigned w = 0, h = 0;
        GlMaxTextureSize(w, h);
        *device = MakeObject<GlDevice>(this, focusWindow, *parameters, w, h);
        return S_OK;
    }

private:
    void OnFinalRelease() {}
};

}  // namespace

IDirect3D8* CreateGlDirect3D()
{
    if (!GlEnsureContext()) return nullptr;
    return MakeObject<GlDirect3D>();
}

bool GlLastPresented(std::vector<uint32_t>& argb, unsigned& width, unsigned& height)
{
    if (!g_presentingDevice) return false;
    width = g_presentingDevice->Width();
    height = g_presentingDevice->Height();
    return g_presentingDevice->ReadPixels(true, argb);
}

void GlFinish()
{
    if (g_presentingDevice) glFinish();
}
