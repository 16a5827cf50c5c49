#include "figure/records.h"

#include <climits>
#include <cstdlib>

VectorPart* g_parts = nullptr;
int g_numParts = 0;
VectorMan* g_vectorMan = nullptr;
AnimFrame* g_frames = nullptr;
int g_numFrames = 0;

VectorPart::VectorPart()
    : tilesAcross(0),
      tilesDown(0),
      imageHeight(0),
      imageWidth(0),
      textureFile(nullptr),
      primaryVertexBuffer(nullptr),
      index(0),
      xoffset(0.0f),
      yoffset(0.0f),
      numpoints(0),
      points(nullptr),
      width(0),
      height(0)
{
    for (int c = 0; c < TILE_GRID; ++c) {
        for (int r = 0; r < TILE_GRID; ++r) {
            tileTextures[c][r] = nullptr;
            tileVertexBuffers[c][r] = nullptr;
            tileWidths[c][r] = 0;
            tileHeights[c][r] = 0;
        }
    }
}

VectorPart::~VectorPart()
{
    // All 25 entries, not just the used ones: a part built twice may have left
    // tiles outside its present tile counts.
    for (int c = 0; c < TILE_GRID; ++c) {
        for (int r = 0; r < TILE_GRID; ++r) {
            if (tileTextures[c][r]) tileTextures[c][r]->Release();
            if (tileVertexBuffers[c][r]) tileVertexBuffers[c][r]->Release();
        }
    }
    std::free(textureFile);
    delete[] points;
}

namespace {

int s_lastKeyId = 0;

}  // namespace

int NewKeyId()
{
    // Only a fuzzer reading huge files for hours comes round; it may then share an id.
    if (s_lastKeyId == INT_MAX) s_lastKeyId = 0;
    return ++s_lastKeyId;
}

AnimKey* NewKeyList(int n)
{
    // An empty list is no list: a frame start must find nothing to read in it.
    if (n <= 0) return nullptr;
    AnimKey* keys = new AnimKey[n]();
    for (int i = 0; i < n; ++i) {
        keys[i].prev = i > 0 ? &keys[i - 1] : nullptr;
        keys[i].next = i + 1 < n ? &keys[i + 1] : nullptr;
        keys[i].first = &keys[0];
        keys[i].id = NewKeyId();
    }
    return keys;
}

VectorPart* PartAt(int index)
{
    if (!g_parts || index < 0 || index >= g_numParts) return nullptr;
    return &g_parts[index];
}

AnimKey* KeyAt(int frame, int list, int key)
{
    if (!g_frames || frame < 0 || frame >= g_numFrames || list < 0 || list >= MAX_FRAME_KEYS || key < 0)
        return nullptr;
    AnimKey* k = g_frames[frame].keys[list];
    for (int i = 0; k && i < key; ++i) k = k->next;
    return k;
}

int KeyCount(const AnimKey* list)
{
    int n = 0;
    for (; list; list = list->next) ++n;
    return n;
}

AnimKey* KeyById(int id, KeyPlace* place)
{
    if (id == 0) return nullptr;
    for (int f = 0; g_frames && f < g_numFrames; ++f) {
        for (int l = 0; l < MAX_FRAME_KEYS; ++l) {
            int index = 0;
            for (AnimKey* k = g_frames[f].keys[l]; k; k = k->next, ++index) {
                if (k->id != id) continue;
                if (place) *place = {f, l, index};
                return k;
            }
        }
    }
    return nullptr;
}

void FreeFigure(VectorMan* man)
{
    if (!man) return;
    delete[] man->parts;
    delete[] man->hitBoxes;
    delete man;
}

void FreeFrames(AnimFrame* frames, int count)
{
    for (int f = 0; frames && f < count; ++f) {
        for (AnimKey* list : frames[f].keys) delete[] list;
    }
    delete[] frames;
}
