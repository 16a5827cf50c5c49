// The fixed render state, projection, data loading and start values of the scene.
#pragma once

void InitSceneResources();
