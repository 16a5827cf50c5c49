#include "tools/dump.h"

#include <map>
#include <vector>

#include "figure/anim_file.h"
#include "game/state.h"

static void DumpManPart(JsonWriter& json, const ManPart& p)
{
    json.BeginObject();
    json.MemberBool("visible", p.visible != 0);
    json.Member("x", p.x);
    json.Member("y", p.y);
    json.Member("z", p.z);
    json.Member("xVelocity", p.xVelocity);
    json.Member("yVelocity", p.yVelocity);
    json.Member("yMin", p.yMin);
    json.Member("yMax", p.yMax);
    json.MemberBool("yBounce", p.yBounce != 0);
    json.Member("rootpart", p.rootpart);
    json.Member("rootpoint", p.rootpoint);
    json.Member("layer", p.layer);
    json.Member("angle", p.angle);
    json.Member("angularVelocity", p.angularVelocity);
    json.Member("vecpartnum", p.vecpartnum);
    json.MemberBool("tracked", p.tracked != 0);
    json.Member("worldX", p.worldX);
    json.Member("worldY", p.worldY);
    json.MemberBool("solid", p.solid != 0);
    json.MemberBool("movable", p.movable != 0);
    json.MemberBool("pushable", p.pushable != 0);
    json.EndObject();
}

// A key named by where it lives: [frame, list, key], or null when it is in no frame.
static void DumpKeyPosition(JsonWriter& json, const AnimKey* key)
{
    if (key && g_frames) {
        for (int f = 0; f < g_numFrames; ++f) {
            for (int k = 0; k < MAX_FRAME_KEYS; ++k) {
                const AnimKey* first = g_frames[f].keys[k];
                if (!first || key->first != first) continue;
                json.BeginArray();
                json.Int(f);
                json.Int(k);
                json.Int(key - first);
                json.EndArray();
                return;
            }
        }
    }
    json.Null();
}

