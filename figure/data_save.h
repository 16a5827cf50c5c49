// What every save of a key=value data file shares: the file's lines as the reader counts
// them, a value put into its line, numbers as an animator writes them, the lines the
// reader reads in pieces, and the write itself: atomic, the previous file beside it as
// NAME.bak, never over a file changed on disk since the game read it. What a save writes
// is worked out by the save engine (figure/save_engine.h).
#pragma once
#include <memory>
#include <string>
#include <vector>

enum class SaveResult {
    SAVED,
    CHANGED_ON_DISK,  // the file is not what was read: nothing written
    NOT_WRITTEN,      // the file, its backup or the temporary could not be written
    REFUSED,          // the file's lines cannot take the change safely: nothing written
};

// The whole file as bytes; empty when it cannot be read.
std::string FileText(const char* name);

// The pieces the saves are made of.

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

// A file's record keeps its first reading (asRead) once a save writes over it, so a save
// that finds the document back to what the file gave can write the file as read, byte
// for byte, rather than in the save's own spelling. Record has text and asRead.
template <typename Record>
void KeepFirstReading(Record& record)
{
    if (!record.asRead) record.asRead = std::make_shared<const Record>(record);
}
// Writes record.asRead's text as fileName (nothing where the file already holds it) and
// makes record that reading again; on failure why names the cause and record is as it was.
template <typename Record>
SaveResult WriteFirstReading(Record& record, const char* fileName, std::string& why)
{
    const std::shared_ptr<const Record> asRead = record.asRead;
    if (record.text != asRead->text) {
        const SaveResult result = WriteSavedText(fileName, record.text, asRead->text, why);
        if (result != SaveResult::SAVED) return result;
    }
    record = *asRead;
    record.asRead = asRead;
    return SaveResult::SAVED;
}
