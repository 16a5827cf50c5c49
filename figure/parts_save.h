// Saving the pivot offsets back into vecparts.dat. The parts reader remembers the file as
// it read it, each line tagged with the part it addressed; a save rewrites only those
// values through the save engine (adding a line where a part has none) so comments,
// order, unknown keys, untouched numbers and line ends stay byte for byte. The write is atomic, the previous file stays
// as vecparts.dat.bak, and a file changed on disk since it was read is never overwritten.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "figure/data_save.h"
#include "figure/save_engine.h"

class VectorPart;

// The kind of record that owns a part's lines (figure/save_engine.h); its id is the part's index.
const int PART_RECORD = 1;

// vecparts.dat as the game knows it: filled by its reader, kept up to date by saves.
struct PartsFileRecord {
    std::string text;                // the bytes read (or written by the last save)
    std::vector<TaggedLine> lines;   // text's lines, each applied line tagged with its part
    // The reader's notes, (line, part, key) in reading order, until the text is read.
    struct Note {
        int line;
        int part;
        std::string key;
    };
    std::vector<Note> notes;
    // Each part's offsets as the file gives them: what memory is held against to know what
    // a save has to write.
    struct Offsets {
        float x, y;
    };
    std::vector<Offsets> offsets;
    // The record as it was read, once a save has written over it: a save that finds the
    // document back to what the file gave (every change undone) writes the file as read,
    // byte for byte, rather than in the save's own spelling.
    std::shared_ptr<const PartsFileRecord> asRead;
};
extern PartsFileRecord g_partsFileRecord;

// Takes the offsets of parts as what the file gives (after a read, or a save that wrote
// them all).
void NotePartsFileOffsets(PartsFileRecord& record, const VectorPart* parts, int numParts);

// Once record.text holds the file, tags its lines from the reader's notes.
void TagPartsLines(PartsFileRecord& record);

// One value to write: part index, which offset, and the value in memory.
struct OffsetValue {
    int part;
    bool vertical;  // yoffset, else xoffset
    float value;
};

// The offsets memory holds and the file does not (or the record given, as read).
std::vector<OffsetValue> UnsavedOffsets(const PartsFileRecord& file = g_partsFileRecord);

// Writes values into vecparts.dat of the working directory. On failure, why names the
// cause; the file on disk is then as it was.
SaveResult SavePartOffsets(const std::vector<OffsetValue>& values, std::string& why);

// The shortest decimal that the reader turns back into exactly this float.
std::string FormatOffset(float value);
