// Posing and drawing the figure, with the part editor's picking and overlays.
#pragma once
#include <d3dx8.h>

const float PIVOT_CROSS_HALF = 10.0f;

// The eye ray through the cursor, in the frame of the device's current world transform.
void GetPickRay(D3DXVECTOR3* nearPoint, D3DXVECTOR3* farPoint);
