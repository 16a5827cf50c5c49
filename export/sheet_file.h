// Pictures as a sprite sheet: one PNG with alpha (libpng) holding them side by side in
// rows, left to right, top to bottom, and a JSON file saying where each one is and how long
// it shows, for another program to cut the sheet up again. The sheet is held whole until it
// is written, so its size is bounded (SheetFits) and said before any of it is drawn.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "export/capture.h"

// A sheet is held whole as RGBA while it is written, and whoever cuts it up again holds it
// whole as well: 1 GiB (16384 x 16384 pixels) is as much as an ordinary machine lends one
// program at once without trouble, and about as large as image programs and browsers open.
const uint64_t MAX_SHEET_BYTES = uint64_t(1) << 30;

// Cells per row: about as many rows as columns, so the sheet stays near square.
unsigned SheetColumns(size_t pictures);

// False with the one-line reason where the sheet of these pictures would take more than
// MAX_SHEET_BYTES or be wider or taller than a PNG may be.
bool SheetFits(size_t pictures, unsigned width, unsigned height, std::string& error);

// Gathers the pictures into the sheet as they come.
class SheetWriter : public PictureSink {
public:
    bool Begin(const FrameLayout& layout, std::string& error) override;  // SheetFits, then room for it
    bool Add(const Picture& picture, std::string& error) override;
    // The PNG into file, which stays the caller's to close. False with the reason.
    bool WritePng(std::FILE* file, std::string& error) const;
    // The description of the sheet: the frame's number and name, the sheet's file name
    // (without its folder, as it lies beside the JSON), the cell size, the figure's origin
    // in each cell, and per picture its rectangle and duration in milliseconds.
    std::string Json(int frame, const std::string& sheetName) const;
    const FrameLayout& Layout() const { return layout_; }

private:
    FrameLayout layout_;
    unsigned columns_ = 0;
    size_t width_ = 0, height_ = 0;  // of the sheet
    std::vector<uint8_t> rgba_;
    size_t added_ = 0;
};
