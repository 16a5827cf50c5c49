#include "graphics/scene_view.h"

#include "figure/records.h"
#include "graphics/device.h"
#include "graphics/draw_helpers.h"
#include "graphics/scene_state.h"

namespace {

// pi / 4 as the float the projection has always used.
const float FIELD_OF_VIEW = 0.7853982f;
const float NEAR_PLANE = 1.0f;
const float FAR_PLANE = 2000.0f;

}  // namespace

D3DXMATRIX CameraView(float x, float y)
{
    D3DXMATRIX pitch, yaw, move, view;
    D3DXMatrixRotationX(&pitch, g_cameraPitch * ANGLE_FACTOR);
    D3DXMatrixRotationY(&yaw, g_cameraYaw * ANGLE_FACTOR);
    D3DXMatrixTranslation(&move, x, y, g_cameraDistance);
    D3DXMatrixMultiply(&view, &pitch, &yaw);
    D3DXMatrixMultiply(&view, &view, &move);
    return view;
}

D3DXMATRIX SceneProjection()
{
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, FIELD_OF_VIEW, g_screenWidth / g_screenHeight, NEAR_PLANE, FAR_PLANE);
    return projection;
}

D3DVIEWPORT8 SceneViewport()
{
    D3DVIEWPORT8 viewport;
    viewport.X = 0;
    viewport.Y = 0;
    viewport.Width = static_cast<DWORD>(g_screenWidth);
    viewport.Height = static_cast<DWORD>(g_screenHeight);
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;
    return viewport;
}

SceneView CurrentSceneView()
{
    const bool follows = g_cameraFollows && g_vectorMan;
    SceneView scene;
    scene.view = CameraView(follows ? -g_vectorMan->x : g_cameraX, follows ? -g_vectorMan->y : g_cameraY);
    scene.projection = SceneProjection();
    scene.viewport = SceneViewport();
    return scene;
}

void PickRay(const SceneView& scene, const D3DXMATRIX& world, float x, float y, D3DXVECTOR3& nearPoint,
             D3DXVECTOR3& farPoint)
{
    const D3DXVECTOR3 onNear(x, y, 0.0f);
    const D3DXVECTOR3 onFar(x, y, 1.0f);
    D3DXVec3Unproject(&nearPoint, &onNear, &scene.viewport, &scene.projection, &scene.view, &world);
    D3DXVec3Unproject(&farPoint, &onFar, &scene.viewport, &scene.projection, &scene.view, &world);
}
