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

// The kinds of record that own the file's lines (figure/save_engine.h): a part's lines, by
// the part's index, and the numparts line (id 0).
const int PART_RECORD = 1;
const int PARTS_COUNT_RECORD = 2;
// The part a reader's note gives for the numparts line.
const int COUNT_NOTE = -2;

struct PartPoint;

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
    // Each part's image and joints as the file gives them, by part: with the offsets, what a
    // save of the figure's images compares memory with.
    struct Shape {
        std::string texture;
        std::vector<std::pair<int, int>> points;
        bool operator==(const Shape& o) const { return texture == o.texture && points == o.points; }
    };
    std::vector<Shape> shapes;
    // The record as it was read, once a save has written over it: a save that finds the
    // document back to what the file gave (every change undone) writes the file as read,
    // byte for byte, rather than in the save's own spelling.
    std::shared_ptr<const PartsFileRecord> asRead;
};
extern PartsFileRecord g_partsFileRecord;

// Takes the offsets, images and joints of parts as what the file gives (after a read, or a
// save that wrote them all).
void NotePartsFileOffsets(PartsFileRecord& record, const VectorPart* parts, int numParts);
// A part's image and joints as a save compares them.
PartsFileRecord::Shape ShapeOf(const VectorPart& part);

// Whether memory's parts differ from the file's in number, image or joints (the offsets
// are UnsavedOffsets').
bool PartShapesUnsaved(const PartsFileRecord& file = g_partsFileRecord);

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

// Writes values into vecparts.dat of the working directory, and with them every part memory
// holds that the file does not as it is in memory: changed joints rewritten in place (a
// numpoints and a points line), a new part as a block of its own after the last part, a
// part memory no longer has taken away with its lines and the comments above them, and
// numparts when the count changed. On failure, why names the cause; the file on disk is
// then as it was.
SaveResult SavePartOffsets(const std::vector<OffsetValue>& values, std::string& why);

// The shortest decimal that the reader turns back into exactly this float.
std::string FormatOffset(float value);
