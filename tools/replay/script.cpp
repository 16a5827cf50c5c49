#include "script.h"

#include <dinput.h>
#include <windows.h>

#include "common/gamepad.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

struct NamedKey {
    const char* name;
    int vk;
    int scan;  // its keyboard device code, which the message carries as its scan code
};

const NamedKey kNamedKeys[] = {
    {"SPACE", VK_SPACE, 0x39}, {"UP", VK_UP, 0xC8},     {"DOWN", VK_DOWN, 0xD0},
    {"LEFT", VK_LEFT, 0xCB},   {"RIGHT", VK_RIGHT, 0xCD}, {"TAB", VK_TAB, 0x0F},
    {"ESCAPE", VK_ESCAPE, 0x01}, {"F1", VK_F1, 0x3B},   {"F2", VK_F2, 0x3C},
    {"F3", VK_F3, 0x3D},       {"F4", VK_F4, 0x3E},     {"F5", VK_F5, 0x3F},
    {"F6", VK_F6, 0x40},       {"F7", VK_F7, 0x41},     {"F8", VK_F8, 0x42},
    {"F9", VK_F9, 0x43},       {"F10", VK_F10, 0x44},   {"F11", VK_F11, 0x57},
    {"F12", VK_F12, 0x58},     {"INSERT", VK_INSERT, DIK_INSERT}, {"DELETE", VK_DELETE, DIK_DELETE},
    {"RETURN", VK_RETURN, DIK_RETURN},
    {"CONTROL", VK_CONTROL, DIK_LCONTROL}, {"SHIFT", VK_SHIFT, DIK_LSHIFT},
};

bool ParseInteger(const std::string& word, long long low, long long high, long long& value)
{
    if (word.empty()) return false;
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const char* start = word.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(start, &end, hex ? 16 : 10);
    if (errno != 0 || end == start || *end != '\0') return false;
    return value >= low && value <= high;
}

bool ParseDecimal(const std::string& word, long long low, long long high, long long& value)
{
    if (word.size() > 1 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) return false;
    return ParseInteger(word, low, high, value);
}

// The key message as the platform sends it: repeat count 1, the scan code with its
// extended bit, and on release the previous-state and transition bits.
void SetKeyMessage(ScriptEvent& e, int vk, int scan, int down)
{
    uint32_t flags = 1u | (static_cast<uint32_t>(scan & 0x7F) << 16);
    if (scan & 0x80) flags |= 1u << 24;
    if (!down) flags |= (1u << 30) | (1u << 31);
    e.message = down ? WM_KEYDOWN : WM_KEYUP;
    e.wParam = static_cast<uintptr_t>(vk);
    e.lParam = static_cast<intptr_t>(flags);
}

