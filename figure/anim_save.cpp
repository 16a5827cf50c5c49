#include "figure/anim_save.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <set>

#include "figure/anim_file.h"
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
    if (k.ease != EASE_LINEAR) field(KeyField::EASE);
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

// The edits that write one list of the file as memory holds its keys (at `memory`, the
// list's place now); why it cannot be, or empty.
std::string SaveList(AnimSave& save, const AnimFileRecord& record, const ListId& id, const ListId& memory,
                     AnimSaveCount& count)
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
    const std::vector<int> now = KeyIds(memory.first, memory.second);
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

// The file's lines with the save's edits made; false, with why, where a line read in
// pieces stands in the way.
bool EditedLines(const AnimSave& save, std::vector<TaggedLine>& lines, std::string& why)
{
    int cut = 0;
    if (ApplyLineEdits(save.lines, save.edits, lines, cut)) return true;
    why = LineInPiecesWhy(ANIM_DATA_FILE, cut);
    return false;
}

// Where the file's frames and lists are in memory. Keys keep their ids through every edit,
// so a list moved to another slot, or a frame to another number, is found by its keys.
struct Shape {
    std::map<ListId, ListId> lists;  // file list -> its place in memory; absent: taken away
    std::vector<int> frames;         // file frame -> memory frame; NONE: taken away
    std::vector<int> fileFrames;     // memory frame -> file frame; NONE: new
    std::vector<ListId> newLists;    // memory lists that are no list of the file
    bool same = true;                // every frame and list where the file has it
};

std::string ListName(const ListId& id)
{
    return "frame " + std::to_string(id.first) + " list " + std::to_string(id.second);
}

bool ShapeOf(const AnimFileRecord& record, Shape& shape, std::string& why)
{
    std::map<int, ListId> at;  // each loaded key's list
    const int memoryFrames = g_frames ? g_numFrames : 0;
    for (int f = 0; f < memoryFrames; ++f)
        for (int l = 0; l < MAX_FRAME_KEYS; ++l)
            for (const AnimKey* k = g_frames[f].keys[l]; k; k = k->next) at[k->id] = ListId(f, l);
    shape.frames.assign(static_cast<size_t>(std::max(record.numFrames, 0)), NONE);
    shape.fileFrames.assign(static_cast<size_t>(memoryFrames), NONE);
    std::set<ListId> taken;
    for (const auto& [id, keys] : record.lists) {
        for (int key : keys) {
            const auto found = at.find(key);
            if (found == at.end()) continue;
            if (!taken.insert(found->second).second || id.first < 0 || id.first >= record.numFrames) {
                why = ListName(found->second) + " holds keys of two lists of the file";
                return false;
            }
            shape.lists[id] = found->second;
            break;
        }
    }
    for (const auto& [file, memory] : shape.lists) {
        int& frame = shape.frames[static_cast<size_t>(file.first)];
        if (frame != NONE && frame != memory.first) {
            why = "frame " + std::to_string(file.first) + " has its lists in two frames";
            return false;
        }
        frame = memory.first;
    }
    for (int f = 0; f < record.numFrames; ++f) {
        const int memory = shape.frames[static_cast<size_t>(f)];
        if (memory == NONE) continue;
        if (shape.fileFrames[static_cast<size_t>(memory)] != NONE) {
            why = "frame " + std::to_string(memory) + " holds the lists of two frames of the file";
            return false;
        }
        shape.fileFrames[static_cast<size_t>(memory)] = f;
    }
    // A frame none of whose keys is found (it has none, or none is left) stays the frame of
    // its number, where that holds no key the file has.
    for (int f = 0; f < record.numFrames && f < memoryFrames; ++f) {
        if (shape.frames[static_cast<size_t>(f)] != NONE || shape.fileFrames[static_cast<size_t>(f)] != NONE) continue;
        bool known = false;
        for (const AnimKey* list : g_frames[f].keys)
            for (const AnimKey* k = list; k && !known; k = k->next) known = record.keys.count(k->id) > 0;
        if (known) continue;
        shape.frames[static_cast<size_t>(f)] = f;
        shape.fileFrames[static_cast<size_t>(f)] = f;
    }
    for (int f = 0; f < memoryFrames; ++f)
        for (int l = 0; l < MAX_FRAME_KEYS; ++l)
            if (g_frames[f].keys[l] && !taken.count(ListId(f, l))) shape.newLists.push_back(ListId(f, l));
    shape.same = memoryFrames == record.numFrames && shape.newLists.empty() &&
                 shape.lists.size() == record.lists.size() && !FrameNamesUnsaved(record);
    for (int f = 0; f < record.numFrames; ++f) shape.same = shape.same && shape.frames[static_cast<size_t>(f)] == f;
    for (const auto& [file, memory] : shape.lists) shape.same = shape.same && file == memory;
    return true;
}

