// The one Direct3D device and what the code that draws or builds textures must know of
// it. The device set-up writes these once; the part builder, the drawing and the input's
// cursor read them. Null device: nothing is drawn and no texture is built.
#pragma once
#include <windows.h>
#include <d3d8.h>

extern float g_screenWidth;   // back buffer, pixels: 1024 x 768 unless started with /640
extern float g_screenHeight;
extern IDirect3D8* g_d3d;
extern IDirect3DDevice8* g_device;
// Largest texture of adapter 0; the part builder cuts bigger images into tiles this size.
extern DWORD g_maxTextureWidth;
extern DWORD g_maxTextureHeight;
