// Drawing conventions shared by all drawing code: the one vertex format, angles, the
// four-vertex buffers of overlays and outlines.
#pragma once
#include <d3d8.h>

// The one vertex format: position, ARGB colour, texture coordinates (FVF 0x142, 24 bytes).
struct QuadVertex {
    float x, y, z;
    DWORD colour;
    float u, v;
};
const DWORD QUAD_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Degrees to radians, applied only where a rotation is built.
const float ANGLE_FACTOR = 0.0174532924f;

// A 96-byte managed write-only buffer of four vertices, filled through a discard lock;
// null when it cannot be created or locked.
IDirect3DVertexBuffer8* CreateTempQuadBuffer(IDirect3DDevice8* device, const QuadVertex vertices[4]);
// Binds buffer as stream 0 (stride 24) with the vertex format 0x142.
void BindQuadBuffer(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer);
// Untextured wire-frame fan over the bound four vertices, then solid fill again.
void DrawWireFrameOutline(IDirect3DDevice8* device);
