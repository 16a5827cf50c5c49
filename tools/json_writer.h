// A small streaming JSON writer for the runner's state dumps. Floats are written with
// 9 significant digits so that they read back exactly.
#pragma once
#include <cstdint>
#include <string>

class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // Names the next value inside an object.
    void Key(const char* name);
    void Int(int64_t value);
    void Float(double value);  // non-finite values are written as null
    void Bool(bool value);
    void String(const char* value);  // null writes null
    void Null();

    // Shorthands for one named member.
    void Member(const char* name, int64_t value) { Key(name); Int(value); }
    void Member(const char* name, int value) { Key(name); Int(value); }
    void Member(const char* name, unsigned int value) { Key(name); Int(value); }
    void Member(const char* name, float value) { Key(name); Float(value); }
    void Member(const char* name, const char* value) { Key(name); String(value); }
    void MemberBool(const char* name, bool value) { Key(name); Bool(value); }

    const std::string& Text() const { return text_; }

private:
    void Separate();
    std::string text_;
    bool needComma_ = false;
};
