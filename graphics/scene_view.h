// The pass's view of the scene: the camera's view matrix, the projection and the viewport,
// worked out from the camera, the figure it may follow and the screen size. The drawing
// puts them on the device and the editor's tools pick through them in the pass's step, so
// both see the same scene and nothing has to be read back from the device.
#pragma once
#include <d3d8.h>
#include <d3dx8.h>

struct SceneView {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DVIEWPORT8 viewport;
};

// The view the scene is drawn with now: from the camera, or from where the camera stands
// once it has followed the figure, when it follows.
SceneView CurrentSceneView();
// The parts that do not move with the camera, as the scene set-up gives them to the device.
D3DXMATRIX SceneProjection();
D3DVIEWPORT8 SceneViewport();
// The camera's view matrix with the camera at x, y.
D3DXMATRIX CameraView(float x, float y);

// The eye ray through the back-buffer point (x, y), in the frame of world: its points on
// the near and far planes.
void PickRay(const SceneView& scene, const D3DXMATRIX& world, float x, float y, D3DXVECTOR3& nearPoint,
             D3DXVECTOR3& farPoint);
