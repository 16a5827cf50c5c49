#include "animation/render.h"

#include <d3d8.h>
#include <d3dx8.h>

#include "animation/figure_overlay.h"
#include "graphics/scene_view.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "graphics/device.h"
#include "graphics/draw_helpers.h"
#include "graphics/scene_state.h"
#include "level/level.h"

namespace {

// The game cursor is the only cursor the player sees; it goes on top of everything.
void DrawCursor(IDirect3DDevice8* device)
{
    const VectorPart* cursor = PartAt(CURSOR_IMAGE);
    if (!cursor || !cursor->tileTextures[0][0]) return;
    ID3DXSprite* sprite = nullptr;
    if (FAILED(D3DXCreateSprite(device, &sprite)) || !sprite) return;
    const D3DXVECTOR2 at(static_cast<float>(g_mouseX), static_cast<float>(g_mouseY));
    sprite->Draw(cursor->tileTextures[0][0], nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFF);
    sprite->Release();
}

}  // namespace

void RenderScene()
{
    IDirect3DDevice8* device = g_device;
    if (!device) return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOUR, 1.0f, 0);

    if (g_cameraFollows && g_vectorMan) {
        g_cameraX = -g_vectorMan->x;
        g_cameraY = -g_vectorMan->y;
    }
    const D3DXMATRIX view = CurrentSceneView().view;
    device->SetTransform(D3DTS_VIEW, &view);

    device->BeginScene();
    if (g_level) g_level->DrawLevel();
    if (g_vectorMan) g_vectorMan->DrawFigure();
    if (Overlay().overScene) Overlay().overScene(device);
    DrawCursor(device);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
