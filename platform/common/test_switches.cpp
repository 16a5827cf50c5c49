// The switches tests and the runner use to force failures and pick the device back-end.
#include <stand_in.h>

#include <cstdlib>
#include <cstring>
#include <string>

static std::string g_failures;
static bool g_failuresSet = false;
static std::string g_backend;

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
