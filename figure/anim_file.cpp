#include "figure/anim_file.h"

#include "figure/anim_save.h"
#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/key_edit.h"
#include "figure/records.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

void SetPartList(const char* value, unsigned char& hasList, int* entries)
{
    long items[MAX_PART_LIST];
    int count = ParseList(value, items, MAX_PART_LIST);
    for (int i = 0; i < MAX_PART_LIST; ++i) entries[i] = i < count ? static_cast<int>(items[i]) : -1;
    hasList = 1;
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

std::vector<int> IdsOf(const AnimKey* list)
{
    std::vector<int> ids;
    for (const AnimKey* k = list; k; k = k->next) ids.push_back(k->id);
    return ids;
}

// Every key of the file. The frame, list and key lines choose the record the key lines
// after them write; a movement line also marks its direction as moving.
const DataKey<AnimReading, AnimKey> ANIM_KEYS[] = {
    {"numframes", [](AnimReading& r, const char* v) { r.SetNumFrames(ParseInteger(v)); }, nullptr},
    {"frame", [](AnimReading& r, const char* v) { r.Choose(AnimLineKind::FRAME, static_cast<int>(ParseInteger(v))); }, nullptr},
    {"frame_numparts", [](AnimReading& r, const char* v) { r.SetFrameParts(static_cast<int>(ParseInteger(v))); }, nullptr},
    {"key_part", [](AnimReading& r, const char* v) { r.Choose(AnimLineKind::LIST, static_cast<int>(ParseInteger(v))); }, nullptr},
    {"numkeys", [](AnimReading& r, const char* v) { r.SetNumKeys(ParseInteger(v)); }, nullptr},
    {"key", [](AnimReading& r, const char* v) { r.Choose(AnimLineKind::SELECT, static_cast<int>(ParseInteger(v))); }, nullptr},
    {"key_startangle", nullptr, [](AnimKey& k, const char* v) { k.startAngle = ParseAngle(v); }},
    {"key_destangle", nullptr, [](AnimKey& k, const char* v) { k.destAngle = ParseAngle(v); }},
    {"key_rotspeed", nullptr, [](AnimKey& k, const char* v) { k.rotSpeed = ParseAngle(v); }},
    {"use_startangle", nullptr, [](AnimKey& k, const char* v) { k.useStartAngle = ParseFlag(v); }},
    {"loopkeys", nullptr, [](AnimKey& k, const char* v) { k.loopKeys = ParseFlag(v); }},
    {"key_ease", nullptr,
     [](AnimKey& k, const char* v) {
         const int ease = KeyEaseNamed(v);
         if (ease == EASE_COUNT) LogRefusedKey("key_ease", "is linear, in, out, inout or step; the key stays as it was");
         else k.ease = static_cast<unsigned char>(ease);
     }},
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

KeyField FieldNamed(const char* key)
{
    for (KeyField field : {KeyField::DEST, KeyField::SPEED, KeyField::USE_START, KeyField::START, KeyField::LOOP,
                           KeyField::USE_CHANGE, KeyField::CHANGE, KeyField::VISIBLE, KeyField::INVISIBLE,
                           KeyField::EASE})
        if (std::strcmp(key, KeyFieldName(field)) == 0) return field;
    return KeyField::OTHER;
}

}  // namespace

AnimReading::AnimReading(AnimFrame* frames, int numFrames) : frames_(frames), numFrames_(frames ? numFrames : 0)
{
    // Frames already there are counted once, so the lengths always describe the frames.
    listLengths_.assign(static_cast<size_t>(numFrames_) * MAX_FRAME_KEYS, 0);
    for (int f = 0; f < numFrames_; ++f) {
        for (int l = 0; l < MAX_FRAME_KEYS; ++l) {
            int n = 0;
            for (const AnimKey* k = frames_[f].keys[l]; k; k = k->next) ++n;
            linksFollowed_ += n;
            listLengths_[static_cast<size_t>(f) * MAX_FRAME_KEYS + l] = n;
        }
    }
}

AnimReading::~AnimReading()
{
    FreeFrames(frames_, numFrames_);
}

const AnimFrame* AnimReading::Frame(int frame) const
{
    return frames_ && frame >= 0 && frame < numFrames_ ? &frames_[frame] : nullptr;
}

AnimFrame* AnimReading::CurrentFrame()
{
    return frames_ && frame_ >= 0 && frame_ < numFrames_ ? &frames_[frame_] : nullptr;
}

int& AnimReading::ListLength(int list)
{
    return listLengths_[static_cast<size_t>(frame_) * MAX_FRAME_KEYS + list];
}

AnimKey* AnimReading::CurrentKey() const
{
    const AnimFrame* frame = Frame(frame_);
    if (!frame || list_ < 0 || list_ >= MAX_FRAME_KEYS || key_ < 0) return nullptr;
    // Lists are whole arrays (NewKeyList), so key j of a list is its j-th element.
    const int length = listLengths_[static_cast<size_t>(frame_) * MAX_FRAME_KEYS + list_];
    return key_ < length ? &frame->keys[list_][key_] : nullptr;
}

void AnimReading::Choose(AnimLineKind kind, int index)
{
    if (kind == AnimLineKind::FRAME) frame_ = index;
    else if (kind == AnimLineKind::LIST) list_ = index;
    else key_ = index;
    made_ = kind;
}

void AnimReading::SetNumFrames(long n)
{
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefusedKey("numframes", "count out of range");
        return;
    }
    FreeFrames(frames_, numFrames_);
    frames_ = new AnimFrame[n]();
    numFrames_ = static_cast<int>(n);
    keysInUse_ = 0;
    listLengths_.assign(static_cast<size_t>(n) * MAX_FRAME_KEYS, 0);
    // A numframes line that makes the frames drops every list read before it.
    record_.lists.clear();
}

