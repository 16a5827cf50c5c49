#include "editor/level_mode.h"

#include <d3dx8.h>

#include <cmath>
#include <cstdio>

#include "base/screen_message.h"
#include "editor/edits.h"
#include "editor/overlays.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/modes.h"
#include "graphics/draw_helpers.h"
#include "graphics/scene_state.h"
#include "level/level.h"
#include "level/level_file.h"

namespace {

const float CAMERA_STEP = 40.0f;
const float COPY_OFFSET = 32.0f;  // a new copy stands this far to the right of its piece

// The picked piece: the slot it was picked in and its index in that slot's cell.
int s_column = -1, s_row = -1, s_index = -1;
bool s_pickDue = false;
bool s_dragging = false;
float s_grabX = 0.0f, s_grabY = 0.0f;  // cursor minus piece centre, in the world
Level* s_beforeDrag = nullptr;         // the level as the drag found it, for its step
bool s_moved = false;
unsigned char s_followed = 1;          // the camera's following before the mode

ManPart* Picked()
{
    const LevelCell* cell = g_level ? g_level->CellAt(s_column, s_row) : nullptr;
    if (!cell || s_index < 0 || s_index >= cell->count || s_index >= MAX_CELL_PIECES) return nullptr;
    return cell->pieces[s_index];
}

int SlotsSharing(const LevelCell* cell)
{
    int count = 0;
    for (const LevelCell* slot : g_level->slots) count += slot == cell;
    return count;
}

D3DXMATRIX PieceWorld(const ManPart& piece, int column, int row)
{
    // As the level drawing places it: turned about its centre, then moved into its cell.
    D3DXMATRIX place, turn, world;
    D3DXMatrixTranslation(&place, static_cast<float>(SCREEN_CELL_WIDTH * column) + piece.x,
                          static_cast<float>(SCREEN_CELL_HEIGHT * row) + piece.y, piece.z);
    D3DXMatrixRotationZ(&turn, piece.angle * ANGLE_FACTOR);
    D3DXMatrixMultiply(&world, &turn, &place);
    return world;
}

// The frontmost piece under the cursor among the cells drawn, in the drawing's order.
void PickUnderCursor(IDirect3DDevice8* device)
{
    s_column = s_row = s_index = -1;
    const LevelNeighbourhood around = GetLevelNeighbourhood(g_cameraX, g_cameraY);
    for (int row = around.firstRow; row <= around.lastRow; ++row) {
        for (int column = around.firstColumn; column <= around.lastColumn; ++column) {
            const LevelCell* cell = g_level->CellAt(column, row);
            if (!cell) continue;
            for (int layer = BACK_LAYER; layer >= FRONT_LAYER; --layer) {
                for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
                    const ManPart* piece = cell->pieces[i];
                    if (!piece || piece->layer != layer) continue;
                    const VectorPart* image = PartAt(piece->vecpartnum);
                    if (image && CursorOverImage(device, *image, PieceWorld(*piece, column, row))) {
                        s_column = column;
                        s_row = row;
                        s_index = i;
                    }
                }
            }
        }
    }
}

// Takes the piece out of its cell into the cell under (x, y), relative to that cell; it
// stays where it is when no cell can take it (outside the grid, a full cell).
void MoveAcrossCells(ManPart& piece, float x, float y)
{
    const int column = static_cast<int>(std::floor(x / SCREEN_CELL_WIDTH));
    const int row = static_cast<int>(std::floor(y / SCREEN_CELL_HEIGHT));
    LevelCell* from = g_level->CellAt(s_column, s_row);
    const bool inGrid = column >= 0 && column < LEVEL_COLUMNS && row >= 0 && row < LEVEL_ROWS;
    if (inGrid && (column != s_column || row != s_row)) {
        LevelCell*& to = g_level->slots[column * LEVEL_ROWS + row];
        if (to == from) {
            s_column = column;
            s_row = row;
        } else if (!to || to->count < MAX_CELL_PIECES) {
            if (!to) to = new LevelCell();
            for (int i = s_index; i + 1 < from->count; ++i) from->pieces[i] = from->pieces[i + 1];
            --from->count;
            to->pieces[to->count] = &piece;
            s_index = to->count++;
            s_column = column;
            s_row = row;
        }
    }
    piece.x = x - static_cast<float>(SCREEN_CELL_WIDTH * s_column);
    piece.y = y - static_cast<float>(SCREEN_CELL_HEIGHT * s_row);
}

void Drag(IDirect3DDevice8* device)
{
    ManPart* piece = Picked();
    float x = 0.0f, y = 0.0f;
    if (!piece || !CursorOnGround(device, x, y)) return;
    const float centreX = x - s_grabX, centreY = y - s_grabY;
    const float wasX = piece->x + static_cast<float>(SCREEN_CELL_WIDTH * s_column);
    const float wasY = piece->y + static_cast<float>(SCREEN_CELL_HEIGHT * s_row);
    if (centreX == wasX && centreY == wasY) return;
    MoveAcrossCells(*piece, centreX, centreY);
    s_moved = true;
}

