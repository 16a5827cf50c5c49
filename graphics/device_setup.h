// Creation of the Direct3D device.
#pragma once
#include <windows.h>

// Maximum texture size stored when adapter 0's capabilities cannot be read.
const unsigned int SAFE_MAX_TEXTURE_SIZE = 256;

HRESULT InitD3D(HWND window);
