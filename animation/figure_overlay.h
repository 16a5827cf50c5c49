// What a tool above the animation layer draws with the figure and the scene, without the
// drawing knowing the tool: faint poses under the figure, the slot under the cursor, marks
// after each slot (in the figure's own order, so later slots cover a mark as they cover
// its slot), marks over the whole figure, and text over the whole scene. The editor puts
// its functions in place when it is linked in; an empty field draws nothing, so the game
// alone (a benchmark, the exporter) draws the bare figure.
#pragma once
#include <d3d8.h>
#include <d3dx8.h>

#include <vector>

#include "figure/records.h"

struct FigureOverlay {
    void (*underFigure)(IDirect3DDevice8* device, const VectorMan& man, const D3DXMATRIX& figure) = nullptr;
    // The draw-list entry under the cursor, -1 for none; worlds by slot index.
    int (*pick)(IDirect3DDevice8* device, const VectorMan& man, const std::vector<int>& drawList,
                const std::vector<D3DXMATRIX>& worlds) = nullptr;
    // Right after draw-list entry `entry` (slot `slot`) was drawn under its world matrix,
    // for every entry; image: the slot's image, null when it names none; drawn: its tiles
    // were drawn (a hidden slot's are not).
    void (*afterSlot)(IDirect3DDevice8* device, int entry, int slot, int picked, const VectorPart* image,
                      bool drawn) = nullptr;
    void (*overFigure)(IDirect3DDevice8* device, const VectorMan& man) = nullptr;
    void (*overScene)(IDirect3DDevice8* device) = nullptr;
};

// The overlay in force; the tool fills in its fields.
FigureOverlay& Overlay();
