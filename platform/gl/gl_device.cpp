// Direct3D 8 on OpenGL 3.3 core: the shaders (gl_shaders) reproduce the fixed-function
// state the game uses, gl_render_state puts the rest of that state into OpenGL. Drawing
// goes to a framebuffer object of exactly the back-buffer size and Present copies it to the
// window, unless the window is exactly that size and no script runs: then drawing goes
// straight into the window, as copying a whole picture every frame is most of a software
// rasteriser's frame. A window nobody can see gets no copy, and a scripted run with no
// display never puts the context on its window at all. Objects and state bookkeeping are
// the shared device core's (core/), so a stale pointer handed back is refused, never
// followed.
#include "gl/gl_device.h"
#include "pixel_format.h"

#include <SDL.h>
#include <stand_in.h>

#include <algorithm>
#include <cstring>

#include "core/device_core.h"
#include "gl/frame_pacer.h"
#include "gl/gl_context.h"
#include "gl/gl_objects.h"
#include "gl/gl_readback.h"
#include "gl/gl_render_state.h"
#include "gl/gl_shaders.h"
#include "gl/gl_window.h"
#include "sdl/browser.h"
#include "sdl/sdl_window.h"

namespace {

class GlDevice;
GlDevice* g_presentingDevice = nullptr;

// Long enough for any frame; a driver that never signals must not hang the game.
constexpr GLuint64 kFrameWaitNs = 1000000000;

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
        const bool windowShowable = !(PlatformScripted() && GlOffscreenDriver());
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

        // One colour buffer: a screenshot is asked for after Present and before the next
        // frame's drawing, when the presented picture is still there to read, so keeping a
        // second picture for it would cost its memory for every frame for nothing.
        MakeTarget();

