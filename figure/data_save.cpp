#include "figure/data_save.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

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

namespace {

// The new text: values whose line is there change in place; the others get a line after
// their record's last one (after 0: at the end, where the header addresses the record first).
std::string Rewrite(const std::string& known, std::vector<ValueWrite>& writes, std::vector<int>& newNumber)
{
    std::vector<Line> lines = SplitLines(known);
    struct Added {
        int write;  // -1: a header line
        std::string text;
    };
    std::map<int, std::vector<Added>> added;
    std::map<int, int> headerOwner;  // the record whose header the at-end list shows last
    for (size_t w = 0; w < writes.size(); ++w) {
        ValueWrite& v = writes[w];
        if (v.line > 0 && static_cast<size_t>(v.line) <= lines.size() &&
            ReplaceValue(lines[v.line - 1].text, v.key, v.value)) {
            continue;
        }
        v.line = 0;  // a line that is not the key's after all (a cut line) is left alone
        const int after = static_cast<size_t>(v.lastLine) <= lines.size() ? v.lastLine : 0;
        std::vector<Added>& list = added[after];
        if (after == 0 && (list.empty() || headerOwner[0] != v.record)) {
            headerOwner[0] = v.record;
            for (const std::string& header : v.header) list.push_back({-1, header});
        }
        list.push_back({static_cast<int>(w), v.key + "=" + v.value});
    }

    const std::string fileEnd = !lines.empty() && !lines[0].end.empty() ? lines[0].end : "\n";
    std::vector<Line> out;
    newNumber.assign(lines.size() + 1, 0);
    auto addAfter = [&](int after) {
        auto found = added.find(after);
        if (found == added.end()) return;
        // A file without an end on its last line keeps having none.
        const bool noEnd = !out.empty() && out.back().end.empty();
        if (noEnd) out.back().end = fileEnd;
        for (const Added& a : found->second) {
            out.push_back({a.text, fileEnd});
            if (a.write >= 0) writes[a.write].line = static_cast<int>(out.size());
        }
        if (noEnd) out.back().end.clear();
    };
    // Lines that keep their place are numbered before any added line gets its number.
    std::vector<int> keptWrites;
    for (size_t w = 0; w < writes.size(); ++w)
        if (writes[w].line > 0) keptWrites.push_back(static_cast<int>(w));
    std::vector<int> keptOld;
    for (int w : keptWrites) keptOld.push_back(writes[w].line);
    for (size_t i = 0; i < lines.size(); ++i) {
        out.push_back(lines[i]);
        newNumber[i + 1] = static_cast<int>(out.size());
        if (i + 1 < lines.size()) addAfter(static_cast<int>(i + 1));
    }
    // What goes after the last line and what goes at the end land together, in that order.
    if (!lines.empty() && added.count(static_cast<int>(lines.size()))) {
        std::vector<Added>& last = added[static_cast<int>(lines.size())];
        std::vector<Added>& atEnd = added[0];
        last.insert(last.end(), atEnd.begin(), atEnd.end());
        added.erase(0);
        addAfter(static_cast<int>(lines.size()));
    } else {
        addAfter(0);
    }
    for (size_t k = 0; k < keptWrites.size(); ++k) writes[keptWrites[k]].line = newNumber[keptOld[k]];

    std::string text;
    for (const Line& line : out) text += line.text + line.end;
    return text;
}

}  // namespace

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
    if (lineText.size() <= static_cast<size_t>(MAX_DATA_LINE - 1)) return false;
    const size_t start = lineText.find_first_not_of('=');
    return start == std::string::npos || lineText.compare(start, 2, "//") != 0;
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

SaveResult SaveValues(const char* fileName, const std::string& known, std::vector<ValueWrite>& writes,
                      std::string& newText, std::vector<int>& newNumber, std::string& why)
{
    // Which record a piece of such a line addresses, and where its value lies, is not known
    // line by line, so no line of the file is safe to rewrite or to add after.
    if (const int cut = FirstLineReadInPieces(known)) {
        why = LineInPiecesWhy(fileName, cut);
        return SaveResult::REFUSED;
    }
    const std::string text = Rewrite(known, writes, newNumber);
    const SaveResult result = WriteSavedText(fileName, known, text, why);
    if (result == SaveResult::SAVED) newText = text;
    return result;
}

int MovedLine(const std::vector<int>& newNumber, int line)
{
    return line > 0 && static_cast<size_t>(line) < newNumber.size() ? newNumber[line] : line;
}
