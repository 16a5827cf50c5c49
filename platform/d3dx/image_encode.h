// Writes 8-bit RGB pixels, top row first, as a PNG file: the screenshots of every back-end.
#pragma once
#include <cstddef>

// False (and no file left behind) when the file cannot be written.
bool WritePngRgb(const char* path, unsigned width, unsigned height, const unsigned char* rgb);