void AnimReading::SetFrameParts(int count)
{
    if (AnimFrame* frame = CurrentFrame()) {
        frame->numparts = count;
    } else {
        LogRefusedKey("frame_numparts", "no such frame");
    }
}

void AnimReading::SetNumKeys(long n)
{
    AnimFrame* frame = CurrentFrame();
    if (!frame || list_ < 0 || list_ >= MAX_FRAME_KEYS) {
        LogRefusedKey("numkeys", "no such frame or key list");
        return;
    }
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefusedKey("numkeys", "count out of range");
        return;
    }
    const long old = ListLength(list_);
    long inUse = keysInUse_ - old + n;
    if (inUse > MAX_DATA_TOTAL) {
        LogRefusedKey("numkeys", "too many keys in all");
        return;
    }
    keysInUse_ = inUse < 0 ? 0 : inUse;
    delete[] frame->keys[list_];
    frame->keys[list_] = NewKeyList(static_cast<int>(n));
    ListLength(list_) = static_cast<int>(n);
    made_ = AnimLineKind::MAKE_LIST;
    record_.lists[ListId(frame_, list_)] = IdsOf(frame->keys[list_]);
}

bool AnimReading::Key(int line, const char* key, const char* value)
{
    made_ = AnimLineKind::OTHER;
    const bool recognised = ApplyDataKey(ANIM_KEYS, *this, key, value, CurrentKey(), "no such key");
    if (!recognised || !value) return recognised;
    // What the line did, so a save can rewrite values in place and insert and remove keys'
    // lines knowing what every line means.
    AnimLine note;
    note.frame = frame_;
    note.list = list_;
    const bool chooses = std::strcmp(key, "frame") == 0 || std::strcmp(key, "key_part") == 0 || std::strcmp(key, "key") == 0;
    if (chooses || std::strcmp(key, "numkeys") == 0) {
        note.kind = made_;
    } else if (std::strcmp(key, "numframes") == 0 || std::strcmp(key, "frame_numparts") == 0) {
        note.kind = AnimLineKind::OTHER;
    } else {
        note.kind = AnimLineKind::VALUE;
        note.field = FieldNamed(key);
    }
    if (note.kind == AnimLineKind::SELECT || note.kind == AnimLineKind::VALUE) {
        const AnimKey* chosen = CurrentKey();
        note.key = chosen ? chosen->id : 0;
    }
    if (line >= 1) {
        if (record_.lines.size() < static_cast<size_t>(line)) record_.lines.resize(line);
        record_.lines[line - 1] = note;
    }
    return recognised;
}

AnimDocument AnimReading::Finish(const char* fileName)
{
    AnimDocument document;
    document.frames = std::exchange(frames_, nullptr);
    document.numFrames = std::exchange(numFrames_, 0);
    document.record = std::move(record_);
    // The bytes the lines came from: a save compares the file with them before writing.
    if (fileName) document.record.text = FileText(fileName);
    NoteAnimFileKeys(document.record, document.frames, document.numFrames);
    return document;
}

AnimDocument ReadAnimFile(const char* fileName)
{
    AnimReading reading;
    ReadDataFile(fileName, reading, ANIM_DONE_LINE);
    return reading.Finish(fileName);
}

int KeyEaseNamed(const char* value)
{
    int ease = 0;
    while (ease < EASE_COUNT && (!value || std::strcmp(value, KEY_EASE_NAMES[ease]) != 0)) ++ease;
    return ease;
}

AnimDocument ReadAnimText(const std::string& text)
{
    AnimReading reading;
    ReadDataText(text, reading);
    AnimDocument document = reading.Finish(nullptr);
    document.record.text = text;
    return document;
}

int LoadVectorAnim()
{
    // Read over what is loaded: a file without a numframes line addresses those frames.
    AnimReading reading(std::exchange(g_frames, nullptr), std::exchange(g_numFrames, 0));
    ReadDataFile(ANIM_DATA_FILE, reading, ANIM_DONE_LINE);
    AnimDocument document = reading.Finish(ANIM_DATA_FILE);
    g_frames = document.frames;
    g_numFrames = document.numFrames;
    g_animFileRecord = std::move(document.record);
    g_frameNames.clear();
    return 0;
}
