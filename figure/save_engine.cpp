#include "figure/save_engine.h"

#include <map>

#include "figure/data_save.h"

namespace {

bool IsNote(const TaggedLine& line)
{
    if (line.owner.kind != NO_RECORD) return false;
    const size_t first = line.text.find_first_not_of(" \t");
    return first == std::string::npos || line.text.compare(first, 2, "//") == 0;
}

// Where each record's lines are.
struct RecordLines {
    std::vector<int> numbers;  // in file order
};

}  // namespace

std::vector<TaggedLine> UntaggedLines(const std::string& text)
{
    std::vector<TaggedLine> lines;
    for (const Line& line : SplitLines(text)) lines.push_back({line.text, line.end, LineOwner(), std::string(), -1});
    return lines;
}

std::string JoinLines(const std::vector<TaggedLine>& lines)
{
    std::string text;
    for (const TaggedLine& line : lines) text += line.text + line.end;
    return text;
}

std::vector<int> NotesAbove(const std::vector<TaggedLine>& lines, int line)
{
    std::vector<int> notes;
    for (int at = line - 1; at >= 1 && static_cast<size_t>(at) <= lines.size() && IsNote(lines[at - 1]); --at)
        notes.insert(notes.begin(), at);
    return notes;
}

void LineEdits::Set(LineOwner record, const std::string& key, const std::string& value,
                    const std::vector<TaggedLine>& header, int note)
{
    values.push_back({record, key, value, header, false, note});
}

void LineEdits::Drop(LineOwner record, const std::string& key)
{
    values.push_back({record, key, std::string(), {}, true, -1});
}

void LineEdits::RemoveSpan(LineOwner record)
{
    spans.push_back(record);
}

void LineEdits::RemoveLines(const std::vector<int>& numbers)
{
    removed.insert(removed.end(), numbers.begin(), numbers.end());
}

void LineEdits::AddAfter(int after, const std::vector<TaggedLine>& lines)
{
    additions.push_back({after, LineOwner(), lines});
}

void LineEdits::AddAfterRecord(LineOwner record, const std::vector<TaggedLine>& lines)
{
    additions.push_back({-1, record, lines});
}

bool ApplyLineEdits(const std::vector<TaggedLine>& lines, const LineEdits& edits, std::vector<TaggedLine>& result,
                    int& cutLine)
{
    const int count = static_cast<int>(lines.size());
    const std::string fileEnd = count > 0 && !lines[0].end.empty() ? lines[0].end : "\n";
    cutLine = 0;
    auto touch = [&](int number) {
        if (number >= 1 && number <= count && ReadInPieces(lines[number - 1].text) && (!cutLine || number < cutLine))
            cutLine = number;
    };

    std::map<std::pair<int, int>, RecordLines> records;
    for (int i = 1; i <= count; ++i) {
        const LineOwner& owner = lines[i - 1].owner;
        if (owner.kind != NO_RECORD) records[{owner.kind, owner.id}].numbers.push_back(i);
    }
    auto linesOf = [&](LineOwner owner) -> const std::vector<int>& {
        static const std::vector<int> none;
        auto found = records.find({owner.kind, owner.id});
        return found == records.end() ? none : found->second.numbers;
    };

    std::vector<TaggedLine> out = lines;
    std::vector<char> gone(count + 1, 0);
    auto remove = [&](int number) {
        if (number < 1 || number > count) return;
        touch(number);
        gone[number] = 1;
    };
    for (const LineOwner& owner : edits.spans) {
        const std::vector<int>& own = linesOf(owner);
        if (!own.empty())
            for (int i = own.front(); i <= own.back(); ++i) remove(i);
    }
    for (int number : edits.removed) remove(number);

    // What goes after a line: new values first, so a line above that chooses their record
    // still chooses them, then the lines asked for.
    std::map<int, std::vector<TaggedLine>> valuesAfter, addedAfter;
    std::vector<TaggedLine> atEnd;
    LineOwner atEndOwner;
    for (const LineEdits::Value& v : edits.values) {
        const std::vector<int>& own = linesOf(v.record);
        if (v.drop) {
            for (int i : own)
                if (lines[i - 1].key == v.key) remove(i);
            continue;
        }
        int line = 0;
        for (int i : own)
            if (lines[i - 1].key == v.key) line = i;
        if (line && !gone[line]) {
            std::string text = out[line - 1].text;
            if (ReplaceValue(text, v.key, v.value)) {
                touch(line);
                out[line - 1].text = text;
                continue;
            }
        }
        const TaggedLine added{v.key + "=" + v.value, fileEnd, v.record, v.key, v.note};
        if (!own.empty()) {
            touch(own.back());
            valuesAfter[own.back()].push_back(added);
            continue;
        }
        if (atEnd.empty() || atEndOwner != v.record) {
            for (TaggedLine header : v.header) {
                header.end = fileEnd;
                atEnd.push_back(header);
            }
            atEndOwner = v.record;
        }
        atEnd.push_back(added);
    }
    for (const LineEdits::Addition& a : edits.additions) {
        int after = a.after;
        if (after < 0) {
            const std::vector<int>& own = linesOf(a.record);
            after = own.empty() ? count : own.back();
        }
        if (after > count) after = count;
        touch(after);
        std::vector<TaggedLine>& to = addedAfter[after];
        for (TaggedLine line : a.lines) {
            line.end = fileEnd;
            to.push_back(line);
        }
    }

    result.clear();
    auto append = [&](const std::map<int, std::vector<TaggedLine>>& from, int after) {
        auto found = from.find(after);
        if (found != from.end()) result.insert(result.end(), found->second.begin(), found->second.end());
    };
    append(addedAfter, 0);
    for (int i = 1; i <= count; ++i) {
        if (!gone[i]) result.push_back(out[i - 1]);
        append(valuesAfter, i);
        append(addedAfter, i);
    }
    result.insert(result.end(), atEnd.begin(), atEnd.end());
    // Lines that are no longer last get an end; the last keeps the file's lack of one.
    const bool endless = count > 0 && lines.back().end.empty();
    for (size_t i = 0; i < result.size(); ++i) {
        const bool last = i + 1 == result.size();
        if (last && endless) result[i].end.clear();
        else if (result[i].end.empty()) result[i].end = fileEnd;
    }
    return cutLine == 0;
}