void DumpFigure(JsonWriter& json)
{
    const VectorMan* man = g_vectorMan;
    if (!man) {
        json.Null();
        return;
    }
    json.BeginObject();
    json.Member("numparts", man->numparts);
    json.Member("x", man->x);
    json.Member("y", man->y);
    json.Member("z", man->z);
    json.Member("xVelocity", man->xVelocity);
    json.Member("yVelocity", man->yVelocity);
    json.Member("zVelocity", man->zVelocity);
    json.Member("yAngle", man->yAngle);
    json.Member("zAngle", man->zAngle);
    json.Member("zAngularVelocity", man->zAngularVelocity);
    json.Member("maxKeys", man->maxKeys);
    json.Member("numHitBoxes", man->numHitBoxes);
    json.Key("parts");
    json.BeginArray();
    for (int i = 0; man->parts && i < man->numparts; ++i) DumpManPart(json, man->parts[i]);
    json.EndArray();
    json.Key("hitBoxes");
    json.BeginArray();
    for (int i = 0; man->hitBoxes && i < man->numHitBoxes; ++i) {
        const HitBox& box = man->hitBoxes[i];
        json.BeginObject();
        json.Member("centerX", box.centerX);
        json.Member("centerY", box.centerY);
        json.Member("halfWidth", box.halfWidth);
        json.Member("halfHeight", box.halfHeight);
        json.EndObject();
    }
    json.EndArray();
    json.Key("currentKeys");
    json.BeginArray();
    for (const AnimKey* key : man->currentKeys) DumpKeyPosition(json, key);
    json.EndArray();
    json.Key("playback");
    json.BeginArray();
    for (const KeyPlayback& at : man->playback) {
        json.BeginObject();
        json.Member("startAngle", at.startAngle);
        json.Member("turned", at.turned);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

// Only the tiles in use, column by column.
template <typename Grid>
static void DumpTileGrid(JsonWriter& json, const char* name, const Grid& grid, int across, int down)
{
    json.Key(name);
    json.BeginArray();
    for (int c = 0; c < across; ++c) {
        json.BeginArray();
        for (int r = 0; r < down; ++r) json.Int(grid[c][r]);
        json.EndArray();
    }
    json.EndArray();
}

void DumpParts(JsonWriter& json)
{
    json.BeginArray();
    for (int i = 0; g_parts && i < g_numParts; ++i) {
        const VectorPart& part = g_parts[i];
        json.BeginObject();
        json.Member("index", part.index);
        json.Member("textureFile", part.textureFile);
        json.Member("imageWidth", part.imageWidth);
        json.Member("imageHeight", part.imageHeight);
        json.Member("width", part.width);
        json.Member("height", part.height);
        json.Member("tilesAcross", part.tilesAcross);
        json.Member("tilesDown", part.tilesDown);
        const int across = part.tilesAcross < TILE_GRID ? part.tilesAcross : TILE_GRID;
        const int down = part.tilesDown < TILE_GRID ? part.tilesDown : TILE_GRID;
        DumpTileGrid(json, "tileWidths", part.tileWidths, across, down);
        DumpTileGrid(json, "tileHeights", part.tileHeights, across, down);
        json.MemberBool("primaryVertexBuffer", part.primaryVertexBuffer != nullptr);
        json.Member("xoffset", part.xoffset);
        json.Member("yoffset", part.yoffset);
        json.Member("numpoints", part.numpoints);
        json.Key("points");
        json.BeginArray();
        for (int p = 0; part.points && p < part.numpoints; ++p) {
            json.BeginArray();
            json.Int(part.points[p].x);
            json.Int(part.points[p].y);
            json.EndArray();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

static void DumpIntList(JsonWriter& json, const char* name, const int* items, int count)
{
    json.Key(name);
    json.BeginArray();
    for (int i = 0; i < count; ++i) json.Int(items[i]);
    json.EndArray();
}

static void DumpKey(JsonWriter& json, const AnimKey& k)
{
    json.BeginObject();
    json.MemberBool("useStartAngle", k.useStartAngle != 0);
    json.Member("startAngle", k.startAngle);
    json.Member("destAngle", k.destAngle);
    json.Member("rotSpeed", k.rotSpeed);
    json.MemberBool("moveX", k.moveX != 0);
    json.MemberBool("moveY", k.moveY != 0);
    json.Member("xMin", k.xMin);
    json.Member("yMin", k.yMin);
    json.Member("xMax", k.xMax);
    json.Member("yMax", k.yMax);
    json.Member("xVel", k.xVel);
    json.Member("yVel", k.yVel);
    json.MemberBool("xLoop", k.xLoop != 0);
    json.MemberBool("yLoop", k.yLoop != 0);
    json.MemberBool("useChangePart", k.useChangePart != 0);
    json.Member("changePartSlot", k.changePartSlot);
    json.Member("changePartVecPart", k.changePartVecPart);
    json.MemberBool("hasVisibleList", k.hasVisibleList != 0);
    DumpIntList(json, "visibleParts", k.visibleParts, MAX_PART_LIST);
    json.MemberBool("hasInvisibleList", k.hasInvisibleList != 0);
    DumpIntList(json, "invisibleParts", k.invisibleParts, MAX_PART_LIST);
    json.MemberBool("loopKeys", k.loopKeys != 0);
    // Only where it eases: a dump of older data stays as it was.
    if (k.ease != EASE_LINEAR) json.Member("ease", KEY_EASE_NAMES[k.ease < EASE_COUNT ? k.ease : 0]);
    json.EndObject();
}

void DumpFrames(JsonWriter& json)
{
    json.BeginArray();
    for (int f = 0; g_frames && f < g_numFrames; ++f) {
        const AnimFrame& frame = g_frames[f];
        json.BeginObject();
        json.Member("numparts", frame.numparts);
        json.Key("keys");
        json.BeginArray();
        for (const AnimKey* first : frame.keys) {
            if (!first) {
                json.Null();
                continue;
            }
            json.BeginArray();
            for (const AnimKey* key = first; key; key = key->next) DumpKey(json, *key);
            json.EndArray();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

void DumpLevel(JsonWriter& json)
{
    if (!g_level) {
        json.Null();
        return;
    }
    std::map<const LevelCell*, int> cellIndex;
    for (const LevelCell* cell : g_level->slots) {
        if (cell && !cellIndex.count(cell)) {
            const int next = static_cast<int>(cellIndex.size());
            cellIndex[cell] = next;
        }
    }
    json.BeginObject();
    json.Key("slots");
    json.BeginArray();
    for (const LevelCell* cell : g_level->slots) {
        if (cell) json.Int(cellIndex[cell]);
        else json.Null();
    }
    json.EndArray();
    std::vector<const LevelCell*> cells(cellIndex.size());
    for (const auto& entry : cellIndex) cells[entry.second] = entry.first;
    json.Key("cells");
    json.BeginArray();
    for (const LevelCell* cell : cells) {
        json.BeginObject();
        json.Member("count", cell->count);
        json.Key("pieces");
        json.BeginArray();
        for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
            if (cell->pieces[i]) DumpManPart(json, *cell->pieces[i]);
            else json.Null();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}
