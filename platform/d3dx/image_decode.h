// Decoding of image files (PNG, JPEG, BMP) into 32-bit ARGB pixels, top row first.
#pragma once
#include <d3dx8.h>

#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    UINT width = 0;
    UINT height = 0;
    bool hasAlpha = false;
    D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
    std::vector<uint32_t> argb;  // width * height, row by row
};

// Larger images are refused before any pixel memory is taken.
const UINT MAX_IMAGE_SIDE = 16384;
const uint64_t MAX_IMAGE_PIXELS = uint64_t(1) << 26;

// Reads and decodes a file; false (with error text) for anything unreadable.
bool DecodeImageFile(const char* path, DecodedImage& image, std::string& error);
