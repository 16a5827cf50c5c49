// A small JSON reader for checking the runner's dumps: enough of the format for what the
// dump writer produces (objects, arrays, numbers, strings without escapes beyond the
// simple ones, true, false, null).
#pragma once
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum Kind { MISSING, NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT };
    Kind kind = MISSING;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // A member or item that is not there reads as a MISSING value, so chains never crash.
    const JsonValue& operator[](const std::string& name) const
    {
        for (const auto& member : members)
            if (member.first == name) return member.second;
        return Missing();
    }
    const JsonValue& operator[](size_t index) const { return index < items.size() ? items[index] : Missing(); }
    bool IsNull() const { return kind == NUL; }
    bool Has(const std::string& name) const { return (*this)[name].kind != MISSING; }
    size_t Size() const { return kind == ARRAY ? items.size() : members.size(); }

    static const JsonValue& Missing()
    {
        static const JsonValue missing;
        return missing;
    }
};

class JsonReader {
public:
    // Reads one whole document; false on anything malformed or trailing.
    static bool Parse(const std::string& text, JsonValue& out)
    {
        JsonReader reader(text);
        if (!reader.Value(out, 0)) return false;
        reader.Space();
        return reader.at_ == text.size();
    }

private:
    explicit JsonReader(const std::string& text) : text_(text) {}

    void Space()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }
    bool Word(const char* word)
    {
        const std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0) return false;
        at_ += w.size();
        return true;
    }
    bool String(std::string& out)
    {
        if (at_ >= text_.size() || text_[at_] != '"') return false;
        ++at_;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (c == '\\') {
                if (at_ >= text_.size()) return false;
                const char e = text_[at_++];
                c = e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
            }
            out += c;
        }
        if (at_ >= text_.size()) return false;
        ++at_;
        return true;
    }
    bool Value(JsonValue& out, int depth)
    {
        if (depth > 64) return false;
        Space();
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            out.kind = JsonValue::OBJECT;
            Space();
            if (at_ < text_.size() && text_[at_] == '}') return ++at_, true;
            for (;;) {
                Space();
                std::pair<std::string, JsonValue> member;
                if (!String(member.first)) return false;
                Space();
                if (at_ >= text_.size() || text_[at_++] != ':') return false;
                if (!Value(member.second, depth + 1)) return false;
                out.members.push_back(std::move(member));
                Space();
                if (at_ >= text_.size()) return false;
                if (text_[at_] == '}') return ++at_, true;
                if (text_[at_++] != ',') return false;
            }
        }
        if (c == '[') {
            ++at_;
            out.kind = JsonValue::ARRAY;
            Space();
            if (at_ < text_.size() && text_[at_] == ']') return ++at_, true;
            for (;;) {
                out.items.emplace_back();
                if (!Value(out.items.back(), depth + 1)) return false;
                Space();
                if (at_ >= text_.size()) return false;
                if (text_[at_] == ']') return ++at_, true;
                if (text_[at_++] != ',') return false;
            }
        }
        if (c == '"') {
            out.kind = JsonValue::STRING;
            return String(out.text);
        }
        if (Word("true")) return out.kind = JsonValue::BOOLEAN, out.boolean = true, true;
        if (Word("false")) return out.kind = JsonValue::BOOLEAN, out.boolean = false, true;
        if (Word("null")) return out.kind = JsonValue::NUL, true;
        const char* start = text_.c_str() + at_;
        char* end = nullptr;
        out.number = std::strtod(start, &end);
        if (end == start) return false;
        out.kind = JsonValue::NUMBER;
        at_ += static_cast<size_t>(end - start);
        return true;
    }

    const std::string& text_;
    size_t at_ = 0;
};
