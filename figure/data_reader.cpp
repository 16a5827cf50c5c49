#include "figure/data_reader.h"

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "figure/records.h"
#include "base/log.h"

namespace {

// The key whose handler is running, so a refused value can be named; null outside a read,
// where tools and tests parse values of their own and nothing is logged.
const char* s_currentKey = nullptr;

// Where the lines come from: a file, or a text held in memory (a save reading back what
// it is about to write).
struct LineSource {
    FILE* file = nullptr;
    const std::string* text = nullptr;
    size_t at = 0;

    int Get()
    {
        if (file) return std::getc(file);
        return at < text->size() ? static_cast<unsigned char>((*text)[at++]) : EOF;
    }
    void Unget(int c)
    {
        if (file) std::ungetc(c, file);
        else --at;
    }
    bool Done() const { return file ? std::feof(file) || std::ferror(file) : at >= text->size(); }
};

// Reads one character the way a text-mode stream on the game's home platform does:
// a CR LF pair arrives as a single LF, so files saved there read the same here.
int GetTextChar(LineSource& source)
{
    int c = source.Get();
    if (c != '\r') return c;
    int next = source.Get();
    if (next == '\n') return '\n';
    if (next != EOF) source.Unget(next);
    return '\r';
}

// Fills line with at most MAX_DATA_LINE - 1 characters up to the next line feed,
// which is consumed (endsLine tells). Returns false when nothing was left to read.
bool ReadLine(LineSource& source, char* line, bool& endsLine)
{
    endsLine = false;
    int length = 0;
    bool readSomething = false;
    while (length < MAX_DATA_LINE - 1) {
        int c = GetTextChar(source);
        if (c == EOF) break;
        readSomething = true;
        if (c == '\n') {
            endsLine = true;
            break;
        }
        line[length++] = static_cast<char>(c);
    }
    line[length] = '\0';
    return readSomething;
}

FILE* OpenOrCreate(const char* fileName)
{
    if (FILE* file = std::fopen(fileName, "r")) return file;
    // Missing files are created empty so that the next start finds something to edit.
    return std::fopen(fileName, "a+");
}

void HandleLine(char* line, int lineNumber, DataFileReading& reading, bool logUnknown)
{
    char* p = line;
    while (*p == '=') ++p;
    if (*p == '\0') return;
    char* key = p;
    while (*p != '\0' && *p != '=') ++p;
    char* keyEnd = p;
    if (keyEnd - key >= 2 && key[0] == '/' && key[1] == '/') return;

    const char* value = nullptr;
    if (*p == '=') {
        ++p;
        while (*p == '=') ++p;
        char* start = p;
        while (*p != '\0' && *p != '=') ++p;
        *p = '\0';
        if (*start != '\0') value = start;
    }
    *keyEnd = '\0';

    s_currentKey = key;
    const bool recognised = reading.Key(lineNumber, key, value);
    s_currentKey = nullptr;
    if (!recognised && logUnknown) WriteLog(line);  // from the line's start: "=abc" logs as written
    reading.Read(lineNumber, key, value, recognised);
}

void ReadLines(LineSource& source, DataFileReading& reading, bool logUnknown)
{
    char line[MAX_DATA_LINE];
    int lineNumber = 1;  // where the piece now read began; a cut line keeps its number
    bool continued = false;  // the piece read is the rest of a line cut at the buffer
    bool comment = false;    // the line the piece belongs to opened as a comment
    // A read error ends the file as the end would; a stream in error never reaches it.
    while (!source.Done()) {
        bool endsLine = false;
        if (!ReadLine(source, line, endsLine)) break;
        // A long line is still read in pieces, each a line of its own, as files have
        // always been read; but the rest of a long comment is the comment's, never keys.
        if (!continued) comment = OpensComment(line);
        if (line[0] != '\0' && !comment) HandleLine(line, lineNumber, reading, logUnknown);
        continued = !endsLine;
        if (endsLine) ++lineNumber;
    }
}

}  // namespace

int ReadDataFile(const char* fileName, DataFileReading& reading, const char* doneLine)
{
    LineSource source;
    source.file = fileName ? OpenOrCreate(fileName) : nullptr;
    if (source.file) {
        ReadLines(source, reading, true);
        std::fclose(source.file);
    }
    if (doneLine) WriteLog(doneLine);
    return 0;
}

void ReadDataText(const std::string& text, DataFileReading& reading)
{
    LineSource source;
    source.text = &text;
    ReadLines(source, reading, false);
}

bool OpensComment(const char* line)
{
    while (*line == '=') ++line;
    return line[0] == '/' && line[1] == '/';
}

void LogRefusedKey(const char* key, const char* why)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s: %s", key, why);
    WriteLog(text);
}

namespace {

void LogRefusedValue(const char* why)
{
    if (!s_currentKey) return;
    char text[160];
    std::snprintf(text, sizeof text, "%s: %s", s_currentKey, why);
    WriteLog(text);
}

// Whether the value opens with a decimal number: blanks, a sign, then a digit (or, where a
// fraction may follow, a point and a digit). What comes after the number is ignored, as
// it always was; "nan", "inf" and hexadecimal ("0x...") are not decimal numbers.
bool OpensWithDecimal(const char* value, bool point)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(value);
    while (std::isspace(*p)) ++p;
    if (*p == '+' || *p == '-') ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return false;
    if (point && *p == '.') ++p;
    return std::isdigit(*p) != 0;
}

}  // namespace

long ParseInteger(const char* value)
{
    if (!value) return 0;
    // Read as before (as 0, since base 10 stops at the "x" or the first letter), but said.
    if (!OpensWithDecimal(value, false)) LogRefusedValue("not a decimal number");
    long result = std::strtol(value, nullptr, 10);
    // The data was written for a 32-bit long: out-of-range numbers saturate there.
    if (result > INT_MAX) return INT_MAX;
    if (result < INT_MIN) return INT_MIN;
    return result;
}

double ParseReal(const char* value)
{
    if (!value) return 0.0;
    // A refused value reads as 0, the value every real field of the files starts from. An
    // offset of nan or a bound of inf would make an image vanish or a slot drift for ever,
    // and every real lands in a float, so more than a float holds is refused too.
    if (!OpensWithDecimal(value, true)) {
        LogRefusedValue("not a finite decimal number");
        return 0.0;
    }
    const double result = std::strtod(value, nullptr);
    if (!(std::fabs(result) <= FLT_MAX)) {
        LogRefusedValue("out of range");
        return 0.0;
    }
    return result;
}

float ParseAngle(const char* value)
{
    return static_cast<float>(ParseInteger(value));
}

bool ParseFlag(const char* value)
{
    return ParseInteger(value) != 0;
}

int ParseList(const char* value, long* items, int maxItems)
{
    if (!value || !items) return 0;
    int count = 0;
    const char* p = value;
    while (*p != '\0' && count < maxItems) {
        if (*p == ',') {
            ++p;
            continue;
        }
        const char* end = std::strchr(p, ',');
        std::string item = end ? std::string(p, end) : std::string(p);
        items[count++] = ParseInteger(item.c_str());
        if (!end) break;
        p = end + 1;
    }
    return count;
}
