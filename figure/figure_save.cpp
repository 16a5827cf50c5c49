#include "figure/figure_save.h"

#include <algorithm>
#include <cmath>
#include <map>

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

int NewSlotId()
{
    static int s_lastSlotId = 0;
    return ++s_lastSlotId;
}

bool SameSetup(const FigureSetup& a, const FigureSetup& b)
{
    if (a.slots.size() != b.slots.size()) return false;
    for (size_t i = 0; i < a.slots.size(); ++i)
        if (a.slots[i].id != b.slots[i].id) return false;
    return a.slots == b.slots && a.hitBoxes.size() == b.hitBoxes.size() &&
           std::equal(a.hitBoxes.begin(), a.hitBoxes.end(), b.hitBoxes.begin(), SameBox);
}

bool FigureSetupUnsaved()
{
    return !SameSetup(g_figureSetup, g_figureFileRecord.setup);
}

namespace {

std::vector<int> FileSlots(const FigureSetup& setup, const FigureSetup& file)
{
    std::vector<int> from(setup.slots.size(), -1);
    std::vector<bool> claimed(file.slots.size(), false);
    for (size_t i = 0; i < setup.slots.size(); ++i) {
        for (size_t f = 0; f < file.slots.size() && setup.slots[i].id != 0; ++f) {
            if (file.slots[f].id != setup.slots[i].id) continue;
            from[i] = static_cast<int>(f);
            claimed[f] = true;
        }
    }
    for (size_t i = 0; i < setup.slots.size() && i < file.slots.size(); ++i) {
        bool known = false;
        for (const SlotSetup& s : file.slots) known = known || (s.id != 0 && s.id == setup.slots[i].id);
        if (from[i] < 0 && !known && !claimed[i]) {
            from[i] = static_cast<int>(i);
            claimed[i] = true;
        }
    }
    return from;
}

}  // namespace

FigureSetup SetupOf(const VectorMan& man)
{
    FigureSetup setup;
    for (int i = 0; man.parts && i < man.numparts; ++i) {
        const ManPart& slot = man.parts[i];
        const int id = static_cast<size_t>(i) < g_figureSetup.slots.size() ? g_figureSetup.slots[i].id : 0;
        setup.slots.push_back({slot.vecpartnum, slot.layer, slot.rootpart, slot.rootpoint, id});
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
    // The reader noted slots by number: the lines of a slot the setup has are its id's, those
    // of a number past them belong to no slot of it and so are never one's lines.
    std::map<int, int> strays;
    for (const FigureFileRecord::Note& note : notes) {
        if (note.line < 1 || static_cast<size_t>(note.line) > record.lines.size()) continue;
        LineOwner owner = note.owner;
        if (owner.kind == SLOT_RECORD) {
            const bool known = owner.id >= 0 && static_cast<size_t>(owner.id) < setup.slots.size();
            if (known) owner.id = setup.slots[owner.id].id;
            else owner.id = strays.count(owner.id) ? strays[owner.id] : (strays[owner.id] = -NewSlotId());
        }
        record.lines[note.line - 1].owner = owner;
        record.lines[note.line - 1].key = note.key;
    }
    record.setup = setup;
    return record;
}

SaveResult SaveFigureSetup(const FigureSetup& setup, std::string& why)
{
    const FigureFileRecord& record = g_figureFileRecord;
    if (record.asRead && SameSetup(setup, record.asRead->setup))
        return WriteFirstReading(g_figureFileRecord, FIGURE_DATA_FILE, why);
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
    // Which slot of the file each slot is: by its id, else (a slot from before ids, or a
    // test's hand-made setup) the file's slot at its number that no other slot claims.
    const std::vector<int> from = FileSlots(setup, file);
    std::vector<bool> kept(file.slots.size(), false);
    for (int f : from)
        if (f >= 0) kept[f] = true;
    std::vector<TaggedLine> added;
    int after = 0;  // the last line of the last slot kept, in the file's order
    for (int i = 0; i < has; ++i) {
        const SlotSetup& now = setup.slots[i];
        const int f = from[i];
        const std::string part = SLOT_KEY + std::string("=") + std::to_string(i);
        if (f < 0) {
            const LineOwner slot{SLOT_RECORD, now.id};
            added.push_back(NewLine(part, slot, SLOT_KEY));
            for (const SlotField& field : SLOT_FIELDS)
                added.push_back(NewLine(field.key + std::string("=") + std::to_string(now.*field.field), slot, field.key));
            continue;
        }
        const LineOwner slot{SLOT_RECORD, file.slots[f].id};
        const std::vector<int> own = LinesOf(lines, slot);
        if (!own.empty()) after = std::max(after, own.back());
        // Slots before it went: its number in the file follows.
        if (f != i) edits.Set(slot, SLOT_KEY, std::to_string(i));
        for (const SlotField& field : SLOT_FIELDS) {
            if (now.*field.field == file.slots[f].*field.field) continue;
            edits.Set(slot, field.key, std::to_string(now.*field.field), {NewLine(part, slot, SLOT_KEY)});
        }
    }
    if (!added.empty()) {
        // After the last slot the file keeps lines for; in a file without any, at its end.
        if (after == 0) after = static_cast<int>(lines.size());
        edits.AddAfter(after, added);
    }
    for (int f = 0; f < had; ++f) {
        if (kept[f]) continue;
        const std::vector<int> own = LinesOf(lines, {SLOT_RECORD, file.slots[f].id});
        if (own.empty()) continue;
        edits.RemoveLines(NotesAbove(lines, own.front()));
        edits.RemoveSpan({SLOT_RECORD, file.slots[f].id});
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
    KeepFirstReading(g_figureFileRecord);
    g_figureFileRecord.text = text;
    g_figureFileRecord.lines = std::move(result);
    g_figureFileRecord.setup = setup;
    return SaveResult::SAVED;
}
