// Small hand-made worlds for the tests of playing: a figure, part images of chosen sizes,
// empty animation frames and a level with pieces, plus frames run on the virtual clock.
#pragma once
#include <stand_in.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "figure/records.h"
#include "figure/roles.h"
#include "game/frame.h"
#include "game/state.h"
#include "level/level.h"

// The game drops records rather than freeing them; the tests keep every one they make
// reachable, so the leak checker reports only what the game itself loses.
inline std::vector<const void*>& KeptRecords()
{
    static std::vector<const void*>* kept = new std::vector<const void*>;  // outlives the exit checks
    return *kept;
}

template <typename T>
T* Keep(T* record)
{
    KeptRecords().push_back(record);
    return record;
}

inline AnimKey* KeyList(int n) { return Keep(NewKeyList(n)); }

// A shown slot hanging from nothing, at (x, y) from the figure's origin.
inline ManPart RootSlot(int image, int layer, float x = 0.0f, float y = 0.0f)
{
    ManPart slot = {};
    slot.visible = 1;
    slot.vecpartnum = image;
    slot.layer = layer;
    slot.rootpart = -1;
    slot.x = x;
    slot.y = y;
    return slot;
}

// Part images 0..count-1, each size x size.
inline void MakeParts(int count, unsigned int size = 0)
{
    g_parts = Keep(new VectorPart[count]);
    g_numParts = count;
    for (int i = 0; i < count; ++i) {
        g_parts[i].index = i;
        g_parts[i].width = g_parts[i].imageWidth = size;
        g_parts[i].height = g_parts[i].imageHeight = size;
    }
}

inline void SetPartSize(int index, unsigned int width, unsigned int height)
{
    g_parts[index].width = width;
    g_parts[index].height = height;
}

// The player figure with slots and one hit box (centre cx, cy; half sizes hw, hh).
inline VectorMan* MakeFigure(int slots = 8, float hw = 10.0f, float hh = 20.0f, float cx = 0.0f,
                             float cy = 0.0f)
{
    VectorMan* man = Keep(static_cast<VectorMan*>(std::calloc(1, sizeof(VectorMan))));
    man->numparts = slots;
    man->parts = Keep(static_cast<ManPart*>(std::calloc(slots > 0 ? slots : 1, sizeof(ManPart))));
    for (int i = 0; i < slots; ++i) man->parts[i].visible = 1;
    man->maxKeys = MAXKEYS;
    man->numHitBoxes = 1;
    man->hitBoxes = Keep(static_cast<HitBox*>(std::calloc(1, sizeof(HitBox))));
    man->hitBoxes[0] = {cx, cy, hw, hh};
    g_vectorMan = man;
    return man;
}

// Frames 0..count-1 for a figure of MAXKEYS animated slots, every list empty.
inline void MakeFrames(int count = 6)
{
    g_frames = Keep(static_cast<AnimFrame*>(std::calloc(count, sizeof(AnimFrame))));
    g_numFrames = count;
    for (int i = 0; i < count; ++i) g_frames[i].numparts = MAXKEYS;
}

// A one-key list for slot `slot` of frame `frame`; returns the key.
inline AnimKey* GiveFrameKey(int frame, int slot)
{
    AnimKey* key = KeyList(1);
    key->destAngle = 90.0f;
    key->rotSpeed = 10.0f;
    g_frames[frame].keys[slot] = key;
    return key;
}

inline void MakeLevel() { g_level = Keep(new Level()); }

// A piece of image `image` at (x, y) within cell (column, row).
inline ManPart* AddPiece(int column, int row, float x, float y, int image, bool solid = true,
                         bool movable = false, bool pushable = false)
{
    LevelCell*& cell = g_level->slots[column * LEVEL_ROWS + row];
    if (!cell) cell = Keep(static_cast<LevelCell*>(std::calloc(1, sizeof(LevelCell))));
    ManPart* piece = Keep(static_cast<ManPart*>(std::calloc(1, sizeof(ManPart))));
    piece->x = x;
    piece->y = y;
    piece->layer = 3;
    piece->vecpartnum = image;
    piece->solid = solid;
    piece->movable = movable;
    piece->pushable = pushable;
    cell->pieces[cell->count++] = piece;
    return piece;
}

// A fresh game on a stopped virtual clock, so each frame's length is chosen by the test.
inline void StartPlayWorld(uint32_t startTick = 100000)
{
    ResetGameState();
    PlatformSetFailures(nullptr);
    PlatformResetInput();
    PlatformInput().foreground = true;
    PlatformScript script = {};
    script.startTick = startTick;
    script.dtMs = 0;
    script.frames = -1;
    PlatformBeginScript(script);
}

// A fresh game with every image and slot the game gives a role (all of size 0), a figure
// with one hit box and empty frames; returns the figure.
inline VectorMan* StartFigureWorld()
{
    StartPlayWorld();
    MakeParts(MIN_IMAGES);
    VectorMan* man = MakeFigure(MIN_FIGURE_SLOTS);
    MakeFrames();
    return man;
}

// One UpdateFrame lasting ms milliseconds.
inline void RunFrame(uint32_t ms)
{
    g_lastTick = GetTickCount() - ms;
    UpdateFrame();
}
