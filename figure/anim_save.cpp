#include "figure/anim_save.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <set>

#include "figure/key_edit.h"
#include "figure/records.h"

#include "figure/data_file_names.h"

AnimFileRecord g_animFileRecord;

namespace {

const char SELECT_KEY[] = "key";
const char COUNT_KEY[] = "numkeys";
const int NONE = -1;
const char EMPTY_LIST[] = "-1";

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

std::string Flag(unsigned char value)
{
    return value ? "1" : "0";
}

// The entries up to the last one in use, so the reader fills the same five back (an empty
// list still needs an item to count as a list).
std::string PartList(const int (&entries)[MAX_PART_LIST])
{
    int used = MAX_PART_LIST;
    while (used > 1 && entries[used - 1] == -1) --used;
    std::string text;
    for (int i = 0; i < used; ++i) text += (i ? "," : "") + std::to_string(entries[i]);
    return text;
}

// A line to add, with what it does when read.
struct Added {
    std::string text;
    AnimLine note;
};

// One line of the file being saved.
struct NotedLine {
    Line line;
    AnimLine note;
};

// Where one key's lines are, as indices of the noted.
struct KeyLines {
    int selects = 0;      // key= lines choosing it
    int select = NONE;    // the last of them
    std::vector<int> values;
    int last = NONE;      // the last line that addresses it
};

// The kinds of record that own the file's lines (figure/save_engine.h): a key (by its id)
// owns its key= and value lines, a list the numkeys line that made it.
const int KEY_RECORD = 1;
const int LIST_RECORD = 2;
const int LISTS_PER_FRAME = 1 << 16;

LineOwner KeyOwner(int key)
{
    return {KEY_RECORD, key};
}

LineOwner ListOwner(const ListId& id)
{
    return {LIST_RECORD, id.first * LISTS_PER_FRAME + id.second};
}

// One save: the file's lines with what the reader noted of each, where each key's lines
// are, and the edits the save engine is to make.
struct AnimSave {
    std::vector<NotedLine> noted;
    std::vector<TaggedLine> lines;  // the same lines as the save engine takes them, noted by index
    std::vector<int> chooser;  // per line: the key= line above it, whose number the reader uses
    std::map<int, KeyLines> keys;
    std::set<int> blocksAdded;  // keys whose whole block is written
    LineEdits edits;
    std::vector<AnimLine> addedNotes;  // what the added lines do, noted from noted.size() on
    int atEndKey = 0;  // the key the last header at the end chose

