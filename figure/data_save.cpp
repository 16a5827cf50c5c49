#include "figure/data_save.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/file_write.h"
#include "figure/data_reader.h"
#include "figure/records.h"

std::vector<Line> SplitLines(const std::string& text)
{
    std::vector<Line> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t feed = text.find('\n', at);
        if (feed == std::string::npos) {
            lines.push_back({text.substr(at), ""});
            break;
        }
        Line line{text.substr(at, feed - at), "\n"};
        // The reader takes CR LF as one line end, so a CR before the feed is the end's.
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = "\r\n";
        }
        lines.push_back(line);
        at = feed + 1;
    }
    return lines;
}

namespace {

// Read in one piece of the file's own size: a stream copied through a string stream
// takes several times the file in memory, and data folders may hold large files.
bool ReadFile(const char* name, std::string& text)
{
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return false;
    text.clear();
    char buffer[1 << 16];
    // Only a plain file's size means anything: a folder opens here and "ends" far away.
    std::error_code error;
    const auto size = std::filesystem::file_size(name, error);
    if (!error && std::filesystem::is_regular_file(name, error)) text.reserve(static_cast<size_t>(size));
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

}  // namespace

bool ReplaceValue(std::string& line, const std::string& key, const std::string& value)
{
    size_t start = line.find_first_not_of('=');
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) return false;
    size_t at = start + key.size();
    if (at >= line.size() || line[at] != '=') return false;
    while (at < line.size() && line[at] == '=') ++at;
    size_t end = line.find('=', at);
    if (end == std::string::npos) end = line.size();
    line.replace(at, end - at, value);
    return true;
}


std::string FileText(const char* name)
{
    std::string text;
    if (!ReadFile(name, text)) text.clear();
    return text;
}

std::string ShortestDecimal(float value)
{
    // Fixed point: "1e+01" reads back as 10 too, but it is not what an animator writes.
    const int MOST_DECIMALS = 9;
    char text[64];
    for (int decimals = 0; decimals <= MOST_DECIMALS; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
        if (static_cast<float>(ParseReal(text)) == value) return text;
    }
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

SaveResult WriteSavedText(const char* fileName, const std::string& known, const std::string& text, std::string& why)
{
    std::string onDisk;
    if (!ReadFile(fileName, onDisk) || onDisk != known) {
        why = std::string(fileName) + " changed on disk since it was read";
        return SaveResult::CHANGED_ON_DISK;
    }
    const std::string name = fileName;
    std::string cause;
    if (!WriteFileAtomically(name + ".bak", onDisk, cause)) {
        why = "cannot write " + name + ".bak: " + cause;
        return SaveResult::NOT_WRITTEN;
    }
    // A data file kept as a link stays one: the file it names takes the save.
    if (!WriteFileAtomically(WriteTarget(name), text, cause)) {
        why = "cannot write " + name + ": " + cause;
        return SaveResult::NOT_WRITTEN;
    }
    return SaveResult::SAVED;
}

bool ReadInPieces(const std::string& lineText)
{
    return lineText.size() > static_cast<size_t>(MAX_DATA_LINE - 1) && !OpensComment(lineText.c_str());
}

int FirstLineReadInPieces(const std::string& text)
{
    int number = 0;
    for (const Line& line : SplitLines(text)) {
        ++number;
        if (ReadInPieces(line.text)) return number;
    }
    return 0;
}

std::string LineInPiecesWhy(const char* fileName, int line)
{
    return std::string(fileName) + ":" + std::to_string(line) + " is longer than " +
           std::to_string(MAX_DATA_LINE - 1) +
           " characters, which the game reads as several lines; split it in a text editor to save here";
}

