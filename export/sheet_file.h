// Pictures as a sprite sheet: one PNG with alpha (libpng) holding them, and a JSON file in
// the layout that sprite packers and pixel-art editors write and game frameworks read
// (PixiJS's Spritesheet, Phaser's atlas and Aseprite loaders, and others): `frames`, each
// picture's place in the sheet, its trim and its duration, named by its index in the sheet
// as text ("0", "1", ...); `animations`, each tag's picture names; `meta`, the sheet's image,
// size and format, one tag per movement (`frameTags`) and our own extras, which readers
// ignore: the pictures a second, and per movement its animation frame's number and the
// figure's origin in its pictures.
//
// One sheet may hold several movements (animation frames), each its own run of pictures.
// Pictures of one size, untrimmed, lie in a grid, left to right, top to bottom; otherwise
// (trimmed, or movements of different sizes) they are packed in rows, tallest first. The
// pictures are held until the sheet is written, so what they take is bounded (SheetFits)
// and said before any of them is drawn where their sizes are known in advance.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "export/capture.h"

// A sheet is held whole as RGBA while it is written, and whoever cuts it up again holds it
// whole as well: 1 GiB (16384 x 16384 pixels) is as much as an ordinary machine lends one
// program at once without trouble, and about as large as image programs and browsers open.
// The pictures gathered for it are held to the same bound before they are placed.
const uint64_t MAX_SHEET_BYTES = uint64_t(1) << 30;

// Cells per row of a grid: about as many rows as columns, so the sheet stays near square.
unsigned SheetColumns(size_t pictures);

// False with the one-line reason where a grid of these pictures would take more than
// MAX_SHEET_BYTES or be wider or taller than a PNG may be.
bool SheetFits(size_t pictures, unsigned width, unsigned height, std::string& error);

// Gathers the pictures of one movement after another, then places them and writes the sheet.
class SheetWriter : public PictureSink {
public:
    // trim: each picture cut to the pixels it covers (at least 1x1), its place in the
    // untrimmed picture said in `spriteSourceSize`.
    explicit SheetWriter(bool trim = false) : trim_(trim) {}
    // The animation frame whose pictures the next Begin and Adds give.
    void NextMovement(int frame) { frame_ = frame; }
    bool Begin(const FrameLayout& layout, std::string& error) override;  // bounds what is held
    bool Add(const Picture& picture, std::string& error) override;
    // Places the pictures and draws the sheet: false with the reason where it would be too
    // large, or where a movement did not get all of its pictures.
    bool Pack(std::string& error);
    // The PNG into file, which stays the caller's to close. False with the reason.
    bool WritePng(std::FILE* file, std::string& error) const;
    // The JSON of the packed sheet; sheetName is the PNG's file name without its folder, as
    // it lies beside the JSON.
    std::string Json(SheetJsonForm form, const std::string& sheetName) const;

    size_t Pictures() const { return cells_.size(); }
    size_t Movements() const { return movements_.size(); }
    const FrameLayout& Layout(size_t movement) const { return movements_[movement].layout; }
    unsigned Width() const { return unsigned(width_); }
    unsigned Height() const { return unsigned(height_); }

private:
    struct Movement {
        int frame = 0;
        FrameLayout layout;
        std::string tag;  // unique in the sheet
        size_t first = 0;
    };
    struct Cell {
        Picture picture;           // as placed: trimmed where trimming
        unsigned sourceX = 0;      // where it lies in the untrimmed picture
        unsigned sourceY = 0;
        size_t x = 0, y = 0;       // in the sheet
        size_t movement = 0;
        int durationMs = 0;
    };
    bool trim_;
    int frame_ = 0;
    std::vector<Movement> movements_;
    std::vector<Cell> cells_;
    uint64_t heldBytes_ = 0;  // of the untrimmed pictures begun
    size_t width_ = 0, height_ = 0;  // of the sheet, once packed
    std::vector<uint8_t> rgba_;
};
