#include "export/capture.h"

#include <d3d8.h>
#include <d3dx8.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "figure/anim_save.h"
#include "figure/key_edit.h"
#include "figure/records.h"
#include "game/actions.h"
#include "graphics/device.h"

namespace {

// The canvas a program made to export gets per unit of scale: the bundled figure with the
// spear thrust out spans about half of it.
const unsigned FIT_CANVAS = 512;
// Transparent pixels left around the figure in a picture sized to fit it.
const int FIT_MARGIN = 2;
// Each step is drawn over two backgrounds: where they still show through, and how much,
// gives every pixel's alpha on any back buffer, also one that keeps none.
const D3DCOLOR BLACK_BACKGROUND = 0xFF000000;
const D3DCOLOR WHITE_BACKGROUND = 0xFFFFFFFF;
// The figure lies in the plane z = 0; the orthographic view keeps the depth range around it.
const float NEAR_DEPTH = -1.0f;
const float FAR_DEPTH = 1.0f;

// The key list `list` of the figure is on, null when it has ended or never began. The one
// place the export reads where the figure's playback stands.
const AnimKey* CurrentKey(const VectorMan& man, int list)
{
    return list >= 0 && list < MAX_FRAME_KEYS ? man.currentKeys[list] : nullptr;
}

// The lists AddFrames starts: those the frame has, up to the slots the figure lets keys drive.
int DrivenLists(const VectorMan& man, const AnimFrame& frame)
{
    const int slots = std::min(man.maxKeys, MAX_FRAME_KEYS);
    int lists = 0;
    for (int i = 0; i < slots; ++i)
        if (frame.keys[i]) lists = i + 1;
    return lists;
}

// Follows each list the frame started until it has run through: a list ends when its
// current key becomes null, a looping list when it is back at its first key after its
// last. A looping list of one key stays on that key, so it never shows it went round; the
// frame then stops at MAX_EXPORT_SECONDS.
class ListEnds {
public:
    ListEnds(const VectorMan& man, const AnimFrame& frame)
    {
        for (int i = 0; i < DrivenLists(man, frame); ++i)
            if (frame.keys[i]) lists_.push_back({i, CurrentKey(man, i), false});
    }
    void AfterStep(const VectorMan& man)
    {
        for (List& list : lists_) {
            const AnimKey* now = CurrentKey(man, list.index);
            if (!now || (now != list.last && list.last && list.last->loopKeys && now == list.last->first))
                list.ended = true;
            list.last = now;
        }
    }
    bool AllEnded() const
    {
        return std::all_of(lists_.begin(), lists_.end(), [](const List& l) { return l.ended; });
    }

private:
    struct List {
        int index;
        const AnimKey* last;
        bool ended;
    };
    std::vector<List> lists_;
};

// The frame plays on a copy of the player figure: the game's own stays as it was, and
// stays the figure the game knows; the frame's keys are given back as they were, whatever
// the stepping does with them.
class FigureStandIn {
public:
    explicit FigureStandIn(const AnimFrame& frame)
        : copy_(*g_vectorMan), parts_(g_vectorMan->parts, g_vectorMan->parts + g_vectorMan->numparts)
    {
        copy_.parts = parts_.data();
        for (AnimKey* list : frame.keys)
            for (AnimKey* key = list; key; key = key->next) keys_.push_back({key, *key});
    }
    ~FigureStandIn()
    {
        for (const auto& [key, saved] : keys_) *key = saved;
    }
    FigureStandIn(const FigureStandIn&) = delete;
    FigureStandIn& operator=(const FigureStandIn&) = delete;
    VectorMan& Figure() { return copy_; }

private:
    VectorMan copy_;
    std::vector<ManPart> parts_;
    std::vector<std::pair<AnimKey*, AnimKey>> keys_;
};

// The device state the export sets, given back when it is done.
class DeviceStateKeeper {
public:
    explicit DeviceStateKeeper(IDirect3DDevice8* device) : device_(device)
    {
        device_->GetViewport(&viewport_);
        for (int i = 0; i < 3; ++i) device_->GetTransform(kKept[i], &transforms_[i]);
    }
    ~DeviceStateKeeper()
    {
        device_->SetViewport(&viewport_);
        for (int i = 0; i < 3; ++i) device_->SetTransform(kKept[i], &transforms_[i]);
    }
    DeviceStateKeeper(const DeviceStateKeeper&) = delete;
    DeviceStateKeeper& operator=(const DeviceStateKeeper&) = delete;

private:
    static constexpr D3DTRANSFORMSTATETYPE kKept[3] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD};
    IDirect3DDevice8* device_;
    D3DVIEWPORT8 viewport_;
    D3DMATRIX transforms_[3];
};

