// Direct3D 8 on OpenGL 3.3 core: the shaders (gl_shaders) reproduce the fixed-function
// state the game uses, gl_render_state puts the rest of that state into OpenGL. A frame is
// recorded (gl_frame) and drawn whole at Present (gl_frame_player), or earlier where a
// read-back or a texture change needs it drawn: consecutive draws of one state go in one call, a frame whose depth
// test can fail nowhere goes without the depth buffer, and a frame that is the picture
// already on show is not drawn again. Drawing goes to a framebuffer object of exactly the
// back-buffer size and Present copies it to the window, unless the window is exactly that
// size and no script runs: then drawing goes straight into the window, as copying a whole
// picture every frame is most of a software rasteriser's frame. A window nobody can see
// gets no copy, and a scripted run with no display never puts the context on its window
// at all. Objects and state bookkeeping are the shared device core's (core/), so a stale
// pointer handed back is refused, never followed.
#include "gl/gl_device.h"
#include "pixel_format.h"

#include <SDL.h>
#include <stand_in.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <memory>

#include "core/device_core.h"
#include "gl/frame_pacer.h"
#include "gl/gl_context.h"
#include "gl/gl_frame.h"
#include "gl/gl_frame_player.h"
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

// The byte layout of a vertex as the game hands it (the flexible vertex format's
// position, diffuse colour, specular colour and one texture-coordinate pair); where a part
// is absent its offset is that of the next.
struct SourceLayout {
    bool pretransformed;
    size_t colour, uv, size;  // offsets, and the bytes one vertex's inputs span
};

// The bits of a vertex format that say how its position is given.
constexpr DWORD kFvfPositionBits = 0x00e;

