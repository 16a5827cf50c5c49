#include "figure/parts_save.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "figure/data_reader.h"

PartsFileRecord g_partsFileRecord;

namespace {

const char PARTS_FILE[] = "vecparts.dat";
const char BACKUP_FILE[] = "vecparts.dat.bak";
const char TEMPORARY_FILE[] = "vecparts.dat.saving";

// One line as the reader counts lines: its text, and the end it had ("\n", "\r\n", or
// nothing for a last line without one).
struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> SplitLines(const std::string& text)
{
    std::vector<Line> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t feed = text.find('\n', at);
        if (feed == std::string::npos) {
            lines.push_back({text.substr(at), ""});
            break;
        }
        Line line{text.substr(at, feed - at), "\n"};
        // The reader takes CR LF as one line end, so a CR before the feed is the end's.
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = "\r\n";
        }
        lines.push_back(line);
        at = feed + 1;
    }
    return lines;
}

bool ReadFile(const char* name, std::string& text)
{
    std::ifstream in(name, std::ios::in | std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = bytes.str();
    return !in.bad();
}

bool WriteFile(const char* name, const std::string& text)
{
    std::ofstream out(name, std::ios::out | std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// Replaces to with from in one step, so a reader finds either the old file or the new.
bool ReplaceFile(const char* from, const char* to)
{
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from, to) == 0;
#endif
}

// Writes text to name through a temporary beside it; the temporary never stays behind.
bool WriteAtomically(const char* name, const std::string& text)
{
    if (WriteFile(TEMPORARY_FILE, text) && ReplaceFile(TEMPORARY_FILE, name)) return true;
    std::remove(TEMPORARY_FILE);
    return false;
}

// Puts value in place of the value of a "key=value" line, keeping what the reader skips
// or ignores around it; false when the line is not that key's line after all.
bool ReplaceValue(std::string& line, const char* key, const std::string& value)
{
    size_t start = line.find_first_not_of('=');
    const size_t keyLength = std::strlen(key);
    if (start == std::string::npos || line.compare(start, keyLength, key) != 0) return false;
    size_t at = start + keyLength;
    if (at >= line.size() || line[at] != '=') return false;
    while (at < line.size() && line[at] == '=') ++at;
    size_t end = line.find('=', at);
    if (end == std::string::npos) end = line.size();
    line.replace(at, end - at, value);
    return true;
}

std::string OffsetLine(bool vertical, float value)
{
    return std::string(vertical ? "yoffset=" : "xoffset=") + FormatOffset(value);
}

}  // namespace

void NotePartsLine(int part, const char* key, int line)
{
    std::vector<PartLines>& parts = g_partsFileRecord.parts;
    if (part < 0 || static_cast<size_t>(part) >= parts.size()) return;
    PartLines& lines = parts[part];
    lines.lastLine = line;
    if (std::strcmp(key, "texture") == 0) {
        lines.xoffsetLine = 0;
        lines.yoffsetLine = 0;
    } else if (std::strcmp(key, "xoffset") == 0) {
        lines.xoffsetLine = line;
    } else if (std::strcmp(key, "yoffset") == 0) {
        lines.yoffsetLine = line;
    }
}

std::string FormatOffset(float value)
{
    char text[64] = "0";
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (static_cast<float>(ParseReal(text)) == value) break;
    }
    return text;
}

