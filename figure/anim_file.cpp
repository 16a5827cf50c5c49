#include "figure/anim_file.h"

#include "figure/anim_save.h"
#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/key_edit.h"
#include "figure/records.h"

#include <cstring>
#include <vector>

namespace {

int s_frame = 0;
int s_list = 0;
int s_key = 0;
long s_keysInUse = 0;  // keeps many modest numkeys lines from adding up without bound
// The length of every key list, frame by frame: a key line finds its record in its list's
// array at once, where walking the links from the start made a long file cost the square
// of its length.
std::vector<int> s_listLengths;
long s_linksFollowed = 0;
// Whether the line just applied made the frames or a list, for the saver's notes.
bool s_framesMade = false;
bool s_listMade = false;

AnimFrame* CurrentFrame()
{
    if (!g_frames || s_frame < 0 || s_frame >= g_numFrames) return nullptr;
    return &g_frames[s_frame];
}

// Record j of list k of frame f, or null when any of them does not exist.
// Lists of the current frame only; the caller has checked the frame and the list number.
int& ListLength(int list) { return s_listLengths[static_cast<size_t>(s_frame) * MAX_FRAME_KEYS + list]; }

// Frames already in memory when a load starts are counted once, so the lengths always
// describe g_frames.
void CountListLengths()
{
    s_listLengths.assign(static_cast<size_t>(g_frames ? g_numFrames : 0) * MAX_FRAME_KEYS, 0);
    for (int f = 0; g_frames && f < g_numFrames; ++f) {
        for (int l = 0; l < MAX_FRAME_KEYS; ++l) {
            int n = 0;
            for (const AnimKey* k = g_frames[f].keys[l]; k; k = k->next) ++n;
            s_linksFollowed += n;
            s_listLengths[static_cast<size_t>(f) * MAX_FRAME_KEYS + l] = n;
        }
    }
}

AnimKey* CurrentKey()
{
    AnimFrame* frame = CurrentFrame();
    if (!frame || s_list < 0 || s_list >= MAX_FRAME_KEYS || s_key < 0) return nullptr;
    // Lists are whole arrays (NewKeyList), so key j of a list is its j-th element.
    return s_key < ListLength(s_list) ? &frame->keys[s_list][s_key] : nullptr;
}

void FreeAllFrames()
{
    FreeFrames(g_frames, g_numFrames);
    g_frames = nullptr;
    g_numFrames = 0;
    s_keysInUse = 0;
    s_listLengths.clear();
}

void SetNumFrames(long n)
{
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefusedKey("numframes", "count out of range");
        return;
    }
    FreeAllFrames();
    g_frames = new AnimFrame[n]();
    g_numFrames = static_cast<int>(n);
    s_listLengths.assign(static_cast<size_t>(n) * MAX_FRAME_KEYS, 0);
    s_framesMade = true;
}

void SetNumKeys(long n)
{
    AnimFrame* frame = CurrentFrame();
    if (!frame || s_list < 0 || s_list >= MAX_FRAME_KEYS) {
        LogRefusedKey("numkeys", "no such frame or key list");
        return;
    }
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefusedKey("numkeys", "count out of range");
        return;
    }
    const long old = ListLength(s_list);
    long inUse = s_keysInUse - old + n;
    if (inUse > MAX_DATA_TOTAL) {
        LogRefusedKey("numkeys", "too many keys in all");
        return;
    }
    s_keysInUse = inUse < 0 ? 0 : inUse;
    delete[] frame->keys[s_list];
    frame->keys[s_list] = NewKeyList(static_cast<int>(n));
    ListLength(s_list) = static_cast<int>(n);
    s_listMade = true;
}

void SetPartList(const char* value, unsigned char& hasList, int* entries)
{
    long items[MAX_PART_LIST];
    int count = ParseList(value, items, MAX_PART_LIST);
    for (int i = 0; i < MAX_PART_LIST; ++i) entries[i] = i < count ? static_cast<int>(items[i]) : -1;
    hasList = 1;
}

void SetFrameParts(const char* value)
{
    if (AnimFrame* frame = CurrentFrame()) {
        frame->numparts = static_cast<int>(ParseInteger(value));
    } else {
        LogRefusedKey("frame_numparts", "no such frame");
    }
}

void SetChangePart(AnimKey& k, const char* value)
{
    long items[2];
    if (ParseList(value, items, 2) < 2) {
        LogRefusedKey("changepart", "needs a slot and an image");
    } else {
        k.changePartSlot = static_cast<int>(items[0]);
        k.changePartVecPart = static_cast<int>(items[1]);
    }
}

float Real(const char* value)
{
    return static_cast<float>(ParseReal(value));
}

