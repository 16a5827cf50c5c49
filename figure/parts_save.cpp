#include "figure/parts_save.h"

#include <map>

#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/records.h"

PartsFileRecord g_partsFileRecord;

void TagPartsLines(PartsFileRecord& record)
{
    record.lines = UntaggedLines(record.text);
    // A texture line resets the offsets: the offset lines above it no longer give the
    // part its value, so a save must not take them for the value's line.
    std::map<int, std::vector<int>> offsetLines;  // part -> its offset lines so far
    for (const PartsFileRecord::Note& note : record.notes) {
        if (note.line < 1 || static_cast<size_t>(note.line) > record.lines.size() || note.part < 0) continue;
        TaggedLine& line = record.lines[note.line - 1];
        line.owner = {PART_RECORD, note.part};
        line.key = note.key;
        if (note.key == "texture") {
            for (int at : offsetLines[note.part]) record.lines[at - 1].key.clear();
            offsetLines[note.part].clear();
        } else if (note.key == "xoffset" || note.key == "yoffset") {
            offsetLines[note.part].push_back(note.line);
        }
    }
    record.notes.clear();
}

void NotePartsFileOffsets(PartsFileRecord& record, const VectorPart* parts, int numParts)
{
    record.offsets.clear();
    for (int i = 0; parts && i < numParts; ++i) record.offsets.push_back({parts[i].xoffset, parts[i].yoffset});
}

std::vector<OffsetValue> UnsavedOffsets(const PartsFileRecord& record)
{
    std::vector<OffsetValue> values;
    const std::vector<PartsFileRecord::Offsets>& file = record.offsets;
    for (size_t i = 0; i < file.size() && i < static_cast<size_t>(g_numParts); ++i) {
        if (g_parts[i].xoffset != file[i].x) values.push_back({static_cast<int>(i), false, g_parts[i].xoffset});
        if (g_parts[i].yoffset != file[i].y) values.push_back({static_cast<int>(i), true, g_parts[i].yoffset});
    }
    return values;
}

std::string FormatOffset(float value)
{
    return ShortestDecimal(value);
}

SaveResult SavePartOffsets(const std::vector<OffsetValue>& values, std::string& why)
{
    const PartsFileRecord& record = g_partsFileRecord;
    // Which part a piece of such a line addresses is not known line by line: no line of the
    // file is safe to rewrite or to add after.
    if (const int cut = FirstLineReadInPieces(record.text)) {
        why = LineInPiecesWhy(PARTS_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    if (record.asRead && UnsavedOffsets(*record.asRead).empty()) {
        const std::shared_ptr<const PartsFileRecord> asRead = record.asRead;
        const SaveResult result =
            record.text == asRead->text ? SaveResult::SAVED : WriteSavedText(PARTS_DATA_FILE, record.text, asRead->text, why);
        if (result != SaveResult::SAVED) return result;
        g_partsFileRecord = *asRead;
        g_partsFileRecord.asRead = asRead;
        return SaveResult::SAVED;
    }
    LineEdits edits;
    for (const OffsetValue& v : values) {
        if (v.part < 0) continue;
        const LineOwner part{PART_RECORD, v.part};
        edits.Set(part, v.vertical ? "yoffset" : "xoffset", FormatOffset(v.value),
                  {{"part=" + std::to_string(v.part), "", part, "part"}});
    }
    std::vector<TaggedLine> lines;
    int cut = 0;
    if (!ApplyLineEdits(record.lines, edits, lines, cut)) {
        why = LineInPiecesWhy(PARTS_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    const std::string text = JoinLines(lines);
    const SaveResult result = WriteSavedText(PARTS_DATA_FILE, record.text, text, why);
    if (result != SaveResult::SAVED) return result;
    if (!g_partsFileRecord.asRead) g_partsFileRecord.asRead = std::make_shared<const PartsFileRecord>(g_partsFileRecord);
    g_partsFileRecord.text = text;
    g_partsFileRecord.lines = std::move(lines);
    return SaveResult::SAVED;
}
