#include "tools/dump.h"

#include <cstdint>
#include <map>
#include <vector>

#include "figure/anim_file.h"
#include "game/state.h"

static DumpJson DumpManPart(const ManPart& p)
{
    DumpJson json = DumpJson::object();
    json["visible"] = p.visible != 0;
    json["x"] = p.x;
    json["y"] = p.y;
    json["z"] = p.z;
    json["xVelocity"] = p.xVelocity;
    json["yVelocity"] = p.yVelocity;
    json["yMin"] = p.yMin;
    json["yMax"] = p.yMax;
    json["yBounce"] = p.yBounce != 0;
    json["rootpart"] = p.rootpart;
    json["rootpoint"] = p.rootpoint;
    json["layer"] = p.layer;
    json["angle"] = p.angle;
    json["angularVelocity"] = p.angularVelocity;
    json["vecpartnum"] = p.vecpartnum;
    json["tracked"] = p.tracked != 0;
    json["worldX"] = p.worldX;
    json["worldY"] = p.worldY;
    json["solid"] = p.solid != 0;
    json["movable"] = p.movable != 0;
    json["pushable"] = p.pushable != 0;
    return json;
}

// A key named by where it lives: [frame, list, key], or null when it is in no frame.
static DumpJson DumpKeyPosition(const AnimKey* key)
{
    if (key && g_frames) {
        for (int f = 0; f < g_numFrames; ++f) {
            for (int k = 0; k < MAX_FRAME_KEYS; ++k) {
                const AnimKey* first = g_frames[f].keys[k];
                if (!first || key->first != first) continue;
                return {f, k, static_cast<int64_t>(key - first)};
            }
        }
    }
    return nullptr;
}

DumpJson DumpFigure()
{
    const VectorMan* man = g_vectorMan;
    if (!man) return nullptr;
    DumpJson json = DumpJson::object();
    json["numparts"] = man->numparts;
    json["x"] = man->x;
    json["y"] = man->y;
    json["z"] = man->z;
    json["xVelocity"] = man->xVelocity;
    json["yVelocity"] = man->yVelocity;
    json["zVelocity"] = man->zVelocity;
    json["yAngle"] = man->yAngle;
    json["zAngle"] = man->zAngle;
    json["zAngularVelocity"] = man->zAngularVelocity;
    json["maxKeys"] = man->maxKeys;
    json["numHitBoxes"] = man->numHitBoxes;
    DumpJson& parts = json["parts"] = DumpJson::array();
    for (int i = 0; man->parts && i < man->numparts; ++i) parts.push_back(DumpManPart(man->parts[i]));
    DumpJson& boxes = json["hitBoxes"] = DumpJson::array();
    for (int i = 0; man->hitBoxes && i < man->numHitBoxes; ++i) {
        const HitBox& box = man->hitBoxes[i];
        DumpJson& item = boxes.emplace_back(DumpJson::object());
        item["centerX"] = box.centerX;
        item["centerY"] = box.centerY;
        item["halfWidth"] = box.halfWidth;
        item["halfHeight"] = box.halfHeight;
    }
    DumpJson& keys = json["currentKeys"] = DumpJson::array();
    for (const AnimKey* key : man->currentKeys) keys.push_back(DumpKeyPosition(key));
    DumpJson& playback = json["playback"] = DumpJson::array();
    for (const KeyPlayback& at : man->playback) {
        DumpJson& item = playback.emplace_back(DumpJson::object());
        item["startAngle"] = at.startAngle;
        item["turned"] = at.turned;
    }
    return json;
}

// Only the tiles in use, column by column.
template <typename Grid>
static DumpJson DumpTileGrid(const Grid& grid, int across, int down)
{
    DumpJson columns = DumpJson::array();
    for (int c = 0; c < across; ++c) {
        DumpJson& column = columns.emplace_back(DumpJson::array());
        for (int r = 0; r < down; ++r) column.push_back(static_cast<int64_t>(grid[c][r]));
    }
    return columns;
}

