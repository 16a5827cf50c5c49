#include "figure/figure_save.h"

#include <algorithm>
#include <cmath>

#include "figure/data_file_names.h"

FigureFileRecord g_figureFileRecord;
FigureSetup g_figureSetup;

namespace {

const char SLOT_KEY[] = "part";
const char COUNT_KEY[] = "numparts";
const char HITBOX_KEY[] = "hitbox";

// The file's keys of a slot's fields, in the order a new slot's block writes them.
struct SlotField {
    const char* key;
    int SlotSetup::*field;
};
const SlotField SLOT_FIELDS[] = {
    {"vecpartnum", &SlotSetup::vecpartnum},
    {"layer", &SlotSetup::layer},
    {"rootpart", &SlotSetup::rootpart},
    {"rootpoint", &SlotSetup::rootpoint},
};

// The file reads boxes as whole numbers.
std::string HitBoxText(int box, const HitBox& b)
{
    auto whole = [](float value) { return std::to_string(std::lround(value)); };
    return std::to_string(box) + "," + whole(b.centerX) + "," + whole(b.centerY) + "," + whole(b.halfWidth) + "," +
           whole(b.halfHeight);
}

bool SameBox(const HitBox& a, const HitBox& b)
{
    return std::lround(a.centerX) == std::lround(b.centerX) && std::lround(a.centerY) == std::lround(b.centerY) &&
           std::lround(a.halfWidth) == std::lround(b.halfWidth) && std::lround(a.halfHeight) == std::lround(b.halfHeight);
}


TaggedLine NewLine(const std::string& text, LineOwner owner, const std::string& key)
{
    return {text, "", owner, key, -1};
}

std::vector<int> LinesOf(const std::vector<TaggedLine>& lines, LineOwner owner)
{
    std::vector<int> numbers;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].owner == owner) numbers.push_back(static_cast<int>(i + 1));
    return numbers;
}

}  // namespace

bool SameSetup(const FigureSetup& a, const FigureSetup& b)
{
    return a.slots == b.slots && a.hitBoxes.size() == b.hitBoxes.size() &&
           std::equal(a.hitBoxes.begin(), a.hitBoxes.end(), b.hitBoxes.begin(), SameBox);
}

bool FigureSetupUnsaved()
{
    return !SameSetup(g_figureSetup, g_figureFileRecord.setup);
}

FigureSetup SetupOf(const VectorMan& man)
{
    FigureSetup setup;
    for (int i = 0; man.parts && i < man.numparts; ++i) {
        const ManPart& slot = man.parts[i];
        setup.slots.push_back({slot.vecpartnum, slot.layer, slot.rootpart, slot.rootpoint});
    }
    for (int i = 0; man.hitBoxes && i < man.numHitBoxes; ++i) {
        HitBox box = man.hitBoxes[i];
        if (man.hitBoxesMirrored) box.centerX = -box.centerX;
        setup.hitBoxes.push_back(box);
    }
    return setup;
}

FigureFileRecord FigureRecordOf(const char* fileName, const std::vector<FigureFileRecord::Note>& notes,
                                const FigureSetup& setup)
{
    FigureFileRecord record;
    record.text = FileText(fileName);
    record.lines = UntaggedLines(record.text);
    for (const FigureFileRecord::Note& note : notes) {
        if (note.line < 1 || static_cast<size_t>(note.line) > record.lines.size()) continue;
        record.lines[note.line - 1].owner = note.owner;
        record.lines[note.line - 1].key = note.key;
    }
    record.setup = setup;
    return record;
}

