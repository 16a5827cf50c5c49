// Saving the posed key angles back into vecanim.dat. The animation reader remembers the
// file as it read it and which lines hold each key's destination angle and speed; a save
// rewrites only those values (adding a line where a key has none), with the same care as
// the pivot save (figure/data_save.h): atomic, vecanim.dat.bak kept, never over a file
// changed on disk since it was read.
#pragma once
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "figure/data_save.h"

typedef std::tuple<int, int, int> KeyId;  // frame, key list (the slot it drives), key

// Where one key's lines are in the file as last read or saved; 0 for none.
struct KeyLines {
    int destLine = 0;
    int speedLine = 0;
    int lastLine = 0;  // the last line that addresses the key
};

// vecanim.dat as the game knows it: filled by LoadVectorAnim, kept up to date by saves.
struct AnimFileRecord {
    std::string text;
    std::map<KeyId, KeyLines> keys;
    std::map<int, int> frameLines;  // frame number: its frame= line
};
extern AnimFileRecord g_animFileRecord;

// The animation reader's part: a frame= line, a numkeys line (which forgets the list's
// keys) and every line that addresses a key.
void NoteAnimFrameLine(int frame, int line);
void NoteAnimListMade(int frame, int list);
void NoteAnimKeyLine(const KeyId& key, const char* name, int line);

// The frame's name: the comment on the line just above its frame= line, without the
// comment marks; empty when there is none.
std::string FrameName(int frame);

// One value to write: which key, which field, the value in memory (whole degrees).
struct KeyValue {
    KeyId key;
    bool speed;  // key_rotspeed, else key_destangle
    float value;
};

// Writes values into vecanim.dat of the working directory; why names a failure.
SaveResult SaveKeyValues(const std::vector<KeyValue>& values, std::string& why);
