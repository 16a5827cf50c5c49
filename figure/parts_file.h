// vecparts.dat: the part images and their geometry.
#pragma once
#include "figure/records.h"
#include "graphics/draw_helpers.h"

int LoadVectorParts();
void SetPartTexture(int index, VectorPart& part, const char* fileName);
// Writes the four vertices of a centred w x h quad with the given texture extent.
void FillQuadVertices(QuadVertex* vertices, int width, int height, float uMax, float vMax, DWORD colour);