// The lines, as indices, that a frame= (FRAME) or key_part= (LIST) line opens: the comments
// and blanks right above it, and every line up to the last that is not a comment before
// the next line that opens another (comments there are the next one's). Empty when a line
// inside belongs to something else (numframes, frame_numparts inside a list).
std::vector<int> SpanOf(const AnimSave& save, int opening)
{
    const AnimLineKind kind = save.noted[static_cast<size_t>(opening)].note.kind;
    std::vector<int> span;
    for (int line : NotesAbove(save.lines, opening + 1)) span.push_back(line - 1);
    span.push_back(opening);
    std::vector<int> pending;
    for (size_t i = static_cast<size_t>(opening) + 1; i < save.noted.size(); ++i) {
        const AnimLineKind at = save.noted[i].note.kind;
        if (at == AnimLineKind::FRAME || (kind == AnimLineKind::LIST && at == AnimLineKind::LIST)) break;
        if (at == AnimLineKind::TEXT) {
            pending.push_back(static_cast<int>(i));
            continue;
        }
        if (kind == AnimLineKind::LIST && at == AnimLineKind::OTHER) return {};
        span.insert(span.end(), pending.begin(), pending.end());
        pending.clear();
        span.push_back(static_cast<int>(i));
    }
    return span;
}

bool IsComment(const std::string& text)
{
    const size_t start = text.find_first_not_of(" \t");
    return start != std::string::npos && text.compare(start, 2, "//") == 0;
}

// The line at index `line` with its value of key given anew, in its place.
bool RewriteLine(AnimSave& save, int line, const char* key, int value)
{
    TaggedLine rewritten = save.lines[static_cast<size_t>(line)];
    if (!ReplaceValue(rewritten.text, key, std::to_string(value))) return false;
    save.edits.RemoveLines({line + 1});
    save.edits.AddAfter(line, {rewritten});
    return true;
}

// A whole list as lines: its key_part and numkeys lines, then each key's block.
std::vector<TaggedLine> ListBlock(AnimSave& save, const ListId& id)
{
    std::vector<TaggedLine> block;
    block.push_back(save.Tagged({"key_part=" + std::to_string(id.second), Note(AnimLineKind::LIST, id.first, id.second, 0)}));
    const std::vector<int> keys = KeyIds(id.first, id.second);
    block.push_back(save.Tagged({std::string(COUNT_KEY) + "=" + std::to_string(keys.size()),
                                 Note(AnimLineKind::MAKE_LIST, id.first, id.second, 0)}));
    for (size_t i = 0; i < keys.size(); ++i) {
        const AnimKey* key = KeyById(keys[i]);
        if (!key) continue;
        for (const Added& added : KeyBlock(*key, static_cast<int>(i), id.first, id.second)) block.push_back(save.Tagged(added));
        save.blocksAdded.insert(keys[i]);
    }
    return block;
}

// Whether a reading of the text gives the frames memory holds: their count, each frame's
// slot count, each list's keys and every value of theirs the file can hold.
bool ReadsAsMemory(const AnimDocument& read)
{
    if (read.numFrames != (g_frames ? g_numFrames : 0)) return false;
    for (int f = 0; f < read.numFrames; ++f) {
        if (read.frames[f].numparts != g_frames[f].numparts) return false;
        for (int l = 0; l < MAX_FRAME_KEYS; ++l) {
            const AnimKey* a = read.frames[f].keys[l];
            const AnimKey* b = g_frames[f].keys[l];
            for (; a && b; a = a->next, b = b->next) {
                for (KeyField field : {KeyField::DEST, KeyField::SPEED})
                    if (KeyFieldText(*a, field) != KeyFieldText(*b, field)) return false;
                if (!EndsDiffering(*a, *b).empty() || a->moveX != b->moveX || a->moveY != b->moveY) return false;
            }
            if (a || b) return false;
        }
    }
    return true;
}

// The record of a reading of the saved text, its keys named by the ids memory gives the
// keys in their places (the reading made ids of its own).
AnimFileRecord RecordOfReading(AnimDocument& read)
{
    std::map<int, int> ids;
    for (int f = 0; f < read.numFrames; ++f)
        for (int l = 0; l < MAX_FRAME_KEYS; ++l)
            for (const AnimKey *a = read.frames[f].keys[l], *b = g_frames[f].keys[l]; a && b; a = a->next, b = b->next)
                ids[a->id] = b->id;
    auto named = [&ids](int id) {
        const auto found = ids.find(id);
        return found == ids.end() ? 0 : found->second;
    };
    AnimFileRecord record = std::move(read.record);
    for (AnimLine& line : record.lines) line.key = named(line.key);
    for (auto& entry : record.lists)
        for (int& key : entry.second) key = named(key);
    FreeFrames(read.frames, read.numFrames);
    read.frames = nullptr;
    NoteAnimFileKeys(record, g_frames, g_numFrames);
    return record;
}

