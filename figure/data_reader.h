// The shared reader of the key=value data files, and the key tables its file readers
// are written as: each file's keys listed once, with what each one sets. A file's reader
// is a reading that keeps all of its state, so reading touches nothing but the reading:
// the loader, the checker and tools may each hold one without disturbing the game.
#pragma once
#include <cstring>
#include <string>

// Whether a line is a comment as the reader takes it: "//" after any leading "=".
bool OpensComment(const char* line);

// Told every key line with its number (from 1; a line read in pieces gives each piece the
// same number) and its value (null when the line has none), it answers whether it
// understood the key.
class DataFileReading {
public:
    virtual ~DataFileReading() = default;
    virtual bool Key(int line, const char* key, const char* value) = 0;
    // Told after Key, once the line is done with: whether Key understood it (a line it did
    // not is logged as well). What is parsed here is not the line's, so a value refused
    // here is not logged against it.
    virtual void Read(int /*line*/, const char* /*key*/, const char* /*value*/, bool /*understood*/) {}
};

// Reads fileName line by line into reading; logs doneLine at the end. A missing file is
// created empty, so that the next start finds something to edit.
int ReadDataFile(const char* fileName, DataFileReading& reading, const char* doneLine);
// Reads text as ReadDataFile reads a file holding it, logging nothing: a save reads back
// what it is about to write.
void ReadDataText(const std::string& text, DataFileReading& reading);

// Largest count (parts, points, frames, keys) a data file may ask for; more is refused.
const long MAX_DATA_COUNT = 4096;
// Most keys of all lists, or points of all parts, one file may ask for in all.
const long MAX_DATA_TOTAL = 65536;

// Value parsers shared by the file handlers.
long ParseInteger(const char* value);
double ParseReal(const char* value);
float ParseAngle(const char* value);
bool ParseFlag(const char* value);
// Splits at "," skipping empty items; stores at most maxItems; returns the count stored.
int ParseList(const char* value, long* items, int maxItems);

// Logs "key: why" for a line that was understood but could not be applied.
void LogRefusedKey(const char* key, const char* why);

// One key of a data file: it sets either the reading's own state (a count, which record
// the following lines address) or a field of the record those lines address.
template <typename Reading, typename Record>
struct DataKey {
    const char* name;
    void (*setReading)(Reading& reading, const char* value);
    void (*setRecord)(Record& record, const char* value);
};

// Applies one key line through a reading's table; false when the key is not in it. A line
// without a value is understood and does nothing; a record key while no record is
// addressed (null) is logged as "key: missing" and skipped.
template <typename Reading, typename Record, size_t N>
bool ApplyDataKey(const DataKey<Reading, Record> (&table)[N], Reading& reading, const char* key, const char* value,
                  Record* addressed, const char* missing)
{
    for (const DataKey<Reading, Record>& entry : table) {
        if (std::strcmp(entry.name, key) != 0) continue;
        if (!value) return true;
        if (entry.setReading) {
            entry.setReading(reading, value);
        } else if (Record* record = addressed) {
            entry.setRecord(*record, value);
        } else {
            LogRefusedKey(key, missing);
        }
        return true;
    }
    return false;
}
