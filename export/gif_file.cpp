#include "export/gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

namespace {

const int GIF_MAX_SIDE = 65535;
const size_t PALETTE_COLOURS = 255;  // the 256th entry is the transparent one
const uint32_t OPAQUE_FROM = 0x80;   // alpha from which a pixel is drawn, not see-through
// The application extension that makes viewers play the pictures over and over.
const char LOOP_APPLICATION[] = "NETSCAPE2.0";
const GifByteType LOOP_FOREVER[] = {1, 0, 0};  // sub-block 1, repeat count 0: for ever

int Channel(uint32_t rgb, int shift) { return int((rgb >> shift) & 0xFF); }

struct ColourCount {
    uint32_t rgb;
    uint64_t count;
};

// At most `limit` colours standing for the given ones: the box of colours with the widest
// channel is split at its pixels' median along that channel until there are enough; each
// box gives the mean of its pixels.
std::vector<uint32_t> MedianCut(std::vector<ColourCount> colours, size_t limit)
{
    struct Box {
        size_t begin, end;
    };
    std::vector<Box> boxes{{0, colours.size()}};
    while (boxes.size() < limit) {
        int widest = 0, widestShift = 0;
        size_t chosen = boxes.size();
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) continue;
            for (int shift = 0; shift < 24; shift += 8) {
                int low = 255, high = 0;
                for (size_t i = boxes[b].begin; i < boxes[b].end; ++i) {
                    low = std::min(low, Channel(colours[i].rgb, shift));
                    high = std::max(high, Channel(colours[i].rgb, shift));
                }
                if (high - low > widest) widest = high - low, widestShift = shift, chosen = b;
            }
        }
        if (chosen == boxes.size()) break;
        Box& box = boxes[chosen];
        std::sort(colours.begin() + box.begin, colours.begin() + box.end,
                  [&](const ColourCount& a, const ColourCount& b) {
                      return Channel(a.rgb, widestShift) < Channel(b.rgb, widestShift);
                  });
        uint64_t total = 0, seen = 0;
        for (size_t i = box.begin; i < box.end; ++i) total += colours[i].count;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            seen += colours[i].count;
            split = i + 1;
            if (seen * 2 >= total) break;
        }
        const Box upper = {split, box.end};
        box.end = split;
        boxes.push_back(upper);
    }
    std::vector<uint32_t> palette;
    for (const Box& box : boxes) {
        uint64_t sum[3] = {0, 0, 0}, count = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int c = 0; c < 3; ++c) sum[c] += uint64_t(Channel(colours[i].rgb, 8 * c)) * colours[i].count;
            count += colours[i].count;
        }
        uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c) rgb |= uint32_t((sum[c] + count / 2) / count) << (8 * c);
        palette.push_back(rgb);
    }
    return palette;
}

size_t Nearest(const std::vector<uint32_t>& palette, uint32_t rgb)
{
    size_t best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        int distance = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = Channel(palette[i], shift) - Channel(rgb, shift);
            distance += d * d;
        }
        if (distance < bestDistance) bestDistance = distance, best = i;
    }
    return best;
}

// One picture's palette and its pixels as indices into it; index palette.size() is transparent.
struct IndexedPicture {
    std::vector<uint32_t> palette;
    std::vector<GifPixelType> pixels;
};

IndexedPicture Index(const Picture& picture)
{
    std::unordered_map<uint32_t, uint64_t> counts;
    for (uint32_t argb : picture.argb)
        if ((argb >> 24) >= OPAQUE_FROM) ++counts[argb & 0xFFFFFF];
    std::vector<ColourCount> colours;
    for (const auto& [rgb, count] : counts) colours.push_back({rgb, count});
    // The same picture must give the same file, whatever order the table kept.
    std::sort(colours.begin(), colours.end(), [](const ColourCount& a, const ColourCount& b) { return a.rgb < b.rgb; });

    IndexedPicture indexed;
    std::unordered_map<uint32_t, GifPixelType> index;
    if (colours.size() <= PALETTE_COLOURS) {
        for (const ColourCount& colour : colours) {
            index[colour.rgb] = GifPixelType(indexed.palette.size());
            indexed.palette.push_back(colour.rgb);
        }
    } else {
        indexed.palette = MedianCut(colours, PALETTE_COLOURS);
        for (const ColourCount& colour : colours) index[colour.rgb] = GifPixelType(Nearest(indexed.palette, colour.rgb));
    }
    const GifPixelType transparent = GifPixelType(indexed.palette.size());
    indexed.pixels.reserve(picture.argb.size());
    for (uint32_t argb : picture.argb)
        indexed.pixels.push_back((argb >> 24) >= OPAQUE_FROM ? index[argb & 0xFFFFFF] : transparent);
    return indexed;
}

}  // namespace

