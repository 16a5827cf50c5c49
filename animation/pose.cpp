#include "animation/pose.h"

#include <cstdlib>
#include <vector>

#include <d3d8.h>
#include <d3dx8.h>

#include "figure/records.h"
#include "editor/editor.h"
#include "figure/roles.h"
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

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

D3DXMATRIX Multiply(const D3DXMATRIX& first, const D3DXMATRIX& second)
{
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &first, &second);
    return m;
}

// Joint point a slot hangs from, or null when its parent link names nothing usable:
// such a slot hangs from the figure's origin instead.
const PartPoint* ParentJoint(const VectorMan& man, int slot)
{
    const ManPart& part = man.parts[slot];
    if (part.rootpart < 0 || part.rootpart >= man.numparts || part.rootpart == slot) return nullptr;
    // The joint points come from the image numbered like the parent slot, not from the
    // image the parent shows now: a key may swap the parent's image without moving its children.
    const VectorPart* joints = PartAt(part.rootpart);
    if (!joints || !joints->points || part.rootpoint < 0 || part.rootpoint >= joints->numpoints) return nullptr;
    return &joints->points[part.rootpoint];
}

// The slot's own matrix: its offset and its image's pivot offset, its turn about the
// pivot, then onto the parent's joint point (if it has one).
D3DXMATRIX LocalMatrix(const ManPart& part, const PartPoint* joint)
{
    const VectorPart* image = PartAt(part.vecpartnum);
    const float xoffset = image ? image->xoffset : 0.0f;
    const float yoffset = image ? image->yoffset : 0.0f;

    D3DXMATRIX onJoint;
    D3DXMatrixIdentity(&onJoint);
    if (joint) onJoint = Translation(static_cast<float>(joint->x), static_cast<float>(joint->y), 0.0f);

    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, part.angle * ANGLE_FACTOR);
    D3DXMATRIX m = Multiply(Translation(part.x, part.y, 0.0f), Translation(xoffset, yoffset, 0.0f));
    m = Multiply(m, turn);
    return Multiply(m, onJoint);
}

// World matrices of the slots through their whole parent chains, whatever the order of
// the slots; a chain that runs in a circle is cut where it closes, and that slot hangs
// from the figure's origin.
class WorldMatrices {
public:
    WorldMatrices(const VectorMan& man, const D3DXMATRIX& figure)
        : man_(man), figure_(figure), world_(man.numparts), state_(man.numparts, UNKNOWN)
    {
    }

    const D3DXMATRIX& World(int slot)
    {
        if (state_[slot] == DONE) return world_[slot];
        state_[slot] = VISITING;
        const PartPoint* joint = ParentJoint(man_, slot);
        const int parent = man_.parts[slot].rootpart;
        if (joint && state_[parent] == VISITING) joint = nullptr;
        const D3DXMATRIX local = LocalMatrix(man_.parts[slot], joint);
        world_[slot] = Multiply(local, joint ? World(parent) : figure_);
        state_[slot] = DONE;
        return world_[slot];
    }

private:
    enum State { UNKNOWN, VISITING, DONE };
    const VectorMan& man_;
    D3DXMATRIX figure_;
    std::vector<D3DXMATRIX> world_;
    std::vector<State> state_;
};

// Whether the eye ray through the cursor meets the slot's quad as it is drawn under world.
// Only tile [0][0] is tested, which for a one-tile image is the whole image.
bool CursorOverSlot(IDirect3DDevice8* device, const VectorPart& image, const D3DXMATRIX& world)
{
    IDirect3DVertexBuffer8* buffer = image.primaryVertexBuffer;
    if (!buffer) return false;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) return false;
    D3DXVECTOR3 corners[4];
    const QuadVertex* vertices = reinterpret_cast<const QuadVertex*>(data);
    for (int i = 0; i < 4; ++i) corners[i] = D3DXVECTOR3(vertices[i].x, vertices[i].y, vertices[i].z);
    buffer->Unlock();

    device->SetTransform(D3DTS_WORLD, &world);
    // A view that cannot be inverted leaves the ray at the eye: nothing is hit.
    D3DXVECTOR3 nearPoint(0.0f, 0.0f, 0.0f), farPoint(0.0f, 0.0f, 0.0f);
    GetPickRay(&nearPoint, &farPoint);

    // In view space the eye sits at the origin, so the far point doubles as the direction.
    D3DXMATRIX view;
    device->GetTransform(D3DTS_VIEW, &view);
    const D3DXMATRIX toView = Multiply(world, view);
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

