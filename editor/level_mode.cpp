#include "editor/level_mode.h"

#include <d3dx8.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/screen_message.h"
#include "editor/edits.h"
#include "editor/tool.h"
#include "editor/editor_state.h"
#include "editor/level_reach.h"
#include "editor/level_replay.h"
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

// Where the mode's state lives: the editor's one record.
LevelToolState& State()
{
    return g_editor.level;
}

float CellLeft(int column)
{
    return static_cast<float>(SCREEN_CELL_WIDTH * column);
}

float CellBottom(int row)
{
    return static_cast<float>(SCREEN_CELL_HEIGHT * row);
}

// The index of the piece with this id in the cell, -1 where it is not there.
int IndexOf(const LevelCell* cell, int id)
{
    if (!cell || id == 0) return -1;
    for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
        if (cell->pieces[i] && cell->pieces[i]->id == id) return i;
    }
    return -1;
}

ManPart* PieceOf(const LevelPick& pick)
{
    const LevelCell* cell = g_level ? g_level->CellAt(pick.column, pick.row) : nullptr;
    const int index = IndexOf(cell, pick.id);
    return index < 0 ? nullptr : cell->pieces[index];
}

bool Selected(int id)
{
    for (const LevelPick& pick : State().selection) {
        if (pick.id == id) return true;
    }
    return false;
}

// The selection without the entries that name no piece any more.
void Prune()
{
    std::vector<LevelPick>& selection = State().selection;
    selection.erase(std::remove_if(selection.begin(), selection.end(),
                                   [](const LevelPick& pick) { return !PieceOf(pick); }),
                    selection.end());
}

// The piece the status line describes: the last picked.
ManPart* Picked()
{
    return State().selection.empty() ? nullptr : PieceOf(State().selection.back());
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
    D3DXMatrixTranslation(&place, CellLeft(column) + piece.x, CellBottom(row) + piece.y, piece.z);
    D3DXMatrixRotationZ(&turn, piece.angle * ANGLE_FACTOR);
    D3DXMatrixMultiply(&world, &turn, &place);
    return world;
}

// The frontmost piece under the cursor among the cells drawn, in the drawing's order; id 0
// for none.
LevelPick PickUnderCursor(const SceneView& scene)
{
    LevelPick found;
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
                        found.id = piece->id;
                        found.column = column;
                        found.row = row;
                    }
                }
            }
        }
    }
    return found;
}

// Moves the piece pick names so that its centre stands at world point (x, y): out of its
// cell into the cell under that point where it crosses an edge, relative to that cell; it
// stays in its cell when no other can take it (outside the grid, a full cell).
void MoveTo(LevelPick& pick, float x, float y)
{
    LevelCell* from = g_level->CellAt(pick.column, pick.row);
    const int index = IndexOf(from, pick.id);
    if (index < 0) return;
    ManPart& piece = *from->pieces[index];
    const int column = static_cast<int>(std::floor(x / SCREEN_CELL_WIDTH));
    const int row = static_cast<int>(std::floor(y / SCREEN_CELL_HEIGHT));
    const bool inGrid = column >= 0 && column < LEVEL_COLUMNS && row >= 0 && row < LEVEL_ROWS;
    if (inGrid && (column != pick.column || row != pick.row)) {
        LevelCell*& to = g_level->slots[column * LEVEL_ROWS + row];
        if (to == from) {
            pick.column = column;
            pick.row = row;
        } else if (!to || to->count < MAX_CELL_PIECES) {
            if (!to) to = new LevelCell();
            for (int i = index; i + 1 < from->count; ++i) from->pieces[i] = from->pieces[i + 1];
            --from->count;
            to->pieces[to->count++] = &piece;
            pick.column = column;
            pick.row = row;
        }
    }
    piece.x = x - CellLeft(pick.column);
    piece.y = y - CellBottom(pick.row);
}

float Snapped(float value)
{
    const float grid = static_cast<float>(State().grid);
    return State().grid > 1 ? std::round(value / grid) * grid : value;
}

