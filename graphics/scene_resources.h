// The fixed render state, projection, data loading and start values of the scene.
#pragma once

#include <d3d8.h>

void InitSceneResources();
// The render state, viewport, projection and start view every frame of the game relies
// on, set once on a new device (also used by the benchmarks to draw as the game does).
void SetFixedDeviceState(IDirect3DDevice8* device);
