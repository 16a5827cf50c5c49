// The OpenGL back-end of the Direct3D stand-in.
#pragma once
#include <d3d8.h>

IDirect3D8* CreateGlDirect3D();