// Ends the library's file on every way out; the error is the library's reason for the first
// failure. The stream is the caller's, opened as every export file is (export/output_files.h).
class GifOutput {
public:
    explicit GifOutput(std::FILE* stream) { file_ = EGifOpen(stream, Write, &error_); }
    ~GifOutput() { Close(); }
    GifOutput(const GifOutput&) = delete;
    GifOutput& operator=(const GifOutput&) = delete;
    GifFileType* File() { return file_; }
    bool Check(int result)
    {
        if (result != GIF_OK && file_ && error_ == E_GIF_SUCCEEDED) error_ = file_->Error;
        return result == GIF_OK;
    }
    bool Fail(int error)
    {
        if (error_ == E_GIF_SUCCEEDED) error_ = error;
        return false;
    }
    bool Close()
    {
        if (file_) {
            int closeError = E_GIF_SUCCEEDED;
            if (EGifCloseFile(file_, &closeError) != GIF_OK && error_ == E_GIF_SUCCEEDED) error_ = closeError;
            file_ = nullptr;
        }
        return error_ == E_GIF_SUCCEEDED;
    }
    std::string Reason() const
    {
        const char* text = GifErrorString(error_);
        return text ? text : "GIF error " + std::to_string(error_);
    }

private:
    static int Write(GifFileType* file, const GifByteType* bytes, int length)
    {
        return int(std::fwrite(bytes, 1, size_t(length), static_cast<std::FILE*>(file->UserData)));
    }
    GifFileType* file_ = nullptr;
    int error_ = E_GIF_SUCCEEDED;
};

namespace {

bool WritePicture(GifOutput& out, const Picture& picture, int delay)
{
    const IndexedPicture indexed = Index(picture);
    GraphicsControlBlock control = {};
    control.DisposalMode = DISPOSE_BACKGROUND;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = int(indexed.palette.size());
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (!out.Check(EGifPutExtension(out.File(), GRAPHICS_EXT_FUNC_CODE, int(length), extension))) return false;

    // A colour table holds a power of two entries.
    int entries = 2;
    while (entries < int(indexed.palette.size()) + 1) entries *= 2;
    std::vector<GifColorType> table(size_t(entries), GifColorType{0, 0, 0});
    for (size_t i = 0; i < indexed.palette.size(); ++i)
        table[i] = {GifByteType(Channel(indexed.palette[i], 16)), GifByteType(Channel(indexed.palette[i], 8)),
                    GifByteType(Channel(indexed.palette[i], 0))};
    ColorMapObject* map = GifMakeMapObject(entries, table.data());
    if (!map) return out.Fail(E_GIF_ERR_NOT_ENOUGH_MEM);
    bool written =
        out.Check(EGifPutImageDesc(out.File(), 0, 0, int(picture.width), int(picture.height), false, map));
    GifFreeMapObject(map);
    std::vector<GifPixelType> row(picture.width);
    for (unsigned y = 0; written && y < picture.height; ++y) {
        std::copy_n(&indexed.pixels[size_t(y) * picture.width], picture.width, row.begin());
        written = out.Check(EGifPutLine(out.File(), row.data(), int(picture.width)));
    }
    return written;
}

}  // namespace

GifWriter::GifWriter(std::FILE* file) : file_(file) {}

GifWriter::~GifWriter() = default;

bool GifWriter::Begin(const FrameLayout& layout, std::string& error)
{
    const unsigned width = layout.width, height = layout.height;
    if (layout.pictures == 0 || width == 0 || height == 0 || width > GIF_MAX_SIDE || height > GIF_MAX_SIDE) {
        error = layout.pictures == 0 ? "no pictures to write" : "a GIF picture is 1 to 65535 pixels a side";
        return false;
    }
    layout_ = layout;
    delays_ = PictureDurations(int(layout.pictures), layout.fps, 100);
    out_ = std::make_unique<GifOutput>(file_);
    GifOutput& out = *out_;
    bool written = out.File() != nullptr;
    if (written) {
        EGifSetGifVersion(out.File(), true);
        written = out.Check(EGifPutScreenDesc(out.File(), int(width), int(height), 8, 0, nullptr)) &&
                  out.Check(EGifPutExtensionLeader(out.File(), APPLICATION_EXT_FUNC_CODE)) &&
                  out.Check(EGifPutExtensionBlock(out.File(), int(sizeof LOOP_APPLICATION - 1), LOOP_APPLICATION)) &&
                  out.Check(EGifPutExtensionBlock(out.File(), int(sizeof LOOP_FOREVER), LOOP_FOREVER)) &&
                  out.Check(EGifPutExtensionTrailer(out.File()));
    }
    if (!written) error = out.Reason();
    return written;
}

bool GifWriter::Add(const Picture& picture, std::string& error)
{
    if (!out_ || !out_->File() || added_ >= delays_.size()) {
        error = "more pictures than the GIF was begun for";
        return false;
    }
    if (!WritePicture(*out_, picture, delays_[added_++])) {
        error = out_->Reason();
        return false;
    }
    return true;
}

bool GifWriter::Finish(std::string& error)
{
    if (!out_ || added_ != delays_.size()) {
        error = "the GIF did not get all of its pictures";
        return false;
    }
    if (!out_->Close()) {
        error = out_->Reason();
        return false;
    }
    return true;
}