void Drag(const SceneView& scene)
{
    LevelToolState& state = State();
    float x = 0.0f, y = 0.0f;
    if (!CursorOnGround(scene, x, y)) return;
    if (state.boxing) {
        state.boxX1 = x;
        state.boxY1 = y;
        return;
    }
    if (state.grabbed < 0 || state.grabbed >= static_cast<int>(state.selection.size()) ||
        state.dragFrom.size() != state.selection.size())
        return;
    // The held piece's centre snaps; the others keep their places from it.
    const float dx = Snapped(x - state.grabX) - state.dragFrom[state.grabbed].first;
    const float dy = Snapped(y - state.grabY) - state.dragFrom[state.grabbed].second;
    for (size_t k = 0; k < state.selection.size(); ++k) {
        LevelPick& pick = state.selection[k];
        const ManPart* piece = PieceOf(pick);
        if (!piece) continue;
        const float toX = state.dragFrom[k].first + dx, toY = state.dragFrom[k].second + dy;
        if (toX == piece->x + CellLeft(pick.column) && toY == piece->y + CellBottom(pick.row)) continue;
        MoveTo(pick, toX, toY);
        state.moved = true;
    }
}

// Runs edit on every selected piece (edit(pick, cell, index) says whether it changed
// anything) as one step of the history.
template <typename Edit>
void EditSelection(Edit edit)
{
    FinishLevelDrag();
    if (!g_level || g_editMode != EDIT_LEVEL) return;
    Prune();
    if (State().selection.empty()) return;
    Level* before = CopyLevel(*g_level);
    bool changed = false;
    std::vector<LevelPick> selection = State().selection;
    for (LevelPick& pick : selection) {
        LevelCell* cell = g_level->CellAt(pick.column, pick.row);
        const int index = IndexOf(cell, pick.id);
        if (index >= 0 && edit(pick, *cell, index)) changed = true;
    }
    State().selection = selection;
    Prune();
    if (changed) {
        RecordLevelStep(before);
    } else {
        DeleteLevel(before);
    }
}

// The pieces whose centres lie in the box become selected (added to it with Shift held).
void SelectBoxed()
{
    LevelToolState& state = State();
    const float left = std::min(state.boxX0, state.boxX1), right = std::max(state.boxX0, state.boxX1);
    const float bottom = std::min(state.boxY0, state.boxY1), top = std::max(state.boxY0, state.boxY1);
    const int firstColumn = std::max(0, static_cast<int>(std::floor(left / SCREEN_CELL_WIDTH)) - 1);
    const int lastColumn = std::min(LEVEL_COLUMNS - 1, static_cast<int>(std::floor(right / SCREEN_CELL_WIDTH)) + 1);
    const int firstRow = std::max(0, static_cast<int>(std::floor(bottom / SCREEN_CELL_HEIGHT)) - 1);
    const int lastRow = std::min(LEVEL_ROWS - 1, static_cast<int>(std::floor(top / SCREEN_CELL_HEIGHT)) + 1);
    for (int column = firstColumn; column <= lastColumn; ++column) {
        for (int row = firstRow; row <= lastRow; ++row) {
            const LevelCell* cell = g_level->CellAt(column, row);
            if (!cell) continue;
            for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
                const ManPart* piece = cell->pieces[i];
                if (!piece || Selected(piece->id)) continue;
                const float x = piece->x + CellLeft(column), y = piece->y + CellBottom(row);
                if (x >= left && x <= right && y >= bottom && y <= top) state.selection.push_back({piece->id, column, row});
            }
        }
    }
}

void EndDrag()
{
    LevelToolState& state = State();
    if (state.boxing && g_level) SelectBoxed();
    if (state.beforeDrag && state.moved) RecordLevelStep(state.beforeDrag.release());
    state.beforeDrag.reset();
    state.dragging = state.moved = state.boxing = false;
    state.grabbed = -1;
    state.dragFrom.clear();
}