// A key that both the keyboard device and the window see: the named keys, one letter
// (either case), one digit, PGDN, or the decimal virtual-key code of any of those. A
// single digit names the digit key, not a code.
bool PhysicalKey(const std::string& name, int& vk, int& dik)
{
    static const int kLetterDik[26] = {DIK_A, DIK_B, DIK_C, DIK_D, DIK_E, DIK_F, DIK_G, DIK_H, DIK_I,
                                       DIK_J, DIK_K, DIK_L, DIK_M, DIK_N, DIK_O, DIK_P, DIK_Q, DIK_R,
                                       DIK_S, DIK_T, DIK_U, DIK_V, DIK_W, DIK_X, DIK_Y, DIK_Z};
    static const int kDigitDik[10] = {DIK_0, DIK_1, DIK_2, DIK_3, DIK_4,
                                      DIK_5, DIK_6, DIK_7, DIK_8, DIK_9};
    // Virtual key first, then the code, so a decimal code can be matched against the same list.
    auto byVirtualKey = [&](int code) {
        for (const NamedKey& key : kNamedKeys) {
            if (key.vk == code) { vk = code; dik = key.scan; return true; }
        }
        if (code == VK_NEXT) { vk = code; dik = DIK_NEXT; return true; }
        if (code >= 'A' && code <= 'Z') { vk = code; dik = kLetterDik[code - 'A']; return true; }
        if (code >= '0' && code <= '9') { vk = code; dik = kDigitDik[code - '0']; return true; }
        return false;
    };
    for (const NamedKey& key : kNamedKeys) {
        if (name == key.name) return byVirtualKey(key.vk);
    }
    if (name == "PGDN") return byVirtualKey(VK_NEXT);
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') return byVirtualKey(name[0] - 'a' + 'A');
    if (name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
        return byVirtualKey(name[0]);
    long long code = 0;
    return ParseDecimal(name, 10, 254, code) && byVirtualKey(static_cast<int>(code));
}

// Pad buttons and axes by their names in scripts, in the order of PadButton and PadAxis.
const char* const kPadButtonNames[kPadButtonCount] = {"a", "b", "x", "y", "back", "start", "leftshoulder",
                                                      "rightshoulder", "dpup", "dpdown", "dpleft", "dpright"};
const char* const kPadAxisNames[kPadAxisCount] = {"leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"};

int PadIndex(const char* const* names, int count, const std::string& name)
{
    for (int i = 0; i < count; ++i) {
        if (name == names[i]) return i;
    }
    return -1;
}

bool ParseUpDown(const std::string& word, int& down)
{
    if (word == "down") { down = 1; return true; }
    if (word == "up") { down = 0; return true; }
    return false;
}

// One event from the words after the pass number; false with a reason when malformed.
bool ParseEvent(const std::vector<std::string>& w, ScriptEvent& e, std::string& why)
{
    const std::string& verb = w[1];
    const size_t n = w.size();
    long long v = 0, v2 = 0;
    if (verb == "key") {
        int down = 0;
        if (n != 4 || !ParseUpDown(w[2], down)) { why = "expected: key down|up NAME"; return false; }
        int vk = 0, scan = 0;
        for (const NamedKey& key : kNamedKeys) {
            if (w[3] == key.name) { vk = key.vk; scan = key.scan; }
        }
        if (!vk) {
            if (!ParseDecimal(w[3], 1, 254, v)) { why = "unknown key name: " + w[3]; return false; }
            vk = static_cast<int>(v);
        }
        e.kind = EventKind::Message;
        SetKeyMessage(e, vk, scan, down);
        return true;
    }
    if (verb == "press" || verb == "release") {
        int vk = 0, dik = 0;
        if (n != 3) { why = "expected: " + verb + " NAME"; return false; }
        if (!PhysicalKey(w[2], vk, dik)) { why = "no keyboard key of that name: " + w[2]; return false; }
        e.kind = EventKind::Key;
        e.a = dik;
        e.b = verb == "press";
        SetKeyMessage(e, vk, dik, e.b);
        return true;
    }
    if (verb == "char") {
        e.kind = EventKind::Message;
        e.message = WM_CHAR;
        e.lParam = 1;
        if (n == 3 && w[2].size() == 1 && w[2][0] > ' ' && w[2][0] < 0x7F) {
            e.wParam = static_cast<unsigned char>(w[2][0]);
            return true;
        }
        if (n == 4 && w[2] == "code" && ParseDecimal(w[3], 0, 255, v)) {
            e.wParam = static_cast<uintptr_t>(v);
            return true;
        }
        why = "expected: char C (one printable character) or char code N (0 to 255)";
        return false;
    }
    if (verb == "command") {
        if (n != 3 || !ParseDecimal(w[2], 0, 65535, v)) { why = "expected: command ID"; return false; }
        e.kind = EventKind::Message;
        e.message = WM_COMMAND;
        e.wParam = static_cast<uintptr_t>(v);
        return true;
    }
    if (verb == "close") {
        if (n != 2) { why = "expected: close"; return false; }
        e.kind = EventKind::Message;
        e.message = WM_CLOSE;
        return true;
    }
    if (verb == "dik") {
        int down = 0;
        if (n != 4 || !ParseUpDown(w[2], down) || !ParseInteger(w[3], 0, 255, v)) {
            why = "expected: dik down|up CODE (0 to 255, decimal or 0x hex)";
            return false;
        }
        e.kind = EventKind::Dik;
        e.a = static_cast<int>(v);
        e.b = down;
        return true;
    }
    if (verb == "mouse") {
        const long long big = 1000000;
        if (n == 5 && w[2] == "move" && ParseDecimal(w[3], -big, big, v) && ParseDecimal(w[4], -big, big, v2)) {
            e.kind = EventKind::MouseMove;
            e.a = static_cast<int>(v);
            e.b = static_cast<int>(v2);
            return true;
        }
        if (n == 4 && w[2] == "wheel" && ParseDecimal(w[3], -big, big, v)) {
            e.kind = EventKind::MouseWheel;
            e.a = static_cast<int>(v);
            return true;
        }
        int down = 0;
        if (n == 4 && ParseUpDown(w[2], down) && ParseDecimal(w[3], 0, 3, v)) {
            e.kind = EventKind::MouseButton;
            e.a = static_cast<int>(v);
            e.b = down;
            return true;
        }
        why = "expected: mouse move DX DY, mouse wheel D or mouse down|up BUTTON (0 to 3)";
        return false;
    }
    if (verb == "cursor") {
        const long long big = 1000000;
        if (n != 4 || !ParseDecimal(w[2], -big, big, v) || !ParseDecimal(w[3], -big, big, v2)) {
            why = "expected: cursor X Y";
            return false;
        }
        e.kind = EventKind::Cursor;
        e.a = static_cast<int>(v);
        e.b = static_cast<int>(v2);
        return true;
    }
    if (verb == "focus") {
        if (n != 3 || (w[2] != "lost" && w[2] != "gained")) { why = "expected: focus lost|gained"; return false; }
        e.kind = EventKind::Focus;
        e.a = w[2] == "gained";
        return true;
    }
    if (verb == "screenshot" || verb == "dump") {
        if (n != 3) { why = "expected: " + verb + " FILE"; return false; }
        e.kind = verb == "dump" ? EventKind::Dump : EventKind::Screenshot;
        e.file = w[2];
        return true;
    }
    if (verb == "copy") {
        if (n != 4) { why = "expected: copy SRC DST"; return false; }
        e.kind = EventKind::Copy;
        e.file = w[2];
        e.target = w[3];
        return true;
    }
    if (verb == "pad") {
        const int button = n == 5 ? PadIndex(kPadButtonNames, kPadButtonCount, w[3]) : -1;
        const int axis = n == 5 ? PadIndex(kPadAxisNames, kPadAxisCount, w[3]) : -1;
        int down = 0;
        if (n == 5 && w[2] == "button" && button >= 0 && ParseUpDown(w[4], down)) {
            e.kind = EventKind::PadButton;
            e.a = button;
            e.b = down;
            return true;
        }
        if (n == 5 && w[2] == "axis" && axis >= 0 && ParseDecimal(w[4], -32768, 32767, v)) {
            e.kind = EventKind::PadAxis;
            e.a = axis;
            e.b = static_cast<int>(v);
            return true;
        }
        if (n == 3 && w[2] == "removed") {
            e.kind = EventKind::PadRemoved;
            return true;
        }
        why = "expected: pad button NAME down|up, pad axis NAME VALUE (-32768 to 32767) or pad removed";
        return false;
    }
    why = "unknown event: " + verb;
    return false;
}

}  // namespace

bool ParseScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream wordStream(line);
        std::vector<std::string> words;
        std::string word;
        while (wordStream >> word) words.push_back(word);
        if (words.empty() || words[0][0] == '#') continue;

        ScriptEvent event = {};
        long long pass = 0;
        std::string why;
        if (!ParseDecimal(words[0], 0, 2000000000, pass)) {
            why = "the line must start with a pass number";
        } else if (words.size() < 2) {
            why = "an event is missing after the pass number";
        } else if (ParseEvent(words, event, why)) {
            event.pass = static_cast<int>(pass);
            events.push_back(event);
            continue;
        }
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    }
    return true;
}
