// Playing one frame on a copy of the figure and reading each step's drawing back as a
// picture: the part of the export that touches the game and the device (export/export.h
// says what it needs and what it gives back). The pictures are handed on one at a time, so
// a long frame at a large size takes no more memory than a short one.
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

// What every picture of a frame shares, known before the first picture is given.
struct FrameLayout {
    size_t pictures = 0;
    unsigned width = 0;  // of one picture
    unsigned height = 0;
    int fps = 0;
    // Where the figure's origin (the point it stands on its joints from) lies in every
    // picture, pixels from the top-left.
    int originX = 0;
    int originY = 0;
    std::string name;  // the frame's name from the animation file; may be empty
};

// Where the pictures go as they are drawn, so that only one is held at a time.
class PictureSink {
public:
    virtual ~PictureSink() = default;
    // Once, before the first picture. False with a one-line error ends the capture.
    virtual bool Begin(const FrameLayout& layout, std::string& error) = 0;
    // Each picture in turn, of the layout's size. False with a one-line error ends the capture.
    virtual bool Add(const Picture& picture, std::string& error) = 0;
};

// Plays the frame twice: once to find what the figure covers over the whole of it and how
// many pictures it gives, then again giving the sink each picture, placed in that, as it is
// drawn. False with a one-line error for a frame that does not exist, drives no keys or
// does not fit the figure, for options out of range, and for a figure larger than the canvas.
bool CaptureFrame(int frame, const ExportOptions& options, PictureSink& sink, std::string& error);

// How many pictures the frame gives at options.fps, found by stepping it without drawing,
// so at once. False with CaptureFrame's error for a frame it would refuse.
bool CountPictures(int frame, const ExportOptions& options, size_t& pictures, std::string& error);

// Whether frame `frame` exists and drives at least one of the figure's key lists.
bool FrameDrivesKeys(int frame);

// Whole milliseconds (or hundredths) of each picture at fps: their sum is the whole
// duration rounded once, not every picture's rounding added up.
std::vector<int> PictureDurations(int pictures, int fps, int unitsPerSecond);
