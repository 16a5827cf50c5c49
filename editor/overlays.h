// What the editor draws over the figure and how it finds what is under the cursor: the
// pick tests (run in the pass's step, through the pass's view), the slot outline, the
// pivot cross and the hit boxes (drawn by the figure drawing between BeginScene and
// EndScene; device results are not checked, an overlay whose buffer cannot be made is
// left out).
#pragma once
#include <d3d8.h>
#include <d3dx8.h>

#include <vector>

#include "editor/editor.h"
#include "figure/records.h"
#include "graphics/scene_view.h"

const float PIVOT_CROSS_HALF = 10.0f;
const float POINT_MARK_HALF = 3.0f;

// Whether the eye ray through the cursor, in the pass's view, meets the image's quad as it
// is drawn under world (tile [0][0] only, the whole of a one-tile image): the pick of slots
// and pieces.
bool CursorOverImage(const SceneView& scene, const VectorPart& image, const D3DXMATRIX& world);

// Where the eye ray through the cursor meets the plane z = 0 of the world; false when it
// runs along the plane.
bool CursorOnGround(const SceneView& scene, float& x, float& y);
// The same in the frame a world matrix maps to the world: the cursor as a point of that frame.
bool CursorInFrame(const SceneView& scene, const D3DXMATRIX& frame, float& x, float& y);
// Where point (x, y, 0) of the frame lands on the back buffer, in pixels.
D3DXVECTOR3 ScreenPoint(const SceneView& scene, const D3DXMATRIX& frame, float x, float y);

// A small square mark centred on (x, y) under the device's world transform: outlined, or
// filled where it stands out (the joint a slot hangs from).
void DrawPointMark(IDirect3DDevice8* device, float x, float y, bool filled);

// The draw-list entry of the frontmost slot under the cursor, -1 for none; worlds holds
// each slot's world matrix by slot index. Where the tool in force drops the selection
// nothing is tested and the selection is cleared.
int PickSlot(const SceneView& scene, const VectorMan& man, const std::vector<int>& drawList,
             const std::vector<D3DXMATRIX>& worlds);

// The marks of a slot just drawn under its world matrix; drawn: its tiles were drawn.
void DrawSlotMarks(IDirect3DDevice8* device, const SlotMarks& marks, const VectorPart& image, bool drawn);

// The figure's hit boxes, with its translation only: they do not turn with it.
void DrawHitBoxes(IDirect3DDevice8* device, const VectorMan& man);
