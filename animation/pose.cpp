// Posing and drawing the figure (VectorMan::DrawFigure): the joint hierarchy, the layers,
// the world positions of tracked slots; a tool above marks what it picks through the overlay.
#include <algorithm>
#include <vector>

#include <d3d8.h>
#include <d3dx8.h>

#include "animation/figure_overlay.h"
#include "animation/figure_pose.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "graphics/device.h"
#include "graphics/draw_helpers.h"

namespace {

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

// Joint point a slot hangs from, or null when its parent link names nothing usable.
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
// the slots. A slot with no parent (or one out of range, or itself) hangs from the figure's
// origin; a chain that runs in a circle is cut where it closes, and that slot hangs there too.
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
        const int parent = man_.parts[slot].rootpart;
        const bool hasParent =
            parent >= 0 && parent < man_.numparts && parent != slot && state_[parent] != VISITING;
        // A joint that cannot be found (no image, no points, a point out of range) costs the
        // slot its joint offset only: it stays with its parent instead of leaving the figure.
        const PartPoint* joint = hasParent ? ParentJoint(man_, slot) : nullptr;
        const D3DXMATRIX local = LocalMatrix(man_.parts[slot], joint);
        world_[slot] = Multiply(local, hasParent ? World(parent) : figure_);
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

}  // namespace

FigureOverlay& Overlay()
{
    static FigureOverlay overlay;
    return overlay;
}

D3DXMATRIX FigureMatrix(const VectorMan& man)
{
    D3DXMATRIX turnY, turnZ;
    D3DXMatrixRotationY(&turnY, man.yAngle * ANGLE_FACTOR);
    D3DXMatrixRotationZ(&turnZ, man.zAngle * ANGLE_FACTOR);
    return Multiply(Multiply(turnY, turnZ), Translation(man.x, man.y, man.z));
}

std::vector<D3DXMATRIX> SlotWorldMatrices(const VectorMan& man, const D3DXMATRIX& figure)
{
    const int slots = man.parts ? man.numparts : 0;
    std::vector<D3DXMATRIX> worlds(slots > 0 ? slots : 0);
    WorldMatrices matrices(man, figure);
    for (int i = 0; i < slots; ++i) worlds[i] = matrices.World(i);
    return worlds;
}

// Back layer first: everything lies at z = 0, so what is drawn later covers.
std::vector<int> DrawOrder(const VectorMan& man, int slots)
{
    std::vector<int> drawList;
    drawList.reserve(slots > 0 ? slots : 0);
    for (int layer = BACK_LAYER; layer >= FRONT_LAYER; --layer)
        for (int i = 0; i < slots; ++i)
            if (man.parts[i].layer == layer) drawList.push_back(i);
    return drawList;
}

void StoreTrackedPositions(VectorMan& man)
{
    const int slots = man.parts ? man.numparts : 0;
    WorldMatrices matrices(man, FigureMatrix(man));
    // Every pass: only the tracked slots' chains are posed, and no draw list is made.
    for (int i = 0; i < slots; ++i) {
        const int layer = man.parts[i].layer;
        if (!man.parts[i].tracked || layer < FRONT_LAYER || layer > BACK_LAYER) continue;
        const D3DXVECTOR3 centre(0.0f, 0.0f, 0.0f);
        D3DXVECTOR4 p;
        D3DXVec3Transform(&p, &centre, &matrices.World(i));
        man.parts[i].worldX = p.x;
        man.parts[i].worldY = p.y;
    }
}

void DrawTinted(IDirect3DDevice8* device, const VectorPart& image, DWORD colour)
{
    for (int row = 0; row < image.tilesDown && row < TILE_GRID; ++row) {
        for (int column = 0; column < image.tilesAcross && column < TILE_GRID; ++column) {
            IDirect3DVertexBuffer8* tile = image.tileVertexBuffers[column][row];
            BYTE* data = nullptr;
            if (!tile || FAILED(tile->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) continue;
            QuadVertex vertices[4];
            for (int v = 0; v < 4; ++v) {
                vertices[v] = reinterpret_cast<const QuadVertex*>(data)[v];
                vertices[v].colour = colour;
            }
            tile->Unlock();
            IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device, vertices);
            if (!buffer) continue;
            device->SetTexture(0, image.tileTextures[column][row]);
            BindQuadBuffer(device, buffer);
            device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
            buffer->Release();
        }
    }
}

int VectorMan::DrawFigure()
{
    IDirect3DDevice8* device = g_device;
    if (!device) return 0;
    const int slots = parts ? numparts : 0;
    const FigureOverlay& overlay = Overlay();
    const D3DXMATRIX figure = FigureMatrix(*this);

    if (overlay.underFigure) overlay.underFigure(device, *this, figure);
    const std::vector<int> drawList = DrawOrder(*this, slots);
    const std::vector<D3DXMATRIX> worlds = SlotWorldMatrices(*this, figure);

    const int picked = overlay.pick ? overlay.pick(device, *this, drawList, worlds) : -1;
    for (size_t k = 0; k < drawList.size(); ++k) {
        const int s = drawList[k];
        device->SetTransform(D3DTS_WORLD, &worlds[s]);
        VectorPart* image = PartAt(parts[s].vecpartnum);
        const bool drawn = image && parts[s].visible != 0;
        if (drawn) image->Draw();
        if (overlay.afterSlot) overlay.afterSlot(device, static_cast<int>(k), s, picked, image, drawn);
    }

    if (overlay.overFigure) overlay.overFigure(device, *this);
    return 0;
}
