#include "figure/data_rules.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "figure/anim_file.h"
#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/figure_file.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "figure/roles.h"

namespace {

// Every number the game gives a role must exist in the data.
const std::string SLOT_RANGE = std::to_string(MIN_FIGURE_SLOTS) + " to " + std::to_string(MAX_FRAME_KEYS);

enum class DataFile { Parts, Figure, Anim };

typedef std::tuple<int, int, int> KeyId;  // frame, list, key

// What the observer learns while the game's readers run.

struct CheckState {
    std::vector<DataProblem> breaches;
    std::vector<DataProblem> found;  // of the file being read
    const char* fileName = "";
    DataFile file = DataFile::Parts;
    int part = 0, frame = 0, list = 0, key = 0;
    int countLine = 0;                        // numparts / numframes line
    long slots = 0;  // the figure's slots so far: what its last numparts the reader took gave
    std::map<int, std::map<std::string, int>> slotLines;  // slot -> key -> line
    std::map<int, int> partLines;             // part -> line naming it
    std::map<int, int> frameLines;            // frame -> frame_numparts line
    std::map<KeyId, int> changeLines, visibleLines, invisibleLines;
};
CheckState* s_check = nullptr;

void Breach(int line, const std::string& message)
{
    const std::string file = s_check->fileName;
    s_check->found.push_back({file, line, file + ":" + std::to_string(line) + ": " + message, false});
}

int LineOr(const std::map<int, int>& lines, int index, int fallback)
{
    auto it = lines.find(index);
    return it != lines.end() ? it->second : fallback;
}

int ListLength(const char* value)
{
    long items[MAX_DATA_LINE];
    return ParseList(value, items, MAX_DATA_LINE);
}

void CheckCount(int line, const char* key, long value, long low, long high, const std::string& what)
{
    if (value < low || value > high)
        Breach(line, std::string(key) + "=" + std::to_string(value) + ": " + what);
}

void ObserveParts(int line, const std::string& key, const char* value)
{
    CheckState& s = *s_check;
    if (key == "numparts") {
        s.countLine = line;
        CheckCount(line, "numparts", ParseInteger(value), MIN_IMAGES, MAX_DATA_COUNT,
                   "the game needs at least " + std::to_string(MIN_IMAGES) + " parts");
        return;
    }
    if (key == "part") {
        s.part = static_cast<int>(ParseInteger(value));
        return;
    }
    VectorPart* part = PartAt(s.part);
    if (!part) {
        Breach(line, key + " for part " + std::to_string(s.part) + ", which does not exist");
        return;
    }
    if (key == "texture") {
        s.partLines[s.part] = line;
        if (!part->primaryVertexBuffer) Breach(line, std::string("image \"") + value + "\" does not load");
    } else if (key == "numpoints") {
        CheckCount(line, "numpoints", ParseInteger(value), 0, MAX_DATA_COUNT, "count out of range");
    } else if (key == "points") {
        int items = ListLength(value);
        if (items % 2 != 0) Breach(line, "points has an odd number of items");
        if (items / 2 > part->numpoints)
            Breach(line, "points gives " + std::to_string(items / 2) + " points, numpoints is " +
                             std::to_string(part->numpoints));
    }
}

void ObserveFigure(int line, const std::string& key, const char* value)
{
    CheckState& s = *s_check;
    if (key == "numparts") {
        s.countLine = line;
        const long count = ParseInteger(value);
        CheckCount(line, "numparts", count, MIN_FIGURE_SLOTS, MAX_FRAME_KEYS, "the figure needs " + SLOT_RANGE + " slots");
        // The reader takes a count its slot table can hold and refuses any other.
        if (count >= 0 && count <= MAX_FRAME_KEYS) s.slots = count;
    } else if (key == "part") {
        s.part = static_cast<int>(ParseInteger(value));
        s.partLines[s.part] = line;
    } else if (s.part < 0 || s.part >= s.slots) {
        Breach(line, key + " for slot " + std::to_string(s.part) + ", which does not exist");
    } else {
        s.slotLines[s.part][key] = line;
    }
}

bool AnimKeyExists(const CheckState& s)
{
    if (!g_frames || s.frame < 0 || s.frame >= g_numFrames) return false;
    if (s.list < 0 || s.list >= MAX_FRAME_KEYS || s.key < 0) return false;
    const AnimKey* k = g_frames[s.frame].keys[s.list];
    for (int i = 0; k && i < s.key; ++i) k = k->next;
    return k != nullptr;
}

void ObserveAnim(int line, const std::string& key, const char* value)
{
    CheckState& s = *s_check;
    bool frameExists = g_frames && s.frame >= 0 && s.frame < g_numFrames;
    if (key == "numframes") {
        s.countLine = line;
        CheckCount(line, "numframes", ParseInteger(value), MIN_FRAMES, MAX_DATA_COUNT,
                   "the game needs at least " + std::to_string(MIN_FRAMES) + " frames");
    } else if (key == "frame") {
        s.frame = static_cast<int>(ParseInteger(value));
    } else if (key == "key_part") {
        s.list = static_cast<int>(ParseInteger(value));
    } else if (key == "key") {
        s.key = static_cast<int>(ParseInteger(value));
    } else if (key == "frame_numparts") {
        if (!frameExists) Breach(line, "frame_numparts for frame " + std::to_string(s.frame) + ", which does not exist");
        else s.frameLines[s.frame] = line;
    } else if (key == "numkeys") {
        if (!frameExists || s.list < 0 || s.list >= MAX_FRAME_KEYS)
            Breach(line, "numkeys for list " + std::to_string(s.list) + " of frame " + std::to_string(s.frame) +
                             ", which cannot exist");
        else CheckCount(line, "numkeys", ParseInteger(value), 1, MAX_DATA_COUNT, "a list needs 1 to 4096 keys");
    } else if (!AnimKeyExists(s)) {
        Breach(line, key + " for key " + std::to_string(s.key) + " of list " + std::to_string(s.list) + " of frame " +
                         std::to_string(s.frame) + ", which does not exist");
    } else {
        KeyId id(s.frame, s.list, s.key);
        if (key == "changepart") {
            s.changeLines[id] = line;
            if (ListLength(value) != 2) Breach(line, "changepart takes exactly 2 items: slot, image");
        } else if (key == "part_visible" || key == "part_invisible") {
            (key == "part_visible" ? s.visibleLines : s.invisibleLines)[id] = line;
            if (ListLength(value) > MAX_PART_LIST) Breach(line, key + " names more than 5 slots");
        } else if (key == "use_changepart") {
            s.changeLines.emplace(id, line);
        }
    }
}

void Observe(int line, const char* key, const char* value, bool recognised)
{
    if (!recognised) {
        Breach(line, std::string("unknown key \"") + key + "\"");
        return;
    }
    if (!value) {
        Breach(line, std::string(key) + " has no value");
        return;
    }
    switch (s_check->file) {
    case DataFile::Parts: ObserveParts(line, key, value); break;
    case DataFile::Figure: ObserveFigure(line, key, value); break;
    case DataFile::Anim: ObserveAnim(line, key, value); break;
    }
}

// Hands on the breaches of the file just checked, in line order.
void Finish()
{
    std::stable_sort(s_check->found.begin(), s_check->found.end(),
                     [](const DataProblem& a, const DataProblem& b) { return a.line < b.line; });
    for (const DataProblem& f : s_check->found) s_check->breaches.push_back(f);
    s_check->found.clear();
}

void Begin(DataFile file, const char* name)
{
    s_check->file = file;
    s_check->fileName = name;
    s_check->part = s_check->frame = s_check->list = s_check->key = 0;
    s_check->countLine = 0;
    s_check->partLines.clear();
}

void CheckPartsRecords()
{
    if (!g_parts) Breach(0, "no numparts line: no parts are loaded");
    for (int i = 0; i < g_numParts; ++i) {
        if (!g_parts[i].textureFile) Breach(s_check->countLine, "part " + std::to_string(i) + " has no texture");
    }
}

void CheckFigureRecords()
{
    const VectorMan& man = *g_vectorMan;
    if (!man.parts) Breach(0, "no slots: the figure needs " + SLOT_RANGE);
    for (int i = 0; i < man.numparts; ++i) {
        const ManPart& slot = man.parts[i];
        auto& lines = s_check->slotLines[i];
        int slotLine = LineOr(s_check->partLines, i, s_check->countLine);
        auto lineOf = [&](const char* key) { return lines.count(key) ? lines[key] : slotLine; };
        std::string name = "slot " + std::to_string(i);
        if (!PartAt(slot.vecpartnum))
            Breach(lineOf("vecpartnum"), name + " shows image " + std::to_string(slot.vecpartnum) +
                                             ", which does not exist");
        if (slot.rootpart < -1 || slot.rootpart >= i) {
            Breach(lineOf("rootpart"), name + " hangs from slot " + std::to_string(slot.rootpart) +
                                           "; a parent must come before its children");
        } else if (slot.rootpart >= 0) {
            const VectorPart* parent = PartAt(slot.rootpart);
            int points = parent ? parent->numpoints : 0;
            if (slot.rootpoint < 0 || slot.rootpoint >= points)
                Breach(lineOf("rootpoint"), name + " hangs at point " + std::to_string(slot.rootpoint) + ", but image " +
                                                std::to_string(slot.rootpart) + " has " + std::to_string(points) +
                                                " points");
        }
    }
}

void CheckSlotIndex(int line, int slot, const std::string& what)
{
    if (slot < 0 || slot >= g_vectorMan->numparts)
        Breach(line, what + " names slot " + std::to_string(slot) + ", which does not exist");
}

void CheckAnimRecords()
{
    if (!g_frames) Breach(0, "no numframes line: no frames are loaded");
    for (int f = 0; f < g_numFrames; ++f) {
        const AnimFrame& frame = g_frames[f];
        if (frame.numparts != MAXKEYS)
            Breach(LineOr(s_check->frameLines, f, s_check->countLine),
                   "frame " + std::to_string(f) + " is written for " + std::to_string(frame.numparts) +
                       " slots; the figure animates " + std::to_string(MAXKEYS));
        for (int k = 0; k < MAX_FRAME_KEYS; ++k) {
            int j = 0;
            for (const AnimKey* key = frame.keys[k]; key; key = key->next, ++j) {
                KeyId id(f, k, j);
                if (key->useChangePart) {
                    int line = s_check->changeLines.count(id) ? s_check->changeLines[id] : s_check->countLine;
                    CheckSlotIndex(line, key->changePartSlot, "changepart");
                    if (!PartAt(key->changePartVecPart))
                        Breach(line, "changepart names image " + std::to_string(key->changePartVecPart) +
                                         ", which does not exist");
                }
                for (int i = 0; key->hasVisibleList && i < MAX_PART_LIST; ++i) {
                    if (key->visibleParts[i] != -1) CheckSlotIndex(s_check->visibleLines[id], key->visibleParts[i], "part_visible");
                }
                for (int i = 0; key->hasInvisibleList && i < MAX_PART_LIST; ++i) {
                    if (key->invisibleParts[i] != -1)
                        CheckSlotIndex(s_check->invisibleLines[id], key->invisibleParts[i], "part_invisible");
                }
            }
        }
    }
}

}  // namespace

std::vector<DataProblem> LoadCheckedFigureData()
{
    CheckState state;
    s_check = &state;
    SetDataLineObserver(Observe);
    Begin(DataFile::Parts, PARTS_DATA_FILE);
    LoadVectorParts();
    CheckPartsRecords();
    Finish();
    Begin(DataFile::Figure, FIGURE_DATA_FILE);
    InitVectorMan();
    CheckFigureRecords();
    Finish();
    Begin(DataFile::Anim, ANIM_DATA_FILE);
    LoadVectorAnim();
    CheckAnimRecords();
    Finish();
    SetDataLineObserver(nullptr);
    s_check = nullptr;
    return state.breaches;
}