bool BackBufferSize(IDirect3DDevice8* device, unsigned& width, unsigned& height)
{
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || !back) return false;
    D3DSURFACE_DESC desc = {};
    const bool read = SUCCEEDED(back->GetDesc(&desc));
    back->Release();
    width = desc.Width;
    height = desc.Height;
    // The pixels are read as 32-bit words; a real device on a 16-bit display mode has a back
    // buffer of another format, which would be read as garbage.
    const bool words = desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8;
    return read && words && width > 0 && height > 0;
}

// The canvas shows scale picture pixels per figure pixel, the figure's origin at its centre.
void SetCanvasView(IDirect3DDevice8* device, unsigned width, unsigned height, float scale)
{
    D3DVIEWPORT8 viewport = {0, 0, width, height, 0.0f, 1.0f};
    device->SetViewport(&viewport);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    D3DXMATRIX ortho;
    D3DXMatrixIdentity(&ortho);
    ortho._11 = 2.0f * scale / static_cast<float>(width);
    ortho._22 = 2.0f * scale / static_cast<float>(height);
    ortho._33 = 1.0f / (FAR_DEPTH - NEAR_DEPTH);
    ortho._43 = -NEAR_DEPTH / (FAR_DEPTH - NEAR_DEPTH);
    device->SetTransform(D3DTS_PROJECTION, &ortho);
}

// The figure drawn over one background, the canvas read back through a lock of the back buffer.
bool DrawOver(IDirect3DDevice8* device, VectorMan& man, D3DCOLOR background, unsigned width, unsigned height,
              std::vector<uint32_t>& pixels)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    device->BeginScene();
    man.DrawFigure();
    device->EndScene();
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || !back) return false;
    const RECT canvas = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    D3DLOCKED_RECT locked;
    const bool read = SUCCEEDED(back->LockRect(&locked, &canvas, D3DLOCK_READONLY));
    if (read) {
        pixels.resize(size_t(width) * height);
        for (unsigned y = 0; y < height; ++y) {
            const BYTE* row = static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch;
            std::copy_n(reinterpret_cast<const uint32_t*>(row), width, &pixels[size_t(y) * width]);
        }
        back->UnlockRect();
    }
    back->Release();
    return read;
}

// A pixel over black is colour times alpha; over white it is that plus (1 - alpha) of white.
uint32_t Unblend(uint32_t overBlack, uint32_t overWhite)
{
    int showing = 0;  // how much of the background shows, 0 to 255
    for (int shift = 0; shift < 24; shift += 8)
        showing = std::max(showing, int((overWhite >> shift) & 0xFF) - int((overBlack >> shift) & 0xFF));
    const int alpha = 255 - showing;
    if (alpha == 0) return 0;
    uint32_t argb = uint32_t(alpha) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const int premultiplied = (overBlack >> shift) & 0xFF;
        argb |= uint32_t(std::min(255, (premultiplied * 255 + alpha / 2) / alpha)) << shift;
    }
    return argb;
}

// One step's picture cut to what the figure covers, and where that lies on the canvas.
struct Cut {
    int left = 0, top = 0;  // on the canvas
    Picture picture;        // empty where nothing was drawn
};

Cut CutToFigure(const std::vector<uint32_t>& argb, unsigned width, unsigned height)
{
    int left = int(width), top = int(height), right = -1, bottom = -1;
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            if (argb[size_t(y) * width + x] >> 24) {
                left = std::min(left, int(x));
                right = std::max(right, int(x));
                top = std::min(top, int(y));
                bottom = std::max(bottom, int(y));
            }
    Cut cut;
    if (right < 0) return cut;
    cut.left = left;
    cut.top = top;
    cut.picture.width = unsigned(right - left + 1);
    cut.picture.height = unsigned(bottom - top + 1);
    for (int y = top; y <= bottom; ++y)
        cut.picture.argb.insert(cut.picture.argb.end(), &argb[size_t(y) * width + left],
                                &argb[size_t(y) * width + right + 1]);
    return cut;
}

// The cut placed on the picture, whose top-left lies at (left, top) of the canvas.
void Place(const Cut& cut, int left, int top, Picture& picture)
{
    const unsigned width = picture.width, height = picture.height;
    picture.argb.assign(size_t(width) * height, 0);
    for (unsigned y = 0; y < cut.picture.height; ++y) {
        const int to = cut.top + int(y) - top;
        if (to < 0 || to >= int(height)) continue;
        for (unsigned x = 0; x < cut.picture.width; ++x) {
            const int column = cut.left + int(x) - left;
            if (column >= 0 && column < int(width))
                picture.argb[size_t(to) * width + column] = cut.picture.argb[size_t(y) * cut.picture.width + x];
        }
    }
}

