// Image decoders. Every decoder error returns false; none may end the process.
#include "d3dx/image_decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

namespace {

bool SizeAcceptable(uint64_t width, uint64_t height)
{
    return width > 0 && height > 0 && width <= MAX_IMAGE_SIDE && height <= MAX_IMAGE_SIDE &&
           width * height <= MAX_IMAGE_PIXELS;
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// ---- PNG ----

struct PngErrorState {
    std::jmp_buf jump;
    char message[200];
};

void PngError(png_structp png, png_const_charp message)
{
    PngErrorState* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    std::longjmp(state->jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool DecodePng(FILE* file, DecodedImage& image, std::string& error)
{
    auto state = std::make_unique<PngErrorState>();
    state->message[0] = '\0';
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state.get(), PngError, PngWarning);
    if (!png) return error = "out of memory", false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return error = "out of memory", false;
    }
    // Rows live outside the jump region so that an error mid-image only discards them.
    std::vector<png_bytep>* rows = new std::vector<png_bytep>();
    if (setjmp(state->jump)) {
        png_destroy_read_struct(&png, &info, nullptr);
        delete rows;
        error = state->message[0] ? state->message : "PNG decoding failed";
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, MAX_IMAGE_SIDE, MAX_IMAGE_SIDE);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!SizeAcceptable(width, height)) png_error(png, "image too large");
    const int colorType = png_get_color_type(png, info);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    image.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    if (!image.hasAlpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected row layout");

    image.width = width;
    image.height = height;
    image.argb.assign(static_cast<size_t>(width) * height, 0);
    rows->resize(height);
    for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = reinterpret_cast<png_bytep>(&image.argb[size_t(y) * width]);
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    delete rows;
    // Rows were filled as R, G, B, A bytes; turn them into ARGB words.
    for (uint32_t& pixel : image.argb) {
        const BYTE* b = reinterpret_cast<const BYTE*>(&pixel);
        pixel = (uint32_t(b[3]) << 24) | (uint32_t(b[0]) << 16) | (uint32_t(b[1]) << 8) | b[2];
    }
    image.fileFormat = D3DXIFF_PNG;
    return true;
}

// ---- JPEG ----

struct JpegErrorState {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info)
{
    JpegErrorState* state = reinterpret_cast<JpegErrorState*>(info->err);
    info->err->format_message(info, state->message);
    std::longjmp(state->jump, 1);
}

void JpegOutputMessage(j_common_ptr) {}

// A file that ends early decodes as grey padding; that is a damaged image, not a picture.
void JpegEmitMessage(j_common_ptr info, int level)
{
    JpegErrorState* state = reinterpret_cast<JpegErrorState*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        info->err->format_message(info, state->message);
        std::longjmp(state->jump, 1);
    }
}

bool DecodeJpeg(FILE* file, DecodedImage& image, std::string& error)
{
    auto decoder = std::make_unique<jpeg_decompress_struct>();
    auto state = std::make_unique<JpegErrorState>();
    decoder->err = jpeg_std_error(&state->manager);
    state->manager.error_exit = JpegErrorExit;
    state->manager.output_message = JpegOutputMessage;
    state->manager.emit_message = JpegEmitMessage;
    state->message[0] = '\0';
    std::vector<BYTE>* row = new std::vector<BYTE>();
    if (setjmp(state->jump)) {
        jpeg_destroy_decompress(decoder.get());
        delete row;
        error = state->message[0] ? state->message : "JPEG decoding failed";
        return false;
    }
    jpeg_create_decompress(decoder.get());
    jpeg_stdio_src(decoder.get(), file);
    jpeg_read_header(decoder.get(), TRUE);
    if (!SizeAcceptable(decoder->image_width, decoder->image_height)) {
        std::snprintf(state->message, sizeof state->message, "image too large");
        std::longjmp(state->jump, 1);
    }
    decoder->out_color_space = JCS_RGB;
    jpeg_start_decompress(decoder.get());
    const UINT width = decoder->output_width, height = decoder->output_height;
    image.width = width;
    image.height = height;
    image.hasAlpha = false;
    image.argb.assign(static_cast<size_t>(width) * height, 0);
    row->resize(static_cast<size_t>(width) * decoder->output_components);
    while (decoder->output_scanline < height) {
        const UINT y = decoder->output_scanline;
        JSAMPROW rowPointer = row->data();
        jpeg_read_scanlines(decoder.get(), &rowPointer, 1);
        for (UINT x = 0; x < width; ++x) {
            const BYTE* p = row->data() + x * 3;
            image.argb[size_t(y) * width + x] = 0xff000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
    }
    jpeg_finish_decompress(decoder.get());
    jpeg_destroy_decompress(decoder.get());
    delete row;
    image.fileFormat = D3DXIFF_JPG;
    return true;
}

// ---- BMP ----

uint32_t Read16(const BYTE* p) { return p[0] | (p[1] << 8); }
uint32_t Read32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

// Scales a masked channel to 8 bits; 0 mask gives the fallback.
uint32_t MaskedChannel(uint32_t value, uint32_t mask, uint32_t fallback)
{
    if (!mask) return fallback;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const uint32_t max = mask >> shift;
    return ((value & mask) >> shift) * 255 / max;
}

bool DecodeBmp(FILE* file, DecodedImage& image, std::string& error)
{
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (size < 54 || size > (1L << 30)) return error = "BMP file size out of range", false;
    std::vector<BYTE> data(static_cast<size_t>(size));
    if (std::fread(data.data(), 1, data.size(), file) != data.size()) return error = "BMP read failed", false;
    const BYTE* d = data.data();
    const uint32_t pixelOffset = Read32(d + 10);
    const uint32_t headerSize = Read32(d + 14);
    if (headerSize < 40 || 14 + uint64_t(headerSize) > data.size()) return error = "unsupported BMP header", false;
    const int32_t width = static_cast<int32_t>(Read32(d + 18));
    const int32_t rawHeight = static_cast<int32_t>(Read32(d + 22));
    const uint32_t bpp = Read16(d + 28);
    const uint32_t compression = Read32(d + 30);
    uint32_t colorsUsed = Read32(d + 46);
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
    if (width <= 0 || !SizeAcceptable(uint64_t(width), uint64_t(height))) return error = "BMP size refused", false;
    uint32_t masks[4] = {0x00ff0000, 0x0000ff00, 0x000000ff, 0};
    if (bpp == 16) masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
    if (compression == 3 && (bpp == 16 || bpp == 32)) {
        const uint32_t maskCount = headerSize >= 56 ? 4 : 3;
        if (14 + 40 + uint64_t(maskCount) * 4 > data.size()) return error = "truncated BMP masks", false;
        for (uint32_t i = 0; i < maskCount; ++i) masks[i] = Read32(d + 54 + i * 4);
    } else if (compression != 0) {
        return error = "compressed BMP not supported", false;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return error = "unsupported BMP depth", false;

    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        if (colorsUsed == 0 || colorsUsed > (1u << bpp)) colorsUsed = 1u << bpp;
        const uint64_t paletteStart = 14 + uint64_t(headerSize);
        if (paletteStart + uint64_t(colorsUsed) * 4 > data.size()) return error = "truncated BMP palette", false;
        for (uint32_t i = 0; i < colorsUsed; ++i) palette.push_back(0xff000000u | (Read32(d + paletteStart + i * 4) & 0xffffff));
    }
    const uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
    if (pixelOffset > data.size() || stride * height > data.size() - pixelOffset)
        return error = "truncated BMP pixels", false;

    image.width = static_cast<UINT>(width);
    image.height = static_cast<UINT>(height);
    image.hasAlpha = (bpp == 32 || bpp == 16) && masks[3] != 0;
    image.argb.assign(static_cast<size_t>(width) * height, 0);
    for (int64_t row = 0; row < height; ++row) {
        const BYTE* src = d + pixelOffset + stride * row;
        const int64_t y = topDown ? row : height - 1 - row;
        uint32_t* dst = &image.argb[size_t(y) * width];
        for (int32_t x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            if (bpp <= 8) {
                const uint32_t bitIndex = uint32_t(x) * bpp;
                const uint32_t index = (src[bitIndex / 8] >> (8 - bpp - bitIndex % 8)) & ((1u << bpp) - 1);
                pixel = index < palette.size() ? palette[index] : 0xff000000u;
            } else if (bpp == 24) {
                const BYTE* p = src + x * 3;
                pixel = 0xff000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            } else {
                const uint32_t value = bpp == 16 ? Read16(src + x * 2) : Read32(src + x * 4);
                pixel = (MaskedChannel(value, masks[3], 255) << 24) | (MaskedChannel(value, masks[0], 0) << 16) |
                        (MaskedChannel(value, masks[1], 0) << 8) | MaskedChannel(value, masks[2], 0);
            }
            dst[x] = pixel;
        }
    }
    image.fileFormat = D3DXIFF_BMP;
    return true;
}

}  // namespace

bool DecodeImageFile(const char* path, DecodedImage& image, std::string& error)
{
    image = DecodedImage();
    if (!path) return error = "no file name", false;
    FilePtr file(std::fopen(path, "rb"));
    if (!file) return error = "cannot open file", false;
    BYTE magic[8] = {};
    const size_t got = std::fread(magic, 1, sizeof magic, file.get());
    std::fseek(file.get(), 0, SEEK_SET);
    bool ok = false;
    if (got >= 8 && png_sig_cmp(magic, 0, 8) == 0)
        ok = DecodePng(file.get(), image, error);
    else if (got >= 3 && magic[0] == 0xff && magic[1] == 0xd8 && magic[2] == 0xff)
        ok = DecodeJpeg(file.get(), image, error);
    else if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        ok = DecodeBmp(file.get(), image, error);
    else
        error = "not a known image format";
    if (!ok) image = DecodedImage();
    return ok;
}
