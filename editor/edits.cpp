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
#include "figure/data_files.h"
#include "figure/figure_file.h"
#include "figure/figure_save.h"
#include "figure/parts_file.h"
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

float* ValueOf(const ValueId& id);
void PutLevel(const Level& level);
void CopyEnds(const AnimKey& from, AnimKey& to);

// An edit: a change to the records that the history can put again and take back.
class Command {
public:
    virtual ~Command() = default;
    virtual void Apply() const = 0;
    virtual void Revert() const = 0;
};
typedef std::shared_ptr<const Command> CommandRef;

class SetValue : public Command {
public:
    SetValue(ValueId id, float before, float after) : id_(id), before_(before), after_(after) {}
    void Apply() const override { Put(after_); }
    void Revert() const override { Put(before_); }

private:
    void Put(float value) const
    {
        if (float* at = ValueOf(id_)) *at = value;
    }
    ValueId id_;
    float before_, after_;
};

// A key put into a list or taken out of it, with everything needed to do it again.
class ChangeList : public Command {
public:
    ChangeList(bool inserted, const KeyPlace& place, const AnimKey& key) : inserted_(inserted), place_(place), key_(key) {}
    void Apply() const override { Put(inserted_); }
    void Revert() const override { Put(!inserted_); }

private:
    void Put(bool in) const
    {
        if (in) InsertKeyAt(place_.frame, place_.list, place_.index, key_);
        else RemoveKey(key_.id);
    }
    bool inserted_;
    KeyPlace place_;  // where the key is while it is there
    AnimKey key_;     // its id and values
};

// A key's start, loop, image change and visibility lists.
class SetEnds : public Command {
public:
    SetEnds(const AnimKey& before, const AnimKey& after) : before_(before), after_(after) {}
    void Apply() const override { Put(after_); }
    void Revert() const override { Put(before_); }

private:
    void Put(const AnimKey& ends) const
    {
        if (AnimKey* key = KeyById(ends.id)) CopyEnds(ends, *key);
    }
    AnimKey before_, after_;
};

class SetSetup : public Command {
public:
    SetSetup(const FigureSetup& before, const FigureSetup& after) : before_(before), after_(after) {}
    void Apply() const override { Put(after_); }
    void Revert() const override { Put(before_); }

private:
    static void Put(const FigureSetup& setup)
    {
        g_figureSetup = setup;
        if (g_vectorMan) ApplySetup(*g_vectorMan, setup);
    }
    FigureSetup before_, after_;
};

class SetJoints : public Command {
public:
    SetJoints(int image, std::vector<PartPoint> before, std::vector<PartPoint> after)
        : image_(image), before_(std::move(before)), after_(std::move(after))
    {
    }
    void Apply() const override { Put(after_); }
    void Revert() const override { Put(before_); }

private:
    void Put(const std::vector<PartPoint>& points) const
    {
        if (VectorPart* part = PartAt(image_)) SetPartPoints(*part, points);
    }
    int image_;
    std::vector<PartPoint> before_, after_;
};

// An image added after the others: taken back, it goes again.
class AddPart : public Command {
public:
    AddPart(int index, std::string file) : index_(index), file_(std::move(file)) {}
    void Apply() const override
    {
        if (g_numParts == index_) AppendPart(file_.c_str());
    }
    void Revert() const override
    {
        if (g_parts && g_numParts == index_ + 1) DropLastPart();
    }

private:
    int index_;
    std::string file_;
};

// The last image taken away: put back, it has its offsets and joints again.
class RemovePart : public Command {
public:
    explicit RemovePart(const VectorPart& part)
        : index_(g_numParts - 1), file_(part.textureFile ? part.textureFile : ""), x_(part.xoffset), y_(part.yoffset),
          points_(PartPoints(part))
    {
    }
    void Apply() const override
    {
        if (g_parts && g_numParts == index_ + 1) DropLastPart();
    }
    void Revert() const override
    {
        if (g_numParts != index_ || AppendPart(file_.c_str()) < 0) return;
        g_parts[index_].xoffset = x_;
        g_parts[index_].yoffset = y_;
        SetPartPoints(g_parts[index_], points_);
    }

private:
    int index_;
    std::string file_;
    float x_, y_;
    std::vector<PartPoint> points_;
};

// The frames' shape changed: lists taken away or moved, frames added or taken away.
class ReplaceFrames : public Command {
public:
    ReplaceFrames(FramesCopy before, FramesCopy after) : before_(std::move(before)), after_(std::move(after)) {}
    void Apply() const override { PutFrames(after_); }
    void Revert() const override { PutFrames(before_); }

private:
    FramesCopy before_, after_;
};

class ReplaceLevel : public Command {
public:
    ReplaceLevel(LevelCopy before, LevelCopy after) : before_(std::move(before)), after_(std::move(after)) {}
    void Apply() const override { PutLevel(*after_); }
    void Revert() const override { PutLevel(*before_); }

private:
    LevelCopy before_, after_;
};

