#include "export/sheet_file.h"

#include <png.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <sstream>

namespace {

const unsigned BYTES_PER_PIXEL = 4;  // RGBA, 8 bits each
const uint64_t BYTES_PER_MB = uint64_t(1) << 20;

// The name as a JSON string: quotes, backslashes and control characters escaped; the rest
// (UTF-8 included) as it is in the animation file.
std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

}  // namespace

unsigned SheetColumns(size_t pictures)
{
    unsigned columns = 1;
    while (size_t(columns) * columns < pictures) ++columns;
    return columns;
}

bool SheetFits(size_t pictures, unsigned width, unsigned height, std::string& error)
{
    const unsigned columns = SheetColumns(pictures);
    const uint64_t rows = (pictures + columns - 1) / columns;
    const uint64_t sheetWidth = uint64_t(width) * columns, sheetHeight = uint64_t(height) * rows;
    // In floating point, since the pixels of a sheet this large can run past 64 bits.
    const double bytes = double(sheetWidth) * double(sheetHeight) * BYTES_PER_PIXEL;
    if (bytes > double(MAX_SHEET_BYTES)) {
        error = "the sheet would take " + std::to_string(uint64_t(std::ceil(bytes / BYTES_PER_MB))) +
                " MB, more than the " + std::to_string(MAX_SHEET_BYTES / BYTES_PER_MB) +
                " MB a sheet may take: fewer or smaller pictures fit";
        return false;
    }
    if (sheetWidth > PNG_USER_WIDTH_MAX || sheetHeight > PNG_USER_HEIGHT_MAX) {
        error = "the sheet would be " + std::to_string(sheetWidth) + "x" + std::to_string(sheetHeight) +
                " pixels, too large";
        return false;
    }
    return true;
}

bool SheetWriter::Begin(const FrameLayout& layout, std::string& error)
{
    if (layout.pictures == 0) {
        error = "no pictures to write";
        return false;
    }
    if (!SheetFits(layout.pictures, layout.width, layout.height, error)) return false;
    layout_ = layout;
    columns_ = SheetColumns(layout.pictures);
    width_ = size_t(layout.width) * columns_;
    height_ = size_t(layout.height) * ((layout.pictures + columns_ - 1) / columns_);
    rgba_.assign(width_ * height_ * BYTES_PER_PIXEL, 0);
    added_ = 0;
    return true;
}

bool SheetWriter::Add(const Picture& picture, std::string& error)
{
    if (added_ >= layout_.pictures || picture.width != layout_.width || picture.height != layout_.height) {
        error = "a picture the sheet was not begun for";
        return false;
    }
    const size_t left = (added_ % columns_) * layout_.width, top = (added_ / columns_) * layout_.height;
    for (unsigned y = 0; y < picture.height; ++y) {
        for (unsigned x = 0; x < picture.width; ++x) {
            const uint32_t argb = picture.argb[size_t(y) * picture.width + x];
            uint8_t* to = &rgba_[((top + y) * width_ + left + x) * BYTES_PER_PIXEL];
            to[0] = uint8_t(argb >> 16);
            to[1] = uint8_t(argb >> 8);
            to[2] = uint8_t(argb);
            to[3] = uint8_t(argb >> 24);
        }
    }
    ++added_;
    return true;
}

bool SheetWriter::WritePng(std::FILE* file, std::string& error) const
{
    if (added_ == 0 || added_ != layout_.pictures) {
        error = "the sheet did not get all of its pictures";
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width_);
    image.height = png_uint_32(height_);
    image.format = PNG_FORMAT_RGBA;
    errno = 0;
    if (!png_image_write_to_stdio(&image, file, 0, rgba_.data(), 0, nullptr)) {
        error = errno ? std::strerror(errno) : image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

std::string SheetWriter::Json(int frame, const std::string& sheetName) const
{
    const size_t count = layout_.pictures;
    const std::vector<int> durations = PictureDurations(int(count), layout_.fps, 1000);
    std::ostringstream json;
    json << "{\n"
         << "  \"frame\": " << frame << ",\n"
         << "  \"name\": " << JsonString(layout_.name) << ",\n"
         << "  \"image\": " << JsonString(sheetName) << ",\n"
         << "  \"fps\": " << layout_.fps << ",\n"
         << "  \"cell\": {\"width\": " << layout_.width << ", \"height\": " << layout_.height << "},\n"
         << "  \"origin\": {\"x\": " << layout_.originX << ", \"y\": " << layout_.originY << "},\n"
         << "  \"columns\": " << columns_ << ",\n"
         << "  \"count\": " << count << ",\n"
         << "  \"duration_ms\": " << std::accumulate(durations.begin(), durations.end(), 0) << ",\n"
         << "  \"pictures\": [\n";
    for (size_t i = 0; i < count; ++i) {
        json << "    {\"x\": " << (i % columns_) * layout_.width << ", \"y\": " << (i / columns_) * layout_.height
             << ", \"width\": " << layout_.width << ", \"height\": " << layout_.height
             << ", \"duration_ms\": " << durations[i] << "}" << (i + 1 < count ? ",\n" : "\n");
    }
    json << "  ]\n}\n";
    return json.str();
}