SaveResult SavePartOffsets(const std::vector<OffsetValue>& values, std::string& why)
{
    std::string onDisk;
    if (!ReadFile(PARTS_FILE, onDisk) || onDisk != g_partsFileRecord.text) {
        why = std::string(PARTS_FILE) + " changed on disk since it was read";
        return SaveResult::CHANGED_ON_DISK;
    }
    // Worked on a copy: the record changes only once the file has.
    PartsFileRecord record = g_partsFileRecord;
    std::vector<Line> lines = SplitLines(record.text);

    // Values whose line is there change in place; the others get a line after their
    // part's last one (after 0: at the end, where a part=N line addresses the part first).
    struct Added {
        int part;  // -1: the part=N line
        bool vertical;
        std::string text;
    };
    std::map<int, std::vector<Added>> added;
    for (const OffsetValue& v : values) {
        if (v.part < 0) continue;
        if (static_cast<size_t>(v.part) >= record.parts.size()) record.parts.resize(v.part + 1);
        PartLines& where = record.parts[v.part];
        int& line = v.vertical ? where.yoffsetLine : where.xoffsetLine;
        const char* key = v.vertical ? "yoffset" : "xoffset";
        if (line > 0 && static_cast<size_t>(line) <= lines.size() &&
            ReplaceValue(lines[line - 1].text, key, FormatOffset(v.value))) {
            continue;
        }
        line = 0;  // a line that is not the key's after all (a cut line) is left alone
        const int after = static_cast<size_t>(where.lastLine) <= lines.size() ? where.lastLine : 0;
        std::vector<Added>& list = added[after];
        if (after == 0 && (list.empty() || list.back().part != v.part)) {
            list.push_back({-1, false, "part=" + std::to_string(v.part)});
        }
        list.push_back({v.part, v.vertical, OffsetLine(v.vertical, v.value)});
    }

    const std::string fileEnd = !lines.empty() && !lines[0].end.empty() ? lines[0].end : "\n";
    std::vector<Line> out;
    std::vector<int> newNumber(lines.size() + 1, 0);
    auto addAfter = [&](int after) {
        auto found = added.find(after);
        if (found == added.end()) return;
        // A file without an end on its last line keeps having none.
        const bool noEnd = !out.empty() && out.back().end.empty();
        if (noEnd) out.back().end = fileEnd;
        for (const Added& a : found->second) {
            out.push_back({a.text, fileEnd});
            if (a.part < 0) continue;
            // Negative until the old numbers are moved below: this one is new already.
            PartLines& where = record.parts[a.part];
            (a.vertical ? where.yoffsetLine : where.xoffsetLine) = -static_cast<int>(out.size());
        }
        if (noEnd) out.back().end.clear();
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        out.push_back(lines[i]);
        newNumber[i + 1] = static_cast<int>(out.size());
        if (i + 1 < lines.size()) addAfter(static_cast<int>(i + 1));
    }
    // What goes after the last line and what goes at the end land together, in that order.
    if (!lines.empty() && added.count(static_cast<int>(lines.size()))) {
        std::vector<Added>& last = added[static_cast<int>(lines.size())];
        std::vector<Added>& atEnd = added[0];
        last.insert(last.end(), atEnd.begin(), atEnd.end());
        added.erase(0);
        addAfter(static_cast<int>(lines.size()));
    } else {
        addAfter(0);
    }

    // Lines after an addition moved down; an added line is its part's last.
    auto moved = [&](int line) {
        if (line < 0) return -line;
        return line > 0 && static_cast<size_t>(line) <= lines.size() ? newNumber[line] : line;
    };
    for (PartLines& where : record.parts) {
        const bool addedLine = where.xoffsetLine < 0 || where.yoffsetLine < 0;
        where.xoffsetLine = moved(where.xoffsetLine);
        where.yoffsetLine = moved(where.yoffsetLine);
        where.lastLine = moved(where.lastLine);
        if (addedLine) where.lastLine = std::max(where.lastLine, std::max(where.xoffsetLine, where.yoffsetLine));
    }
    std::string text;
    for (const Line& line : out) text += line.text + line.end;

    if (!WriteAtomically(BACKUP_FILE, onDisk)) {
        why = std::string("cannot write ") + BACKUP_FILE;
        return SaveResult::NOT_WRITTEN;
    }
    if (!WriteAtomically(PARTS_FILE, text)) {
        why = std::string("cannot write ") + PARTS_FILE;
        return SaveResult::NOT_WRITTEN;
    }
    record.text = text;
    g_partsFileRecord = record;
    return SaveResult::SAVED;
}
