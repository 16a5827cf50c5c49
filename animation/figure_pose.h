// Posing the figure: the world matrix of each slot through the joint hierarchy, the order
// the layers are drawn in, and the world positions of the tracked slots that the next
// pass's strikes read. Arithmetic over the records only: nothing here draws or changes
// the figure but StoreTrackedPositions, which writes worldX and worldY.
#pragma once
#include <d3d8.h>
#include <d3dx8.h>

#include <vector>

#include "figure/records.h"

// The figure's own matrix: turned about y (its facing), then about z, then moved to x, y, z.
D3DXMATRIX FigureMatrix(const VectorMan& man);
// Every slot's world matrix by slot index, under figure. A slot with no usable parent hangs
// from the figure's origin; a parent chain that runs in a circle is cut where it closes.
std::vector<D3DXMATRIX> SlotWorldMatrices(const VectorMan& man, const D3DXMATRIX& figure);
// Slot indices below `slots` from the back layer to the front: later ones cover.
std::vector<int> DrawOrder(const VectorMan& man, int slots);
// The image centre of every tracked slot that is drawn, in world units, into its worldX
// and worldY: where the figure stands now, which the next pass's strike test uses.
void StoreTrackedPositions(VectorMan& man);
// An image's tiles under the current world transform with their vertex colour replaced:
// the texture stage multiplies it in, so its alpha makes the image faint and its colour tints.
void DrawTinted(IDirect3DDevice8* device, const VectorPart& image, DWORD colour);
