// Helpers for the tests of the data files: the log as lines, image files, a small sound set.
#pragma once
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support.h"

// The lines of log.log in the working directory.
inline std::vector<std::string> LogLines()
{
    std::istringstream text(ReadWholeFile("log.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

// Whether log.log holds exactly this line.
inline bool LogHas(const std::string& wanted)
{
    for (const std::string& line : LogLines()) {
        if (line == wanted) return true;
    }
    return false;
}

typedef std::function<uint32_t(int x, int y)> PixelColour;  // 0xRRGGBB

// An uncompressed 24-bit image file, bottom row first as the format wants.
inline void WriteBmp(const std::string& path, int width, int height, const PixelColour& colour)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    const uint32_t dataSize = static_cast<uint32_t>(rowBytes * height);
    std::string file(54 + dataSize, '\0');
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, 54 + dataSize, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, dataSize, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t rgb = colour(x, y);
            size_t at = 54 + static_cast<size_t>(height - 1 - y) * rowBytes + x * 3;
            put(at, rgb & 0xFF, 1);
            put(at + 1, (rgb >> 8) & 0xFF, 1);
            put(at + 2, (rgb >> 16) & 0xFF, 1);
        }
    }
    WriteWholeFile(path, file);
}

inline void WriteBmp(const std::string& path, int width, int height)
{
    WriteBmp(path, width, height, [](int, int) { return 0xFFFFFFu; });
}

// A set that keeps every rule, on one image p.bmp: 13 parts, 8 slots hung in a chain and
// 6 one-key frames, the last showing and swapping slots.
inline std::string SmallPartsFile()
{
    std::string text = "numparts=13\n";
    for (int i = 0; i < 13; ++i)
        text += "part=" + std::to_string(i) + "\ntexture=p.bmp\nnumpoints=2\npoints=0,10,0,-10\n";
    return text;
}

inline std::string SmallFigureFile()
{
    std::string text = "numparts=8\n";
    for (int i = 0; i < 8; ++i) {
        text += "part=" + std::to_string(i) + "\nvecpartnum=" + std::to_string(i) + "\n";
        if (i > 0) text += "rootpart=" + std::to_string(i - 1) + "\nrootpoint=1\n";
    }
    return text;
}

inline std::string SmallAnimFile()
{
    std::string text = "numframes=6\n";
    for (int f = 0; f < 6; ++f)
        text += "frame=" + std::to_string(f) + "\nframe_numparts=6\nkey_part=0\nnumkeys=1\nkey=0\nkey_rotspeed=5\n";
    return text + "use_changepart=1\nchangepart=3,6\npart_visible=6,7\n";
}
