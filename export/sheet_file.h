// Pictures as a sprite sheet: one PNG with alpha (libpng) holding them side by side in
// rows, left to right, top to bottom, and a JSON file saying where each one is and how long
// it shows, for another program to cut the sheet up again.
#pragma once
#include <string>

#include "export/capture.h"

// Cells per row: about as many rows as columns, so the sheet stays near square.
unsigned SheetColumns(size_t pictures);

// False with the reason when the file cannot be written.
bool WriteSheetPng(const std::string& path, const FrameCapture& capture, std::string& error);

// The description of the sheet written by WriteSheetPng: the frame's number and name, the
// sheet's file name (without its folder, as it lies beside the JSON), the cell size, the
// figure's origin in each cell, and per picture its rectangle and duration in milliseconds.
bool WriteSheetJson(const std::string& path, int frame, const std::string& sheetName, const FrameCapture& capture,
                    std::string& error);