// One step of the history: what one key press changed, its commands put again in order and
// taken back in the reverse order.
typedef std::vector<CommandRef> Step;

std::deque<Step> s_steps;
size_t s_done = 0;  // steps in effect; those after it can be redone
int s_groupDepth = 0;
bool s_groupStarted = false;  // the open group has its step in the history

void CopyEnds(const AnimKey& from, AnimKey& to)
{
    to.useStartAngle = from.useStartAngle;
    to.startAngle = from.startAngle;
    to.loopKeys = from.loopKeys;
    to.ease = from.ease;
    to.useChangePart = from.useChangePart;
    to.changePartSlot = from.changePartSlot;
    to.changePartVecPart = from.changePartVecPart;
    to.hasVisibleList = from.hasVisibleList;
    std::copy(std::begin(from.visibleParts), std::end(from.visibleParts), to.visibleParts);
    to.hasInvisibleList = from.hasInvisibleList;
    std::copy(std::begin(from.invisibleParts), std::end(from.invisibleParts), to.invisibleParts);
}

// Puts a copy of level in g_level's place; the file it was read from stays the same.
void PutLevel(const Level& level)
{
    Level* copy = CopyLevel(level);
    // The file is still the one g_level was read from or saved as, and so are its lines.
    if (g_level) {
        copy->fileText = g_level->fileText;
        copy->pieceLines = g_level->pieceLines;
        copy->asRead = g_level->asRead;
        copy->savedForm = g_level->savedForm;
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

// "Unsaved" is a document that differs from what its file holds.
void UpdateUnsaved()
{
    g_editsUnsaved = DocumentsUnsaved();
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

// Records a step that is already in effect; inside an edit group, as part of its step.
void AddStep(const Step& step)
{
    if (s_groupDepth > 0 && s_groupStarted && s_done == s_steps.size() && !s_steps.empty()) {
        Step& group = s_steps.back();
        group.insert(group.end(), step.begin(), step.end());
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

// Makes the step's changes, then records it.
void MakeStep(const Step& step)
{
    for (const CommandRef& command : step) command->Apply();
    AddStep(step);
}

void PutStep(const Step& step, bool after)
{
    if (after) {
        for (const CommandRef& command : step) command->Apply();
    } else {
        for (auto command = step.rbegin(); command != step.rend(); ++command) (*command)->Revert();
    }
    UpdateUnsaved();
}

// Inserts (a new key with key's values) or deletes (key) as one step; the key's id, or 0
// when refused.
int ChangeKeys(bool insert, const KeyPlace& place, AnimKey key)
{
    if (insert) {
        key.id = 0;
        const AnimKey* added = InsertKeyAt(place.frame, place.list, place.index, key);
        if (!added) return 0;
        key = *added;
    } else if (!RemoveKey(key.id)) {
        return 0;
    }
    AddStep({std::make_shared<ChangeList>(insert, place, key)});
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

// Saves the unsaved pivot offsets; the outcome, or empty with nothing to save.
std::string SaveParts(const std::vector<OffsetValue>& values, bool& ok)
{
    const bool shapes = PartShapesUnsaved();
    if (values.empty() && !shapes) return std::string();
    std::string why;
    if (SavePartOffsets(values, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(PARTS_DATA_FILE) + " not saved: " + why;
    }
    // The file took every offset that differed: it now holds what memory holds.
    NotePartsFileOffsets(g_partsFileRecord, g_parts, g_numParts);
    if (shapes) return std::string(PARTS_DATA_FILE) + " saved";
    return Written(PARTS_DATA_FILE, values.size());
}

// Saves the figure's setup when it differs from the file; the outcome, or empty.
std::string SaveFigure(bool& ok)
{
    if (!FigureSetupUnsaved()) return std::string();
    std::string why;
    if (SaveFigureSetup(g_figureSetup, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(FIGURE_DATA_FILE) + " not saved: " + why;
    }
    return std::string(FIGURE_DATA_FILE) + " saved";
}

// Saves the unsaved key lists and angles; the outcome, or empty with nothing to save.
std::string SaveAnim(const std::vector<ListId>& lists, const std::vector<KeyValue>& values, bool& ok)
{
    if (lists.empty() && values.empty() && !FrameNamesUnsaved()) return std::string();
    std::string why;
    AnimSaveCount count;
    if (SaveAnimEdits(lists, values, count, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(ANIM_DATA_FILE) + " not saved: " + why;
    }
    // The file took every list, angle and end that differed: it now holds what memory holds.
    NoteAnimFileKeys(g_animFileRecord, g_frames, g_numFrames);
    if (count.added == 0 && count.removed == 0) return Written(ANIM_DATA_FILE, values.size());
    std::string text = std::string(ANIM_DATA_FILE) + " saved: ";
    if (count.added) text += Counted(count.added, "key", "keys") + " added, ";
    if (count.removed) text += Counted(count.removed, "key", "keys") + " removed, ";
    return text + Counted(values.size(), "value", "values") + " written";
}

// Saves the level when it differs from the file; the outcome, or empty with nothing to save.
std::string SaveLevelFile(bool& ok)
{
    if (!g_level || !LevelUnsaved(*g_level)) return std::string();
    std::string why;
    if (SaveLevel(*g_level, LEVEL_DATA_FILE, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(LEVEL_DATA_FILE) + " not saved: " + why;
    }
    g_level->savedForm = LevelText(*g_level);
    return std::string(LEVEL_DATA_FILE) + " saved";
}

}  // namespace

void RecordLevelStep(Level* before)
{
    if (!before || !g_level) return;
    LevelCopy was = Keep(before);
    if (g_level->savedForm.empty()) g_level->savedForm = LevelText(*before);
    AddStep({std::make_shared<ReplaceLevel>(was, Keep(CopyLevel(*g_level)))});
}

void SetFigureSetup(const FigureSetup& after)
{
    if (SameSetup(after, g_figureSetup) && after.slots == g_figureSetup.slots) return;
    MakeStep({std::make_shared<SetSetup>(g_figureSetup, after)});
}

void SetFrames(const FramesCopy& after)
{
    MakeStep({std::make_shared<ReplaceFrames>(CopyFrames(), after)});
}

void SetImageJoints(int image, const std::vector<PartPoint>& after)
{
    const VectorPart* part = PartAt(image);
    if (!part) return;
    std::vector<PartPoint> before = PartPoints(*part);
    auto same = [](const PartPoint& a, const PartPoint& b) { return a.x == b.x && a.y == b.y; };
    if (before.size() == after.size() && std::equal(before.begin(), before.end(), after.begin(), same)) return;
    MakeStep({std::make_shared<SetJoints>(image, std::move(before), after)});
}

void RecordOffsetMove(int image, float fromX, float fromY)
{
    const VectorPart* part = PartAt(image);
    if (!part || (part->xoffset == fromX && part->yoffset == fromY)) return;
    AddStep({std::make_shared<SetValue>(ValueId(X_OFFSET, image), fromX, part->xoffset),
             std::make_shared<SetValue>(ValueId(Y_OFFSET, image), fromY, part->yoffset)});
}

int AddImage(const char* fileName)
{
    const int index = AppendPart(fileName);
    if (index >= 0) AddStep({std::make_shared<AddPart>(index, fileName)});
    return index;
}

void RemoveLastImage()
{
    if (!g_parts || g_numParts <= 0) return;
    MakeStep({std::make_shared<RemovePart>(g_parts[g_numParts - 1])});
}

void NudgeOffset(int part, bool vertical, float direction)
{
    const ValueId id(vertical ? Y_OFFSET : X_OFFSET, part);
    const float* value = ValueOf(id);
    if (!value) return;
    MakeStep({std::make_shared<SetValue>(id, *value, Nudged(*value, direction))});
}

void SetKeyAngles(const std::vector<KeyAngles>& keys)
{
    Step step;
    for (const KeyAngles& k : keys) {
        const AnimKey* key = KeyById(k.key);
        if (!key) continue;
        step.push_back(std::make_shared<SetValue>(ValueId(KEY_DEST, k.key), key->destAngle, k.destAngle));
        step.push_back(std::make_shared<SetValue>(ValueId(KEY_SPEED, k.key), key->rotSpeed, k.rotSpeed));
    }
    if (!step.empty()) MakeStep(step);
}

void SetKeyEnds(const std::vector<AnimKey>& keys)
{
    Step step;
    for (const AnimKey& k : keys) {
        AnimKey* key = KeyById(k.id);
        if (!key) continue;
        AnimKey after = *key;
        CopyEnds(k, after);
        if (EndsDiffering(*key, after).empty()) continue;
        step.push_back(std::make_shared<SetEnds>(*key, after));
        CopyEnds(after, *key);
    }
    if (!step.empty()) AddStep(step);
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
    const std::vector<OffsetValue> offsets = UnsavedOffsets();
    const std::vector<KeyValue> angles = UnsavedKeyValues();
    const std::vector<ListId> lists = UnsavedLists();
    if (offsets.empty() && angles.empty() && lists.empty() && !FrameNamesUnsaved() && !(g_level && LevelUnsaved(*g_level)) &&
        !PartShapesUnsaved() && !FigureSetupUnsaved()) {
        Say("Nothing to save");
        return false;
    }
    // Each file on its own: one refused does not keep the other from being written.
    bool ok = true;
    const std::string parts = SaveParts(offsets, ok);
    const std::string figure = SaveFigure(ok);
    const std::string anim = SaveAnim(lists, angles, ok);
    const std::string level = SaveLevelFile(ok);
    UpdateUnsaved();
    std::string said;
    for (const std::string& outcome : {parts, figure, anim, level}) {
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
    s_groupDepth = 0;
    s_groupStarted = false;
    g_editsUnsaved = false;
}
