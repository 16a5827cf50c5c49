#include "figure/parts_save.h"

#include <algorithm>
#include <cstring>

#include "figure/data_file_names.h"
#include "figure/data_reader.h"

PartsFileRecord g_partsFileRecord;

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
    return ShortestDecimal(value);
}

SaveResult SavePartOffsets(const std::vector<OffsetValue>& values, std::string& why)
{
    // Worked on a copy: the record changes only once the file has.
    PartsFileRecord record = g_partsFileRecord;
    std::vector<ValueWrite> writes;
    for (const OffsetValue& v : values) {
        if (v.part < 0) continue;
        if (static_cast<size_t>(v.part) >= record.parts.size()) record.parts.resize(v.part + 1);
        const PartLines& where = record.parts[v.part];
        writes.push_back({v.part, v.vertical ? where.yoffsetLine : where.xoffsetLine, where.lastLine,
                          v.vertical ? "yoffset" : "xoffset", FormatOffset(v.value), {"part=" + std::to_string(v.part)}});
    }
    std::vector<int> newNumber;
    const SaveResult result = SaveValues(PARTS_DATA_FILE, record.text, writes, record.text, newNumber, why);
    if (result != SaveResult::SAVED) return result;

    for (PartLines& where : record.parts) {
        where.xoffsetLine = MovedLine(newNumber, where.xoffsetLine);
        where.yoffsetLine = MovedLine(newNumber, where.yoffsetLine);
        where.lastLine = MovedLine(newNumber, where.lastLine);
    }
    for (size_t w = 0; w < writes.size(); ++w) {
        PartLines& where = record.parts[writes[w].record];
        (writes[w].key == "yoffset" ? where.yoffsetLine : where.xoffsetLine) = writes[w].line;
        // An added line is its part's last.
        where.lastLine = std::max(where.lastLine, writes[w].line);
    }
    g_partsFileRecord = record;
    return SaveResult::SAVED;
}
