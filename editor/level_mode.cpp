#include "editor/level_mode.h"

#include <d3dx8.h>

#include <cmath>
#include <cstdio>

#include "base/screen_message.h"
#include "editor/edits.h"
#include "editor/tool.h"
#include "editor/editor_state.h"
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
// Where the mode's state lives: the editor's one record.
LevelToolState& State()
{
    return g_editor.level;
}

ManPart* Picked()
{
    const LevelCell* cell = g_level ? g_level->CellAt(State().column, State().row) : nullptr;
    if (!cell || State().index < 0 || State().index >= cell->count || State().index >= MAX_CELL_PIECES) return nullptr;
    return cell->pieces[State().index];
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
void PickUnderCursor(const SceneView& scene)
{
    State().column = State().row = State().index = -1;
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
                    if (image && CursorOverImage(scene, *image, PieceWorld(*piece, column, row))) {
                        State().column = column;
                        State().row = row;
                        State().index = i;
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
    LevelCell* from = g_level->CellAt(State().column, State().row);
    const bool inGrid = column >= 0 && column < LEVEL_COLUMNS && row >= 0 && row < LEVEL_ROWS;
    if (inGrid && (column != State().column || row != State().row)) {
        LevelCell*& to = g_level->slots[column * LEVEL_ROWS + row];
        if (to == from) {
            State().column = column;
            State().row = row;
        } else if (!to || to->count < MAX_CELL_PIECES) {
            if (!to) to = new LevelCell();
            for (int i = State().index; i + 1 < from->count; ++i) from->pieces[i] = from->pieces[i + 1];
            --from->count;
            to->pieces[to->count] = &piece;
            State().index = to->count++;
            State().column = column;
            State().row = row;
        }
    }
    piece.x = x - static_cast<float>(SCREEN_CELL_WIDTH * State().column);
    piece.y = y - static_cast<float>(SCREEN_CELL_HEIGHT * State().row);
}

void Drag(const SceneView& scene)
{
    ManPart* piece = Picked();
    float x = 0.0f, y = 0.0f;
    if (!piece || !CursorOnGround(scene, x, y)) return;
    float centreX = x - State().grabX, centreY = y - State().grabY;
    if (const int grid = State().grid; grid > 1) {
        centreX = std::round(centreX / static_cast<float>(grid)) * static_cast<float>(grid);
        centreY = std::round(centreY / static_cast<float>(grid)) * static_cast<float>(grid);
    }
    const float wasX = piece->x + static_cast<float>(SCREEN_CELL_WIDTH * State().column);
    const float wasY = piece->y + static_cast<float>(SCREEN_CELL_HEIGHT * State().row);
    if (centreX == wasX && centreY == wasY) return;
    MoveAcrossCells(*piece, centreX, centreY);
    State().moved = true;
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
    if (State().beforeDrag && State().moved) RecordLevelStep(State().beforeDrag.release());
    State().beforeDrag.reset();
    State().dragging = State().moved = false;
}

}  // namespace

void FinishLevelDrag()
{
    EndDrag();
}

void BeginLevelMode()
{
    State().followed = g_cameraFollows;
    g_cameraFollows = 0;
    ForgetLevelPick();
}

void EndLevelMode()
{
    EndDrag();
    g_cameraFollows = State().followed;
    State().column = State().row = State().index = -1;
}

void PressLevelButton()
{
    State().pickDue = true;
    State().dragging = true;
}

void ReleaseLevelButton()
{
    State().pickDue = false;
    EndDrag();
}

void MoveLevelCamera(int across, int up)
{
    // The camera stands at the negated point it looks at.
    g_cameraX -= CAMERA_STEP * static_cast<float>(across);
    g_cameraY -= CAMERA_STEP * static_cast<float>(up);
}

void LevelArrow(int across, int up)
{
    if (!g_editor.controlHeld) {
        MoveLevelCamera(across, up);
        return;
    }
    const float step = static_cast<float>(State().grid);
    EditPicked([across, up, step](ManPart& piece) {
        const float x = piece.x + static_cast<float>(SCREEN_CELL_WIDTH * State().column) + step * static_cast<float>(across);
        const float y = piece.y + static_cast<float>(SCREEN_CELL_HEIGHT * State().row) + step * static_cast<float>(up);
        MoveAcrossCells(piece, x, y);
        return true;
    });
}

void CycleLevelGrid()
{
    int& grid = State().grid;
    const int count = static_cast<int>(sizeof LEVEL_GRIDS / sizeof LEVEL_GRIDS[0]);
    int at = 0;
    while (at < count && LEVEL_GRIDS[at] != grid) ++at;
    grid = LEVEL_GRIDS[(at + 1) % count];
}

void InsertLevelPiece()
{
    EditPicked([](ManPart& piece) {
        LevelCell& cell = *g_level->CellAt(State().column, State().row);
        if (cell.count >= MAX_CELL_PIECES) {
            PostScreenMessage("This cell holds " + std::to_string(MAX_CELL_PIECES) + " pieces already");
            return false;
        }
        ManPart* copy = new ManPart(piece);
        copy->id = NewPieceId();
        copy->x += COPY_OFFSET;
        cell.pieces[cell.count] = copy;
        State().index = cell.count++;
        return true;
    });
}

void DeleteLevelPiece()
{
    EditPicked([](ManPart& piece) {
        LevelCell& cell = *g_level->CellAt(State().column, State().row);
        for (int i = State().index; i + 1 < cell.count; ++i) cell.pieces[i] = cell.pieces[i + 1];
        --cell.count;
        delete &piece;
        State().index = -1;
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
        piece.layer = LayerBehind(piece.layer);
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

void PickLevelPiece(const SceneView& scene)
{
    if (!g_level) return;
    if (State().pickDue) {
        State().pickDue = false;
        PickUnderCursor(scene);
        float x = 0.0f, y = 0.0f;
        ManPart* piece = Picked();
        if (piece && CursorOnGround(scene, x, y)) {
            State().grabX = x - (piece->x + static_cast<float>(SCREEN_CELL_WIDTH * State().column));
            State().grabY = y - (piece->y + static_cast<float>(SCREEN_CELL_HEIGHT * State().row));
            State().beforeDrag.reset(CopyLevel(*g_level));
            State().moved = false;
        }
    } else if (State().dragging) {
        Drag(scene);
    }
}

void DrawLevelMarks(IDirect3DDevice8* device)
{
    if (!g_level || !device) return;
    const ManPart* piece = Picked();
    const VectorPart* image = piece ? PartAt(piece->vecpartnum) : nullptr;
    if (!image) return;
    const D3DXMATRIX world = PieceWorld(*piece, State().column, State().row);
    device->SetTransform(D3DTS_WORLD, &world);
    DrawSlotMarks(device, SlotMarks{true, false}, *image, false);
}

std::string LevelStatusText()
{
    const ManPart* piece = Picked();
    const std::string grid = State().grid > 1 ? " | grid " + std::to_string(State().grid) : std::string();
    if (!piece) return "no piece picked" + grid;
    const VectorPart* image = PartAt(piece->vecpartnum);
    char text[300];
    std::snprintf(text, sizeof text, "cell %d,%d | %s | x %g y %g | layer %d | %c %c %c", State().column, State().row,
                  image && image->textureFile ? image->textureFile : "(no image)", static_cast<double>(piece->x),
                  static_cast<double>(piece->y), piece->layer, piece->solid ? SOLID_FLAG : '-',
                  piece->movable ? MOVABLE_FLAG : '-', piece->pushable ? PUSHABLE_FLAG : '-');
    std::string line = text;
    const int sharing = SlotsSharing(g_level->CellAt(State().column, State().row));
    if (sharing > 1) line += " | cell shared by " + std::to_string(sharing);
    return line + grid;
}

void ForgetLevelPick()
{
    State().column = State().row = State().index = -1;
    State().pickDue = false;
    State().beforeDrag.reset();
    State().dragging = State().moved = false;
}

namespace {

// The figure holds still while the level is built around it.
void HoldStill(float) {}

}  // namespace

extern const Tool LEVEL_TOOL;
const Tool LEVEL_TOOL = {EDIT_LEVEL,   "level",   SlotPicking::NONE, false,          BeginLevelMode,
                         EndLevelMode, HoldStill, PickLevelPiece,    DrawLevelMarks, LevelStatusText};
