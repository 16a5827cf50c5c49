// The shared reader of the key=value data files, and the key tables its file readers
// are written as: each file's keys listed once, with what each one sets.
#pragma once
#include <cstring>

// Answers whether the key was recognised; value is null when the line has none.
typedef bool (*DataKeyHandler)(const char* key, const char* value);

// Whether a line is a comment as the reader takes it: "//" after any leading "=".
bool OpensComment(const char* line);

// Reads fileName line by line, calling handler per key line; logs doneLine at the end.
int ReadDataFile(const char* fileName, DataKeyHandler handler, const char* doneLine);

// A reading that keeps its own state, so that it needs no file-static pointer to find it
// and no observer to hear of lines it did not understand: told every key line with its
// number, it answers whether it understood the key.
class DataFileReading {
public:
    virtual ~DataFileReading() = default;
    virtual bool Key(int line, const char* key, const char* value) = 0;
    // A key line Key did not understand (it is logged as well).
    virtual void NotUnderstood(int line, const char* key) = 0;
};
int ReadDataFile(const char* fileName, DataFileReading& reading, const char* doneLine);

// The number (from 1) of the line whose key is being handled; 0 outside a read. Lets a
// handler remember where a value came from.
int CurrentDataLine();

// Sees every key line after its handler: the line's number in the file (from 1), the
// key, the value (null when absent) and whether the handler recognised the key. For
// tools that check data files; null (the default) turns it off.
typedef void (*DataLineObserver)(int lineNumber, const char* key, const char* value, bool recognised);
void SetDataLineObserver(DataLineObserver observer);

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

// One key of a data file: it sets either the reader's own state (a count, which record
// the following lines address) or a field of the record those lines address.
template <typename Record>
struct DataKey {
    const char* name;
    void (*setFile)(const char* value);
    void (*setRecord)(Record& record, const char* value);
};

// Applies one key line through a reader's table; false when the key is not in it. A line
// without a value is understood and does nothing; a record key while no record is
// addressed is logged as "key: missing" and skipped.
template <typename Record, size_t N>
bool ApplyDataKey(const DataKey<Record> (&table)[N], const char* key, const char* value, Record* (*addressed)(),
                  const char* missing)
{
    for (const DataKey<Record>& entry : table) {
        if (std::strcmp(entry.name, key) != 0) continue;
        if (!value) return true;
        if (entry.setFile) {
            entry.setFile(value);
        } else if (Record* record = addressed()) {
            entry.setRecord(*record, value);
        } else {
            LogRefusedKey(key, missing);
        }
        return true;
    }
    return false;
}