bool LayoutOf(DWORD fvf, SourceLayout& layout)
{
    const DWORD position = fvf & kFvfPositionBits;
    if (position != D3DFVF_XYZRHW && position != D3DFVF_XYZ) return false;
    layout.pretransformed = position == D3DFVF_XYZRHW;
    size_t offset = layout.pretransformed ? 4 * sizeof(float) : 3 * sizeof(float);
    layout.colour = offset;
    if (fvf & D3DFVF_DIFFUSE) offset += sizeof(D3DCOLOR);
    if (fvf & D3DFVF_SPECULAR) offset += sizeof(D3DCOLOR);
    layout.uv = offset;
    if (fvf & D3DFVF_TEX1) offset += 2 * sizeof(float);
    layout.size = offset;
    return true;
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
        const bool windowShowable = !(PlatformScripted() && GlOffscreenDriver());
        contextOnWindow_ = window_ && windowShowable && GlMakeCurrent(window_);
        if (!contextOnWindow_) {
            // With no usable game window the frames go nowhere; the unshown one stays for
            // its size and the mouse's scale.
            if (windowShowable) window_ = nullptr;
            GlMakeCurrent(nullptr);
        }
        SetUpWindow();

        player_.Create();
        player_.SetTarget(direct_, height_);
        if (window_) SDL_AddEventWatch(WindowEventWatch, this);

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
        StartRecording();
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
        // The picture on show, recorded again from a cleared buffer, is left as it is.
        const bool unchanged = shownFrame_ && wholeFrame_ && (!direct_ || windowShows_) &&
                               recording_->SelfContained() && recording_->SamePicture(*shownFrame_);
        if (unchanged) DropRecording();
        else DrawRecorded();
        wholeFrame_ = true;
        // A frame drawn straight into the window is gone once swapped.
        presentedKept_ = !direct_;
        if (direct_) {
            if (unchanged) {
                Pace();
            } else {
                SwapAndPace(window_);
                windowShows_ = GlWindowSeen(window_);
            }
            FrameEnds();
            return S_OK;
        }
        int windowWidth = 0, windowHeight = 0;
        if (contextOnWindow_) SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
        const bool copy = windowWidth > 0 && windowHeight > 0 && GlWindowSeen(window_);
        if (unchanged && (!copy || windowShows_)) {
            // Waiting as the swap would have waited: a device with no window never did.
            if (window_) Pace();
            FrameEnds();
            return S_OK;
        }
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
        windowShows_ = copy;
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        FrameEnds();
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
        recording_->AddClear(flags, color, z, Viewport());
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
        const uint64_t start = uint64_t(startVertex) * stride;
        if ((uint64_t(startVertex) + vertices) * stride > buffer->Size()) return D3DERR_INVALIDCALL;
        return Record(type, buffer->Contents().data() + start, size_t(buffer->Size() - start), vertices, stride);
    }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, CONST void* data, UINT stride) override
    {
        if (!Alive() || !data || stride == 0) return D3DERR_INVALIDCALL;
        const UINT vertices = PrimitiveVertexCount(type, count);
        return Record(type, static_cast<const BYTE*>(data), size_t(vertices) * stride, vertices, stride);
    }
    // One rectangle of the live back buffer, top row first, rows pitch words apart.
    bool ReadRect(const RECT& rect, UINT pitch, uint32_t* argb)
    {
        if (!Alive()) return false;
        DrawRecorded();
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

    // A texture a recording samples is about to change or go: the frame recorded so far is
    // drawn, and depth owed by frames drawn without it is drawn too, while it is as they saw it.
    void TextureChanging()
    {
        DrawRecorded();
        DrawOwedDepth();
    }

private:
    bool TakesTexture(IDirect3DBaseTexture8* texture) const override { return LiveObject<GlTexture>(texture); }

    // Whatever uncovers, resizes or shows the window may have taken the picture off it.
    static int WindowEventWatch(void* device, SDL_Event* event)
    {
        if (event->type != SDL_WINDOWEVENT) return 0;
        switch (event->window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED: static_cast<GlDevice*>(device)->windowShows_ = false; break;
        default: break;
        }
        return 0;
    }
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

    // The wait a present owes the display when nothing new is handed to it.
    void Pace()
    {
        if (kBrowser) {
            BrowserYieldFrame(PlatformScripted());
            return;
        }
        if (!PlatformScripted()) pacer_.AfterPresent(pacer_.Now());
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
        player_.SetTarget(direct, height_);
        // The other target holds neither the picture on show nor the depth known of this one.
        shownFrame_.reset();
        windowShows_ = false;
        ForgetOwedDepth();
        depthKnown_ = {};
    }

    void FrameEnds()
    {
        ChooseTarget();
        StartRecording();
    }

    // Drawing into the framebuffer covers the presented picture a screenshot would read.
    void DrawingBegins()
    {
        if (!direct_) presentedKept_ = false;
    }

    // The draw as the state of this moment would have drawn it, into the recording.
    HRESULT Record(D3DPRIMITIVETYPE type, const BYTE* data, size_t available, UINT vertices, UINT stride)
    {
        SourceLayout layout;
        if (!LayoutOf(VertexShader(), layout)) return D3DERR_INVALIDCALL;
        GLenum mode = GL_TRIANGLES;
        if (!GlPrimitiveMode(type, mode)) return D3DERR_INVALIDCALL;
        // Every input of the last vertex must lie inside what the caller handed over.
        if (vertices > 0 && size_t(vertices - 1) * stride + layout.size > available) return D3DERR_INVALIDCALL;
        DrawingBegins();
        if (vertices == 0) return S_OK;

        const DWORD fvf = VertexShader();
        GlDrawState state = {};
        state.raster = {RenderState(D3DRS_ZENABLE), RenderState(D3DRS_ZFUNC), RenderState(D3DRS_ZWRITEENABLE),
                        RenderState(D3DRS_ALPHABLENDENABLE), RenderState(D3DRS_SRCBLEND), RenderState(D3DRS_DESTBLEND),
                        RenderState(D3DRS_CULLMODE), RenderState(D3DRS_FILLMODE)};
        GlTexture* texture = dynamic_cast<GlTexture*>(BoundTexture(0));
        if (texture && !texture->Alive()) texture = nullptr;
        FragmentKey key;
        key.texture = texture != nullptr;
        key.colour = StageCode(StageState(0, D3DTSS_COLOROP), StageState(0, D3DTSS_COLORARG1), StageState(0, D3DTSS_COLORARG2));
        key.alpha = StageCode(StageState(0, D3DTSS_ALPHAOP), StageState(0, D3DTSS_ALPHAARG1), StageState(0, D3DTSS_ALPHAARG2));
        const DWORD func = RenderState(D3DRS_ALPHAFUNC);
        key.alphaTest = RenderState(D3DRS_ALPHATESTENABLE) && func >= D3DCMP_NEVER && func < D3DCMP_ALWAYS ? int(func) : 0;
        state.program = static_cast<DWORD>(key.Packed());
        state.alphaRef = RenderState(D3DRS_ALPHAREF) & 0xff;
        if (texture) {
            state.texture = texture->Name();
            state.textureVersion[0] = static_cast<DWORD>(texture->Version());
            state.textureVersion[1] = static_cast<DWORD>(texture->Version() >> 32);
            state.sampling = {StageState(0, D3DTSS_MAGFILTER), StageState(0, D3DTSS_MINFILTER),
                              StageState(0, D3DTSS_MIPFILTER), StageState(0, D3DTSS_ADDRESSU),
                              StageState(0, D3DTSS_ADDRESSV)};
        }
        state.viewport = Viewport();
        state.pretransformed = layout.pretransformed;

        GlFrameVertex vertex = {};
        if (!layout.pretransformed) {
            D3DMATRIX combined = Transform(D3DTS_WORLD);
            GlMultiply(combined, Transform(D3DTS_VIEW));
            GlMultiply(combined, Transform(D3DTS_PROJECTION));
            std::memcpy(vertex.matrix, &combined.m[0][0], sizeof vertex.matrix);
            vertex.position[3] = 1.0f;
        }
        // Absent inputs read as OpenGL's constant attributes did: white, and the origin.
        std::memset(vertex.colour, 0xff, sizeof vertex.colour);
        std::vector<GlFrameVertex>& stream = recording_->vertices;
        stream.reserve(stream.size() + vertices);
        for (UINT i = 0; i < vertices; ++i) {
            const BYTE* source = data + size_t(i) * stride;
            std::memcpy(vertex.position, source, layout.pretransformed ? 4 * sizeof(float) : 3 * sizeof(float));
            if (fvf & D3DFVF_DIFFUSE) std::memcpy(vertex.colour, source + layout.colour, sizeof vertex.colour);
            if (fvf & D3DFVF_TEX1) std::memcpy(vertex.uv, source + layout.uv, sizeof vertex.uv);
            stream.push_back(vertex);
        }
        recording_->AddDraw(state, texture, mode, vertices);
        return S_OK;
    }

    // A fresh recording, starting from what is known of the depth buffer now.
    void StartRecording()
    {
        // A recording still kept as the picture on show or for its depth is left to them.
        if (!recording_ || recording_.use_count() > 1) recording_ = std::make_shared<GlFrameRecording>();
        recording_->Begin(depthKnown_, width_, height_);
    }

    // The textures that recordings still held sample, marked; those of the others not.
    void MarkHeldTextures(const GlFrameRecording& released)
    {
        for (GlTexture* texture : released.textures) texture->inRecording = false;
        for (const auto& owed : depthOwed_)
            for (GlTexture* texture : owed->textures) texture->inRecording = true;
        if (recording_.get() != &released)
            for (GlTexture* texture : recording_->textures) texture->inRecording = true;
    }

    void DropRecording()
    {
        MarkHeldTextures(*recording_);
        StartRecording();
    }

    // Draws what has been recorded since the last drawing; a frame drawn whole from its
    // first clear becomes the picture on show.
    void DrawRecorded()
    {
        if (recording_->Empty()) return;
        const std::shared_ptr<GlFrameRecording> frame = recording_;
        const bool flat = frame->DepthFlat();
        if (frame->UsesDepth() && !flat && frame->ReadsEarlierDepth()) DrawOwedDepth();
        player_.Play(*frame, flat ? DepthPlay::NONE : DepthPlay::AS_RECORDED);
        if (frame->UsesDepth()) {
            if (flat) {
                if (!frame->ReadsEarlierDepth()) ForgetOwedDepth();
                depthOwed_.push_back(frame);
                depthKnown_ = frame->DepthAfter();
            } else {
                ForgetOwedDepth();
                depthKnown_ = {};
            }
        }
        if (wholeFrame_ && frame->SelfContained()) shownFrame_ = frame;
        else shownFrame_.reset();
        wholeFrame_ = false;
        windowShows_ = false;
        MarkHeldTextures(*frame);
        StartRecording();
    }

    // The depth of the frames drawn without it, drawn now in their order.
    void DrawOwedDepth()
    {
        if (depthOwed_.empty()) return;
        for (const auto& owed : depthOwed_) player_.Play(*owed, DepthPlay::ONLY);
        ForgetOwedDepth();
    }

    void ForgetOwedDepth()
    {
        std::vector<std::shared_ptr<GlFrameRecording>> owed;
        owed.swap(depthOwed_);
        for (const auto& frame : owed) MarkHeldTextures(*frame);
    }

    void OnFinalRelease() override
    {
        if (window_) SDL_DelEventWatch(WindowEventWatch, this);
        // Textures may outlive the device: none stays marked as a recording's.
        ForgetOwedDepth();
        MarkHeldTextures(*recording_);
        recording_.reset();
        shownFrame_.reset();
        // The textures and buffers let go while the context is still current.
        ReleaseBindings();
        // The context outlives the device; the next one expects the usual origin.
        if (direct_) GlSetClipOrigin(false);
        glDeleteFramebuffers(1, &fbo_);
        const GLuint renderbuffers[2] = {colour_, depth_};
        glDeleteRenderbuffers(2, renderbuffers);
        player_.Release();
        if (frameFence_) glDeleteSync(frameFence_);
        if (g_presentingDevice == this) g_presentingDevice = nullptr;
        GlMakeCurrent(nullptr);
    }

    HWND hwnd_;
    SDL_Window* window_ = nullptr;
    bool contextOnWindow_ = false;  // else on the context's own hidden window
    unsigned maxWidth_, maxHeight_;
    UINT width_ = 1, height_ = 1;
    GlFramePlayer player_;
    std::shared_ptr<GlFrameRecording> recording_;  // since the last drawing
    bool wholeFrame_ = true;                       // and since the last Present
    // The last frame drawn whole from a cleared buffer, while the target still holds it.
    std::shared_ptr<GlFrameRecording> shownFrame_;
    // The window shows the last picture presented: nothing uncovered or resized it since.
    std::atomic<bool> windowShows_{false};
    // Frames drawn without their depth since the depth buffer last held what it should,
    // the first of them starting from a clear of all of it; and what it should hold.
    std::vector<std::shared_ptr<GlFrameRecording>> depthOwed_;
    GlFrameRecording::DepthKnowledge depthKnown_;
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
    GLenum depthFormat_ = GL_DEPTH_COMPONENT24;
    bool presentedKept_ = false;  // fbo_ holds the last presented frame, nothing drawn since
    bool windowUsable_ = false;  // a game window with a depth buffer, and clip control
    bool direct_ = false;        // drawing into the window rather than fbo_
    FramePacer pacer_;
    GLsync frameFence_ = nullptr;  // the last presented frame's end
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

void GlTextureChanging(IDirect3DDevice8* device, const GlTexture* texture)
{
    if (!texture->inRecording) return;
    if (GlDevice* gl = LiveObject<GlDevice>(device)) gl->TextureChanging();
}

bool GlReadBackBuffer(IDirect3DDevice8* device, const RECT& rect, UINT pitch, uint32_t* argb)
{
    GlDevice* gl = LiveObject<GlDevice>(device);
    return gl && gl->ReadRect(rect, pitch, argb);
}