// The save of frames and lists that are not where the file has them: frames and lists
// taken away go with their lines and the comments above them, those that moved have their
// frame= and key_part= lines numbered anew, new lists go at their frame's end and new
// frames at the file's end, numframes follows; then each list's keys and the values as
// an ordinary save writes them. What would be written is read back first and must give
// what memory holds, or nothing is written.
SaveResult SaveShape(AnimSave& save, const AnimFileRecord& record, const Shape& shape,
                     const std::vector<KeyValue>& values, AnimSaveCount& count, std::string& why)
{
    std::set<int> removed;
    auto remove = [&](const std::vector<int>& span) {
        for (int line : span) removed.insert(line);
    };
    std::map<int, int> frameEnd;  // memory frame -> the last line of its file frame
    std::set<int> named;          // memory frames whose name is written
    int numframesLine = NONE;
    for (size_t i = 0; i < save.noted.size(); ++i) {
        const AnimLine& note = save.noted[i].note;
        const int line = static_cast<int>(i);
        if (note.kind == AnimLineKind::OTHER && save.lines[i].text.rfind("numframes", 0) == 0) numframesLine = line;
        if (note.kind != AnimLineKind::FRAME && note.kind != AnimLineKind::LIST) continue;
        const std::vector<int> span = SpanOf(save, line);
        if (span.empty()) {
            why = ListName(ListId(note.frame, note.list)) + " shares its lines with the frame's";
            return SaveResult::REFUSED;
        }
        const bool known = note.frame >= 0 && note.frame < record.numFrames;
        const int frame = known ? shape.frames[static_cast<size_t>(note.frame)] : note.frame;
        if (note.kind == AnimLineKind::FRAME) {
            if (frame != NONE && !named.count(frame) && MemoryFrameName(frame) != FileFrameName(record, note.frame)) {
                // The name is the comment just above the frame= line: it is written there.
                named.insert(frame);
                const std::string name = MemoryFrameName(frame);
                TaggedLine comment = save.lines[static_cast<size_t>(line)];
                comment.text = "// " + name;
                comment.owner = LineOwner();
                comment.key.clear();
                comment.note = -1;
                const bool hasComment = line > 0 && IsComment(save.lines[static_cast<size_t>(line) - 1].text);
                if (hasComment) save.edits.RemoveLines({line});
                if (!name.empty()) save.edits.AddAfter(line, {comment});
            }
            if (frame == NONE) remove(span);
            else if (frame != note.frame && !RewriteLine(save, line, "frame", frame)) {
                why = "frame " + std::to_string(note.frame) + " has a frame= line that cannot be renumbered";
                return SaveResult::REFUSED;
            } else frameEnd[frame] = span.back();
            continue;
        }
        if (frame == NONE) continue;
        const auto moved = shape.lists.find(ListId(note.frame, note.list));
        if (moved == shape.lists.end()) {
            remove(span);
        } else if (moved->second.second != note.list && !RewriteLine(save, line, "key_part", moved->second.second)) {
            why = ListName(moved->first) + " has a key_part= line that cannot be renumbered";
            return SaveResult::REFUSED;
        }
    }
    for (const auto& [file, memory] : shape.lists)
        if (KeyIds(memory.first, memory.second) != record.lists.at(file)) {
            why = SaveList(save, record, file, memory, count);
            if (!why.empty()) return SaveResult::REFUSED;
        }
    for (const auto& [file, keys] : record.lists)
        if (!shape.lists.count(file)) count.removed += static_cast<int>(keys.size());
    std::vector<int> lines(removed.begin(), removed.end());
    for (int& line : lines) ++line;
    save.edits.RemoveLines(lines);
    std::vector<TaggedLine> atEnd;
    for (const ListId& id : shape.newLists) {
        count.added += static_cast<int>(KeyIds(id.first, id.second).size());
        const int file = shape.fileFrames[static_cast<size_t>(id.first)];
        if (file != NONE) {
            if (!frameEnd.count(id.first)) {
                why = "frame " + std::to_string(file) + " has no frame= line to add a list under";
                return SaveResult::REFUSED;
            }
            save.edits.AddAfter(frameEnd[id.first] + 1, ListBlock(save, id));
        }
    }
    for (int f = 0; f < static_cast<int>(shape.fileFrames.size()); ++f) {
        if (shape.fileFrames[static_cast<size_t>(f)] != NONE) continue;
        const std::string name = MemoryFrameName(f);
        if (!name.empty()) atEnd.push_back(save.Tagged({"// " + name, Note(AnimLineKind::TEXT, f, 0, 0)}));
        atEnd.push_back(save.Tagged({"frame=" + std::to_string(f), Note(AnimLineKind::FRAME, f, 0, 0)}));
        atEnd.push_back(save.Tagged({"frame_numparts=" + std::to_string(g_frames[f].numparts), Note(AnimLineKind::OTHER, f, 0, 0)}));
        for (int l = 0; l < MAX_FRAME_KEYS; ++l) {
            if (!g_frames[f].keys[l]) continue;
            const std::vector<TaggedLine> block = ListBlock(save, ListId(f, l));
            atEnd.insert(atEnd.end(), block.begin(), block.end());
        }
    }
    if (!atEnd.empty()) save.edits.AddAfter(static_cast<int>(save.lines.size()), atEnd);
    if (g_numFrames != record.numFrames && (numframesLine == NONE || !RewriteLine(save, numframesLine, "numframes", g_numFrames))) {
        why = "it has no numframes line to rewrite";
        return SaveResult::REFUSED;
    }
    for (const KeyValue& value : values) SaveValue(save, value);

    std::vector<TaggedLine> result;
    if (!EditedLines(save, result, why)) return SaveResult::REFUSED;
    const std::string text = JoinLines(result);
    AnimDocument read = ReadAnimText(text);
    if (!ReadsAsMemory(read)) {
        FreeFrames(read.frames, read.numFrames);
        why = "the frames as edited would not read back from it";
        return SaveResult::REFUSED;
    }
    const SaveResult written = WriteSavedText(ANIM_DATA_FILE, record.text, text, why);
    if (written != SaveResult::SAVED) {
        FreeFrames(read.frames, read.numFrames);
        return written;
    }
    AnimFileRecord saved = RecordOfReading(read);
    KeepFirstReading(g_animFileRecord);
    saved.asRead = g_animFileRecord.asRead;
    g_animFileRecord = std::move(saved);
    return SaveResult::SAVED;
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
    case KeyField::EASE: return "key_ease";
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
    case KeyField::EASE: return k.ease < EASE_COUNT ? KEY_EASE_NAMES[k.ease] : KEY_EASE_NAMES[EASE_LINEAR];
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
                           KeyField::CHANGE, KeyField::VISIBLE, KeyField::INVISIBLE, KeyField::EASE}) {
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
    // Lists the file does not have at all: a new frame's, one moved to another slot.
    for (int f = 0; g_frames && f < g_numFrames; ++f)
        for (int l = 0; l < MAX_FRAME_KEYS; ++l)
            if (g_frames[f].keys[l] && !file.lists.count(ListId(f, l))) lists.push_back(ListId(f, l));
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
    record.numFrames = frames ? numFrames : 0;
    for (int f = 0; frames && f < numFrames; ++f)
        for (const AnimKey* list : frames[f].keys)
            for (const AnimKey* k = list; k; k = k->next) record.keys[k->id] = *k;
}

