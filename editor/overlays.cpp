#include "editor/overlays.h"

#include <cmath>
#include <cstdlib>

#include "editor/timeline.h"
#include "editor/tool.h"
#include "game/state.h"
#include "graphics/draw_helpers.h"

namespace {

// Overlays flicker on purpose, so they stand out against any image behind them.
DWORD RandomColour()
{
    const DWORD red = static_cast<DWORD>(std::rand() % 256);
    const DWORD green = static_cast<DWORD>(std::rand() % 256);
    const DWORD blue = static_cast<DWORD>(std::rand() % 256);
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

QuadVertex OverlayVertex(float x, float y)
{
    QuadVertex vertex = {};
    vertex.x = x;
    vertex.y = y;
    vertex.z = 0.0f;
    vertex.colour = RandomColour();
    return vertex;
}

}  // namespace

bool CursorOverImage(const SceneView& scene, const VectorPart& image, const D3DXMATRIX& world)
{
    IDirect3DVertexBuffer8* buffer = image.primaryVertexBuffer;
    if (!buffer) return false;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) return false;
    D3DXVECTOR3 corners[4];
    const QuadVertex* vertices = reinterpret_cast<const QuadVertex*>(data);
    for (int i = 0; i < 4; ++i) corners[i] = D3DXVECTOR3(vertices[i].x, vertices[i].y, vertices[i].z);
    buffer->Unlock();

    // A view that cannot be inverted leaves the ray at the eye: nothing is hit.
    D3DXVECTOR3 nearPoint(0.0f, 0.0f, 0.0f), farPoint(0.0f, 0.0f, 0.0f);
    PickRay(scene, world, static_cast<float>(g_cursorPos.x), static_cast<float>(g_cursorPos.y), nearPoint, farPoint);

    // In view space the eye sits at the origin, so the far point doubles as the direction.
    D3DXMATRIX toView;
    D3DXMatrixMultiply(&toView, &world, &scene.view);
    D3DXVECTOR3 c[4];
    for (int i = 0; i < 4; ++i) {
        D3DXVECTOR4 p;
        D3DXVec3Transform(&p, &corners[i], &toView);
        c[i] = D3DXVECTOR3(p.x, p.y, p.z);
    }
    D3DXVECTOR4 n, f;
    D3DXVec3Transform(&n, &nearPoint, &toView);
    D3DXVec3Transform(&f, &farPoint, &toView);
    const D3DXVECTOR3 origin(n.x, n.y, n.z);
    const D3DXVECTOR3 direction(f.x, f.y, f.z);
    float u, v, distance;
    return D3DXIntersectTri(&c[0], &c[1], &c[2], &origin, &direction, &u, &v, &distance) ||
           D3DXIntersectTri(&c[2], &c[3], &c[0], &origin, &direction, &u, &v, &distance);
}

bool CursorOnGround(const SceneView& scene, float& x, float& y)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return CursorInFrame(scene, identity, x, y);
}

D3DXVECTOR3 ScreenPoint(const SceneView& scene, const D3DXMATRIX& frame, float x, float y)
{
    const D3DXVECTOR3 point(x, y, 0.0f);
    D3DXVECTOR3 screen(0.0f, 0.0f, 0.0f);
    D3DXVec3Project(&screen, &point, &scene.viewport, &scene.projection, &scene.view, &frame);
    return screen;
}

void DrawPointMark(IDirect3DDevice8* device, float x, float y, bool filled)
{
    const QuadVertex vertices[4] = {OverlayVertex(x - POINT_MARK_HALF, y + POINT_MARK_HALF),
                                    OverlayVertex(x + POINT_MARK_HALF, y + POINT_MARK_HALF),
                                    OverlayVertex(x + POINT_MARK_HALF, y - POINT_MARK_HALF),
                                    OverlayVertex(x - POINT_MARK_HALF, y - POINT_MARK_HALF)};
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device, vertices);
    if (!buffer) return;
    device->SetTexture(0, nullptr);
    BindQuadBuffer(device, buffer);
    if (filled) device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    else DrawWireFrameOutline(device);
    buffer->Release();
}

bool CursorInFrame(const SceneView& scene, const D3DXMATRIX& frame, float& x, float& y)
{
    D3DXVECTOR3 nearPoint(0.0f, 0.0f, 0.0f), farPoint(0.0f, 0.0f, 0.0f);
    PickRay(scene, frame, static_cast<float>(g_cursorPos.x), static_cast<float>(g_cursorPos.y), nearPoint, farPoint);
    const float depth = nearPoint.z - farPoint.z;
    if (!(depth > 1e-6f || depth < -1e-6f)) return false;
    const float t = nearPoint.z / depth;
    x = nearPoint.x + t * (farPoint.x - nearPoint.x);
    y = nearPoint.y + t * (farPoint.y - nearPoint.y);
    return std::isfinite(x) && std::isfinite(y);
}

