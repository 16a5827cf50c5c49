#include "editor/edits.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor.h"
#include "figure/anim_save.h"
#include "figure/data_file_names.h"
#include "figure/key_edit.h"
#include "figure/parts_save.h"
#include "figure/records.h"
#include "editor/level_mode.h"
#include "level/level_file.h"

namespace {

// A whole level as it stood before or after a step; levels are small.
typedef std::shared_ptr<const Level> LevelCopy;
LevelCopy Keep(Level* level)
{
    return LevelCopy(level, [](const Level* l) { DeleteLevel(const_cast<Level*>(l)); });
}


// Which value an edit changed: pivot offsets by part, key angles by key id.
enum Field { X_OFFSET, Y_OFFSET, KEY_DEST, KEY_SPEED };
typedef std::pair<int, int> ValueId;  // field, part index or key id

struct Change {
    ValueId id;
    float before;
    float after;
};
// A key put into a list or taken out of it, with everything needed to do it again.
struct KeyChange {
    bool inserted;   // else deleted
    KeyPlace place;  // where the key is while it is there
    AnimKey key;     // its id and values
};
// A key's start, loop, image change and visibility lists, before and after.
struct EndsChange {
    AnimKey before;
    AnimKey after;
};
// One step of the history: what one key press changed, taken back and put again whole.
struct Step {
    std::vector<Change> values;
    std::vector<KeyChange> keys;
    std::vector<EndsChange> ends;
    LevelCopy levelBefore = nullptr, levelAfter = nullptr;  // the level, when the step changed it
};

std::deque<Step> s_steps;
size_t s_done = 0;  // steps in effect; those after it can be redone
// The value on disk of every value the history has touched, as last read or saved.
std::map<ValueId, float> s_saved;
// The keys on disk of every list the history has inserted into or deleted from.
std::map<ListId, std::vector<int>> s_savedLists;
// The start, loop, image change and lists on disk of every key whose ends the history touched.
std::map<int, AnimKey> s_savedEnds;
int s_groupDepth = 0;
bool s_groupStarted = false;  // the open group has its step in the history

void CopyEnds(const AnimKey& from, AnimKey& to)
{
    to.useStartAngle = from.useStartAngle;
    to.startAngle = from.startAngle;
    to.loopKeys = from.loopKeys;
    to.useChangePart = from.useChangePart;
    to.changePartSlot = from.changePartSlot;
    to.changePartVecPart = from.changePartVecPart;
    to.hasVisibleList = from.hasVisibleList;
    std::copy(std::begin(from.visibleParts), std::end(from.visibleParts), to.visibleParts);
    to.hasInvisibleList = from.hasInvisibleList;
    std::copy(std::begin(from.invisibleParts), std::end(from.invisibleParts), to.invisibleParts);
}

// The fields of the file whose text differs between a key on disk and in memory.
std::vector<KeyField> EndsDiffering(const AnimKey& disk, const AnimKey& memory)
{
    std::vector<KeyField> fields;
    for (KeyField field : {KeyField::USE_START, KeyField::START, KeyField::LOOP, KeyField::USE_CHANGE,
                           KeyField::CHANGE, KeyField::VISIBLE, KeyField::INVISIBLE}) {
        bool same = KeyFieldText(disk, field) == KeyFieldText(memory, field);
        // What a line without its switch holds means nothing: it is not worth a line. A switch
        // turned on always has its line, so the file says which image it gives.
        if (field == KeyField::CHANGE) same = memory.useChangePart ? same && disk.useChangePart : true;
        if (field == KeyField::VISIBLE)
            same = disk.hasVisibleList == memory.hasVisibleList && (same || !disk.hasVisibleList);
        if (field == KeyField::INVISIBLE)
            same = disk.hasInvisibleList == memory.hasInvisibleList && (same || !disk.hasInvisibleList);
        if (!same) fields.push_back(field);
    }
    return fields;
}

bool InFile(int key)
{
    for (const auto& entry : g_animFileRecord.lists)
        if (std::find(entry.second.begin(), entry.second.end(), key) != entry.second.end()) return true;
    return false;
}

// What the file needs written for the ends memory holds and the file does not.
std::vector<KeyValue> UnsavedEnds()
{
    std::vector<KeyValue> values;
    for (const auto& [id, disk] : s_savedEnds) {
        const AnimKey* key = KeyById(id);
        if (!key) continue;
        const std::vector<KeyField> fields = EndsDiffering(disk, *key);
        for (KeyField field : fields) {
            const bool gone = (field == KeyField::VISIBLE && !key->hasVisibleList) ||
                              (field == KeyField::INVISIBLE && !key->hasInvisibleList);
            values.push_back({id, field, gone ? std::string() : KeyFieldText(*key, field)});
        }
    }
    return values;
}

// The level on disk, once the history has changed it.
LevelCopy s_savedLevel;

bool LevelUnsaved()
{
    return s_savedLevel && g_level && LevelText(*g_level) != LevelText(*s_savedLevel);
}

// Puts a copy of level in g_level's place; the file it was read from stays the same.
void PutLevel(const Level& level)
{
    Level* copy = CopyLevel(level);
    // The file is still the one g_level was read from or saved as, and so are its lines.
    if (g_level) {
        copy->fileText = g_level->fileText;
        copy->pieceLines = g_level->pieceLines;
    }
    DeleteLevel(g_level);
    g_level = copy;
    ForgetLevelPick();
}

float* ValueOf(const ValueId& id)
{
    const auto [field, subject] = id;
    if (field == X_OFFSET || field == Y_OFFSET) {
        VectorPart* image = PartAt(subject);
        if (!image) return nullptr;
        return field == Y_OFFSET ? &image->yoffset : &image->xoffset;
    }
    AnimKey* key = KeyById(subject);
    if (!key) return nullptr;
    return field == KEY_SPEED ? &key->rotSpeed : &key->destAngle;
}

// The lists whose keys in memory are not the ones on disk.
std::vector<ListId> UnsavedLists()
{
    std::vector<ListId> lists;
    for (const auto& entry : s_savedLists)
        if (KeyIds(entry.first.first, entry.first.second) != entry.second) lists.push_back(entry.first);
    return lists;
}

void UpdateUnsaved()
{
    g_editsUnsaved = !UnsavedLists().empty() || !UnsavedEnds().empty() || LevelUnsaved();
    for (const auto& entry : s_saved) {
        const float* value = ValueOf(entry.first);
        if (value && *value != entry.second) g_editsUnsaved = true;
    }
}

void Say(const std::string& text)
{
    WriteLog(text.c_str());
    PostScreenMessage(text);
}

// One tenth from value. Values on the tenths the file shows move along them exactly, so
// ten nudges are 1.0 and three from 2.0 save as 2.3, not as float drift like 2.2999997.
float Nudged(float value, float direction)
{
    const double tenths = static_cast<double>(value) * 10.0;
    const double whole = std::round(tenths);
    if (std::fabs(tenths - whole) < 1e-3 && std::fabs(whole) < 1e12) {
        return static_cast<float>((whole + direction) / 10.0);
    }
    return value + direction * 0.1f;
}

// Puts the key into its list or takes it out, as the history stands with the step done
// or not.
void PutKey(const KeyChange& change, bool done)
{
    if (change.inserted == done)
        InsertKeyAt(change.place.frame, change.place.list, change.place.index, change.key);
    else
        RemoveKey(change.key.id);
}

// Records a step that is already in effect; inside an edit group, as part of its step.
void AddStep(const Step& step)
{
    if (s_groupDepth > 0 && s_groupStarted && s_done == s_steps.size() && !s_steps.empty()) {
        Step& group = s_steps.back();
        group.values.insert(group.values.end(), step.values.begin(), step.values.end());
        group.keys.insert(group.keys.end(), step.keys.begin(), step.keys.end());
        group.ends.insert(group.ends.end(), step.ends.begin(), step.ends.end());
        if (step.levelAfter) {
            if (!group.levelBefore) group.levelBefore = step.levelBefore;
            group.levelAfter = step.levelAfter;
        }
        UpdateUnsaved();
        return;
    }
    s_groupStarted = s_groupDepth > 0;
    s_steps.erase(s_steps.begin() + static_cast<std::ptrdiff_t>(s_done), s_steps.end());
    s_steps.push_back(step);
    if (s_steps.size() > static_cast<size_t>(MAX_EDIT_STEPS)) s_steps.pop_front();
    s_done = s_steps.size();
    UpdateUnsaved();
}

void MakeStep(Step step)
{
    for (Change& change : step.values) {
        float* value = ValueOf(change.id);
        if (!value) continue;
        change.before = *value;
        s_saved.emplace(change.id, *value);
        *value = change.after;
    }
    AddStep(step);
}

void PutStep(const Step& step, bool after)
{
    if (after) {
        for (const KeyChange& change : step.keys) PutKey(change, true);
        for (const Change& change : step.values)
            if (float* value = ValueOf(change.id)) *value = change.after;
        for (const EndsChange& change : step.ends)
            if (AnimKey* key = KeyById(change.after.id)) CopyEnds(change.after, *key);
        if (step.levelAfter) PutLevel(*step.levelAfter);
    } else {
        if (step.levelBefore) PutLevel(*step.levelBefore);
        for (auto change = step.ends.rbegin(); change != step.ends.rend(); ++change)
            if (AnimKey* key = KeyById(change->before.id)) CopyEnds(change->before, *key);
        for (auto change = step.values.rbegin(); change != step.values.rend(); ++change)
            if (float* value = ValueOf(change->id)) *value = change->before;
        for (auto change = step.keys.rbegin(); change != step.keys.rend(); ++change) PutKey(*change, false);
    }
    UpdateUnsaved();
}

// Inserts (a new key with key's values) or deletes (key) as one step; the key's id, or 0
// when refused.
int ChangeKeys(bool insert, const KeyPlace& place, AnimKey key)
{
    const std::vector<int> before = KeyIds(place.frame, place.list);
    if (insert) {
        key.id = 0;
        const AnimKey* added = InsertKeyAt(place.frame, place.list, place.index, key);
        if (!added) return 0;
        key = *added;
    } else if (!RemoveKey(key.id)) {
        return 0;
    }
    s_savedLists.emplace(ListId(place.frame, place.list), before);
    AddStep({{}, {{insert, place, key}}, {}});
    return key.id;
}

int InsertKeyBeside(int key, const AnimKey& values, int offset)
{
    KeyPlace place;
    if (!KeyById(key, &place)) return 0;
    place.index += offset;
    return ChangeKeys(true, place, values);
}

std::string Counted(size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Written(const char* file, size_t count)
{
    return std::string(file) + " saved: " + Counted(count, "value", "values") + " written";
}

void ValuesSaved(const std::vector<ValueId>& ids)
{
    for (const ValueId& id : ids)
        if (const float* value = ValueOf(id)) s_saved[id] = *value;
}

// Saves the unsaved pivot offsets; the outcome, or empty with nothing to save.
std::string SaveParts(const std::vector<OffsetValue>& values, const std::vector<ValueId>& ids, bool& ok)
{
    if (values.empty()) return std::string();
    std::string why;
    if (SavePartOffsets(values, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(PARTS_DATA_FILE) + " not saved: " + why;
    }
    ValuesSaved(ids);
    return Written(PARTS_DATA_FILE, values.size());
}

// Saves the unsaved key lists and angles; the outcome, or empty with nothing to save.
std::string SaveAnim(const std::vector<ListId>& lists, const std::vector<KeyValue>& values,
                     const std::vector<ValueId>& ids, bool& ok)
{
    if (lists.empty() && values.empty()) return std::string();
    std::string why;
    AnimSaveCount count;
    if (SaveAnimEdits(lists, values, count, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(ANIM_DATA_FILE) + " not saved: " + why;
    }
    ValuesSaved(ids);
    for (auto& [id, disk] : s_savedEnds)
        if (const AnimKey* key = KeyById(id)) CopyEnds(*key, disk);
    for (const ListId& list : lists) s_savedLists[list] = KeyIds(list.first, list.second);
    if (count.added == 0 && count.removed == 0) return Written(ANIM_DATA_FILE, values.size());
    std::string text = std::string(ANIM_DATA_FILE) + " saved: ";
    if (count.added) text += Counted(count.added, "key", "keys") + " added, ";
    if (count.removed) text += Counted(count.removed, "key", "keys") + " removed, ";
    return text + Counted(values.size(), "value", "values") + " written";
}

// Saves the level when it differs from the file; the outcome, or empty with nothing to save.
std::string SaveLevelFile(bool& ok)
{
    if (!LevelUnsaved()) return std::string();
    std::string why;
    if (SaveLevel(*g_level, LEVEL_DATA_FILE, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(LEVEL_DATA_FILE) + " not saved: " + why;
    }
    s_savedLevel = Keep(CopyLevel(*g_level));
    return std::string(LEVEL_DATA_FILE) + " saved";
}

}  // namespace

void RecordLevelStep(Level* before)
{
    if (!before || !g_level) return;
    LevelCopy was = Keep(before);
    if (!s_savedLevel) s_savedLevel = was;
    AddStep({{}, {}, {}, was, Keep(CopyLevel(*g_level))});
}

void NudgeOffset(int part, bool vertical, float direction)
{
    const ValueId id(vertical ? Y_OFFSET : X_OFFSET, part);
    const float* value = ValueOf(id);
    if (!value) return;
    MakeStep({{{id, *value, Nudged(*value, direction)}}, {}, {}});
}

void SetKeyAngles(const std::vector<KeyAngles>& keys)
{
    Step step;
    for (const KeyAngles& k : keys) {
        if (!KeyById(k.key)) continue;
        step.values.push_back({ValueId(KEY_DEST, k.key), 0.0f, k.destAngle});
        step.values.push_back({ValueId(KEY_SPEED, k.key), 0.0f, k.rotSpeed});
    }
    if (!step.values.empty()) MakeStep(step);
}

void SetKeyEnds(const std::vector<AnimKey>& keys)
{
    Step step;
    for (const AnimKey& k : keys) {
        AnimKey* key = KeyById(k.id);
        if (!key) continue;
        EndsChange change{*key, *key};
        CopyEnds(k, change.after);
        if (EndsDiffering(change.before, change.after).empty()) continue;
        s_savedEnds.emplace(k.id, *key);
        CopyEnds(change.after, *key);
        step.ends.push_back(change);
    }
    if (!step.ends.empty()) AddStep(step);
}

void BeginEditGroup()
{
    if (s_groupDepth++ == 0) s_groupStarted = false;
}

void EndEditGroup()
{
    if (s_groupDepth > 0) --s_groupDepth;
}

int InsertKeyAfter(int key, const AnimKey& values)
{
    return InsertKeyBeside(key, values, 1);
}

int InsertKeyBefore(int key, const AnimKey& values)
{
    return InsertKeyBeside(key, values, 0);
}

bool DeleteKey(int key)
{
    KeyPlace place;
    const AnimKey* found = KeyById(key, &place);
    return found && ChangeKeys(false, place, *found) != 0;
}

bool UndoEdit()
{
    FinishLevelDrag();
    if (s_done == 0) {
        PostScreenMessage("Nothing to undo");
        return false;
    }
    PutStep(s_steps[--s_done], false);
    return true;
}

bool RedoEdit()
{
    FinishLevelDrag();
    if (s_done == s_steps.size()) {
        PostScreenMessage("Nothing to redo");
        return false;
    }
    PutStep(s_steps[s_done++], true);
    return true;
}

bool SaveEdits()
{
    FinishLevelDrag();
    std::vector<OffsetValue> offsets;
    std::vector<KeyValue> angles;
    std::vector<ValueId> offsetIds, angleIds;
    for (const auto& entry : s_saved) {
        const float* value = ValueOf(entry.first);
        if (!value || *value == entry.second) continue;
        const auto [field, subject] = entry.first;
        if (field == X_OFFSET || field == Y_OFFSET) {
            offsets.push_back({subject, field == Y_OFFSET, *value});
            offsetIds.push_back(entry.first);
        } else {
            const AnimKey* key = KeyById(subject);
            const KeyField which = field == KEY_SPEED ? KeyField::SPEED : KeyField::DEST;
            if (key) angles.push_back({subject, which, KeyFieldText(*key, which)});
            angleIds.push_back(entry.first);
        }
    }
    const std::vector<KeyValue> ends = UnsavedEnds();
    angles.insert(angles.end(), ends.begin(), ends.end());
    // A key the file does not hold yet is written whole with its list, not value by value.
    angles.erase(std::remove_if(angles.begin(), angles.end(), [](const KeyValue& v) { return !InFile(v.key); }),
                 angles.end());
    const std::vector<ListId> lists = UnsavedLists();
    if (offsets.empty() && angles.empty() && lists.empty() && !LevelUnsaved()) {
        Say("Nothing to save");
        return false;
    }
    // Each file on its own: one refused does not keep the other from being written.
    bool ok = true;
    const std::string parts = SaveParts(offsets, offsetIds, ok);
    const std::string anim = SaveAnim(lists, angles, angleIds, ok);
    const std::string level = SaveLevelFile(ok);
    UpdateUnsaved();
    std::string said;
    for (const std::string& outcome : {parts, anim, level}) {
        if (outcome.empty()) continue;
        WriteLog(outcome.c_str());
        said += (said.empty() ? "" : "; ") + outcome;
    }
    PostScreenMessage(said);
    return ok;
}

void ForgetEdits()
{
    s_steps.clear();
    s_done = 0;
    s_saved.clear();
    s_savedLists.clear();
    s_savedEnds.clear();
    s_groupDepth = 0;
    s_groupStarted = false;
    s_savedLevel.reset();
    g_editsUnsaved = false;
}
