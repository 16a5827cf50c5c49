// The shared reader of the key=value data files.
#pragma once

// Answers whether the key was recognised; value is null when the line has none.
typedef bool (*DataKeyHandler)(const char* key, const char* value);

// Reads fileName line by line, calling handler per key line; logs doneLine at the end.
int ReadDataFile(const char* fileName, DataKeyHandler handler, const char* doneLine);

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
