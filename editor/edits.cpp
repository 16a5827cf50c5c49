#include "editor/edits.h"

#include <cmath>
#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor.h"
#include "figure/anim_save.h"
#include "figure/data_file_names.h"
#include "figure/parts_save.h"
#include "figure/records.h"

namespace {

// Which value an edit changed: pivot offsets by part, key angles by frame, list and key.
enum Field { X_OFFSET, Y_OFFSET, KEY_DEST, KEY_SPEED };
typedef std::tuple<int, int, int, int> ValueId;  // field, part or frame, list, key

struct Change {
    ValueId id;
    float before;
    float after;
};
// One step of the history: what one key press changed, taken back and put again whole.
typedef std::vector<Change> Step;

std::deque<Step> s_steps;
size_t s_done = 0;  // steps in effect; those after it can be redone
// The value on disk of every value the history has touched, as last read or saved.
std::map<ValueId, float> s_saved;

float* ValueOf(const ValueId& id)
{
    const auto [field, a, b, c] = id;
    if (field == X_OFFSET || field == Y_OFFSET) {
        VectorPart* image = PartAt(a);
        if (!image) return nullptr;
        return field == Y_OFFSET ? &image->yoffset : &image->xoffset;
    }
    AnimKey* key = KeyAt(a, b, c);
    if (!key) return nullptr;
    return field == KEY_SPEED ? &key->rotSpeed : &key->destAngle;
}

void UpdateUnsaved()
{
    g_editsUnsaved = false;
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

void MakeStep(Step step)
{
    for (Change& change : step) {
        float* value = ValueOf(change.id);
        if (!value) continue;
        change.before = *value;
        s_saved.emplace(change.id, *value);
        *value = change.after;
    }
    s_steps.erase(s_steps.begin() + static_cast<std::ptrdiff_t>(s_done), s_steps.end());
    s_steps.push_back(step);
    if (s_steps.size() > static_cast<size_t>(MAX_EDIT_STEPS)) s_steps.pop_front();
    s_done = s_steps.size();
    UpdateUnsaved();
}

void PutStep(const Step& step, bool after)
{
    for (const Change& change : step)
        if (float* value = ValueOf(change.id)) *value = after ? change.after : change.before;
    UpdateUnsaved();
}

std::string Written(const char* file, size_t count)
{
    return std::string(file) + " saved: " + std::to_string(count) + (count == 1 ? " value" : " values") + " written";
}

// Saves the unsaved values of one file; the outcome, or empty with nothing to save.
template <typename Value>
std::string SaveFile(const char* file, std::vector<Value> values, const std::vector<ValueId>& ids,
                     SaveResult (*save)(const std::vector<Value>&, std::string&), bool& ok)
{
    if (values.empty()) return std::string();
    std::string why;
    if (save(values, why) != SaveResult::SAVED) {
        ok = false;
        return std::string(file) + " not saved: " + why;
    }
    for (const ValueId& id : ids)
        if (const float* value = ValueOf(id)) s_saved[id] = *value;
    return Written(file, values.size());
}

}  // namespace

void NudgeOffset(int part, bool vertical, float direction)
{
    const ValueId id(vertical ? Y_OFFSET : X_OFFSET, part, 0, 0);
    const float* value = ValueOf(id);
    if (!value) return;
    MakeStep({{id, *value, Nudged(*value, direction)}});
}

void SetKeyAngles(const std::vector<KeyAngles>& keys)
{
    Step step;
    for (const KeyAngles& k : keys) {
        if (!KeyAt(k.frame, k.list, k.key)) continue;
        step.push_back({ValueId(KEY_DEST, k.frame, k.list, k.key), 0.0f, k.destAngle});
        step.push_back({ValueId(KEY_SPEED, k.frame, k.list, k.key), 0.0f, k.rotSpeed});
    }
    if (!step.empty()) MakeStep(step);
}

bool UndoEdit()
{
    if (s_done == 0) {
        PostScreenMessage("Nothing to undo");
        return false;
    }
    PutStep(s_steps[--s_done], false);
    return true;
}

bool RedoEdit()
{
    if (s_done == s_steps.size()) {
        PostScreenMessage("Nothing to redo");
        return false;
    }
    PutStep(s_steps[s_done++], true);
    return true;
}

bool SaveEdits()
{
    std::vector<OffsetValue> offsets;
    std::vector<KeyValue> angles;
    std::vector<ValueId> offsetIds, angleIds;
    for (const auto& entry : s_saved) {
        const float* value = ValueOf(entry.first);
        if (!value || *value == entry.second) continue;
        const auto [field, a, b, c] = entry.first;
        if (field == X_OFFSET || field == Y_OFFSET) {
            offsets.push_back({a, field == Y_OFFSET, *value});
            offsetIds.push_back(entry.first);
        } else {
            angles.push_back({KeyId(a, b, c), field == KEY_SPEED, *value});
            angleIds.push_back(entry.first);
        }
    }
    if (offsets.empty() && angles.empty()) {
        Say("Nothing to save");
        return false;
    }
    // Each file on its own: one refused does not keep the other from being written.
    bool ok = true;
    const std::string parts = SaveFile(PARTS_DATA_FILE, offsets, offsetIds, SavePartOffsets, ok);
    const std::string anim = SaveFile(ANIM_DATA_FILE, angles, angleIds, SaveKeyValues, ok);
    UpdateUnsaved();
    if (!parts.empty()) WriteLog(parts.c_str());
    if (!anim.empty()) WriteLog(anim.c_str());
    PostScreenMessage(parts.empty() ? anim : anim.empty() ? parts : parts + "; " + anim);
    return ok;
}

void ForgetEdits()
{
    s_steps.clear();
    s_done = 0;
    s_saved.clear();
    g_editsUnsaved = false;
}
