// Direct3D 8 on OpenGL 3.3 core: the shaders (gl_shaders) reproduce the fixed-function
// state the game uses. Drawing goes to a framebuffer object of exactly the back-buffer
// size and Present copies it to the window, unless the window is exactly that size and no
// script runs: then drawing goes straight into the window, as copying a whole picture every
// frame is most of a software rasteriser's frame. A window nobody can see gets no copy, and
// a scripted run with no display never puts the context on its window at all. Objects and state bookkeeping are the shared
// device core's (core/), so a stale pointer handed back is refused, never followed.
#include "gl/gl_device.h"
#include "pixel_format.h"

#include <SDL.h>
#ifndef __EMSCRIPTEN__
#include <epoxy/egl.h>
#endif
#include <stand_in.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/device_core.h"
#include "gl/frame_pacer.h"
#include "gl/gl_context.h"
#include "gl/gl_objects.h"
#include "gl/gl_shaders.h"
#include "sdl/browser.h"
#include "sdl/sdl_window.h"

namespace {

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
    // OpenGL ES 3.0 has no border colour; the edge is the nearest it offers.
    case 4: return kGles ? GL_CLAMP_TO_EDGE : GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

class GlDevice;
GlDevice* g_presentingDevice = nullptr;

// Long enough for any frame; a driver that never signals must not hang the game.
constexpr GLuint64 kFrameWaitNs = 1000000000;

bool OffscreenDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") == 0;
}

// The size drawing into the window would have. The offscreen driver's surface keeps the
// size the window was made with, whatever SDL reports after a resize.
void DrawableSize(SDL_Window* window, int& width, int& height)
{
    SDL_GL_GetDrawableSize(window, &width, &height);
#ifndef __EMSCRIPTEN__
    if (!OffscreenDriver()) return;
    EGLDisplay display = eglGetCurrentDisplay();
    EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    EGLint w = 0, h = 0;
    if (surface == EGL_NO_SURFACE || !eglQuerySurface(display, surface, EGL_WIDTH, &w) ||
        !eglQuerySurface(display, surface, EGL_HEIGHT, &h))
        w = h = 0;
    width = w;
    height = h;
#endif
}

