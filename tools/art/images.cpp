#include "art.h"

#include <algorithm>

std::vector<ImageDef> FigureImages();
std::vector<ImageDef> SceneryImages();

std::vector<ImageDef> AllImages()
{
    std::vector<ImageDef> all = FigureImages();
    for (ImageDef& d : SceneryImages()) all.push_back(std::move(d));
    std::sort(all.begin(), all.end(),
              [](const ImageDef& a, const ImageDef& b) { return a.index < b.index; });
    return all;
}

bool WriteImages(const std::string& outDir)
{
    for (const ImageDef& d : AllImages()) {
        Sheet sheet(d.x0, d.y0, d.Width(), d.Height());
        d.draw(sheet);
        if (!WritePng(outDir + "/" + d.file, d.Width(), d.Height(), sheet.Resolve()))
            return false;
    }
    return true;
}
