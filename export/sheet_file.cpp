#include "export/sheet_file.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

#include <nlohmann/json.hpp>

namespace {

const unsigned BYTES_PER_PIXEL = 4;  // RGBA, 8 bits each
const uint64_t BYTES_PER_MB = uint64_t(1) << 20;

using Json = nlohmann::ordered_json;

bool TooLarge(double bytes, std::string& error)
{
    if (bytes <= double(MAX_SHEET_BYTES)) return false;
    error = "the sheet would take " + std::to_string(uint64_t(std::ceil(bytes / BYTES_PER_MB))) +
            " MB, more than the " + std::to_string(MAX_SHEET_BYTES / BYTES_PER_MB) +
            " MB a sheet may take: fewer or smaller pictures fit";
    return true;
}

bool TooWide(uint64_t width, uint64_t height, std::string& error)
{
    if (width <= PNG_USER_WIDTH_MAX && height <= PNG_USER_HEIGHT_MAX) return false;
    error = "the sheet would be " + std::to_string(width) + "x" + std::to_string(height) + " pixels, too large";
    return true;
}

// The picture cut to the pixels it covers; one transparent pixel where it covers none.
Picture Trimmed(const Picture& picture, unsigned& left, unsigned& top)
{
    unsigned minX = picture.width, minY = picture.height, maxX = 0, maxY = 0;
    for (unsigned y = 0; y < picture.height; ++y)
        for (unsigned x = 0; x < picture.width; ++x)
            if (picture.argb[size_t(y) * picture.width + x] >> 24) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    Picture cut;
    if (minX > maxX) {
        left = top = 0;
        cut.width = cut.height = 1;
        cut.argb.assign(1, 0);
        return cut;
    }
    left = minX;
    top = minY;
    cut.width = maxX - minX + 1;
    cut.height = maxY - minY + 1;
    cut.argb.reserve(size_t(cut.width) * cut.height);
    for (unsigned y = minY; y <= maxY; ++y) {
        const uint32_t* row = &picture.argb[size_t(y) * picture.width];
        cut.argb.insert(cut.argb.end(), row + minX, row + maxX + 1);
    }
    return cut;
}

Json Rect(size_t x, size_t y, unsigned w, unsigned h)
{
    return Json{{"x", x}, {"y", y}, {"w", w}, {"h", h}};
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
    return !TooLarge(bytes, error) && !TooWide(sheetWidth, sheetHeight, error);
}

bool SheetWriter::Begin(const FrameLayout& layout, std::string& error)
{
    if (layout.pictures == 0) {
        error = "no pictures to write";
        return false;
    }
    if (!SheetFits(layout.pictures, layout.width, layout.height, error)) return false;
    const double bytes = double(layout.pictures) * layout.width * layout.height * BYTES_PER_PIXEL;
    if (TooLarge(double(heldBytes_) + bytes, error)) return false;
    heldBytes_ += uint64_t(bytes);

    Movement movement;
    movement.frame = frame_;
    movement.layout = layout;
    movement.first = cells_.size();
    // A tag is a movement's name in the readers: the frame's comment, made unique.
    const std::string name = layout.name.empty() ? "frame " + std::to_string(frame_) : layout.name;
    const auto taken = [&](const std::string& tag) {
        return std::any_of(movements_.begin(), movements_.end(), [&](const Movement& m) { return m.tag == tag; });
    };
    std::string tag = name;
    if (taken(tag)) tag = name + " (frame " + std::to_string(frame_) + ")";
    for (int n = 2; taken(tag); ++n) tag = name + " (" + std::to_string(n) + ")";
    movement.tag = tag;
    movements_.push_back(movement);
    cells_.reserve(cells_.size() + layout.pictures);
    return true;
}

bool SheetWriter::Add(const Picture& picture, std::string& error)
{
    if (movements_.empty()) {
        error = "a picture the sheet was not begun for";
        return false;
    }
    const Movement& movement = movements_.back();
    const size_t index = cells_.size() - movement.first;
    if (index >= movement.layout.pictures || picture.width != movement.layout.width ||
        picture.height != movement.layout.height) {
        error = "a picture the sheet was not begun for";
        return false;
    }
    Cell cell;
    cell.picture = trim_ ? Trimmed(picture, cell.sourceX, cell.sourceY) : picture;
    cell.movement = movements_.size() - 1;
    cell.durationMs = PictureDurations(int(movement.layout.pictures), movement.layout.fps, 1000)[index];
    cells_.push_back(std::move(cell));
    return true;
}

bool SheetWriter::Pack(std::string& error)
{
    size_t expected = 0;
    for (const Movement& movement : movements_) expected += movement.layout.pictures;
    if (cells_.empty() || cells_.size() != expected) {
        error = "the sheet did not get all of its pictures";
        return false;
    }
    const unsigned cellWidth = cells_[0].picture.width, cellHeight = cells_[0].picture.height;
    const bool grid = !trim_ && std::all_of(cells_.begin(), cells_.end(), [&](const Cell& c) {
        return c.picture.width == cellWidth && c.picture.height == cellHeight;
    });
    width_ = height_ = 0;
    if (grid) {
        const unsigned columns = SheetColumns(cells_.size());
        for (size_t i = 0; i < cells_.size(); ++i) {
            cells_[i].x = (i % columns) * cellWidth;
            cells_[i].y = (i / columns) * cellHeight;
        }
        width_ = size_t(cellWidth) * std::min<size_t>(columns, cells_.size());
        height_ = size_t(cellHeight) * ((cells_.size() + columns - 1) / columns);
    } else {
        // Rows of pictures, tallest first, each row as wide as a square of their area.
        double area = 0;
        size_t widest = 0;
        for (const Cell& c : cells_) {
            area += double(c.picture.width) * c.picture.height;
            widest = std::max<size_t>(widest, c.picture.width);
        }
        const size_t rowWidth = std::max(widest, size_t(std::ceil(std::sqrt(area))));
        std::vector<size_t> order(cells_.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return cells_[a].picture.height > cells_[b].picture.height; });
        size_t x = 0, y = 0, rowHeight = 0;
        for (size_t i : order) {
            Cell& c = cells_[i];
            if (x + c.picture.width > rowWidth) {
                x = 0;
                y += rowHeight;
                rowHeight = 0;
            }
            c.x = x;
            c.y = y;
            x += c.picture.width;
            rowHeight = std::max<size_t>(rowHeight, c.picture.height);
            width_ = std::max(width_, x);
        }
        height_ = y + rowHeight;
    }
    if (TooLarge(double(width_) * double(height_) * BYTES_PER_PIXEL, error) || TooWide(width_, height_, error))
        return false;