// Runs an edit of the picked piece as one step of the history.
template <typename Edit>
void EditPicked(Edit edit)
{
    FinishLevelDrag();
    ManPart* piece = Picked();
    if (!piece || g_editMode != EDIT_LEVEL) return;
    Level* before = CopyLevel(*g_level);
    if (edit(*piece)) {
        RecordLevelStep(before);
    } else {
        DeleteLevel(before);
    }
}

void EndDrag()
{
    if (s_beforeDrag && s_moved) RecordLevelStep(s_beforeDrag);
    else DeleteLevel(s_beforeDrag);
    s_beforeDrag = nullptr;
    s_dragging = s_moved = false;
}

}  // namespace

void FinishLevelDrag()
{
    EndDrag();
}

void BeginLevelMode()
{
    s_followed = g_cameraFollows;
    g_cameraFollows = 0;
    ForgetLevelPick();
}

void EndLevelMode()
{
    EndDrag();
    g_cameraFollows = s_followed;
    s_column = s_row = s_index = -1;
}

void PressLevelButton()
{
    s_pickDue = true;
    s_dragging = true;
}

void ReleaseLevelButton()
{
    s_pickDue = false;
    EndDrag();
}

void MoveLevelCamera(int across, int up)
{
    // The camera stands at the negated point it looks at.
    g_cameraX -= CAMERA_STEP * static_cast<float>(across);
    g_cameraY -= CAMERA_STEP * static_cast<float>(up);
}

void InsertLevelPiece()
{
    EditPicked([](ManPart& piece) {
        LevelCell& cell = *g_level->CellAt(s_column, s_row);
        if (cell.count >= MAX_CELL_PIECES) {
            PostScreenMessage("This cell holds " + std::to_string(MAX_CELL_PIECES) + " pieces already");
            return false;
        }
        ManPart* copy = new ManPart(piece);
        copy->id = NewPieceId();
        copy->x += COPY_OFFSET;
        cell.pieces[cell.count] = copy;
        s_index = cell.count++;
        return true;
    });
}

void DeleteLevelPiece()
{
    EditPicked([](ManPart& piece) {
        LevelCell& cell = *g_level->CellAt(s_column, s_row);
        for (int i = s_index; i + 1 < cell.count; ++i) cell.pieces[i] = cell.pieces[i + 1];
        --cell.count;
        delete &piece;
        s_index = -1;
        return true;
    });
}

void ChangeLevelImage(int step)
{
    EditPicked([step](ManPart& piece) {
        if (g_numParts <= 0) return false;
        piece.vecpartnum = ((piece.vecpartnum + step) % g_numParts + g_numParts) % g_numParts;
        return true;
    });
}

void CycleLevelLayer()
{
    EditPicked([](ManPart& piece) {
        piece.layer = piece.layer >= BACK_LAYER || piece.layer < FRONT_LAYER ? FRONT_LAYER : piece.layer + 1;
        return true;
    });
}

void ToggleLevelFlag(char flag)
{
    EditPicked([flag](ManPart& piece) {
        unsigned char* value = flag == SOLID_FLAG ? &piece.solid : flag == MOVABLE_FLAG ? &piece.movable : &piece.pushable;
        *value = !*value;
        return true;
    });
}

void DrawLevelMarks(IDirect3DDevice8* device)
{
    if (!g_level || !device) return;
    if (s_pickDue) {
        s_pickDue = false;
        PickUnderCursor(device);
        float x = 0.0f, y = 0.0f;
        ManPart* piece = Picked();
        if (piece && CursorOnGround(device, x, y)) {
            s_grabX = x - (piece->x + static_cast<float>(SCREEN_CELL_WIDTH * s_column));
            s_grabY = y - (piece->y + static_cast<float>(SCREEN_CELL_HEIGHT * s_row));
            DeleteLevel(s_beforeDrag);
            s_beforeDrag = CopyLevel(*g_level);
            s_moved = false;
        }
    } else if (s_dragging) {
        Drag(device);
    }
    const ManPart* piece = Picked();
    const VectorPart* image = piece ? PartAt(piece->vecpartnum) : nullptr;
    if (!image) return;
    const D3DXMATRIX world = PieceWorld(*piece, s_column, s_row);
    device->SetTransform(D3DTS_WORLD, &world);
    DrawSlotMarks(device, SlotMarks{true, false}, *image, false);
}

std::string LevelStatusText()
{
    const ManPart* piece = Picked();
    if (!piece) return "no piece picked";
    const VectorPart* image = PartAt(piece->vecpartnum);
    char text[300];
    std::snprintf(text, sizeof text, "cell %d,%d | %s | x %g y %g | layer %d | %c %c %c", s_column, s_row,
                  image && image->textureFile ? image->textureFile : "(no image)", static_cast<double>(piece->x),
                  static_cast<double>(piece->y), piece->layer, piece->solid ? SOLID_FLAG : '-',
                  piece->movable ? MOVABLE_FLAG : '-', piece->pushable ? PUSHABLE_FLAG : '-');
    std::string line = text;
    const int sharing = SlotsSharing(g_level->CellAt(s_column, s_row));
    if (sharing > 1) line += " | cell shared by " + std::to_string(sharing);
    return line;
}

void ForgetLevelPick()
{
    s_column = s_row = s_index = -1;
    s_pickDue = false;
    DeleteLevel(s_beforeDrag);
    s_beforeDrag = nullptr;
    s_dragging = s_moved = false;
}