std::string FrameName(int frame)
{
    return FileFrameName(g_animFileRecord, frame);
}

bool FrameNamesUnsaved(const AnimFileRecord& file)
{
    const size_t kept = std::min(g_frameNames.size(), static_cast<size_t>(std::max(file.numFrames, 0)));
    for (size_t f = 0; f < kept; ++f)
        if (g_frameNames[f] != FileFrameName(file, static_cast<int>(f))) return true;
    return false;
}

std::string FileFrameName(const AnimFileRecord& file, int frame)
{
    const std::vector<AnimLine>& lines = file.lines;
    int line = 0;
    for (size_t i = lines.size(); i-- > 0 && line == 0;)
        if (lines[i].kind == AnimLineKind::FRAME && lines[i].frame == frame) line = static_cast<int>(i) + 1;
    if (line < 2) return std::string();
    const std::string above = LineText(file.text, line - 1);
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
    if (record.asRead && record.asRead->numFrames == g_numFrames && UnsavedLists(*record.asRead).empty() &&
        UnsavedKeyValues(*record.asRead).empty() && !FrameNamesUnsaved(*record.asRead)) {
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
    Shape shape;
    if (!ShapeOf(record, shape, why)) return SaveResult::REFUSED;
    if (!shape.same) return SaveShape(save, record, shape, values, count, why);
    for (const ListId& id : lists) {
        why = SaveList(save, record, id, id, count);
        if (!why.empty()) return SaveResult::REFUSED;
    }
    for (const KeyValue& value : values) SaveValue(save, value);

    std::vector<TaggedLine> lines;
    if (!EditedLines(save, lines, why)) return SaveResult::REFUSED;
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
