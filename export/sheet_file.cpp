#include "export/sheet_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <numeric>
#include <sstream>

namespace {

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

bool WriteSheetPng(const std::string& path, const FrameCapture& capture, std::string& error)
{
    if (capture.pictures.empty()) {
        error = "no pictures to write";
        return false;
    }
    const unsigned cellWidth = capture.pictures[0].width, cellHeight = capture.pictures[0].height;
    const unsigned columns = SheetColumns(capture.pictures.size());
    const unsigned rows = unsigned((capture.pictures.size() + columns - 1) / columns);
    const size_t width = size_t(cellWidth) * columns, height = size_t(cellHeight) * rows;
    if (width > PNG_USER_WIDTH_MAX || height > PNG_USER_HEIGHT_MAX || width * height > (size_t(1) << 30)) {
        error = "the sheet would be " + std::to_string(width) + "x" + std::to_string(height) + " pixels, too large";
        return false;
    }
    std::vector<png_byte> rgba(width * height * 4, 0);
    for (size_t i = 0; i < capture.pictures.size(); ++i) {
        const Picture& picture = capture.pictures[i];
        const size_t left = (i % columns) * cellWidth, top = (i / columns) * cellHeight;
        for (unsigned y = 0; y < cellHeight; ++y) {
            for (unsigned x = 0; x < cellWidth; ++x) {
                const uint32_t argb = picture.argb[size_t(y) * cellWidth + x];
                png_byte* to = &rgba[((top + y) * width + left + x) * 4];
                to[0] = png_byte(argb >> 16);
                to[1] = png_byte(argb >> 8);
                to[2] = png_byte(argb);
                to[3] = png_byte(argb >> 24);
            }
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGBA;
    errno = 0;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) {
        error = errno ? std::strerror(errno) : image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

bool WriteSheetJson(const std::string& path, int frame, const std::string& sheetName, const FrameCapture& capture,
                    std::string& error)
{
    if (capture.pictures.empty()) {
        error = "no pictures to write";
        return false;
    }
    const unsigned cellWidth = capture.pictures[0].width, cellHeight = capture.pictures[0].height;
    const unsigned columns = SheetColumns(capture.pictures.size());
    const std::vector<int> durations = PictureDurations(int(capture.pictures.size()), capture.fps, 1000);
    std::ostringstream json;
    json << "{\n"
         << "  \"frame\": " << frame << ",\n"
         << "  \"name\": " << JsonString(capture.name) << ",\n"
         << "  \"image\": " << JsonString(sheetName) << ",\n"
         << "  \"fps\": " << capture.fps << ",\n"
         << "  \"cell\": {\"width\": " << cellWidth << ", \"height\": " << cellHeight << "},\n"
         << "  \"origin\": {\"x\": " << capture.originX << ", \"y\": " << capture.originY << "},\n"
         << "  \"columns\": " << columns << ",\n"
         << "  \"count\": " << capture.pictures.size() << ",\n"
         << "  \"duration_ms\": " << std::accumulate(durations.begin(), durations.end(), 0) << ",\n"
         << "  \"pictures\": [\n";
    for (size_t i = 0; i < capture.pictures.size(); ++i) {
        json << "    {\"x\": " << (i % columns) * cellWidth << ", \"y\": " << (i / columns) * cellHeight
             << ", \"width\": " << cellWidth << ", \"height\": " << cellHeight << ", \"duration_ms\": " << durations[i]
             << "}" << (i + 1 < capture.pictures.size() ? ",\n" : "\n");
    }
    json << "  ]\n}\n";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << json.str();
    out.close();
    if (!out) {
        error = std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}