// The back buffer the figure is drawn on, and the two read-backs of it kept from step to step.
class Canvas {
public:
    Canvas(IDirect3DDevice8* device, unsigned width, unsigned height) : device_(device), width_(width), height_(height)
    {
    }
    // The figure as it stands, cut to what it covers.
    bool Draw(VectorMan& man, Cut& cut, std::string& error)
    {
        if (!DrawOver(device_, man, BLACK_BACKGROUND, width_, height_, overBlack_) ||
            !DrawOver(device_, man, WHITE_BACKGROUND, width_, height_, overWhite_)) {
            error = "the device's back buffer cannot be read";
            return false;
        }
        for (size_t i = 0; i < overBlack_.size(); ++i) overBlack_[i] = Unblend(overBlack_[i], overWhite_[i]);
        cut = CutToFigure(overBlack_, width_, height_);
        return true;
    }

private:
    IDirect3DDevice8* device_;
    unsigned width_, height_;
    std::vector<uint32_t> overBlack_, overWhite_;
};

bool CheckOptions(const ExportOptions& options, std::string& error)
{
    if (options.fps < 1 || options.fps > MAX_EXPORT_FPS) {
        error = "fps " + std::to_string(options.fps) + " is outside 1 to " + std::to_string(MAX_EXPORT_FPS);
        return false;
    }
    if (!(options.scale >= MIN_EXPORT_SCALE && options.scale <= MAX_EXPORT_SCALE)) {
        error = "scale outside 0.125 to 8";
        return false;
    }
    if ((options.width == 0) != (options.height == 0)) {
        error = "a size needs both a width and a height";
        return false;
    }
    return true;
}

// The frame asked for, or null with the error for the user.
AnimFrame* FindFrame(int frameNumber, std::string& error)
{
    // Asked before FrameAt, which would log the missing frame as a game action's failure.
    AnimFrame* found = frameNumber >= 0 && frameNumber < g_numFrames ? FrameAt(frameNumber) : nullptr;
    if (!found)
        error = "no frame " + std::to_string(frameNumber) + ": the animation file has frames 0 to " +
                std::to_string(g_numFrames - 1);
    return found;
}

// Plays the frame from rest on a stand-in for the figure, calling step(figure) before each
// step of the clock, until the frame ends; false where step does (error set by it) or the
// frame cannot be played on the figure. Every play is the same: the stand-in starts from
// the game's figure each time and the frame's keys are given back after.
template <class Step>
bool PlayFrame(int frameNumber, AnimFrame& frame, const ExportOptions& options, Step&& step, std::string& error)
{
    FigureStandIn standIn(frame);
    VectorMan& man = standIn.Figure();
    StopAnimation(man);
    man.x = man.y = man.z = 0.0f;
    man.xVelocity = man.yVelocity = man.zVelocity = 0.0f;
    man.yAngle = man.zAngle = man.zAngularVelocity = 0.0f;
    if (DrivenLists(man, frame) == 0) {
        error = "frame " + std::to_string(frameNumber) + " has no keys";
        return false;
    }
    if (FAILED(AddFrames(&man, &frame))) {
        error = "frame " + std::to_string(frameNumber) + " is written for " + std::to_string(frame.numparts) +
                " slots, the figure's keys drive " + std::to_string(man.maxKeys);
        return false;
    }
    ListEnds ends(man, frame);
    const float stepSeconds = 1.0f / static_cast<float>(options.fps);
    const int maxPictures = MAX_EXPORT_SECONDS * options.fps;
    for (int pictures = 1;; ++pictures) {
        if (!step(man)) return false;
        man.StepAnimation(stepSeconds);
        ends.AfterStep(man);
        if (ends.AllEnded() || pictures >= maxPictures) return true;
    }
}

}  // namespace

void ExportCanvasSize(const ExportOptions& options, unsigned& width, unsigned& height)
{
    const unsigned fit = static_cast<unsigned>(std::ceil(FIT_CANVAS * std::max(options.scale, MIN_EXPORT_SCALE)));
    width = std::max(fit, options.width);
    height = std::max(fit, options.height);
}

std::vector<int> PictureDurations(int pictures, int fps, int unitsPerSecond)
{
    std::vector<int> durations;
    for (int i = 0; i < pictures; ++i) {
        const long long end = (static_cast<long long>(i + 1) * unitsPerSecond * 2 + fps) / (2LL * fps);
        const long long start = (static_cast<long long>(i) * unitsPerSecond * 2 + fps) / (2LL * fps);
        durations.push_back(static_cast<int>(end - start));
    }
    return durations;
}

