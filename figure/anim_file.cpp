#include "figure/anim_file.h"

#include <cstdio>
#include <cstring>

#include "figure/data_reader.h"
#include "figure/records.h"
#include "base/log.h"

namespace {

int s_frame = 0;
int s_list = 0;
int s_key = 0;
long s_keysInUse = 0;  // keeps many modest numkeys lines from adding up without bound

void LogRefused(const char* key, const char* why)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s: %s", key, why);
    WriteLog(text);
}

AnimFrame* CurrentFrame()
{
    if (!g_frames || s_frame < 0 || s_frame >= g_numFrames) return nullptr;
    return &g_frames[s_frame];
}

// Record j of list k of frame f, or null when any of them does not exist.
AnimKey* CurrentKey()
{
    AnimFrame* frame = CurrentFrame();
    if (!frame || s_list < 0 || s_list >= MAX_FRAME_KEYS || s_key < 0) return nullptr;
    AnimKey* key = frame->keys[s_list];
    for (int i = 0; key && i < s_key; ++i) key = key->next;
    return key;
}

void FreeFrames()
{
    for (int f = 0; g_frames && f < g_numFrames; ++f) {
        for (AnimKey* list : g_frames[f].keys) delete[] list;
    }
    delete[] g_frames;
    g_frames = nullptr;
    g_numFrames = 0;
    s_keysInUse = 0;
}

void SetNumFrames(long n)
{
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefused("numframes", "count out of range");
        return;
    }
    FreeFrames();
    g_frames = new AnimFrame[n]();
    g_numFrames = static_cast<int>(n);
}

void SetNumKeys(long n)
{
    AnimFrame* frame = CurrentFrame();
    if (!frame || s_list < 0 || s_list >= MAX_FRAME_KEYS) {
        LogRefused("numkeys", "no such frame or key list");
        return;
    }
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefused("numkeys", "count out of range");
        return;
    }
    long old = 0;
    for (const AnimKey* k = frame->keys[s_list]; k; k = k->next) ++old;
    long inUse = s_keysInUse - old + n;
    if (inUse > MAX_DATA_TOTAL) {
        LogRefused("numkeys", "too many keys in all");
        return;
    }
    s_keysInUse = inUse < 0 ? 0 : inUse;
    delete[] frame->keys[s_list];
    frame->keys[s_list] = NewKeyList(static_cast<int>(n));
}

void SetPartList(const char* value, unsigned char& hasList, int* entries)
{
    long items[MAX_PART_LIST];
    int count = ParseList(value, items, MAX_PART_LIST);
    for (int i = 0; i < MAX_PART_LIST; ++i) entries[i] = i < count ? static_cast<int>(items[i]) : -1;
    hasList = 1;
}

const char* const KEY_FIELDS[] = {
    "key_startangle", "key_destangle", "key_rotspeed", "use_startangle", "loopkeys",  "use_changepart",
    "changepart",     "part_visible",  "part_invisible", "move_xmin",    "move_ymin", "move_xmax",
    "move_ymax",      "move_xvel",     "move_yvel",      "move_xloop",   "move_yloop",
};

// Keys that write into the current key record.
bool IsKeyField(const char* key)
{
    for (const char* name : KEY_FIELDS) {
        if (std::strcmp(key, name) == 0) return true;
    }
    return false;
}

void SetKeyField(AnimKey& k, const char* key, const char* value)
{
    if (std::strcmp(key, "key_startangle") == 0) {
        k.startAngle = ParseAngle(value);
    } else if (std::strcmp(key, "key_destangle") == 0) {
        k.destAngle = ParseAngle(value);
    } else if (std::strcmp(key, "key_rotspeed") == 0) {
        k.rotSpeed = ParseAngle(value);
    } else if (std::strcmp(key, "use_startangle") == 0) {
        k.useStartAngle = ParseFlag(value);
    } else if (std::strcmp(key, "loopkeys") == 0) {
        k.loopKeys = ParseFlag(value);
    } else if (std::strcmp(key, "use_changepart") == 0) {
        k.useChangePart = ParseFlag(value);
    } else if (std::strcmp(key, "changepart") == 0) {
        long items[2];
        if (ParseList(value, items, 2) < 2) {
            LogRefused(key, "needs a slot and an image");
        } else {
            k.changePartSlot = static_cast<int>(items[0]);
            k.changePartVecPart = static_cast<int>(items[1]);
        }
    } else if (std::strcmp(key, "part_visible") == 0) {
        SetPartList(value, k.hasVisibleList, k.visibleParts);
    } else if (std::strcmp(key, "part_invisible") == 0) {
        SetPartList(value, k.hasInvisibleList, k.invisibleParts);
    } else if (std::strcmp(key, "move_xmin") == 0) {
        k.xMin = static_cast<float>(ParseReal(value));
        k.moveX = 1;
    } else if (std::strcmp(key, "move_ymin") == 0) {
        k.yMin = static_cast<float>(ParseReal(value));
        k.moveY = 1;
    } else if (std::strcmp(key, "move_xmax") == 0) {
        k.xMax = static_cast<float>(ParseReal(value));
        k.moveX = 1;
    } else if (std::strcmp(key, "move_ymax") == 0) {
        k.yMax = static_cast<float>(ParseReal(value));
        k.moveY = 1;
    } else if (std::strcmp(key, "move_xvel") == 0) {
        k.xVel = static_cast<float>(ParseReal(value));
        k.moveX = 1;
    } else if (std::strcmp(key, "move_yvel") == 0) {
        k.yVel = static_cast<float>(ParseReal(value));
        k.moveY = 1;
    } else if (std::strcmp(key, "move_xloop") == 0) {
        k.xLoop = ParseFlag(value);
        k.moveX = 1;
    } else if (std::strcmp(key, "move_yloop") == 0) {
        k.yLoop = ParseFlag(value);
        k.moveY = 1;
    }
}

bool HandleAnimKey(const char* key, const char* value)
{
    if (std::strcmp(key, "numframes") == 0) {
        if (value) SetNumFrames(ParseInteger(value));
    } else if (std::strcmp(key, "frame") == 0) {
        if (value) s_frame = static_cast<int>(ParseInteger(value));
    } else if (std::strcmp(key, "frame_numparts") == 0) {
        if (!value) return true;
        if (AnimFrame* frame = CurrentFrame()) {
            frame->numparts = static_cast<int>(ParseInteger(value));
        } else {
            LogRefused(key, "no such frame");
        }
    } else if (std::strcmp(key, "key_part") == 0) {
        if (value) s_list = static_cast<int>(ParseInteger(value));
    } else if (std::strcmp(key, "numkeys") == 0) {
        if (value) SetNumKeys(ParseInteger(value));
    } else if (std::strcmp(key, "key") == 0) {
        if (value) s_key = static_cast<int>(ParseInteger(value));
    } else {
        if (!IsKeyField(key)) return false;
        if (!value) return true;
        if (AnimKey* target = CurrentKey()) {
            SetKeyField(*target, key, value);
        } else {
            LogRefused(key, "no such key");
        }
    }
    return true;
}

}  // namespace

int LoadVectorAnim()
{
    s_frame = 0;
    s_list = 0;
    s_key = 0;
    s_keysInUse = 0;
    return ReadDataFile("vecanim.dat", HandleAnimKey, "Animation Data file done");
}
