#include "tools/json_writer.h"

#include <cmath>
#include <cstdio>

void JsonWriter::Separate()
{
    if (needComma_) text_ += ',';
    needComma_ = false;
}

void JsonWriter::BeginObject() { Separate(); text_ += '{'; }
void JsonWriter::EndObject() { text_ += '}'; needComma_ = true; }
void JsonWriter::BeginArray() { Separate(); text_ += '['; }
void JsonWriter::EndArray() { text_ += ']'; needComma_ = true; }

void JsonWriter::Key(const char* name)
{
    String(name);
    text_ += ':';
    needComma_ = false;
}

void JsonWriter::Int(int64_t value)
{
    Separate();
    text_ += std::to_string(value);
    needComma_ = true;
}

void JsonWriter::Float(double value)
{
    Separate();
    if (!std::isfinite(value)) {
        text_ += "null";
    } else {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.9g", value);
        text_ += buffer;
    }
    needComma_ = true;
}

void JsonWriter::Bool(bool value)
{
    Separate();
    text_ += value ? "true" : "false";
    needComma_ = true;
}

void JsonWriter::Null()
{
    Separate();
    text_ += "null";
    needComma_ = true;
}

void JsonWriter::String(const char* value)
{
    if (!value) {
        Null();
        return;
    }
    Separate();
    text_ += '"';
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(value); *p; ++p) {
        switch (*p) {
        case '"': text_ += "\\\""; break;
        case '\\': text_ += "\\\\"; break;
        case '\n': text_ += "\\n"; break;
        case '\r': text_ += "\\r"; break;
        case '\t': text_ += "\\t"; break;
        default:
            if (*p < 0x20 || *p >= 0x7f) {
                // Bytes outside ASCII are shown as their Latin-1 code point: the data
                // files are single-byte text of unknown encoding.
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", *p);
                text_ += buffer;
            } else {
                text_ += static_cast<char>(*p);
            }
        }
    }
    text_ += '"';
    needComma_ = true;
}