        // Sampling defaults the shared core leaves unset; ApplyState reads them.
        for (UINT stage = 0; stage < kStages; ++stage) {
            SetStageDefault(stage, D3DTSS_ADDRESSU, 1);
            SetStageDefault(stage, D3DTSS_ADDRESSV, 1);
            SetStageDefault(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);
            SetStageDefault(stage, D3DTSS_MINFILTER, D3DTEXF_POINT);
            SetStageDefault(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        }
        if (contextOnWindow_ && GlHasClipControl()) {
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
        // A frame drawn straight into the window is gone once swapped.
        presentedKept_ = !direct_;
        if (direct_) {
            SwapAndPace(window_);
            ChooseTarget();
            return S_OK;
        }
        int windowWidth = 0, windowHeight = 0;
        if (contextOnWindow_) SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
        const bool copy = windowWidth > 0 && windowHeight > 0 && GlWindowSeen(window_);
        if (copy) {
            // The back buffer scaled to the window with its aspect kept, bars black.
            const double scale = std::min(double(windowWidth) / width_, double(windowHeight) / height_);
            const int w = static_cast<int>(width_ * scale), h = static_cast<int>(height_ * scale);
            const int x = (windowWidth - w) / 2, y = (windowHeight - h) / 2;
            glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
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
        DrawingBegins();
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
        if (direct_) {
            GlReadWindowArgb(rect, height_, pitch, argb);
        } else {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
            GlReadArgb(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, pitch, argb);
            glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        }
        return true;
    }
    bool DrawsToWindow() const { return direct_; }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    // The last presented picture, top row first, while nothing has been drawn over it.
    bool ReadPresented(std::vector<uint32_t>& argb)
    {
        if (!Alive() || !presentedKept_) return false;
        argb.assign(size_t(width_) * height_, 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
        // Rows are stored top first.
        GlReadArgb(0, 0, GLsizei(width_), GLsizei(height_), width_, argb.data());
        glBindFramebuffer(GL_FRAMEBUFFER, direct_ ? 0 : fbo_);
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
        if (GlWindowedRequested()) {
            SDL_SetWindowFullscreen(window_, 0);
            SDL_SetWindowSize(window_, static_cast<int>(width_), static_cast<int>(height_));
        } else {
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        SDL_ShowWindow(window_);
        SdlSetBackBufferSize(hwnd_, static_cast<int>(width_), static_cast<int>(height_));
        // Present waits for the display, as the default presentation interval promises:
        // through the swap where the driver can, through the pacer where it cannot.
        const bool swapInterval = !GlOffscreenDriver() && SDL_GL_SetSwapInterval(1) == 0;
        if (!swapInterval) SDL_GL_SetSwapInterval(0);
        SDL_DisplayMode mode = {};
        pacer_.SetRefreshRate(SDL_GetWindowDisplayMode(window_, &mode) == 0 ? mode.refresh_rate : 0);
        pacer_.SetSwapInterval(swapInterval);
    }

    // The framebuffer drawn into, left bound.
    void MakeTarget()
    {
        glGenFramebuffers(1, &fbo_);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glGenRenderbuffers(1, &colour_);
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
        glGenRenderbuffers(1, &depth_);
        glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        glRenderbufferStorage(GL_RENDERBUFFER, depthFormat_, width_, height_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
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
            GlDrawableSize(window_, w, h);
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

    // Drawing into the framebuffer covers the presented picture a screenshot would read.
    void DrawingBegins()
    {
        if (!direct_) presentedKept_ = false;
    }

    // The drawing framebuffer stays bound between calls: rebinding it, even to itself,
    // makes software drivers resolve every pending tile, which dominates frame time.
    void ApplyState(bool pretransformed)
    {
        DrawingBegins();
        ApplyViewport();
        glBindVertexArray(vao_);

        GlApplyRasterState({RenderState(D3DRS_ZENABLE), RenderState(D3DRS_ZFUNC), RenderState(D3DRS_ZWRITEENABLE),
                            RenderState(D3DRS_ALPHABLENDENABLE), RenderState(D3DRS_SRCBLEND),
                            RenderState(D3DRS_DESTBLEND), RenderState(D3DRS_CULLMODE), RenderState(D3DRS_FILLMODE)});

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
        GlMultiply(combined, Transform(D3DTS_VIEW));
        GlMultiply(combined, Transform(D3DTS_PROJECTION));
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
            GlApplySampling({StageState(0, D3DTSS_MAGFILTER), StageState(0, D3DTSS_MINFILTER),
                             StageState(0, D3DTSS_MIPFILTER), StageState(0, D3DTSS_ADDRESSU),
                             StageState(0, D3DTSS_ADDRESSV)},
                            texture->sampling);
        }
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
        if (!GlPrimitiveMode(type, mode)) return D3DERR_INVALIDCALL;
        const DWORD fill = RenderState(D3DRS_FILLMODE);
        const bool triangles = mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN;
        if (kGles && triangles && fill == D3DFILL_WIREFRAME) {
            edges_.Draw(mode, first, vertices);
            return S_OK;
        }
        if (kGles && triangles && fill == D3DFILL_POINT) mode = GL_POINTS;
        glDrawArrays(mode, static_cast<GLint>(first), static_cast<GLsizei>(vertices));
        return S_OK;
    }

    void OnFinalRelease() override
    {
        // The textures and buffers let go while the context is still current.
        ReleaseBindings();
        // The context outlives the device; the next one expects the usual origin.
        if (direct_) GlSetClipOrigin(false);
        glDeleteFramebuffers(1, &fbo_);
        const GLuint renderbuffers[2] = {colour_, depth_};
        glDeleteRenderbuffers(2, renderbuffers);
        glDeleteBuffers(1, &userBuffer_);
        edges_.Release();
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
    GlEdgeDrawer edges_;
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
    GLenum depthFormat_ = GL_DEPTH_COMPONENT24;
    bool presentedKept_ = false;  // fbo_ holds the last presented frame, nothing drawn since
    bool windowUsable_ = false;  // a game window with a depth buffer, and clip control
    bool direct_ = false;        // drawing into the window rather than fbo_
    FramePacer pacer_;
    GLsync frameFence_ = nullptr;  // the last presented frame's end
    D3DVIEWPORT8 appliedViewport_ = {};
};

}  // namespace

IDirect3DDevice8* CreateGlDevice(IDirect3D8* d3d, HWND window, const D3DPRESENT_PARAMETERS& parameters,
                                 unsigned maxWidth, unsigned maxHeight)
{
    return MakeObject<GlDevice>(d3d, window, parameters, maxWidth, maxHeight);
}

bool GlLastPresented(std::vector<uint32_t>& argb, unsigned& width, unsigned& height)
{
    if (!g_presentingDevice) return false;
    width = g_presentingDevice->Width();
    height = g_presentingDevice->Height();
    return g_presentingDevice->ReadPresented(argb);
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
