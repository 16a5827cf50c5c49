// Writing edited values back into a key=value data file the way an animator would by hand:
// only the values asked for change, a record whose value has no line gets one after its
// last line, and every other byte (comments, order, unknown keys, line ends) stays. The
// write is atomic, the previous file stays beside it as NAME.bak, and a file changed on
// disk since the game read it is never overwritten. The parts and animation saves share it.
#pragma once
#include <string>
#include <vector>

enum class SaveResult {
    SAVED,
    CHANGED_ON_DISK,  // the file is not what was read: nothing written
    NOT_WRITTEN,      // the file, its backup or the temporary could not be written
    REFUSED,          // the file's lines cannot take the change safely: nothing written
};

// One value to write. Line numbers count from 1 as the reader counts them; 0 is none.
struct ValueWrite {
    int record;                       // groups the writes of one record under one header
    int line;                         // in: the value's line; out: its line in the new text
    int lastLine;                     // the last line that addresses the record
    std::string key;
    std::string value;
    std::vector<std::string> header;  // lines that address the record again at the file's end
};

// The whole file as bytes; empty when it cannot be read.
std::string FileText(const char* name);

// Rewrites fileName, which must still hold known, with the writes; refused, with nothing
// written, where a line of the file is read in pieces (ReadInPieces). On success newText is
// what the file now holds and newNumber maps each old line number to its new one (so the
// caller can move what it remembers); on failure why names the cause and the file is as it was.
SaveResult SaveValues(const char* fileName, const std::string& known, std::vector<ValueWrite>& writes,
                      std::string& newText, std::vector<int>& newNumber, std::string& why);

// Where an old line is now: newNumber applied, 0 and out-of-range numbers kept.
int MovedLine(const std::vector<int>& newNumber, int line);

// The pieces the saves are made of, for a save that edits lines its own way.

// One line as the reader counts lines: its text, and the end it had ("\n", "\r\n", or
// nothing for a last line without one).
struct Line {
    std::string text;
    std::string end;
};
std::vector<Line> SplitLines(const std::string& text);
// Puts value in place of the value of a "key=value" line, keeping what the reader skips
// or ignores around it; false when the line is not that key's line after all.
bool ReplaceValue(std::string& line, const std::string& key, const std::string& value);
// The shortest decimal, without an exponent, that the reader turns back into exactly
// this float.
std::string ShortestDecimal(float value);
// Whether the reader reads this line (without its end) in pieces, each piece as a line of
// its own: a line longer than the reader's buffer that is not a comment (a comment's
// rest is never read). A save cannot rewrite such a line, or lean on the reader's notes
// about it, without changing what its other pieces say.
bool ReadInPieces(const std::string& lineText);
// The first line of text (from 1) read in pieces, or 0.
int FirstLineReadInPieces(const std::string& text);
// Why a save touching such a line of fileName is refused.
std::string LineInPiecesWhy(const char* fileName, int line);
// Writes text as fileName, which must still hold known: atomic, the old file kept as
// NAME.bak. On failure why names the cause and the file is as it was.
SaveResult WriteSavedText(const char* fileName, const std::string& known, const std::string& text, std::string& why);
