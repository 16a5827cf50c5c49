#include "figure/anim_save.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "figure/data_file_names.h"

AnimFileRecord g_animFileRecord;

namespace {

const char DEST_KEY[] = "key_destangle";
const char SPEED_KEY[] = "key_rotspeed";

// The text of line number (from 1) without its end; empty past the end.
std::string LineText(const std::string& text, int number)
{
    size_t at = 0;
    for (int n = 1; n < number; ++n) {
        at = text.find('\n', at);
        if (at == std::string::npos) return std::string();
        ++at;
    }
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string WholeDegrees(float value)
{
    return std::to_string(std::lround(value));
}

}  // namespace

void NoteAnimFrameLine(int frame, int line)
{
    g_animFileRecord.frameLines[frame] = line;
}

void NoteAnimListMade(int frame, int list)
{
    auto& keys = g_animFileRecord.keys;
    keys.erase(keys.lower_bound(KeyId(frame, list, 0)), keys.lower_bound(KeyId(frame, list + 1, 0)));
}

void NoteAnimKeyLine(const KeyId& key, const char* name, int line)
{
    KeyLines& lines = g_animFileRecord.keys[key];
    lines.lastLine = line;
    if (std::strcmp(name, DEST_KEY) == 0) lines.destLine = line;
    if (std::strcmp(name, SPEED_KEY) == 0) lines.speedLine = line;
}

std::string FrameName(int frame)
{
    auto found = g_animFileRecord.frameLines.find(frame);
    if (found == g_animFileRecord.frameLines.end() || found->second < 2) return std::string();
    const std::string above = LineText(g_animFileRecord.text, found->second - 1);
    const size_t start = above.find_first_not_of(" \t");
    if (start == std::string::npos || above.compare(start, 2, "//") != 0) return std::string();
    const size_t name = above.find_first_not_of("/ \t", start);
    return name == std::string::npos ? std::string() : above.substr(name);
}

SaveResult SaveKeyValues(const std::vector<KeyValue>& values, std::string& why)
{
    AnimFileRecord record = g_animFileRecord;
    std::vector<ValueWrite> writes;
    for (size_t i = 0; i < values.size(); ++i) {
        const KeyValue& v = values[i];
        const KeyLines& where = record.keys[v.key];
        const auto [frame, list, key] = v.key;
        // Writes of one key share a record number, so the header comes once at the end.
        int record = static_cast<int>(i);
        for (size_t j = 0; j < i && record == static_cast<int>(i); ++j)
            if (values[j].key == v.key) record = static_cast<int>(j);
        writes.push_back({record, v.speed ? where.speedLine : where.destLine, where.lastLine,
                          v.speed ? SPEED_KEY : DEST_KEY, WholeDegrees(v.value),
                          {"frame=" + std::to_string(frame), "key_part=" + std::to_string(list),
                           "key=" + std::to_string(key)}});
    }
    std::vector<int> newNumber;
    const SaveResult result = SaveValues(ANIM_DATA_FILE, record.text, writes, record.text, newNumber, why);
    if (result != SaveResult::SAVED) return result;

    for (auto& entry : record.keys) {
        KeyLines& where = entry.second;
        where.destLine = MovedLine(newNumber, where.destLine);
        where.speedLine = MovedLine(newNumber, where.speedLine);
        where.lastLine = MovedLine(newNumber, where.lastLine);
    }
    for (auto& entry : record.frameLines) entry.second = MovedLine(newNumber, entry.second);
    for (size_t i = 0; i < values.size(); ++i) {
        KeyLines& where = record.keys[values[i].key];
        (values[i].speed ? where.speedLine : where.destLine) = writes[i].line;
        where.lastLine = std::max(where.lastLine, writes[i].line);
    }
    g_animFileRecord = record;
    return SaveResult::SAVED;
}
