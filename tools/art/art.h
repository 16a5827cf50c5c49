// The art program's pieces. Every image is described once here, and the data
// files, the preview and the PNGs are all derived from these descriptions.
#pragma once
#include "shapes.h"

#include <functional>
#include <string>
#include <vector>

// One image of the parts file. Everything is in the figure's rest frame
// (origin at the hips, y up, facing right, every slot at angle 0), so that a
// joint point on a parent and the pivot of the child hung there are literally
// the same coordinates.
struct ImageDef {
    int index;
    std::string file;
    Vec2 pivot;                       // where the slot showing it turns
    double x0, y0, x1, y1;            // the image's extent; whole, even sizes
    std::vector<Vec2> joints;         // points where children hang
    std::function<void(Sheet&)> draw;

    int Width() const { return static_cast<int>(x1 - x0); }
    int Height() const { return static_cast<int>(y1 - y0); }
    Vec2 Centre() const { return {(x0 + x1) / 2, (y0 + y1) / 2}; }
    // The image centre relative to the pivot, as the parts file stores it.
    Vec2 Offset() const { return {Centre().x - pivot.x, Centre().y - pivot.y}; }
};

std::vector<ImageDef> AllImages();

bool WriteIcons(const std::string& resourcesDir);
bool WriteImages(const std::string& outDir);
bool WriteDataFiles(const std::string& outDir);
// The screen font's atlas and metrics file, from the system's DejaVu Sans Mono.
bool WriteFont(const std::string& outDir);
// Composes poses of the figure from the written data files and images.
bool WritePreview(const std::string& dataDir, const std::string& previewPath);
