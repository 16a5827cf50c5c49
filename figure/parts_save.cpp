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
        if (note.line < 1 || static_cast<size_t>(note.line) > record.lines.size()) continue;
        if (note.part < 0 && note.part != COUNT_NOTE) continue;
        TaggedLine& line = record.lines[note.line - 1];
        line.owner = note.part == COUNT_NOTE ? LineOwner{PARTS_COUNT_RECORD, 0} : LineOwner{PART_RECORD, note.part};
        line.key = note.key;
        if (note.key == "texture") {
            for (int at : offsetLines[note.part]) record.lines[at - 1].key.clear();
            offsetLines[note.part].clear();
        } else if (note.key == "xoffset" || note.key == "yoffset" || note.key == "numpoints" || note.key == "points") {
            offsetLines[note.part].push_back(note.line);
        }
    }
    record.notes.clear();
}

void NotePartsFileOffsets(PartsFileRecord& record, const VectorPart* parts, int numParts)
{
    record.offsets.clear();
    record.shapes.clear();
    for (int i = 0; parts && i < numParts; ++i) {
        record.offsets.push_back({parts[i].xoffset, parts[i].yoffset});
        record.shapes.push_back(ShapeOf(parts[i]));
    }
}

PartsFileRecord::Shape ShapeOf(const VectorPart& part)
{
    PartsFileRecord::Shape shape;
    shape.texture = part.textureFile ? part.textureFile : "";
    for (int i = 0; part.points && i < part.numpoints; ++i) shape.points.push_back({part.points[i].x, part.points[i].y});
    return shape;
}

bool PartShapesUnsaved(const PartsFileRecord& file)
{
    if (file.shapes.size() != static_cast<size_t>(g_parts ? g_numParts : 0)) return true;
    for (size_t i = 0; i < file.shapes.size(); ++i)
        if (!(ShapeOf(g_parts[i]) == file.shapes[i])) return true;
    return false;
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

namespace {

TaggedLine NewLine(const std::string& key, const std::string& value, LineOwner owner)
{
    return {key + "=" + value, "\n", owner, key, -1};
}

std::string PointsText(const PartsFileRecord::Shape& shape)
{
    std::string text;
    for (const auto& [x, y] : shape.points) text += (text.empty() ? "" : ",") + std::to_string(x) + "," + std::to_string(y);
    return text;
}

// The lines a part new to the file is written as.
std::vector<TaggedLine> PartBlock(int index, const VectorPart& part)
{
    const LineOwner owner{PART_RECORD, index};
    const PartsFileRecord::Shape shape = ShapeOf(part);
    std::vector<TaggedLine> block = {NewLine("part", std::to_string(index), owner), NewLine("texture", shape.texture, owner)};
    if (!shape.points.empty()) {
        block.push_back(NewLine("numpoints", std::to_string(shape.points.size()), owner));
        block.push_back(NewLine("points", PointsText(shape), owner));
    }
    // A texture line starts its part at no offset.
    if (part.xoffset != 0.0f) block.push_back(NewLine("xoffset", FormatOffset(part.xoffset), owner));
    if (part.yoffset != 0.0f) block.push_back(NewLine("yoffset", FormatOffset(part.yoffset), owner));
    return block;
}

int LastLineOf(const std::vector<TaggedLine>& lines, LineOwner owner)
{
    for (size_t i = lines.size(); i-- > 0;)
        if (lines[i].owner == owner) return static_cast<int>(i) + 1;
    return 0;
}

// The parts whose number, image or joints memory holds otherwise than the file.
void EditShapes(const PartsFileRecord& record, LineEdits& edits)
{
    const int had = static_cast<int>(record.shapes.size());
    const int has = g_parts ? g_numParts : 0;
    for (int i = 0; i < had && i < has; ++i) {
        const PartsFileRecord::Shape now = ShapeOf(g_parts[i]);
        if (now.points == record.shapes[i].points) continue;
        const LineOwner part{PART_RECORD, i};
        const std::vector<TaggedLine> header = {NewLine("part", std::to_string(i), part)};
        edits.Set(part, "numpoints", std::to_string(now.points.size()), header);
        if (now.points.empty()) edits.Drop(part, "points");
        else edits.Set(part, "points", PointsText(now), header);
    }
    if (has == had) return;
    const LineOwner count{PARTS_COUNT_RECORD, 0};
    if (LastLineOf(record.lines, count)) edits.Set(count, "numparts", std::to_string(has));
    else edits.AddAfter(0, {NewLine("numparts", std::to_string(has), count)});
    std::vector<TaggedLine> added;
    for (int i = had; i < has; ++i) {
        const std::vector<TaggedLine> block = PartBlock(i, g_parts[i]);
        added.insert(added.end(), block.begin(), block.end());
    }
    if (!added.empty()) {
        // After the last part the file has lines for; in a file without any, at its end.
        int after = static_cast<int>(record.lines.size());
        for (int i = had - 1; i >= 0; --i) {
            if (const int last = LastLineOf(record.lines, {PART_RECORD, i})) {
                after = last;
                break;
            }
        }
        edits.AddAfter(after, added);
    }
    for (int i = has; i < had; ++i) {
        int first = 0;
        for (size_t l = 0; l < record.lines.size() && !first; ++l)
            if (record.lines[l].owner == LineOwner{PART_RECORD, i}) first = static_cast<int>(l) + 1;
        if (!first) continue;
        edits.RemoveLines(NotesAbove(record.lines, first));
        edits.RemoveSpan({PART_RECORD, i});
    }
}

}  // namespace

SaveResult SavePartOffsets(const std::vector<OffsetValue>& values, std::string& why)
{
    const PartsFileRecord& record = g_partsFileRecord;
    // Which part a piece of such a line addresses is not known line by line: no line of the
    // file is safe to rewrite or to add after.
    if (const int cut = FirstLineReadInPieces(record.text)) {
        why = LineInPiecesWhy(PARTS_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    if (record.asRead && UnsavedOffsets(*record.asRead).empty() && !PartShapesUnsaved(*record.asRead))
        return WriteFirstReading(g_partsFileRecord, PARTS_DATA_FILE, why);
    LineEdits edits;
    for (const OffsetValue& v : values) {
        if (v.part < 0) continue;
        const LineOwner part{PART_RECORD, v.part};
        edits.Set(part, v.vertical ? "yoffset" : "xoffset", FormatOffset(v.value),
                  {{"part=" + std::to_string(v.part), "", part, "part"}});
    }
    EditShapes(record, edits);
    std::vector<TaggedLine> lines;
    int cut = 0;
    if (!ApplyLineEdits(record.lines, edits, lines, cut)) {
        why = LineInPiecesWhy(PARTS_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    const std::string text = JoinLines(lines);
    const SaveResult result = WriteSavedText(PARTS_DATA_FILE, record.text, text, why);
    if (result != SaveResult::SAVED) return result;
    KeepFirstReading(g_partsFileRecord);
    g_partsFileRecord.text = text;
    g_partsFileRecord.lines = std::move(lines);
    return SaveResult::SAVED;
}
