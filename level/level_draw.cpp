#include "level/level.h"

#include "figure/roles.h"

#include <d3d8.h>
#include <d3dx8.h>

#include "graphics/device.h"
#include "graphics/draw_helpers.h"
#include "graphics/scene_state.h"

namespace {

void DrawPiece(IDirect3DDevice8* device, const ManPart& piece, int column, int row)
{
    VectorPart* image = PartAt(piece.vecpartnum);
    if (!image) return;
    D3DXMATRIX place, turn, world;
    D3DXMatrixTranslation(&place, static_cast<float>(SCREEN_CELL_WIDTH * column) + piece.x,
                          static_cast<float>(SCREEN_CELL_HEIGHT * row) + piece.y, piece.z);
    D3DXMatrixRotationZ(&turn, piece.angle * ANGLE_FACTOR);
    // Turn the piece about its own centre, then move it into its cell.
    D3DXMatrixMultiply(&world, &turn, &place);
    device->SetTransform(D3DTS_WORLD, &world);
    image->Draw();
}

void DrawCellOutline(IDirect3DDevice8* device, int column, int row)
{
    const float halfWidth = SCREEN_CELL_WIDTH / 2.0f;
    const float halfHeight = SCREEN_CELL_HEIGHT / 2.0f;
    D3DXMATRIX centre;
    D3DXMatrixTranslation(&centre, SCREEN_CELL_WIDTH * column + halfWidth, SCREEN_CELL_HEIGHT * row + halfHeight,
                          0.0f);
    device->SetTransform(D3DTS_WORLD, &centre);

    QuadVertex vertices[4] = {};
    const float xs[4] = {-halfWidth, halfWidth, halfWidth, -halfWidth};
    const float ys[4] = {halfHeight, halfHeight, -halfHeight, -halfHeight};
    for (int i = 0; i < 4; ++i) {
        vertices[i].x = xs[i];
        vertices[i].y = ys[i];
        vertices[i].colour = 0xFFFFFFFF;
    }
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device, vertices);
    if (!buffer) return;
    BindQuadBuffer(device, buffer);
    DrawWireFrameOutline(device);
    buffer->Release();
}

}  // namespace

int Level::DrawLevel()
{
    IDirect3DDevice8* device = g_device;
    if (!device) return 0;
    // The neighbourhood takes absolute values, so the negated camera names the same cells
    // as the point the camera is centred on.
    const LevelNeighbourhood around = GetLevelNeighbourhood(g_cameraX, g_cameraY);
    for (int row = around.firstRow; row <= around.lastRow; ++row) {
        for (int column = around.firstColumn; column <= around.lastColumn; ++column) {
            if (row < 0 || row >= LEVEL_ROWS || column < 0 || column >= LEVEL_COLUMNS) continue;
            const LevelCell* cell = slots[column * LEVEL_ROWS + row];
            if (cell) {
                const int count = cell->count < MAX_CELL_PIECES ? cell->count : MAX_CELL_PIECES;
                for (int layer = BACK_LAYER; layer >= FRONT_LAYER; --layer)
                    for (int i = 0; i < count; ++i)
                        if (cell->pieces[i] && cell->pieces[i]->layer == layer)
                            DrawPiece(device, *cell->pieces[i], column, row);
            }
            // Empty cells are outlined too, so the grid shows where the level ends.
            if (g_showHitBoxes) DrawCellOutline(device, column, row);
        }
    }
    return 0;
}