SaveResult SaveFigureSetup(const FigureSetup& setup, std::string& why)
{
    const FigureFileRecord& record = g_figureFileRecord;
    if (record.asRead && SameSetup(setup, record.asRead->setup)) {
        const std::shared_ptr<const FigureFileRecord> asRead = record.asRead;
        const SaveResult result =
            record.text == asRead->text ? SaveResult::SAVED : WriteSavedText(FIGURE_DATA_FILE, record.text, asRead->text, why);
        if (result != SaveResult::SAVED) return result;
        g_figureFileRecord = *asRead;
        g_figureFileRecord.asRead = asRead;
        return SaveResult::SAVED;
    }
    // Which slot a piece of such a line addresses is not known line by line.
    if (const int cut = FirstLineReadInPieces(record.text)) {
        why = LineInPiecesWhy(FIGURE_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    const std::vector<TaggedLine>& lines = record.lines;
    const FigureSetup& file = record.setup;
    const int had = static_cast<int>(file.slots.size());
    const int has = static_cast<int>(setup.slots.size());
    LineEdits edits;

    if (has != had) {
        const LineOwner figure{FIGURE_RECORD, 0};
        // The count goes first: a numparts line empties every slot read before it.
        if (LinesOf(lines, figure).empty()) edits.AddAfter(0, {NewLine(COUNT_KEY + std::string("=") + std::to_string(has), figure, COUNT_KEY)});
        else edits.Set(figure, COUNT_KEY, std::to_string(has));
    }
    for (int i = 0; i < has && i < had; ++i) {
        const LineOwner slot{SLOT_RECORD, i};
        for (const SlotField& f : SLOT_FIELDS) {
            if (setup.slots[i].*f.field == file.slots[i].*f.field) continue;
            edits.Set(slot, f.key, std::to_string(setup.slots[i].*f.field),
                      {NewLine(SLOT_KEY + std::string("=") + std::to_string(i), slot, SLOT_KEY)});
        }
    }
    std::vector<TaggedLine> added;
    for (int i = had; i < has; ++i) {
        const LineOwner slot{SLOT_RECORD, i};
        added.push_back(NewLine(SLOT_KEY + std::string("=") + std::to_string(i), slot, SLOT_KEY));
        for (const SlotField& f : SLOT_FIELDS)
            added.push_back(NewLine(f.key + std::string("=") + std::to_string(setup.slots[i].*f.field), slot, f.key));
    }
    if (!added.empty()) {
        // After the last slot the file has lines for; in a file without any, at its end.
        int after = static_cast<int>(lines.size());
        for (int i = had - 1; i >= 0; --i) {
            const std::vector<int> own = LinesOf(lines, {SLOT_RECORD, i});
            if (own.empty()) continue;
            after = own.back();
            break;
        }
        edits.AddAfter(after, added);
    }
    for (int i = has; i < had; ++i) {
        const std::vector<int> own = LinesOf(lines, {SLOT_RECORD, i});
        if (own.empty()) continue;
        edits.RemoveLines(NotesAbove(lines, own.front()));
        edits.RemoveSpan({SLOT_RECORD, i});
    }
    for (size_t b = 0; b < setup.hitBoxes.size(); ++b) {
        if (b < file.hitBoxes.size() && SameBox(setup.hitBoxes[b], file.hitBoxes[b])) continue;
        edits.Set({HITBOX_RECORD, static_cast<int>(b)}, HITBOX_KEY, HitBoxText(static_cast<int>(b), setup.hitBoxes[b]));
    }

    std::vector<TaggedLine> result;
    int cut = 0;
    if (!ApplyLineEdits(lines, edits, result, cut)) {
        why = LineInPiecesWhy(FIGURE_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    const std::string text = JoinLines(result);
    if (text == record.text) return SaveResult::SAVED;
    const SaveResult saved = WriteSavedText(FIGURE_DATA_FILE, record.text, text, why);
    if (saved != SaveResult::SAVED) return saved;
    if (!g_figureFileRecord.asRead) g_figureFileRecord.asRead = std::make_shared<const FigureFileRecord>(g_figureFileRecord);
    g_figureFileRecord.text = text;
    g_figureFileRecord.lines = std::move(result);
    g_figureFileRecord.setup = setup;
    return SaveResult::SAVED;
}
