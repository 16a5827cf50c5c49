// Playing one frame on a copy of the figure and reading each step's drawing back as a
// picture: the part of the export that touches the game and the device (export/export.h
// says what it needs and what it gives back).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "export/export.h"

// Straight (not premultiplied) ARGB words, top row first.
struct Picture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint32_t> argb;
};

struct FrameCapture {
    std::vector<Picture> pictures;  // all of one size, one per step
    int fps = 0;
    // Where the figure's origin (the point it stands on its joints from) lies in every
    // picture, pixels from the top-left.
    int originX = 0;
    int originY = 0;
    std::string name;  // the frame's name from the animation file; may be empty
};

// False with a one-line error for a frame that does not exist, drives no keys or does not
// fit the figure, for options out of range, and for a figure larger than the canvas.
bool CaptureFrame(int frame, const ExportOptions& options, FrameCapture& capture, std::string& error);

// Whole milliseconds (or hundredths) of each picture at fps: their sum is the whole
// duration rounded once, not every picture's rounding added up.
std::vector<int> PictureDurations(int pictures, int fps, int unitsPerSecond);
