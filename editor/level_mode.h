// Level mode (EDIT_LEVEL, F6): the figure holds still and the level is built around it.
// A click picks the piece under the cursor (the part editor's pick, on the pieces as they
// are drawn), the held button drags it, and a piece dragged over a cell edge moves into
// the cell it then stands in. A piece is named by the slot it was picked in and its index
// in that slot's cell; in a cell several slots share, an edit shows in all of them, which
// is what sharing means (the status line says how many). Every change is one step of the
// editor's history (editor/edits.h) and Ctrl+S writes the level as memory holds it, pieces
// pushed in play included, since that is what the player sees.
#pragma once
#include <d3d8.h>

#include "graphics/scene_view.h"

#include <string>

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
// An arrow key: with Control held the picked piece moves by the grid (by a unit with the
// grid off), as one step, into the next cell where it crosses an edge; else the camera.
void LevelArrow(int across, int up);
// `g`: the grid a drag snaps the piece's centre to, LEVEL_GRIDS in turn (1: off).
void CycleLevelGrid();
const int LEVEL_GRIDS[] = {1, 8, 16, 32};

// Edits of the picked piece; each does nothing without one.
void InsertLevelPiece();  // a copy 32 units to the right in the same cell
void DeleteLevelPiece();
void ChangeLevelImage(int step);  // through the parts file's images, round
void CycleLevelLayer();           // front to back, round
void ToggleLevelFlag(char flag);  // SOLID_FLAG, MOVABLE_FLAG or PUSHABLE_FLAG

// The pick and the drag, in the pass's step through the view the pass draws with (the
// level tool's pick), and the picked piece's outline, drawn over the figure.
void PickLevelPiece(const SceneView& scene);
void DrawLevelMarks(IDirect3DDevice8* device);

// "cell 3,1 | crate.png | x 120 y 40 | layer 3 | s m p", or "no piece picked"; then
// " | grid 16" while a grid is on.
std::string LevelStatusText();

// The pick names nothing any more (the level was replaced, a new game).
void ForgetLevelPick();
