// Saving the pivot offsets back into vecparts.dat. The parts reader remembers the file as
// it read it and which line holds each part's offsets; a save rewrites only those values
// (adding a line where a part has none) so comments, order, unknown keys, untouched
// numbers and line ends stay byte for byte. The write is atomic, the previous file stays
// as vecparts.dat.bak, and a file changed on disk since it was read is never overwritten.
#pragma once
#include <string>
#include <vector>

#include "figure/data_save.h"

// Where one part's lines are in the file as last read or saved; line numbers from 1,
// counted as the reader counts them, 0 for none.
struct PartLines {
    int xoffsetLine = 0;  // the line whose value the part ends up with (a texture line resets it)
    int yoffsetLine = 0;
    int lastLine = 0;     // the last line that addresses the part
};

// vecparts.dat as the game knows it: filled by LoadVectorParts, kept up to date by saves.
struct PartsFileRecord {
    std::string text;               // the bytes read (or written by the last save)
    std::vector<PartLines> parts;   // by part index
};
extern PartsFileRecord g_partsFileRecord;

// The parts reader's part: called for each key line it applied with a value.
void NotePartsLine(int part, const char* key, int line);

// One value to write: part index, which offset, and the value in memory.
struct OffsetValue {
    int part;
    bool vertical;  // yoffset, else xoffset
    float value;
};

// Writes values into vecparts.dat of the working directory. On failure, why names the
// cause; the file on disk is then as it was.
SaveResult SavePartOffsets(const std::vector<OffsetValue>& values, std::string& why);

// The shortest decimal that the reader turns back into exactly this float.
std::string FormatOffset(float value);
