// Saving the animator's key edits back into vecanim.dat. The animation reader remembers
// the file as it read it and what each line did (the frame and list it was on, the key it
// chose or wrote, by key id); a save rewrites only what changed, with the same care as the
// pivot save (figure/data_save.h): atomic, vecanim.dat.bak kept, never over a file changed
// on disk since it was read. It rewrites values in place (adding a line where a key has
// none), and where keys were inserted into or deleted from a list it adds or removes their
// blocks of lines, renumbers the key= lines of the keys after them and rewrites the list's
// numkeys. Lines whose meaning such an edit could change make the save refuse instead.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "figure/data_save.h"
#include "figure/save_engine.h"
#include "figure/records.h"

// What one line of the file did when it was read.
enum class AnimLineKind : unsigned char {
    TEXT,       // a comment, a blank or unknown line, a key without a value
    OTHER,      // numframes, frame_numparts, a numkeys that made no list
    FRAME,      // frame=
    LIST,       // key_part=
    MAKE_LIST,  // a numkeys= that made its list
    SELECT,     // key=: the key the next key lines write
    VALUE,      // one field of a key
};
// The fields of a key that a save may write on their own, each its own line of the file.
enum class KeyField : unsigned char {
    OTHER,
    DEST,        // key_destangle
    SPEED,       // key_rotspeed
    USE_START,   // use_startangle
    START,       // key_startangle
    LOOP,        // loopkeys
    USE_CHANGE,  // use_changepart
    CHANGE,      // changepart
    VISIBLE,     // part_visible
    INVISIBLE,   // part_invisible
    EASE,        // key_ease
};
// The file's name of a field; null for OTHER.
const char* KeyFieldName(KeyField field);

struct AnimLine {
    AnimLineKind kind = AnimLineKind::TEXT;
    KeyField field = KeyField::OTHER;  // of a VALUE line
    int frame = 0;  // the frame and list the reader was on after the line
    int list = 0;
    int key = 0;    // SELECT: the key chosen; VALUE: the key written; an id, 0 for none
};

typedef std::pair<int, int> ListId;  // frame, key list (the slot it drives)

// vecanim.dat as the game knows it: filled by its reader, kept up to date by saves.
struct AnimFileRecord {
    std::string text;
    std::vector<AnimLine> lines;               // line n at n - 1; lines past the end are text
    std::map<ListId, std::vector<int>> lists;  // the ids of each list's keys, as the file has them
    // Each key of the file as the file gives it, by id: what memory is held against to know
    // what a save has to write.
    std::map<int, AnimKey> keys;
    int numFrames = 0;  // the frames the file makes
    // The record as it was read, once a save has written over it: a save that finds the
    // document back to what the file gave (every change undone) writes the file as read,
    // byte for byte.
    std::shared_ptr<const AnimFileRecord> asRead;
};
extern AnimFileRecord g_animFileRecord;

// Takes every key of frames, and their count, as what the file gives (after a read, or a
// save that wrote them all).
void NoteAnimFileKeys(AnimFileRecord& record, const AnimFrame* frames, int numFrames);

// The frame's name: the comment on the line just above its (last) frame= line, without the
// comment marks; empty when there is none. FileFrameName asks a record of the file.
std::string FrameName(int frame);
std::string FileFrameName(const AnimFileRecord& file, int frame);
// Whether a frame the file has is named otherwise in memory (figure/key_edit.h).
bool FrameNamesUnsaved(const AnimFileRecord& file = g_animFileRecord);

// One value to write: which key (its id), which field, and the value as the file spells it;
// an empty text removes the key's lines of the field (a visibility list the key no longer has).
struct KeyValue {
    int key;
    KeyField field;
    std::string text;
};
// A key's field as the file spells it (angles in whole degrees, no visibility list as the
// empty "-1"); what KeyBlock writes too.
std::string KeyFieldText(const AnimKey& key, KeyField field);

// The fields of the file whose text differs between a key as the file gives it and in memory.
std::vector<KeyField> EndsDiffering(const AnimKey& disk, const AnimKey& memory);

// What memory holds and the animation file does not: the lists whose keys are not the
// file's, and every angle and end of a key the file holds that differs from it (a key new
// to the file is written whole with its list, not value by value).
std::vector<ListId> UnsavedLists(const AnimFileRecord& file = g_animFileRecord);
std::vector<KeyValue> UnsavedKeyValues(const AnimFileRecord& file = g_animFileRecord);

// What a save did to the lists.
struct AnimSaveCount {
    int added = 0;
    int removed = 0;
};

// Writes into vecanim.dat of the working directory the lists named, with the keys memory
// holds now (an inserted key's block carries every field the file can hold), then the
// values. On failure why names the cause and the file is as it was.
SaveResult SaveAnimEdits(const std::vector<ListId>& lists, const std::vector<KeyValue>& values, AnimSaveCount& count,
                         std::string& why);
