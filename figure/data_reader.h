// The shared reader of the key=value data files.
#pragma once

// Answers whether the key was recognised; value is null when the line has none.
typedef bool (*DataKeyHandler)(const char* key, const char* value);

// Reads fileName line by line, calling handler per key line; logs doneLine at the end.
int ReadDataFile(const char* fileName, DataKeyHandler handler, const char* doneLine);

// Largest count (parts, points, frames, keys) a data file may ask for; more is refused.
const long MAX_DATA_COUNT = 4096;

// Value parsers shared by the file handlers.
long ParseInteger(const char* value);
double ParseReal(const char* value);
float ParseAngle(const char* value);
bool ParseFlag(const char* value);
// Splits at "," skipping empty items; stores at most maxItems; returns the count stored.
int ParseList(const char* value, long* items, int maxItems);
