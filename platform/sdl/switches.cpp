// The stand-in's shared input state and its test switches.
#include <stand_in.h>

#include <cstdlib>
#include <cstring>
#include <string>

static PlatformInputState g_platformInput = {};
static std::string g_failures;
static bool g_failuresSet = false;
static std::string g_backend;

PlatformInputState& PlatformInput() { return g_platformInput; }

void PlatformResetInput()
{
    const bool foreground = g_platformInput.foreground;
    const int32_t cursorX = g_platformInput.cursorX;
    const int32_t cursorY = g_platformInput.cursorY;
    g_platformInput = {};
    g_platformInput.foreground = foreground;
    g_platformInput.cursorX = cursorX;
    g_platformInput.cursorY = cursorY;
}

void PlatformSetFailures(const char* commaList)
{
    g_failures = commaList ? commaList : "";
    g_failuresSet = commaList != nullptr;
}

bool PlatformFailureRequested(const char* what)
{
    std::string list = g_failures;
    if (!g_failuresSet) {
        const char* env = std::getenv("VANTREL_FAIL");
        list = env ? env : "";
    }
    const size_t length = std::strlen(what);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (end - start == length && list.compare(start, length, what) == 0) return true;
        start = end + 1;
    }
    return false;
}

void PlatformSetDeviceBackend(const char* name) { g_backend = name ? name : ""; }

const char* PlatformDeviceBackend()
{
    if (!g_backend.empty()) return g_backend.c_str();
    const char* env = std::getenv("VANTREL_D3D");
    return env && *env ? env : "opengl";
}