// Whether a copy onto the window could be seen: the offscreen driver's windows are on no
// display, and a hidden or minimised window shows nothing. Copying the picture over is most
// of a scripted pass on a software rasteriser, and the runner's window is never looked at.
bool WindowSeen(SDL_Window* window)
{
    if (OffscreenDriver()) return false;
    return (SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

// Keeping rows top first in the window takes the window origin at its top-left.
bool HasClipControl()
{
#ifdef VANTREL_GLES
    return false;
#else
    return epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
#endif
}

// ARGB words read as RGBA bytes (the only order OpenGL ES reads in) into the platform's
// word order, in place.
void RgbaBytesToArgb(uint32_t* pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const BYTE* b = reinterpret_cast<const BYTE*>(&pixels[i]);
        pixels[i] = uint32_t(b[3]) << 24 | uint32_t(b[0]) << 16 | uint32_t(b[1]) << 8 | b[2];
    }
}

// glReadPixels into ARGB words, pitch words a row; rows as the framebuffer holds them.
void ReadArgb(GLint x, GLint y, GLsizei w, GLsizei h, UINT pitch, uint32_t* argb)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(pitch));
    if (kGles) {
        glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, argb);
        for (GLsizei row = 0; row < h; ++row) RgbaBytesToArgb(argb + size_t(row) * pitch, size_t(w));
    } else {
        glReadPixels(x, y, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    }
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

bool WindowedRequested()
{
    const char* env = std::getenv("VANTREL_WINDOWED");
    return env && std::strcmp(env, "1") == 0;
}

// ---- device ----

class GlDevice final : public DeviceCore {
public:
    GlDevice(IDirect3D8* d3d, HWND window, const D3DPRESENT_PARAMETERS& parameters, unsigned maxWidth,
             unsigned maxHeight)
        : DeviceCore(d3d, parameters, std::max(1u, parameters.BackBufferWidth),
                     std::max(1u, parameters.BackBufferHeight)),
          hwnd_(window), maxWidth_(maxWidth), maxHeight_(maxHeight)
    {
        width_ = std::max(1u, parameters.BackBufferWidth);
        height_ = std::max(1u, parameters.BackBufferHeight);
        // The depth the game asked for: a 16-bit buffer is half the bytes to clear and test
        // every frame, and the precision the other platform gives it.
        depthFormat_ = parameters.AutoDepthStencilFormat == D3DFMT_D16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24;
        window_ = SdlWindowFromHandle(window);
        // A scripted run on a driver with no display never shows its window: the context
        // stays on the small one of its own, and the game window's picture and depth
        // buffer are never made.
        const bool windowShowable = !(PlatformScripted() && OffscreenDriver());
        contextOnWindow_ = window_ && windowShowable && GlMakeCurrent(window_);
        if (!contextOnWindow_) {
            // With no usable game window the frames go nowhere; the unshown one stays for
            // its size and the mouse's scale.
            if (windowShowable) window_ = nullptr;
            GlMakeCurrent(nullptr);
        }
        SetUpWindow();

        glGenVertexArrays(1, &vao_);
        glBindVertexArray(vao_);
        glGenBuffers(1, &userBuffer_);

        // Two colour buffers over one depth buffer: Present hands the drawn one over as the
        // presented picture and draws on into the other, so no frame is copied for the
        // screenshots' sake (the back buffer's content after Present is undefined anyway).
        MakeTarget(fbo_, colour_, depth_, true);
        MakeTarget(presentedFbo_, presentedColour_, depth_, false);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);

        // Sampling defaults the shared core leaves unset; ApplyState reads them.
        for (UINT stage = 0; stage < kStages; ++stage) {
            SetStageDefault(stage, D3DTSS_ADDRESSU, 1);
            SetStageDefault(stage, D3DTSS_ADDRESSV, 1);
            SetStageDefault(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);
            SetStageDefault(stage, D3DTSS_MINFILTER, D3DTEXF_POINT);
            SetStageDefault(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        }
        if (contextOnWindow_ && HasClipControl()) {
            GLint depthBits = 0;
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                                  &depthBits);
            windowUsable_ = depthBits >= 24;
            glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        }
        ChooseTarget();
        g_presentingDevice = this;
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
        presentedOnce_ = true;
        presentedDirect_ = direct_;
        if (direct_) {
            SwapAndPace(window_);
            ChooseTarget();
            return S_OK;
        }
        std::swap(fbo_, presentedFbo_);
        std::swap(colour_, presentedColour_);

        int windowWidth = 0, windowHeight = 0;
        if (contextOnWindow_) SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
        const bool copy = windowWidth > 0 && windowHeight > 0 && WindowSeen(window_);
        if (copy) {
            // The back buffer scaled to the window with its aspect kept, bars black.
            const double scale = std::min(double(windowWidth) / width_, double(windowHeight) / height_);
            const int w = static_cast<int>(width_ * scale), h = static_cast<int>(height_ * scale);
            const int x = (windowWidth - w) / 2, y = (windowHeight - h) / 2;
            glBindFramebuffer(GL_READ_FRAMEBUFFER, presentedFbo_);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glDisable(GL_SCISSOR_TEST);
            if (w != windowWidth || h != windowHeight) {
                // Only where the picture leaves bars is there anything to clear.
                glClearColor(0, 0, 0, 1);
                glClear(GL_COLOR_BUFFER_BIT);
            }
            // The window counts rows from the bottom.
            glBlitFramebuffer(0, 0, width_, height_, x, y + h, x + w, y, GL_COLOR_BUFFER_BIT,
                              scale == 1.0 ? GL_NEAREST : GL_LINEAR);
        }
        // A window nobody sees is still swapped where the context is on it: a hidden or
        // minimised game must go on waiting for the display rather than spin.
        if (windowWidth > 0 && windowHeight > 0) SwapAndPace(window_);
        else if (window_) SwapAndPace(nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        ChooseTarget();
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
            GlClearDepth(z);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        if (mask) glClear(mask);
        glDisable(GL_SCISSOR_TEST);
        return S_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override
    {
        if (!Alive()) return D3DERR_INVALIDCALL;
        GlVertexBuffer* buffer = dynamic_cast<GlVertexBuffer*>(Stream());
        const UINT stride = StreamStride();
        if (!buffer || !buffer->Alive() || stride == 0) return D3DERR_INVALIDCALL;
        const UINT vertices = PrimitiveVertexCount(type, count);
        // Summed in 64 bits: a start near the top of the range must not wrap back inside the buffer.
        if ((uint64_t(startVertex) + vertices) * stride > buffer->Size()) return D3DERR_INVALIDCALL;
        glBindBuffer(GL_ARRAY_BUFFER, buffer->Name());
        return Draw(type, startVertex, vertices, stride);
    }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, CONST void* data, UINT stride) override
    {
        if (!Alive() || !data || stride == 0) return D3DERR_INVALIDCALL;
        const UINT vertices = PrimitiveVertexCount(type, count);
        glBindBuffer(GL_ARRAY_BUFFER, userBuffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size_t(vertices) * stride), data, GL_STREAM_DRAW);
        return Draw(type, 0, vertices, stride);
    }
    // One rectangle of the live back buffer, top row first, rows pitch words apart.
    bool ReadRect(const RECT& rect, UINT pitch, uint32_t* argb)
    {
        if (!Alive()) return false;
        const GLsizei w = rect.right - rect.left, h = rect.bottom - rect.top;
        if (direct_) {
            // The window stores rows bottom first: read them that way, then turn them over.
            ReadArgb(rect.left, GLint(height_) - rect.bottom, w, h, pitch, argb);
            for (GLsizei top = 0, bottom = h - 1; top < bottom; ++top, --bottom)
                std::swap_ranges(argb + size_t(top) * pitch, argb + size_t(top) * pitch + w,
                                 argb + size_t(bottom) * pitch);
        } else {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
            ReadArgb(rect.left, rect.top, w, h, pitch, argb);
            glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        }
        return true;
    }
    bool DrawsToWindow() const { return direct_; }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    // The rendered picture (presented copy or the live back buffer), top row first.
    // A frame drawn straight into the window is gone once swapped.
    bool ReadPixels(bool presented, std::vector<uint32_t>& argb)
    {
        if (!Alive() || (presented && (!presentedOnce_ || presentedDirect_))) return false;
        argb.assign(size_t(width_) * height_, 0);
        if (!presented) return ReadRect(RECT{0, 0, LONG(width_), LONG(height_)}, width_, argb.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, presentedFbo_);
        // Rows are stored top first.
        ReadArgb(0, 0, GLsizei(width_), GLsizei(height_), width_, argb.data());
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        return true;
    }

private:
    bool TakesTexture(IDirect3DBaseTexture8* texture) const override { return LiveObject<GlTexture>(texture); }
    bool TakesVertexBuffer(IDirect3DVertexBuffer8* buffer) const override
    {
        return LiveObject<GlVertexBuffer>(buffer);
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
        // Present waits for the display, as the default presentation interval promises:
        // through the swap where the driver can, through the pacer where it cannot.
        const bool swapInterval = !OffscreenDriver() && SDL_GL_SetSwapInterval(1) == 0;
        if (!swapInterval) SDL_GL_SetSwapInterval(0);
        SDL_DisplayMode mode = {};
        pacer_.SetRefreshRate(SDL_GetWindowDisplayMode(window_, &mode) == 0 ? mode.refresh_rate : 0);
        pacer_.SetSwapInterval(swapInterval);
    }

    // A framebuffer with a colour buffer of its own; newDepth makes the depth buffer, else
    // the one given is shared.
    void MakeTarget(GLuint& fbo, GLuint& colour, GLuint& depth, bool newDepth)
    {
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        if (newDepth) {
            glGenRenderbuffers(1, &depth);
            glBindRenderbuffer(GL_RENDERBUFFER, depth);
            glRenderbufferStorage(GL_RENDERBUFFER, depthFormat_, width_, height_);
        }
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glClearColor(0, 0, 0, 1);
        GlClearDepth(1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // A null target: no window shows the frame, which is only handed to the driver.
    void SwapAndPace(SDL_Window* target)
    {
        const uint64_t swapStart = pacer_.Now();
        if (target) SDL_GL_SwapWindow(target);
        else glFlush();
        // The browser shows the frame once control is back with it, and paces by itself.
        if (kBrowser) {
            BrowserYieldFrame(PlatformScripted());
            return;
        }
        // A swap that shows nothing waits for nothing, and a software rasteriser then queues
        // frame after frame, each with its own memory; one frame may wait behind the one
        // being drawn, as a swap chain allows.
        if (frameFence_) {
            glClientWaitSync(frameFence_, GL_SYNC_FLUSH_COMMANDS_BIT, kFrameWaitNs);
            glDeleteSync(frameFence_);
        }
        frameFence_ = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        // The runner's virtual clock owes nothing to the display.
        if (!PlatformScripted()) pacer_.AfterPresent(swapStart);
    }

    // Between frames, where the next one is drawn: the runner and screenshots keep the
    // framebuffer, whose pixels match the other platform's exactly.
    void ChooseTarget()
    {
        bool direct = false;
        if (windowUsable_ && !PlatformScripted()) {
            int w = 0, h = 0;
            DrawableSize(window_, w, h);
            direct = w == int(width_) && h == int(height_);
        }
        if (direct == direct_) return;
        direct_ = direct;
        GlSetClipOrigin(direct);
        glBindFramebuffer(GL_FRAMEBUFFER, direct ? 0 : fbo_);
        appliedViewport_.Width = ~DWORD(0);
    }

    void ApplyViewport()
    {
        const D3DVIEWPORT8& viewport = Viewport();
        if (std::memcmp(&appliedViewport_, &viewport, sizeof viewport) == 0) return;
        appliedViewport_ = viewport;
        // The viewport and the framebuffer both count rows from the top; the window
        // counts them from the bottom, its picture turned upright by the clip control.
        const GLint y = direct_ ? GLint(height_) - GLint(viewport.Y) - GLint(viewport.Height)
                                : static_cast<GLint>(viewport.Y);
        glViewport(static_cast<GLint>(viewport.X), y, static_cast<GLsizei>(viewport.Width),
                   static_cast<GLsizei>(viewport.Height));
        glScissor(static_cast<GLint>(viewport.X), y, static_cast<GLsizei>(viewport.Width),
                  static_cast<GLsizei>(viewport.Height));
        GlDepthRange(viewport.MinZ, viewport.MaxZ);
    }

    // The drawing framebuffer stays bound between calls: rebinding it, even to itself,
    // makes software drivers resolve every pending tile, which dominates frame time.
    void ApplyState(bool pretransformed)
    {
        ApplyViewport();
        glBindVertexArray(vao_);

        // Lighting is not reproduced: the game keeps it off and draws with vertex colours.
        if (RenderState(D3DRS_ZENABLE)) {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(CompareFunc(RenderState(D3DRS_ZFUNC)));
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        glDepthMask(RenderState(D3DRS_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);
        if (RenderState(D3DRS_ALPHABLENDENABLE)) {
            glEnable(GL_BLEND);
            glBlendFunc(BlendFactor(RenderState(D3DRS_SRCBLEND)), BlendFactor(RenderState(D3DRS_DESTBLEND)));
        } else {
            glDisable(GL_BLEND);
        }
        const DWORD cull = RenderState(D3DRS_CULLMODE);
        if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
            // The platform's front faces are clockwise on screen; the framebuffer is upside
            // down for OpenGL, which sees them counter-clockwise.
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(cull == D3DCULL_CCW ? GL_BACK : GL_FRONT);
        } else {
            glDisable(GL_CULL_FACE);
        }
#ifndef VANTREL_GLES
        // OpenGL ES fills every polygon.
        glPolygonMode(GL_FRONT_AND_BACK, RenderState(D3DRS_FILLMODE) == D3DFILL_WIREFRAME ? GL_LINE
                                         : RenderState(D3DRS_FILLMODE) == D3DFILL_POINT   ? GL_POINT
                                                                                    : GL_FILL);
#endif

        GlTexture* texture = dynamic_cast<GlTexture*>(BoundTexture(0));
        const bool hasTexture = texture && texture->Alive();
        FragmentKey key;
        key.texture = hasTexture;
        key.colour = StageCode(StageState(0, D3DTSS_COLOROP), StageState(0, D3DTSS_COLORARG1), StageState(0, D3DTSS_COLORARG2));
        key.alpha = StageCode(StageState(0, D3DTSS_ALPHAOP), StageState(0, D3DTSS_ALPHAARG1), StageState(0, D3DTSS_ALPHAARG2));
        const DWORD func = RenderState(D3DRS_ALPHAFUNC);
        key.alphaTest = RenderState(D3DRS_ALPHATESTENABLE) && func >= D3DCMP_NEVER && func < D3DCMP_ALWAYS ? int(func) : 0;
        const GlProgram& program = programs_.For(key);
        glUseProgram(program.name);

        D3DMATRIX combined = Transform(D3DTS_WORLD);
        Multiply(combined, Transform(D3DTS_VIEW));
        Multiply(combined, Transform(D3DTS_PROJECTION));
        // Row-vector matrices read column-major are the transposes GLSL wants.
        glUniformMatrix4fv(program.matrix, 1, GL_FALSE, &combined.m[0][0]);
        glUniform1i(program.pretransformed, pretransformed ? 1 : 0);
        const D3DVIEWPORT8& viewport = Viewport();
        glUniform4f(program.viewport, float(viewport.X), float(viewport.Y), float(std::max<DWORD>(1, viewport.Width)),
                    float(std::max<DWORD>(1, viewport.Height)));
        glUniform1i(program.alphaRef, static_cast<GLint>(RenderState(D3DRS_ALPHAREF) & 0xff));

        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, hasTexture ? texture->Name() : 0);
        if (hasTexture) {
            const bool linearMag = StageState(0, D3DTSS_MAGFILTER) >= D3DTEXF_LINEAR;
            const bool linearMin = StageState(0, D3DTSS_MINFILTER) >= D3DTEXF_LINEAR;
            const DWORD mip = StageState(0, D3DTSS_MIPFILTER);
            GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
            if (mip == D3DTEXF_POINT) minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            if (mip >= D3DTEXF_LINEAR) minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            const GLint wanted[4] = {linearMag ? GL_LINEAR : GL_NEAREST, minFilter,
                                     AddressMode(StageState(0, D3DTSS_ADDRESSU)), AddressMode(StageState(0, D3DTSS_ADDRESSV))};
            const GLenum names[4] = {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
            for (int i = 0; i < 4; ++i) {
                if (texture->sampling[i] == wanted[i]) continue;
                glTexParameteri(GL_TEXTURE_2D, names[i], wanted[i]);
                texture->sampling[i] = wanted[i];
            }
        }
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
        const DWORD fvf = VertexShader();
        const bool pretransformed = (fvf & 0x00e) == D3DFVF_XYZRHW;
        if (!pretransformed && (fvf & 0x00e) != D3DFVF_XYZ) return D3DERR_INVALIDCALL;
        ApplyState(pretransformed);
        // Attribute layout follows the vertex format (the buffer stays bound as GL_ARRAY_BUFFER).
        size_t offset = 0;
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride),
                              reinterpret_cast<const void*>(offset));
        offset += pretransformed ? 16 : 12;
        if (fvf & D3DFVF_DIFFUSE) {
            glEnableVertexAttribArray(1);
            // Desktop OpenGL takes the bytes blue first as they lie; the ES shader swaps them.
            glVertexAttribPointer(1, kGles ? 4 : GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride),
                                  reinterpret_cast<const void*>(offset));
            offset += 4;
        } else {
            glDisableVertexAttribArray(1);
            glVertexAttrib4f(1, 1, 1, 1, 1);
        }
        if (fvf & D3DFVF_SPECULAR) offset += 4;
        if (fvf & D3DFVF_TEX1) {
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
        const DWORD fill = RenderState(D3DRS_FILLMODE);
        const bool triangles = mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN;
        if (kGles && triangles && fill == D3DFILL_WIREFRAME) {
            DrawEdges(mode, first, vertices);
            return S_OK;
        }
        if (kGles && triangles && fill == D3DFILL_POINT) mode = GL_POINTS;
        glDrawArrays(mode, static_cast<GLint>(first), static_cast<GLsizei>(vertices));
        return S_OK;
    }

    // Wireframe where there is no polygon mode (OpenGL ES): each triangle's three edges as
    // lines, an edge two triangles share drawn by both as the polygon mode would.
    void DrawEdges(GLenum mode, UINT first, UINT vertices)
    {
        edgeIndices_.clear();
        const UINT triangles = mode == GL_TRIANGLES ? vertices / 3 : (vertices >= 3 ? vertices - 2 : 0);
        for (UINT t = 0; t < triangles; ++t) {
            GLuint a = first + t, b = first + t + 1, c = first + t + 2;
            if (mode == GL_TRIANGLES) a = first + 3 * t, b = a + 1, c = a + 2;
            if (mode == GL_TRIANGLE_FAN) a = first;
            const GLuint edges[6] = {a, b, b, c, c, a};
            edgeIndices_.insert(edgeIndices_.end(), edges, edges + 6);
        }
        if (edgeIndices_.empty()) return;
        if (!edgeBuffer_) glGenBuffers(1, &edgeBuffer_);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, edgeBuffer_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(edgeIndices_.size() * sizeof(GLuint)),
                     edgeIndices_.data(), GL_STREAM_DRAW);
        glDrawElements(GL_LINES, static_cast<GLsizei>(edgeIndices_.size()), GL_UNSIGNED_INT, nullptr);
    }

    void OnFinalRelease() override
    {
        // The textures and buffers let go while the context is still current.
        ReleaseBindings();
        // The context outlives the device; the next one expects the usual origin.
        if (direct_) GlSetClipOrigin(false);
        const GLuint framebuffers[2] = {fbo_, presentedFbo_};
        glDeleteFramebuffers(2, framebuffers);
        const GLuint renderbuffers[3] = {colour_, depth_, presentedColour_};
        glDeleteRenderbuffers(3, renderbuffers);
        glDeleteBuffers(1, &userBuffer_);
        if (edgeBuffer_) glDeleteBuffers(1, &edgeBuffer_);
        glDeleteVertexArrays(1, &vao_);
        if (frameFence_) glDeleteSync(frameFence_);
        programs_.Clear();
        if (g_presentingDevice == this) g_presentingDevice = nullptr;
        GlMakeCurrent(nullptr);
    }

    HWND hwnd_;
    SDL_Window* window_ = nullptr;
    bool contextOnWindow_ = false;  // else on the context's own hidden window
    unsigned maxWidth_, maxHeight_;
    UINT width_ = 1, height_ = 1;
    GlProgramCache programs_;
    GLuint vao_ = 0, userBuffer_ = 0;
    GLuint edgeBuffer_ = 0;              // wireframe's line indices, made on first use
    std::vector<GLuint> edgeIndices_;
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
    GLenum depthFormat_ = GL_DEPTH_COMPONENT24;
    GLuint presentedFbo_ = 0, presentedColour_ = 0;
    bool presentedOnce_ = false;
    bool windowUsable_ = false;  // a game window with a depth buffer, and clip control
    bool direct_ = false;        // drawing into the window rather than fbo_
    bool presentedDirect_ = false;
    FramePacer pacer_;
    GLsync frameFence_ = nullptr;  // the last presented frame's end
    D3DVIEWPORT8 appliedViewport_ = {};
};

// ---- the Direct3D object ----

class GlDirect3D final : public CountedObject<IDirect3D8> {
public:
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

bool GlDrawsToWindow() { return g_presentingDevice && g_presentingDevice->DrawsToWindow(); }

void GlFinish()
{
    if (g_presentingDevice) glFinish();
}

bool GlBackBufferSize(IDirect3DDevice8* device, UINT& width, UINT& height)
{
    const GlDevice* gl = LiveObject<GlDevice>(device);
    if (!gl) return false;
    width = gl->Width();
    height = gl->Height();
    return true;
}

bool GlReadBackBuffer(IDirect3DDevice8* device, const RECT& rect, UINT pitch, uint32_t* argb)
{
    GlDevice* gl = LiveObject<GlDevice>(device);
    return gl && gl->ReadRect(rect, pitch, argb);
}
