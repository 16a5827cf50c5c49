// Feeds arbitrary text to the runner's script reader.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/replay/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<ScriptEvent> events;
    std::string error;
    const bool ok = ParseScript(std::string(reinterpret_cast<const char*>(data), size), events, error);
    // A refused script always says why; an accepted one has no reason to give.
    if (ok == !error.empty()) __builtin_trap();
    for (const ScriptEvent& e : events)
        if (e.pass < 0) __builtin_trap();
    return 0;
}
