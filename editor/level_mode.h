// Level mode (EDIT_LEVEL, F6): the figure holds still and the level is built around it.
// A click selects the piece under the cursor (the part editor's pick, on the pieces as they
// are drawn), Shift+click adds a piece to the selection or takes it out, and a drag begun
// on no piece draws a box that selects the pieces whose centres lie inside it. The held
// button drags the whole selection, and a piece dragged over a cell edge moves into the
// cell it then stands in. A piece is named by its id and the slot it was picked in; in a
// cell several slots share, an edit shows in all of them, which is what sharing means (the
// status line says how many). Every edit acts on the whole selection as one step of the
// editor's history (editor/edits.h) and Ctrl+S writes the level as memory holds it, pieces
// pushed in play included, since that is what the player sees.
#pragma once
#include <d3d8.h>

#include "graphics/scene_view.h"

#include <string>
#include <utility>
#include <vector>

// Into and out of the mode (EnterEditMode calls them): the camera stops following the
// figure while the mode lasts and follows as before after it.
void BeginLevelMode();
void EndLevelMode();

// The mouse button: down picks (in the pass's step, once the view is known) and starts a
// drag; up ends it, the drag as one step.
void PressLevelButton();
void ReleaseLevelButton();

// Ends a drag in progress as one step of its own, the button still held or not. Every
// other edit, the undo, the redo and the save call it first: otherwise the edit would copy
// a level halfway through the drag, and that half-dragged level would become a step, or
// the level the history takes for the one on disk.
void FinishLevelDrag();

// Moves the camera by whole steps (+1 right or up).
void MoveLevelCamera(int across, int up);
// An arrow key: with Control held the selection moves by the grid (by a unit with the
// grid off), as one step, each piece into the next cell where it crosses an edge; else the
// camera.
void LevelArrow(int across, int up);
// `g`: the grid a drag snaps the piece's centre to, LEVEL_GRIDS in turn (1: off).
void CycleLevelGrid();
const int LEVEL_GRIDS[] = {1, 8, 16, 32};

// Shift held or let go: a click then adds to the selection or takes out of it.
void HoldLevelShift(bool held);

// Edits of every selected piece, each one step; each does nothing without a selection.
void InsertLevelPiece();  // a copy of each 32 units to the right in its cell; the copies selected
void DeleteLevelPiece();
void ChangeLevelImage(int step);  // through the parts file's images, round
void CycleLevelLayer();           // front to back, round
// SOLID_FLAG, MOVABLE_FLAG or PUSHABLE_FLAG: every selected piece takes the flag the
// last picked one lacks.
void ToggleLevelFlag(char flag);

// Ctrl+C: the selection is copied, its pieces' places relative to each other kept.
void CopyLevelSelection();
// Ctrl+V: in the next step the copies go into the cell under the cursor, the first of them
// centred on the cursor (snapped to the grid), the others where they stood from it; they
// become the selection, as one step. Refused where the cell has no room for them all.
void PasteLevelSelection();

// The pick, the drag, the box and the paste, in the pass's step through the view the pass
// draws with (the level tool's pick), and each selected piece's outline and the box,
// drawn over the figure.
void PickLevelPiece(const SceneView& scene);
void DrawLevelMarks(IDirect3DDevice8* device);
// What the level's overlays are drawn with, in world units at z = 0: a box, outlined or
// filled, and a line through points.
void DrawLevelRect(IDirect3DDevice8* device, float left, float bottom, float right, float top, DWORD colour,
                   bool filled);
void DrawLevelLines(IDirect3DDevice8* device, const std::vector<std::pair<float, float>>& points, DWORD colour);

// "cell 3,1 | crate.png | x 120 y 40 | layer 3 | s m p" for one piece, "3 pieces in 2
// cells" for more, or "no piece picked"; then " | grid 16" while a grid is on.
std::string LevelStatusText();

// The selection names nothing any more (the level was replaced, a new game).
void ForgetLevelPick();
// The reach and the replayed run go (new records: the run's figures named the old keys).
void ForgetLevelRuns();
