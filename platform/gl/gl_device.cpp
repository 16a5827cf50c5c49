#include "gl/gl_device.h"
IDirect3D8* CreateGlDirect3D() { return nullptr; }