    // An added line as the engine takes it, its note kept.
    TaggedLine Tagged(const Added& added)
    {
        const int note = static_cast<int>(noted.size() + addedNotes.size());
        addedNotes.push_back(added.note);
        TaggedLine line{added.text, "", LineOwner(), std::string(), note};
        if (added.note.kind == AnimLineKind::SELECT || added.note.kind == AnimLineKind::VALUE) {
            line.owner = KeyOwner(added.note.key);
            line.key = added.text.substr(0, added.text.find('='));
        }
        return line;
    }
};

AnimSave ReadForSave(const AnimFileRecord& record)
{
    AnimSave save;
    int chooser = NONE;
    for (const Line& line : SplitLines(record.text)) {
        const int i = static_cast<int>(save.noted.size());
        NotedLine noted;
        noted.line = line;
        if (static_cast<size_t>(i) < record.lines.size()) noted.note = record.lines[i];
        save.chooser.push_back(chooser);
        const AnimLine& note = noted.note;
        TaggedLine tagged{line.text, line.end, LineOwner(), std::string(), i};
        if (note.kind == AnimLineKind::SELECT) chooser = i;
        if ((note.kind == AnimLineKind::SELECT || note.kind == AnimLineKind::VALUE) && note.key) {
            KeyLines& key = save.keys[note.key];
            key.last = i;
            tagged.owner = KeyOwner(note.key);
            const size_t start = line.text.find_first_not_of('=');
            if (start != std::string::npos) tagged.key = line.text.substr(start, line.text.find('=', start) - start);
            if (note.kind == AnimLineKind::SELECT) {
                ++key.selects;
                key.select = i;
            } else {
                key.values.push_back(i);
            }
        } else if (note.kind == AnimLineKind::MAKE_LIST) {
            tagged.owner = ListOwner(ListId(note.frame, note.list));
            tagged.key = COUNT_KEY;
        }
        save.noted.push_back(noted);
        save.lines.push_back(tagged);
    }
    return save;
}

const KeyLines& LinesOf(const AnimSave& save, int key)
{
    static const KeyLines none;
    auto found = save.keys.find(key);
    return found == save.keys.end() ? none : found->second;
}

AnimLine Note(AnimLineKind kind, int frame, int list, int key, KeyField field = KeyField::OTHER)
{
    AnimLine note;
    note.kind = kind;
    note.field = field;
    note.frame = frame;
    note.list = list;
    note.key = key;
    return note;
}

// Every line a key's fields need to read back as they are in memory, after its key= line.
// Movement bounds without their flag are the one thing the file cannot say.
std::vector<Added> KeyBlock(const AnimKey& k, int index, int frame, int list)
{
    std::vector<Added> block;
    auto add = [&](const char* name, const std::string& value, AnimLineKind kind, KeyField field) {
        block.push_back({std::string(name) + "=" + value, Note(kind, frame, list, k.id, field)});
    };
    auto plain = [&](const char* name, const std::string& value) {
        add(name, value, AnimLineKind::VALUE, KeyField::OTHER);
    };
    auto field = [&](KeyField f) { add(KeyFieldName(f), KeyFieldText(k, f), AnimLineKind::VALUE, f); };
    add(SELECT_KEY, std::to_string(index), AnimLineKind::SELECT, KeyField::OTHER);
    if (k.useStartAngle) field(KeyField::USE_START);
    if (k.useStartAngle || k.startAngle != 0.0f) field(KeyField::START);
    field(KeyField::DEST);
    field(KeyField::SPEED);
    if (k.loopKeys) field(KeyField::LOOP);
    if (k.useChangePart) field(KeyField::USE_CHANGE);
    if (k.useChangePart || k.changePartSlot || k.changePartVecPart) field(KeyField::CHANGE);
    if (k.hasVisibleList) field(KeyField::VISIBLE);
    if (k.hasInvisibleList) field(KeyField::INVISIBLE);
    if (k.moveX) {
        plain("move_xmin", ShortestDecimal(k.xMin));
        plain("move_xmax", ShortestDecimal(k.xMax));
        plain("move_xvel", ShortestDecimal(k.xVel));
        plain("move_xloop", Flag(k.xLoop));
    }
    if (k.moveY) {
        plain("move_ymin", ShortestDecimal(k.yMin));
        plain("move_ymax", ShortestDecimal(k.yMax));
        plain("move_yvel", ShortestDecimal(k.yVel));
        plain("move_yloop", Flag(k.yLoop));
    }
    return block;
}

// Whether no key line between line `after` and the next key= line leans on the key= line
// above: a key= line put there would take those lines over.
bool NothingChosenAfter(const AnimSave& save, int after)
{
    for (size_t i = after + 1; i < save.noted.size(); ++i) {
        const AnimLineKind kind = save.noted[i].note.kind;
        if (kind == AnimLineKind::SELECT) return true;
        if (kind == AnimLineKind::VALUE) return false;
    }
    return true;
}

// Whether each of the file's keys of the list is one block: one key= line that chooses it
// and only it, every line of the key after it, and no line of the list that writes a key
// it does not have. Anything else could change meaning once keys are renumbered.
bool ListIsPlain(const AnimSave& save, const ListId& id, const std::vector<int>& keys, int made)
{
    for (int key : keys) {
        const KeyLines& lines = LinesOf(save, key);
        if (lines.selects > 1 || (lines.selects == 0 && !lines.values.empty())) return false;
        for (int v : lines.values)
            if (save.chooser[v] != lines.select) return false;
        for (size_t i = lines.select + 1; lines.select != NONE && i < save.noted.size(); ++i) {
            const AnimLine& note = save.noted[i].note;
            if (note.kind == AnimLineKind::SELECT) break;
            if (note.kind == AnimLineKind::VALUE && note.key != key) return false;
        }
    }
    const std::set<int> inFile(keys.begin(), keys.end());
    for (size_t i = made + 1; i < save.noted.size(); ++i) {
        const AnimLine& note = save.noted[i].note;
        if (note.kind == AnimLineKind::VALUE && ListId(note.frame, note.list) == id && !inFile.count(note.key))
            return false;
    }
    return true;
}

// The edits that write one list as memory holds its keys; why it cannot be, or empty.
std::string SaveList(AnimSave& save, const AnimFileRecord& record, const ListId& id, AnimSaveCount& count)
{
    const std::string where = "frame " + std::to_string(id.first) + " list " + std::to_string(id.second);
    int made = NONE;
    for (int i = static_cast<int>(save.noted.size()) - 1; i >= 0 && made == NONE; --i) {
        const AnimLine& note = save.noted[i].note;
        if (note.kind == AnimLineKind::MAKE_LIST && ListId(note.frame, note.list) == id) made = i;
    }
    auto found = record.lists.find(id);
    if (found == record.lists.end() || made == NONE) return where + " has no numkeys line";
    const std::vector<int>& was = found->second;
    const std::vector<int> now = KeyIds(id.first, id.second);
    if (!ListIsPlain(save, id, was, made)) return where + " is not written one block per key";

    const std::set<int> inFile(was.begin(), was.end());
    const std::set<int> inMemory(now.begin(), now.end());
    std::vector<int> keptWas, keptNow;
    std::copy_if(was.begin(), was.end(), std::back_inserter(keptWas), [&](int k) { return inMemory.count(k) > 0; });
    std::copy_if(now.begin(), now.end(), std::back_inserter(keptNow), [&](int k) { return inFile.count(k) > 0; });
    if (keptWas != keptNow) return where + " has its keys in another order";

    for (int key : was) {
        if (inMemory.count(key)) continue;
        const KeyLines& lines = LinesOf(save, key);
        for (int i = lines.select; i != NONE && i <= lines.last; ++i) {
            const AnimLine& note = save.noted[i].note;
            const bool own = (note.kind == AnimLineKind::SELECT || note.kind == AnimLineKind::VALUE) && note.key == key;
            if (!own && note.kind != AnimLineKind::TEXT) return where + " has other lines inside a key's block";
        }
        save.edits.RemoveSpan(KeyOwner(key));
        ++count.removed;
    }
    for (size_t m = 0; m < now.size(); ++m) {
        if (!inFile.count(now[m])) continue;
        const int select = LinesOf(save, now[m]).select;
        const size_t old = static_cast<size_t>(std::find(was.begin(), was.end(), now[m]) - was.begin());
        if (select == NONE || old == m) continue;
        std::string text = save.noted[select].line.text;
        if (!ReplaceValue(text, SELECT_KEY, std::to_string(m))) return where + " has a key= line that cannot be renumbered";
        save.edits.Set(KeyOwner(now[m]), SELECT_KEY, std::to_string(m));
    }
    if (was.size() != now.size()) {
        std::string text = save.noted[made].line.text;
        if (!ReplaceValue(text, COUNT_KEY, std::to_string(now.size())))
            return where + " has a numkeys line that cannot be rewritten";
        save.edits.Set(ListOwner(id), COUNT_KEY, std::to_string(now.size()));
    }
    for (size_t m = 0; m < now.size(); ++m) {
        if (inFile.count(now[m])) continue;
        // After the last block before it; a first key, or one after keys without lines,
        // right after the numkeys line.
        int after = made;
        for (size_t p = m; p-- > 0 && after == made;) {
            const KeyLines& lines = LinesOf(save, now[p]);
            if (inFile.count(now[p]) && lines.select != NONE) after = lines.last;
        }
        if (!NothingChosenAfter(save, after)) return where + " has key lines that lean on an earlier key= line";
        const AnimKey* key = KeyById(now[m]);
        if (!key) continue;
        std::vector<TaggedLine> block;
        for (const Added& added : KeyBlock(*key, static_cast<int>(m), id.first, id.second))
            block.push_back(save.Tagged(added));
        save.edits.AddAfter(after + 1, block);
        save.blocksAdded.insert(now[m]);
        ++count.added;
    }
    return std::string();
}

// The edit that writes one value: in place, after its key's last line, or at the end under a header that
// chooses the key.
void SaveValue(AnimSave& save, const KeyValue& value)
{
    KeyPlace place;
    if (save.blocksAdded.count(value.key) || !KeyById(value.key, &place)) return;
    const KeyLines& lines = LinesOf(save, value.key);
    const char* name = KeyFieldName(value.field);
    if (!name) return;
    const std::string& text = value.text;
    if (text.empty()) {
        save.edits.Drop(KeyOwner(value.key), name);
        return;
    }
    const AnimLine note = Note(AnimLineKind::VALUE, place.frame, place.list, value.key, value.field);
    std::vector<TaggedLine> header;
    if (lines.last == NONE && save.atEndKey != value.key) {
        // Not noted as a frame= line: the frame keeps the name the comment above its own gives it.
        header.push_back(save.Tagged({"frame=" + std::to_string(place.frame), Note(AnimLineKind::OTHER, place.frame, 0, 0)}));
        header.push_back(save.Tagged({"key_part=" + std::to_string(place.list),
                                    Note(AnimLineKind::LIST, place.frame, place.list, 0)}));
        header.push_back(save.Tagged({std::string(SELECT_KEY) + "=" + std::to_string(place.index),
                                    Note(AnimLineKind::SELECT, place.frame, place.list, value.key)}));
        save.atEndKey = value.key;
    }
    const int noted = save.Tagged({std::string(name) + "=" + text, note}).note;
    save.edits.Set(KeyOwner(value.key), name, text, header, noted);
}

// What each line of the saved file does, from the notes the lines carried through the engine.
std::vector<AnimLine> NotesOf(const AnimSave& save, const std::vector<TaggedLine>& lines)
{
    std::vector<AnimLine> notes;
    for (const TaggedLine& line : lines) {
        const size_t note = line.note < 0 ? SIZE_MAX : static_cast<size_t>(line.note);
        if (note < save.noted.size()) notes.push_back(save.noted[note].note);
        else if (note - save.noted.size() < save.addedNotes.size()) notes.push_back(save.addedNotes[note - save.noted.size()]);
        else notes.push_back(AnimLine());
    }
    return notes;
}

}  // namespace