// Every key of the file. The frame, list and key lines choose the record the key lines
// after them write; a movement line also marks its direction as moving.
const DataKey<AnimKey> ANIM_KEYS[] = {
    {"numframes", [](const char* v) { SetNumFrames(ParseInteger(v)); }, nullptr},
    {"frame", [](const char* v) { s_frame = static_cast<int>(ParseInteger(v)); }, nullptr},
    {"frame_numparts", SetFrameParts, nullptr},
    {"key_part", [](const char* v) { s_list = static_cast<int>(ParseInteger(v)); }, nullptr},
    {"numkeys", [](const char* v) { SetNumKeys(ParseInteger(v)); }, nullptr},
    {"key", [](const char* v) { s_key = static_cast<int>(ParseInteger(v)); }, nullptr},
    {"key_startangle", nullptr, [](AnimKey& k, const char* v) { k.startAngle = ParseAngle(v); }},
    {"key_destangle", nullptr, [](AnimKey& k, const char* v) { k.destAngle = ParseAngle(v); }},
    {"key_rotspeed", nullptr, [](AnimKey& k, const char* v) { k.rotSpeed = ParseAngle(v); }},
    {"use_startangle", nullptr, [](AnimKey& k, const char* v) { k.useStartAngle = ParseFlag(v); }},
    {"loopkeys", nullptr, [](AnimKey& k, const char* v) { k.loopKeys = ParseFlag(v); }},
    {"use_changepart", nullptr, [](AnimKey& k, const char* v) { k.useChangePart = ParseFlag(v); }},
    {"changepart", nullptr, SetChangePart},
    {"part_visible", nullptr, [](AnimKey& k, const char* v) { SetPartList(v, k.hasVisibleList, k.visibleParts); }},
    {"part_invisible", nullptr,
     [](AnimKey& k, const char* v) { SetPartList(v, k.hasInvisibleList, k.invisibleParts); }},
    {"move_xmin", nullptr, [](AnimKey& k, const char* v) { k.xMin = Real(v); k.moveX = 1; }},
    {"move_ymin", nullptr, [](AnimKey& k, const char* v) { k.yMin = Real(v); k.moveY = 1; }},
    {"move_xmax", nullptr, [](AnimKey& k, const char* v) { k.xMax = Real(v); k.moveX = 1; }},
    {"move_ymax", nullptr, [](AnimKey& k, const char* v) { k.yMax = Real(v); k.moveY = 1; }},
    {"move_xvel", nullptr, [](AnimKey& k, const char* v) { k.xVel = Real(v); k.moveX = 1; }},
    {"move_yvel", nullptr, [](AnimKey& k, const char* v) { k.yVel = Real(v); k.moveY = 1; }},
    {"move_xloop", nullptr, [](AnimKey& k, const char* v) { k.xLoop = ParseFlag(v); k.moveX = 1; }},
    {"move_yloop", nullptr, [](AnimKey& k, const char* v) { k.yLoop = ParseFlag(v); k.moveY = 1; }},
};

// What the line just applied did, so a save can rewrite values in place and insert and
// remove keys' lines knowing what every line means.
AnimLine NoteFor(const char* key)
{
    AnimLine note;
    note.frame = s_frame;
    note.list = s_list;
    if (std::strcmp(key, "frame") == 0) {
        note.kind = AnimLineKind::FRAME;
    } else if (std::strcmp(key, "key_part") == 0) {
        note.kind = AnimLineKind::LIST;
    } else if (std::strcmp(key, "numkeys") == 0) {
        note.kind = s_listMade ? AnimLineKind::MAKE_LIST : AnimLineKind::OTHER;
    } else if (std::strcmp(key, "key") == 0) {
        note.kind = AnimLineKind::SELECT;
    } else if (std::strcmp(key, "numframes") == 0 || std::strcmp(key, "frame_numparts") == 0) {
        note.kind = AnimLineKind::OTHER;
    } else {
        note.kind = AnimLineKind::VALUE;
        for (KeyField field : {KeyField::DEST, KeyField::SPEED, KeyField::USE_START, KeyField::START, KeyField::LOOP,
                               KeyField::USE_CHANGE, KeyField::CHANGE, KeyField::VISIBLE, KeyField::INVISIBLE})
            if (std::strcmp(key, KeyFieldName(field)) == 0) note.field = field;
    }
    if (note.kind == AnimLineKind::SELECT || note.kind == AnimLineKind::VALUE) {
        const AnimKey* chosen = CurrentKey();
        note.key = chosen ? chosen->id : 0;
    }
    return note;
}

bool HandleAnimKey(const char* key, const char* value)
{
    s_framesMade = s_listMade = false;
    const bool recognised = ApplyDataKey(ANIM_KEYS, key, value, CurrentKey, "no such key");
    if (!recognised || !value) return recognised;
    if (s_framesMade) NoteAnimFramesMade();
    if (s_listMade) NoteAnimListMade(s_frame, s_list, KeyIds(s_frame, s_list));
    NoteAnimLine(CurrentDataLine(), NoteFor(key));
    return recognised;
}

}  // namespace

int LoadVectorAnim()
{
    s_frame = s_list = s_key = 0;
    s_keysInUse = s_linksFollowed = 0;
    CountListLengths();
    g_animFileRecord = AnimFileRecord();
    const int result = ReadDataFile(ANIM_DATA_FILE, HandleAnimKey, "Animation Data file done");
    // The bytes the lines came from: a save compares the file with them before writing.
    g_animFileRecord.text = FileText(ANIM_DATA_FILE);
    NoteAnimFileKeys();
    return result;
}

long AnimReaderLinksFollowed() { return s_linksFollowed; }
