// Helpers for the tests of the data files: the log as lines, image files.
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
