// The one way a save turns an edited key=value data file back into text. A file is kept
// as the reader saw it, line by line, each line tagged with the record that owns it and
// the key the reader applied there. A save says what changed, record by record, and the
// engine writes just that: every untouched line stays byte for byte (comments, blank
// lines, unknown keys, line ends, a last line without its end); a changed value is
// rewritten in its own line, keeping what the reader skips around it; a value its record
// has no line for goes after the record's last line, or at the file's end under lines
// that address the record again; a removed record takes its lines along; new lines go
// where they are asked. A line the reader reads in pieces (ReadInPieces) is never
// rewritten, removed or added after: the save is refused, naming it.
#pragma once
#include <string>
#include <vector>

// Which record owns a line: a kind of record the file's own save names (NO_RECORD for a
// line that belongs to none) and the record's id within that kind.
const int NO_RECORD = 0;
struct LineOwner {
    int kind = NO_RECORD;
    int id = 0;
    bool operator==(const LineOwner& other) const { return kind == other.kind && id == other.id; }
    bool operator!=(const LineOwner& other) const { return !(*this == other); }
};

struct TaggedLine {
    std::string text;  // without its end
    std::string end;   // "\n", "\r\n", or "" for a last line without one
    LineOwner owner;
    std::string key;  // the key the reader applied on the line; "" for none
    int note = -1;    // the file's own note on the line, an index of its save's choosing, carried along
};

// text's lines as the reader counts them, owned by no record yet.
std::vector<TaggedLine> UntaggedLines(const std::string& text);
std::string JoinLines(const std::vector<TaggedLine>& lines);

// The comment and blank lines right above line number `line` (from 1), as line numbers.
std::vector<int> NotesAbove(const std::vector<TaggedLine>& lines, int line);

// One save's changes. Line numbers count from 1 in the lines the edits are applied to.
class LineEdits {
public:
    // The record's value of key becomes value: in place in the last line of the record that
    // has that key; where there is none, a key=value line after the record's last line; where
    // the record has no line at all, at the file's end under header (written once for values
    // of one record that follow each other).
    // The added value line carries note.
    void Set(LineOwner record, const std::string& key, const std::string& value,
             const std::vector<TaggedLine>& header = {}, int note = -1);
    // Every line of the record with that key goes.
    void Drop(LineOwner record, const std::string& key);
    // The record's lines go, from its first to its last with whatever stands between them.
    void RemoveSpan(LineOwner record);
    // The lines go (with nothing around them).
    void RemoveLines(const std::vector<int>& numbers);
    // New lines after line `after` (0: before the first line), after the values Set adds
    // there, in the order asked; added lines take the file's line end.
    void AddAfter(int after, const std::vector<TaggedLine>& lines);
    // New lines after the record's last line.
    void AddAfterRecord(LineOwner record, const std::vector<TaggedLine>& lines);

    struct Value {
        LineOwner record;
        std::string key, value;
        std::vector<TaggedLine> header;
        bool drop;
        int note;
    };
    struct Addition {
        int after;       // a line number, or -1 for after a record's last line
        LineOwner record;
        std::vector<TaggedLine> lines;
    };
    std::vector<Value> values;
    std::vector<LineOwner> spans;
    std::vector<int> removed;
    std::vector<Addition> additions;
};

// The new lines, tags kept and given to what was added; false, with cutLine the first line
// read in pieces that the edits would touch, where they cannot be made.
bool ApplyLineEdits(const std::vector<TaggedLine>& lines, const LineEdits& edits, std::vector<TaggedLine>& result,
                    int& cutLine);