// A press, resolved in the step: a piece under the cursor is selected (with Shift: added or
// taken out) and the selection dragged; no piece starts a box.
void Press(const SceneView& scene)
{
    LevelToolState& state = State();
    Prune();
    const LevelPick under = PickUnderCursor(scene);
    float x = 0.0f, y = 0.0f;
    const bool onGround = CursorOnGround(scene, x, y);
    if (under.id == 0) {
        if (!state.shiftHeld) state.selection.clear();
        state.boxing = onGround;
        state.boxX0 = state.boxX1 = x;
        state.boxY0 = state.boxY1 = y;
        return;
    }
    std::vector<LevelPick>& selection = state.selection;
    auto at = std::find_if(selection.begin(), selection.end(), [&](const LevelPick& p) { return p.id == under.id; });
    if (state.shiftHeld && at != selection.end()) {
        selection.erase(at);  // taken out: nothing to drag
        state.dragging = false;
        return;
    }
    if (at != selection.end()) {
        selection.erase(at);  // held again: it becomes the one described
    } else if (!state.shiftHeld) {
        selection.clear();
    }
    selection.push_back(under);
    const ManPart* piece = PieceOf(under);
    if (!piece || !onGround) return;
    state.grabbed = static_cast<int>(selection.size()) - 1;
    state.grabX = x - (piece->x + CellLeft(under.column));
    state.grabY = y - (piece->y + CellBottom(under.row));
    state.dragFrom.clear();
    for (const LevelPick& pick : selection) {
        const ManPart* p = PieceOf(pick);
        state.dragFrom.emplace_back(p ? p->x + CellLeft(pick.column) : 0.0f, p ? p->y + CellBottom(pick.row) : 0.0f);
    }
    state.beforeDrag.reset(CopyLevel(*g_level));
    state.moved = false;
}