const char* KeyFieldName(KeyField field)
{
    switch (field) {
    case KeyField::DEST: return "key_destangle";
    case KeyField::SPEED: return "key_rotspeed";
    case KeyField::USE_START: return "use_startangle";
    case KeyField::START: return "key_startangle";
    case KeyField::LOOP: return "loopkeys";
    case KeyField::USE_CHANGE: return "use_changepart";
    case KeyField::CHANGE: return "changepart";
    case KeyField::VISIBLE: return "part_visible";
    case KeyField::INVISIBLE: return "part_invisible";
    default: return nullptr;
    }
}

std::string KeyFieldText(const AnimKey& k, KeyField field)
{
    switch (field) {
    case KeyField::DEST: return WholeDegrees(k.destAngle);
    case KeyField::SPEED: return WholeDegrees(k.rotSpeed);
    case KeyField::USE_START: return Flag(k.useStartAngle);
    case KeyField::START: return WholeDegrees(k.startAngle);
    case KeyField::LOOP: return Flag(k.loopKeys);
    case KeyField::USE_CHANGE: return Flag(k.useChangePart);
    case KeyField::CHANGE: return std::to_string(k.changePartSlot) + "," + std::to_string(k.changePartVecPart);
    // No list reads back as an empty one: it shows or hides nothing either.
    case KeyField::VISIBLE: return k.hasVisibleList ? PartList(k.visibleParts) : EMPTY_LIST;
    case KeyField::INVISIBLE: return k.hasInvisibleList ? PartList(k.invisibleParts) : EMPTY_LIST;
    default: return std::string();
    }
}