DumpJson DumpParts()
{
    DumpJson parts = DumpJson::array();
    for (int i = 0; g_parts && i < g_numParts; ++i) {
        const VectorPart& part = g_parts[i];
        DumpJson& json = parts.emplace_back(DumpJson::object());
        json["index"] = part.index;
        json["textureFile"] = DumpString(part.textureFile);
        json["imageWidth"] = part.imageWidth;
        json["imageHeight"] = part.imageHeight;
        json["width"] = part.width;
        json["height"] = part.height;
        json["tilesAcross"] = part.tilesAcross;
        json["tilesDown"] = part.tilesDown;
        const int across = part.tilesAcross < TILE_GRID ? part.tilesAcross : TILE_GRID;
        const int down = part.tilesDown < TILE_GRID ? part.tilesDown : TILE_GRID;
        json["tileWidths"] = DumpTileGrid(part.tileWidths, across, down);
        json["tileHeights"] = DumpTileGrid(part.tileHeights, across, down);
        json["primaryVertexBuffer"] = part.primaryVertexBuffer != nullptr;
        json["xoffset"] = part.xoffset;
        json["yoffset"] = part.yoffset;
        json["numpoints"] = part.numpoints;
        DumpJson& points = json["points"] = DumpJson::array();
        for (int p = 0; part.points && p < part.numpoints; ++p)
            points.push_back({static_cast<int64_t>(part.points[p].x), static_cast<int64_t>(part.points[p].y)});
    }
    return parts;
}

static DumpJson DumpIntList(const int* items, int count)
{
    DumpJson list = DumpJson::array();
    for (int i = 0; i < count; ++i) list.push_back(items[i]);
    return list;
}

static DumpJson DumpKey(const AnimKey& k)
{
    DumpJson json = DumpJson::object();
    json["useStartAngle"] = k.useStartAngle != 0;
    json["startAngle"] = k.startAngle;
    json["destAngle"] = k.destAngle;
    json["rotSpeed"] = k.rotSpeed;
    json["moveX"] = k.moveX != 0;
    json["moveY"] = k.moveY != 0;
    json["xMin"] = k.xMin;
    json["yMin"] = k.yMin;
    json["xMax"] = k.xMax;
    json["yMax"] = k.yMax;
    json["xVel"] = k.xVel;
    json["yVel"] = k.yVel;
    json["xLoop"] = k.xLoop != 0;
    json["yLoop"] = k.yLoop != 0;
    json["useChangePart"] = k.useChangePart != 0;
    json["changePartSlot"] = k.changePartSlot;
    json["changePartVecPart"] = k.changePartVecPart;
    json["hasVisibleList"] = k.hasVisibleList != 0;
    json["visibleParts"] = DumpIntList(k.visibleParts, MAX_PART_LIST);
    json["hasInvisibleList"] = k.hasInvisibleList != 0;
    json["invisibleParts"] = DumpIntList(k.invisibleParts, MAX_PART_LIST);
    json["loopKeys"] = k.loopKeys != 0;
    // Only where it eases: a dump of older data stays as it was.
    if (k.ease != EASE_LINEAR) json["ease"] = KEY_EASE_NAMES[k.ease < EASE_COUNT ? k.ease : 0];
    return json;
}

DumpJson DumpFrames()
{
    DumpJson frames = DumpJson::array();
    for (int f = 0; g_frames && f < g_numFrames; ++f) {
        const AnimFrame& frame = g_frames[f];
        DumpJson& json = frames.emplace_back(DumpJson::object());
        json["numparts"] = frame.numparts;
        DumpJson& keys = json["keys"] = DumpJson::array();
        for (const AnimKey* first : frame.keys) {
            if (!first) {
                keys.push_back(nullptr);
                continue;
            }
            DumpJson& list = keys.emplace_back(DumpJson::array());
            for (const AnimKey* key = first; key; key = key->next) list.push_back(DumpKey(*key));
        }
    }
    return frames;
}

DumpJson DumpLevel()
{
    if (!g_level) return nullptr;
    std::map<const LevelCell*, int> cellIndex;
    for (const LevelCell* cell : g_level->slots) {
        if (cell && !cellIndex.count(cell)) {
            const int next = static_cast<int>(cellIndex.size());
            cellIndex[cell] = next;
        }
    }
    DumpJson json = DumpJson::object();
    DumpJson& slots = json["slots"] = DumpJson::array();
    for (const LevelCell* cell : g_level->slots) {
        if (cell) slots.push_back(cellIndex[cell]);
        else slots.push_back(nullptr);
    }
    std::vector<const LevelCell*> cells(cellIndex.size());
    for (const auto& entry : cellIndex) cells[entry.second] = entry.first;
    DumpJson& list = json["cells"] = DumpJson::array();
    for (const LevelCell* cell : cells) {
        DumpJson& item = list.emplace_back(DumpJson::object());
        item["count"] = cell->count;
        DumpJson& pieces = item["pieces"] = DumpJson::array();
        for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
            if (cell->pieces[i]) pieces.push_back(DumpManPart(*cell->pieces[i]));
            else pieces.push_back(nullptr);
        }
    }
    return json;
}