    rgba_.assign(width_ * height_ * BYTES_PER_PIXEL, 0);
    for (Cell& c : cells_) {
        for (unsigned y = 0; y < c.picture.height; ++y) {
            for (unsigned x = 0; x < c.picture.width; ++x) {
                const uint32_t argb = c.picture.argb[size_t(y) * c.picture.width + x];
                uint8_t* to = &rgba_[((c.y + y) * width_ + c.x + x) * BYTES_PER_PIXEL];
                to[0] = uint8_t(argb >> 16);
                to[1] = uint8_t(argb >> 8);
                to[2] = uint8_t(argb);
                to[3] = uint8_t(argb >> 24);
            }
        }
        // Placed: only its size is kept.
        std::vector<uint32_t>().swap(c.picture.argb);
    }
    return true;
}

bool SheetWriter::WritePng(std::FILE* file, std::string& error) const
{
    if (rgba_.empty()) {
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

std::string SheetWriter::Json(SheetJsonForm form, const std::string& sheetName) const
{
    ::Json frames = form == SheetJsonForm::Array ? ::Json::array() : ::Json::object();
    for (size_t i = 0; i < cells_.size(); ++i) {
        const Cell& c = cells_[i];
        const FrameLayout& layout = movements_[c.movement].layout;
        const unsigned w = c.picture.width, h = c.picture.height;
        ::Json picture;
        if (form == SheetJsonForm::Array) picture["filename"] = std::to_string(i);
        picture["frame"] = Rect(c.x, c.y, w, h);
        picture["rotated"] = false;
        picture["trimmed"] = w != layout.width || h != layout.height;
        picture["spriteSourceSize"] = Rect(c.sourceX, c.sourceY, w, h);
        picture["sourceSize"] = {{"w", layout.width}, {"h", layout.height}};
        picture["duration"] = c.durationMs;
        if (form == SheetJsonForm::Array) frames.push_back(picture);
        else frames[std::to_string(i)] = picture;
    }
    ::Json animations = ::Json::object(), tags = ::Json::array(), movements = ::Json::array();
    for (const Movement& m : movements_) {
        ::Json names = ::Json::array();
        for (size_t i = 0; i < m.layout.pictures; ++i) names.push_back(std::to_string(m.first + i));
        animations[m.tag] = names;
        tags.push_back({{"name", m.tag},
                        {"from", m.first},
                        {"to", m.first + m.layout.pictures - 1},
                        {"direction", "forward"}});
        const std::vector<int> durations = PictureDurations(int(m.layout.pictures), m.layout.fps, 1000);
        movements.push_back({{"frame", m.frame},
                             {"tag", m.tag},
                             {"pictures", m.layout.pictures},
                             {"duration", std::accumulate(durations.begin(), durations.end(), 0)},
                             {"origin", {{"x", m.layout.originX}, {"y", m.layout.originY}}}});
    }
    ::Json meta;
    meta["app"] = "vantrel-export";
    meta["version"] = VANTREL_VERSION;
    meta["image"] = sheetName;
    meta["format"] = "RGBA8888";
    meta["size"] = {{"w", width_}, {"h", height_}};
    meta["scale"] = "1";
    meta["frameTags"] = tags;
    // Ours, which readers pass over.
    meta["fps"] = movements_.empty() ? 0 : movements_[0].layout.fps;
    meta["movements"] = movements;

    ::Json json;
    json["frames"] = frames;
    json["animations"] = animations;
    json["meta"] = meta;
    // The animation file's text is taken as UTF-8; a byte that is not shows as U+FFFD.
    return json.dump(1, '\t', false, ::Json::error_handler_t::replace) + "\n";
}