// The copies go into the cell under the cursor, the first centred on it.
void Paste(const SceneView& scene)
{
    LevelToolState& state = State();
    float x = 0.0f, y = 0.0f;
    if (state.clipboard.empty() || !CursorOnGround(scene, x, y)) return;
    const int column = static_cast<int>(std::floor(x / SCREEN_CELL_WIDTH));
    const int row = static_cast<int>(std::floor(y / SCREEN_CELL_HEIGHT));
    if (column < 0 || column >= LEVEL_COLUMNS || row < 0 || row >= LEVEL_ROWS) {
        PostScreenMessage("No cell under the cursor to paste into");
        return;
    }
    LevelCell* cell = g_level->CellAt(column, row);
    const int count = static_cast<int>(state.clipboard.size());
    if ((cell ? cell->count : 0) + count > MAX_CELL_PIECES) {
        PostScreenMessage("This cell holds " + std::to_string(MAX_CELL_PIECES) + " pieces at most");
        return;
    }
    Level* before = CopyLevel(*g_level);
    LevelCell*& slot = g_level->slots[column * LEVEL_ROWS + row];
    if (!slot) slot = new LevelCell();
    const float anchorX = Snapped(x), anchorY = Snapped(y);
    state.selection.clear();
    for (const ManPart& copied : state.clipboard) {
        ManPart* piece = new ManPart(copied);
        piece->id = NewPieceId();
        piece->x = anchorX + copied.x - CellLeft(column);
        piece->y = anchorY + copied.y - CellBottom(row);
        slot->pieces[slot->count++] = piece;
        state.selection.push_back({piece->id, column, row});
    }
    RecordLevelStep(before);
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
    State().selection.clear();
    State().pasteDue = false;
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

void HoldLevelShift(bool held)
{
    State().shiftHeld = held;
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
    EditSelection([across, up, step](LevelPick& pick, LevelCell& cell, int index) {
        const ManPart& piece = *cell.pieces[index];
        MoveTo(pick, piece.x + CellLeft(pick.column) + step * static_cast<float>(across),
               piece.y + CellBottom(pick.row) + step * static_cast<float>(up));
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
    std::vector<LevelPick> copies;
    bool full = false;
    EditSelection([&copies, &full](LevelPick& pick, LevelCell& cell, int index) {
        if (cell.count >= MAX_CELL_PIECES) {
            full = true;
            return false;
        }
        ManPart* copy = new ManPart(*cell.pieces[index]);
        copy->id = NewPieceId();
        copy->x += COPY_OFFSET;
        cell.pieces[cell.count++] = copy;
        copies.push_back({copy->id, pick.column, pick.row});
        return true;
    });
    if (full) PostScreenMessage("This cell holds " + std::to_string(MAX_CELL_PIECES) + " pieces already");
    if (!copies.empty()) State().selection = copies;
}

void DeleteLevelPiece()
{
    EditSelection([](LevelPick& pick, LevelCell& cell, int index) {
        ManPart* piece = cell.pieces[index];
        for (int i = index; i + 1 < cell.count; ++i) cell.pieces[i] = cell.pieces[i + 1];
        --cell.count;
        delete piece;
        pick.id = 0;
        return true;
    });
}

void ChangeLevelImage(int step)
{
    EditSelection([step](LevelPick&, LevelCell& cell, int index) {
        if (g_numParts <= 0) return false;
        ManPart& piece = *cell.pieces[index];
        piece.vecpartnum = ((piece.vecpartnum + step) % g_numParts + g_numParts) % g_numParts;
        return true;
    });
}

void CycleLevelLayer()
{
    EditSelection([](LevelPick&, LevelCell& cell, int index) {
        ManPart& piece = *cell.pieces[index];
        piece.layer = LayerBehind(piece.layer);
        return true;
    });
}

namespace {

unsigned char* FlagOf(ManPart& piece, char flag)
{
    return flag == SOLID_FLAG ? &piece.solid : flag == MOVABLE_FLAG ? &piece.movable : &piece.pushable;
}

}  // namespace

void ToggleLevelFlag(char flag)
{
    Prune();
    ManPart* last = Picked();
    if (!last) return;
    const unsigned char value = !*FlagOf(*last, flag);
    EditSelection([flag, value](LevelPick&, LevelCell& cell, int index) {
        unsigned char* f = FlagOf(*cell.pieces[index], flag);
        if (*f == value) return false;
        *f = value;
        return true;
    });
}

void CopyLevelSelection()
{
    if (g_editMode != EDIT_LEVEL || !g_level) return;
    FinishLevelDrag();
    Prune();
    if (State().selection.empty()) return;
    std::vector<ManPart>& clipboard = State().clipboard;
    clipboard.clear();
    float firstX = 0.0f, firstY = 0.0f;
    for (const LevelPick& pick : State().selection) {
        ManPart copy = *PieceOf(pick);
        const float x = copy.x + CellLeft(pick.column), y = copy.y + CellBottom(pick.row);
        if (clipboard.empty()) firstX = x, firstY = y;
        copy.x = x - firstX;
        copy.y = y - firstY;
        clipboard.push_back(copy);
    }
    const size_t n = clipboard.size();
    PostScreenMessage(std::to_string(n) + (n == 1 ? " piece copied" : " pieces copied"));
}

void PasteLevelSelection()
{
    if (g_editMode != EDIT_LEVEL || !g_level) return;
    FinishLevelDrag();
    if (State().clipboard.empty()) {
        PostScreenMessage("Nothing copied to paste");
        return;
    }
    State().pasteDue = true;
}

void PickLevelPiece(const SceneView& scene)
{
    if (!g_level) return;
    if (State().pasteDue) {
        State().pasteDue = false;
        Paste(scene);
    }
    if (State().pickDue) {
        State().pickDue = false;
        Press(scene);
    } else if (State().dragging) {
        Drag(scene);
    }
    UpdateLevelReach();
    UpdateLevelReplay();
}

namespace {

const DWORD BOX_COLOUR = 0xFFFFFF00u;

QuadVertex MarkVertex(float x, float y, DWORD colour)
{
    QuadVertex vertex = {};
    vertex.x = x;
    vertex.y = y;
    vertex.colour = colour;
    return vertex;
}

}  // namespace

void DrawLevelRect(IDirect3DDevice8* device, float left, float bottom, float right, float top, DWORD colour, bool filled)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    const QuadVertex vertices[4] = {MarkVertex(left, top, colour), MarkVertex(right, top, colour),
                                    MarkVertex(right, bottom, colour), MarkVertex(left, bottom, colour)};
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device, vertices);
    if (!buffer) return;
    device->SetTexture(0, nullptr);
    BindQuadBuffer(device, buffer);
    if (filled) {
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    } else {
        DrawWireFrameOutline(device);
    }
    buffer->Release();
}

void DrawLevelLines(IDirect3DDevice8* device, const std::vector<std::pair<float, float>>& points, DWORD colour)
{
    if (points.size() < 2) return;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTexture(0, nullptr);
    // Two segments a buffer: a, b and b, c.
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
        const size_t c = std::min(i + 2, points.size() - 1);
        const QuadVertex vertices[4] = {MarkVertex(points[i].first, points[i].second, colour),
                                        MarkVertex(points[i + 1].first, points[i + 1].second, colour),
                                        MarkVertex(points[i + 1].first, points[i + 1].second, colour),
                                        MarkVertex(points[c].first, points[c].second, colour)};
        IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device, vertices);
        if (!buffer) return;
        BindQuadBuffer(device, buffer);
        device->DrawPrimitive(D3DPT_LINELIST, 0, 2);
        buffer->Release();
    }
}

