// Placeholders for functions that other branches provide, so this branch's tests link.
#include <windows.h>
#include <d3d8.h>
#include <d3dx8.h>

#include <cstdlib>
#include <cstring>

#include "figure/anim_file.h"
#include "figure/figure_file.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "game/state.h"
#include "graphics/draw_helpers.h"
#include "level/level.h"

IDirect3DVertexBuffer8* CreateTempQuadBuffer(IDirect3DDevice8* device, const QuadVertex vertices[4])
{
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (!device) return nullptr;
    if (FAILED(device->CreateVertexBuffer(4 * sizeof(QuadVertex), D3DUSAGE_WRITEONLY, QUAD_FVF, D3DPOOL_MANAGED,
                                          &buffer)) || !buffer)
        return nullptr;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) {
        buffer->Release();
        return nullptr;
    }
    std::memcpy(data, vertices, 4 * sizeof(QuadVertex));
    buffer->Unlock();
    return buffer;
}

void BindQuadBuffer(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer)
{
    device->SetStreamSource(0, buffer, sizeof(QuadVertex));
    device->SetVertexShader(QUAD_FVF);
}

void DrawWireFrameOutline(IDirect3DDevice8* device)
{
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
}

HRESULT WINAPI D3DXCreateSprite(LPDIRECT3DDEVICE8, LPD3DXSPRITE* sprite)
{
    if (sprite) *sprite = nullptr;
    return E_NOTIMPL;
}

DWORD WINAPI GetTickCount(void) { return 0; }

VectorPart::VectorPart() { std::memset(static_cast<void*>(this), 0, sizeof *this); }
VectorPart::~VectorPart()
{
    for (int c = 0; c < TILE_GRID; ++c)
        for (int r = 0; r < TILE_GRID; ++r) {
            if (tileTextures[c][r]) tileTextures[c][r]->Release();
            if (tileVertexBuffers[c][r]) tileVertexBuffers[c][r]->Release();
        }
    std::free(textureFile);
}

VectorPart* PartAt(int index)
{
    if (!g_parts || index < 0 || index >= g_numParts) return nullptr;
    return &g_parts[index];
}

Level::Level()
{
    for (LevelCell*& slot : slots) slot = nullptr;
}

LevelNeighbourhood GetLevelNeighbourhood(float px, float py)
{
    const int column = std::abs(static_cast<int>(px)) / SCREEN_CELL_WIDTH;
    const int row = std::abs(static_cast<int>(py)) / SCREEN_CELL_HEIGHT;
    LevelNeighbourhood n;
    n.firstColumn = column - 1 < 0 ? 0 : column - 1;
    n.lastColumn = column + 1 > LEVEL_COLUMNS - 1 ? LEVEL_COLUMNS - 1 : column + 1;
    n.firstRow = row - 1 < 0 ? 0 : row - 1;
    n.lastRow = row + 1 > LEVEL_ROWS - 1 ? LEVEL_ROWS - 1 : row + 1;
    return n;
}

int LoadVectorParts() { return 0; }
int InitVectorMan() { return 0; }
int LoadVectorAnim() { return 0; }
int InitLevel() { return 0; }