std::vector<KeyField> EndsDiffering(const AnimKey& disk, const AnimKey& memory)
{
    std::vector<KeyField> fields;
    for (KeyField field : {KeyField::USE_START, KeyField::START, KeyField::LOOP, KeyField::USE_CHANGE,
                           KeyField::CHANGE, KeyField::VISIBLE, KeyField::INVISIBLE}) {
        bool same = KeyFieldText(disk, field) == KeyFieldText(memory, field);
        // What a line without its switch holds means nothing: it is not worth a line. A switch
        // turned on always has its line, so the file says which image it gives.
        if (field == KeyField::CHANGE) same = memory.useChangePart ? same && disk.useChangePart : true;
        if (field == KeyField::VISIBLE)
            same = disk.hasVisibleList == memory.hasVisibleList && (same || !disk.hasVisibleList);
        if (field == KeyField::INVISIBLE)
            same = disk.hasInvisibleList == memory.hasInvisibleList && (same || !disk.hasInvisibleList);
        if (!same) fields.push_back(field);
    }
    return fields;
}

std::vector<ListId> UnsavedLists(const AnimFileRecord& file)
{
    std::vector<ListId> lists;
    for (const auto& entry : file.lists)
        if (KeyIds(entry.first.first, entry.first.second) != entry.second) lists.push_back(entry.first);
    return lists;
}