void DrawLevelMarks(IDirect3DDevice8* device)
{
    if (!g_level || !device) return;
    DrawLevelReach(device);
    DrawLevelReplay(device);
    for (const LevelPick& pick : State().selection) {
        const ManPart* piece = PieceOf(pick);
        const VectorPart* image = piece ? PartAt(piece->vecpartnum) : nullptr;
        if (!image) continue;
        const D3DXMATRIX world = PieceWorld(*piece, pick.column, pick.row);
        device->SetTransform(D3DTS_WORLD, &world);
        DrawSlotMarks(device, SlotMarks{true, false}, *image, false);
    }
    const LevelToolState& state = State();
    if (state.boxing) {
        DrawLevelRect(device, std::min(state.boxX0, state.boxX1), std::min(state.boxY0, state.boxY1),
                      std::max(state.boxX0, state.boxX1), std::max(state.boxY0, state.boxY1), BOX_COLOUR, false);
    }
}

std::string LevelStatusText()
{
    const std::string grid =
        (State().grid > 1 ? " | grid " + std::to_string(State().grid) : std::string()) + LevelReachStatus() + LevelReplayStatus();
    std::vector<LevelPick> selection;
    for (const LevelPick& pick : State().selection) {
        if (PieceOf(pick)) selection.push_back(pick);
    }
    if (selection.empty()) return "no piece picked" + grid;
    if (selection.size() > 1) {
        std::vector<std::pair<int, int>> cells;
        int shared = 0;
        for (const LevelPick& pick : selection) {
            if (std::find(cells.begin(), cells.end(), std::pair{pick.column, pick.row}) != cells.end()) continue;
            cells.emplace_back(pick.column, pick.row);
            shared += SlotsSharing(g_level->CellAt(pick.column, pick.row)) > 1;
        }
        std::string line = std::to_string(selection.size()) + " pieces in " + std::to_string(cells.size()) +
                           (cells.size() == 1 ? " cell" : " cells");
        if (shared > 0) line += " | " + std::to_string(shared) + (shared == 1 ? " cell shared" : " cells shared");
        return line + grid;
    }
    const LevelPick& pick = selection.back();
    const ManPart* piece = PieceOf(pick);
    const VectorPart* image = PartAt(piece->vecpartnum);
    char text[300];
    std::snprintf(text, sizeof text, "cell %d,%d | %s | x %g y %g | layer %d | %c %c %c", pick.column, pick.row,
                  image && image->textureFile ? image->textureFile : "(no image)", static_cast<double>(piece->x),
                  static_cast<double>(piece->y), piece->layer, piece->solid ? SOLID_FLAG : '-',
                  piece->movable ? MOVABLE_FLAG : '-', piece->pushable ? PUSHABLE_FLAG : '-');
    std::string line = text;
    const int sharing = SlotsSharing(g_level->CellAt(pick.column, pick.row));
    if (sharing > 1) line += " | cell shared by " + std::to_string(sharing);
    return line + grid;
}

void ForgetLevelPick()
{
    LevelToolState& state = State();
    state.selection.clear();
    state.pickDue = state.pasteDue = false;
    state.beforeDrag.reset();
    state.dragging = state.moved = state.boxing = false;
    state.grabbed = -1;
    state.dragFrom.clear();
}

void ForgetLevelRuns()
{
    State().reach = LevelReachState();
    State().replay = LevelReplayState();
}

namespace {

// The figure holds still while the level is built around it.
void HoldStill(float) {}

}  // namespace

extern const Tool LEVEL_TOOL;
const Tool LEVEL_TOOL = {EDIT_LEVEL,   "level",   SlotPicking::NONE, false,          BeginLevelMode,
                         EndLevelMode, HoldStill, PickLevelPiece,    DrawLevelMarks, LevelStatusText};