// Hit boxes are drawn with the figure's translation only: they do not turn with it.
void DrawHitBoxes(IDirect3DDevice8* device, const VectorMan& man)
{
    const D3DXMATRIX world = Translation(man.x, man.y, man.z);
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

}  // namespace

void GetPickRay(D3DXVECTOR3* nearPoint, D3DXVECTOR3* farPoint)
{
    IDirect3DDevice8* device = g_device;
    if (!device) return;
    D3DVIEWPORT8 viewport;
    D3DXMATRIX projection, view, world;
    device->GetViewport(&viewport);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_WORLD, &world);
    const float x = static_cast<float>(g_cursorPos.x);
    const float y = static_cast<float>(g_cursorPos.y);
    const D3DXVECTOR3 onNear(x, y, 0.0f);
    const D3DXVECTOR3 onFar(x, y, 1.0f);
    D3DXVec3Unproject(nearPoint, &onNear, &viewport, &projection, &view, &world);
    D3DXVec3Unproject(farPoint, &onFar, &viewport, &projection, &view, &world);
}

int VectorMan::DrawFigure()
{
    IDirect3DDevice8* device = g_device;
    if (!device) return 0;
    const int slots = parts ? numparts : 0;

    D3DXMATRIX turnY, turnZ;
    D3DXMatrixRotationY(&turnY, yAngle * ANGLE_FACTOR);
    D3DXMatrixRotationZ(&turnZ, zAngle * ANGLE_FACTOR);
    const D3DXMATRIX figure = Multiply(Multiply(turnY, turnZ), Translation(x, y, z));

    // Back layer first: everything lies at z = 0, so what is drawn later covers.
    std::vector<int> drawList;
    drawList.reserve(slots > 0 ? slots : 0);
    for (int layer = BACK_LAYER; layer >= FRONT_LAYER; --layer)
        for (int i = 0; i < slots; ++i)
            if (parts[i].layer == layer) drawList.push_back(i);

    WorldMatrices matrices(*this, figure);
    for (int i : drawList) {
        const D3DXMATRIX& world = matrices.World(i);
        if (parts[i].tracked) {
            const D3DXVECTOR3 centre(0.0f, 0.0f, 0.0f);
            D3DXVECTOR4 p;
            D3DXVec3Transform(&p, &centre, &world);
            parts[i].worldX = p.x;
            parts[i].worldY = p.y;
        }
    }

    // The pick test runs on each slot where it is drawn, so the editor picks what the
    // player sees under the cursor.
    int picked = -1;
    if (g_editMode != EDIT_PLAY) {
        // Pivot editing only takes a new slot while the button is held.
        const bool mayPick = g_editMode != EDIT_PIVOT || g_leftButtonDown;
        for (size_t k = 0; mayPick && k < drawList.size(); ++k) {
            const int s = drawList[k];
            const VectorPart* image = PartAt(parts[s].vecpartnum);
            if (image && CursorOverSlot(device, *image, matrices.World(s))) picked = static_cast<int>(k);
        }
    } else {
        g_selectedPart = -1;
    }

    for (size_t k = 0; k < drawList.size(); ++k) {
        const int s = drawList[k];
        bool outline = false;
        bool cross = false;
        if (static_cast<int>(k) == picked) {
            outline = true;
            // Holding the button in hover mode keeps what hovering selected.
            if (!(g_editMode == EDIT_HOVER && g_leftButtonDown)) g_selectedPart = s;
        }
        if (g_editMode == EDIT_PIVOT && s == g_selectedPart) {
            outline = true;
            cross = true;
        }
        if (g_editMode == EDIT_PLAY) outline = false;

        device->SetTransform(D3DTS_WORLD, &matrices.World(s));
        VectorPart* image = PartAt(parts[s].vecpartnum);
        if (!image) continue;
        const bool drawn = parts[s].visible != 0;
        if (drawn) image->Draw();
        if (outline) DrawSlotOutline(device, *image, drawn);
        if (cross) DrawPivotCross(device, *image);
    }

    if (g_showHitBoxes) DrawHitBoxes(device, *this);
    return 0;
}
