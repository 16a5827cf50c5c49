#include "editor/edits.h"

#include <cmath>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor.h"
#include "figure/parts_save.h"
#include "figure/records.h"

namespace {

struct Step {
    int part;
    bool vertical;
    float before;
    float after;
};

typedef std::pair<int, bool> OffsetId;  // part, vertical

std::deque<Step> s_steps;
size_t s_done = 0;  // steps in effect; those after it can be redone
// The value on disk of every offset the history has touched, as last read or saved.
std::map<OffsetId, float> s_saved;

float* OffsetOf(int part, bool vertical)
{
    VectorPart* image = PartAt(part);
    if (!image) return nullptr;
    return vertical ? &image->yoffset : &image->xoffset;
}

void UpdateUnsaved()
{
    g_editsUnsaved = false;
    for (const auto& entry : s_saved) {
        const float* value = OffsetOf(entry.first.first, entry.first.second);
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

}  // namespace

void NudgeOffset(int part, bool vertical, float direction)
{
    float* value = OffsetOf(part, vertical);
    if (!value) return;
    const Step step = {part, vertical, *value, Nudged(*value, direction)};
    s_saved.emplace(OffsetId(part, vertical), *value);
    *value = step.after;
    s_steps.erase(s_steps.begin() + static_cast<std::ptrdiff_t>(s_done), s_steps.end());
    s_steps.push_back(step);
    if (s_steps.size() > static_cast<size_t>(MAX_EDIT_STEPS)) s_steps.pop_front();
    s_done = s_steps.size();
    UpdateUnsaved();
}

bool UndoEdit()
{
    if (s_done == 0) {
        PostScreenMessage("Nothing to undo");
        return false;
    }
    const Step& step = s_steps[--s_done];
    if (float* value = OffsetOf(step.part, step.vertical)) *value = step.before;
    UpdateUnsaved();
    return true;
}

bool RedoEdit()
{
    if (s_done == s_steps.size()) {
        PostScreenMessage("Nothing to redo");
        return false;
    }
    const Step& step = s_steps[s_done++];
    if (float* value = OffsetOf(step.part, step.vertical)) *value = step.after;
    UpdateUnsaved();
    return true;
}

bool SaveEdits()
{
    std::vector<OffsetValue> values;
    for (const auto& entry : s_saved) {
        const float* value = OffsetOf(entry.first.first, entry.first.second);
        if (value && *value != entry.second) values.push_back({entry.first.first, entry.first.second, *value});
    }
    if (values.empty()) {
        Say("vecparts.dat: nothing to save");
        return false;
    }
    std::string why;
    if (SavePartOffsets(values, why) != SaveResult::SAVED) {
        Say("vecparts.dat not saved: " + why);
        return false;
    }
    for (const OffsetValue& v : values) s_saved[OffsetId(v.part, v.vertical)] = v.value;
    UpdateUnsaved();
    Say("vecparts.dat saved: " + std::to_string(values.size()) + (values.size() == 1 ? " value" : " values") +
        " written");
    return true;
}

void ForgetEdits()
{
    s_steps.clear();
    s_done = 0;
    s_saved.clear();
    g_editsUnsaved = false;
}