namespace {

// The buffer a visible image's Draw leaves bound: its last tile that has one.
IDirect3DVertexBuffer8* LastDrawnTile(const VectorPart& image)
{
    IDirect3DVertexBuffer8* last = nullptr;
    for (int row = 0; row < image.tilesDown && row < TILE_GRID; ++row)
        for (int column = 0; column < image.tilesAcross && column < TILE_GRID; ++column)
            if (image.tileVertexBuffers[column][row]) last = image.tileVertexBuffers[column][row];
    return last;
}

void DrawSlotOutline(IDirect3DDevice8* device, const VectorPart& image, bool drawn)
{
    // A drawn image leaves its last tile bound; a hidden one has bound nothing of its own.
    if (!(drawn && LastDrawnTile(image))) {
        if (!image.primaryVertexBuffer) return;
        BindQuadBuffer(device, image.primaryVertexBuffer);
    }
    DrawWireFrameOutline(device);
}

void DrawPivotCross(IDirect3DDevice8* device, const VectorPart& image)
{
    const float ox = -image.xoffset;
    const float oy = -image.yoffset;
    const QuadVertex vertices[4] = {
        OverlayVertex(ox - PIVOT_CROSS_HALF, oy), OverlayVertex(ox + PIVOT_CROSS_HALF, oy),
        OverlayVertex(ox, oy - PIVOT_CROSS_HALF), OverlayVertex(ox, oy + PIVOT_CROSS_HALF)};
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device, vertices);
    if (!buffer) return;
    device->SetTexture(0, nullptr);
    BindQuadBuffer(device, buffer);
    device->DrawPrimitive(D3DPT_LINELIST, 0, 2);
    buffer->Release();
}

}  // namespace

void DrawHitBoxes(IDirect3DDevice8* device, const VectorMan& man)
{
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, man.x, man.y, man.z);
    device->SetTransform(D3DTS_WORLD, &world);
    IDirect3DVertexBuffer8* buffer = nullptr;
    device->CreateVertexBuffer(4 * sizeof(QuadVertex), D3DUSAGE_WRITEONLY, QUAD_FVF, D3DPOOL_MANAGED, &buffer);
    if (!buffer) return;
    const int count = man.hitBoxes ? man.numHitBoxes : 0;
    for (int i = 0; i < count; ++i) {
        const HitBox& box = man.hitBoxes[i];
        const float left = box.centerX - box.halfWidth, right = box.centerX + box.halfWidth;
        const float top = box.centerY + box.halfHeight, bottom = box.centerY - box.halfHeight;
        const QuadVertex vertices[4] = {OverlayVertex(left, top), OverlayVertex(right, top),
                                        OverlayVertex(right, bottom), OverlayVertex(left, bottom)};
        BYTE* data = nullptr;
        if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) continue;
        QuadVertex* target = reinterpret_cast<QuadVertex*>(data);
        for (int v = 0; v < 4; ++v) target[v] = vertices[v];
        buffer->Unlock();
        device->SetTexture(0, nullptr);
        BindQuadBuffer(device, buffer);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    }
    buffer->Release();
}


int PickSlot(const SceneView& scene, const VectorMan& man, const std::vector<int>& drawList,
             const std::vector<D3DXMATRIX>& worlds)
{
    const SlotPicking picking = CurrentTool().picking;
    if (picking == SlotPicking::DROP) {
        g_selectedPart = -1;
        return -1;
    }
    if (picking == SlotPicking::NONE || picking == SlotPicking::OWN) return -1;
    // Some tools take a new slot only while the button is held; a click on the pose
    // timeline is the timeline's, even over the figure.
    if (picking == SlotPicking::HELD && !g_leftButtonDown) return -1;
    if (OnPoseTimeline(static_cast<float>(g_cursorPos.x), static_cast<float>(g_cursorPos.y))) return -1;
    // The pick test runs on each slot where the pass will draw it, so the editor picks what
    // the player sees under the cursor; the last one drawn is in front.
    int picked = -1;
    for (size_t k = 0; k < drawList.size(); ++k) {
        const int s = drawList[k];
        const VectorPart* image = PartAt(man.parts[s].vecpartnum);
        if (image && CursorOverImage(scene, *image, worlds[s])) picked = static_cast<int>(k);
    }
    return picked;
}

void DrawSlotMarks(IDirect3DDevice8* device, const SlotMarks& marks, const VectorPart& image, bool drawn)
{
    if (marks.outline) DrawSlotOutline(device, image, drawn);
    if (marks.cross) DrawPivotCross(device, image);
}