std::vector<KeyValue> UnsavedKeyValues(const AnimFileRecord& file)
{
    auto inFile = [&file](int key) {
        for (const auto& entry : file.lists)
            if (std::find(entry.second.begin(), entry.second.end(), key) != entry.second.end()) return true;
        return false;
    };
    std::vector<KeyValue> values, ends;
    for (const auto& [id, disk] : file.keys) {
        const AnimKey* key = KeyById(id);
        if (!key || !inFile(id)) continue;
        if (key->destAngle != disk.destAngle) values.push_back({id, KeyField::DEST, KeyFieldText(*key, KeyField::DEST)});
        if (key->rotSpeed != disk.rotSpeed) values.push_back({id, KeyField::SPEED, KeyFieldText(*key, KeyField::SPEED)});
        for (KeyField field : EndsDiffering(disk, *key)) {
            const bool gone = (field == KeyField::VISIBLE && !key->hasVisibleList) ||
                              (field == KeyField::INVISIBLE && !key->hasInvisibleList);
            ends.push_back({id, field, gone ? std::string() : KeyFieldText(*key, field)});
        }
    }
    values.insert(values.end(), ends.begin(), ends.end());
    return values;
}

void NoteAnimFileKeys(AnimFileRecord& record, const AnimFrame* frames, int numFrames)
{
    record.keys.clear();
    for (int f = 0; frames && f < numFrames; ++f)
        for (const AnimKey* list : frames[f].keys)
            for (const AnimKey* k = list; k; k = k->next) record.keys[k->id] = *k;
}

std::string FrameName(int frame)
{
    const std::vector<AnimLine>& lines = g_animFileRecord.lines;
    int line = 0;
    for (size_t i = lines.size(); i-- > 0 && line == 0;)
        if (lines[i].kind == AnimLineKind::FRAME && lines[i].frame == frame) line = static_cast<int>(i) + 1;
    if (line < 2) return std::string();
    const std::string above = LineText(g_animFileRecord.text, line - 1);
    const size_t start = above.find_first_not_of(" \t");
    if (start == std::string::npos || above.compare(start, 2, "//") != 0) return std::string();
    const size_t name = above.find_first_not_of("/ \t", start);
    return name == std::string::npos ? std::string() : above.substr(name);
}

SaveResult SaveAnimEdits(const std::vector<ListId>& lists, const std::vector<KeyValue>& values, AnimSaveCount& count,
                         std::string& why)
{
    // Worked on a copy: the record changes only once the file has.
    AnimFileRecord record = g_animFileRecord;
    count = AnimSaveCount();
    if (record.asRead && UnsavedLists(*record.asRead).empty() && UnsavedKeyValues(*record.asRead).empty()) {
        const std::shared_ptr<const AnimFileRecord> asRead = record.asRead;
        const SaveResult result = WriteFirstReading(g_animFileRecord, ANIM_DATA_FILE, why);
        if (result != SaveResult::SAVED) return result;
        // What the file loses and regains, key by key, as a save in its own spelling counts it.
        auto keysOf = [](const AnimFileRecord& file, const ListId& id) {
            const auto list = file.lists.find(id);
            return list == file.lists.end() ? std::vector<int>() : list->second;
        };
        for (const ListId& id : lists) {
            const std::vector<int> had = keysOf(record, id), has = keysOf(*asRead, id);
            for (int key : had) count.removed += std::find(has.begin(), has.end(), key) == has.end();
            for (int key : has) count.added += std::find(had.begin(), had.end(), key) == had.end();
        }
        return SaveResult::SAVED;
    }
    AnimSave save = ReadForSave(record);
    // The reader's note of a line read in pieces is only its last piece's: a value there may
    // not be where the notes say, and a line added for it could come before one that sets it.
    if (const int cut = FirstLineReadInPieces(record.text)) {
        why = LineInPiecesWhy(ANIM_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    for (const ListId& id : lists) {
        why = SaveList(save, record, id, count);
        if (!why.empty()) return SaveResult::REFUSED;
    }
    for (const KeyValue& value : values) SaveValue(save, value);

    std::vector<TaggedLine> lines;
    int cut = 0;
    if (!ApplyLineEdits(save.lines, save.edits, lines, cut)) {
        why = LineInPiecesWhy(ANIM_DATA_FILE, cut);
        return SaveResult::REFUSED;
    }
    const std::string text = JoinLines(lines);
    const std::vector<AnimLine> notes = NotesOf(save, lines);
    const SaveResult result = WriteSavedText(ANIM_DATA_FILE, record.text, text, why);
    if (result != SaveResult::SAVED) return result;
    record.text = text;
    record.lines = notes;
    for (const ListId& id : lists) record.lists[id] = KeyIds(id.first, id.second);
    KeepFirstReading(g_animFileRecord);
    record.asRead = g_animFileRecord.asRead;
    g_animFileRecord = record;
    return SaveResult::SAVED;
}