bool FrameDrivesKeys(int frameNumber)
{
    if (!g_vectorMan || frameNumber < 0 || frameNumber >= g_numFrames) return false;
    const AnimFrame* frame = FrameAt(frameNumber);
    return frame && DrivenLists(*g_vectorMan, *frame) > 0;
}

bool CountPictures(int frameNumber, const ExportOptions& options, size_t& pictures, std::string& error)
{
    pictures = 0;
    if (!CheckOptions(options, error)) return false;
    if (!g_vectorMan || !g_vectorMan->parts) {
        error = "no figure to play";
        return false;
    }
    AnimFrame* frame = FindFrame(frameNumber, error);
    const auto count = [&](VectorMan&) {
        ++pictures;
        return true;
    };
    return frame && PlayFrame(frameNumber, *frame, options, count, error);
}

bool CaptureFrame(int frameNumber, const ExportOptions& options, PictureSink& sink, std::string& error)
{
    if (!CheckOptions(options, error)) return false;
    IDirect3DDevice8* device = g_device;
    if (!device || !g_vectorMan || !g_vectorMan->parts) {
        error = "no device or no figure to draw";
        return false;
    }
    AnimFrame* frame = FindFrame(frameNumber, error);
    if (!frame) return false;
    unsigned canvasWidth = 0, canvasHeight = 0;
    if (!BackBufferSize(device, canvasWidth, canvasHeight)) {
        error = "the device's back buffer cannot be read (32-bit colour is needed)";
        return false;
    }
    if (options.width > canvasWidth || options.height > canvasHeight) {
        error = "a " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                " picture does not fit the " + std::to_string(canvasWidth) + "x" + std::to_string(canvasHeight) +
                " back buffer";
        return false;
    }
    DeviceStateKeeper keeper(device);
    SetCanvasView(device, canvasWidth, canvasHeight, options.scale);
    Canvas canvas(device, canvasWidth, canvasHeight);
    Cut cut;

    // The first play keeps nothing of its pictures but what the figure covers over the
    // whole frame, which places every one of them, so none is held for the next.
    int left = int(canvasWidth), top = int(canvasHeight), right = 0, bottom = 0;
    size_t pictures = 0;
    const auto measure = [&](VectorMan& man) {
        if (!canvas.Draw(man, cut, error)) return false;
        ++pictures;
        if (cut.picture.argb.empty()) return true;
        if (cut.left == 0 || cut.top == 0 || cut.left + cut.picture.width == canvasWidth ||
            cut.top + cut.picture.height == canvasHeight) {
            error = "the figure reaches past the " + std::to_string(canvasWidth) + "x" + std::to_string(canvasHeight) +
                    " canvas it is drawn on at this scale";
            return false;
        }
        left = std::min(left, cut.left);
        top = std::min(top, cut.top);
        right = std::max(right, cut.left + int(cut.picture.width));
        bottom = std::max(bottom, cut.top + int(cut.picture.height));
        return true;
    };
    if (!PlayFrame(frameNumber, *frame, options, measure, error)) return false;

    if (right <= left) left = right = int(canvasWidth / 2), top = bottom = int(canvasHeight / 2);
    FrameLayout layout;
    layout.pictures = pictures;
    layout.width = options.width;
    layout.height = options.height;
    if (layout.width == 0) {
        layout.width = unsigned(right - left + 2 * FIT_MARGIN);
        layout.height = unsigned(bottom - top + 2 * FIT_MARGIN);
    }
    // Centred: what the figure covers sits in the middle of the picture.
    const int pictureLeft = left - (int(layout.width) - (right - left)) / 2;
    const int pictureTop = top - (int(layout.height) - (bottom - top)) / 2;
    layout.fps = options.fps;
    layout.originX = int(canvasWidth / 2) - pictureLeft;
    layout.originY = int(canvasHeight / 2) - pictureTop;
    layout.name = MemoryFrameName(frameNumber);
    if (!sink.Begin(layout, error)) return false;

    Picture picture;
    picture.width = layout.width;
    picture.height = layout.height;
    size_t given = 0;
    bool longer = false;
    const auto give = [&](VectorMan& man) {
        if (given == layout.pictures) {
            longer = true;
            return false;
        }
        if (!canvas.Draw(man, cut, error)) return false;
        Place(cut, pictureLeft, pictureTop, picture);
        ++given;
        return sink.Add(picture, error);
    };
    const bool played = PlayFrame(frameNumber, *frame, options, give, error);
    // Both plays start from the same state, so they should not differ; should they, the
    // layout no longer fits the pictures, and the export is not to go on as if it did.
    if (longer || (played && given != layout.pictures)) {
        error = "frame " + std::to_string(frameNumber) + " played differently the second time";
        return false;
    }
    return played;
}
