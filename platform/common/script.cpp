// The scripted mode shared by the stand-in and the platform's own build.
#include "common/script.h"

#include <cstdint>
#include <cstring>

namespace {

bool g_scripted = false;
PlatformScript g_script = {};
int g_pass = -1;
bool g_afterPassDone = true;

// The after-pass hook runs once per pass, whether the next pass or the shutdown ends it.
void FinishPass()
{
    if (g_pass >= 0 && !g_afterPassDone && g_script.afterPass) g_script.afterPass(g_pass, g_script.user);
    g_afterPassDone = true;
}

}  // namespace

bool ScriptBeginPass(LPMSG msg, void (*dropSystemInput)())
{
    FinishPass();
    ++g_pass;
    g_afterPassDone = false;
    // The devices are the script's: whatever the system reports is dropped.
    if (dropSystemInput) dropSystemInput();
    if (g_script.frames >= 0 && g_pass >= g_script.frames) {
        std::memset(msg, 0, sizeof *msg);
        msg->message = WM_QUIT;
        msg->time = ScriptTickCount();
        return true;
    }
    if (g_script.beforePass) g_script.beforePass(g_pass, g_script.user);
    return false;
}

DWORD ScriptTickCount()
{
    // Unsigned arithmetic wraps exactly as the 32-bit counter does.
    return g_script.startTick + static_cast<uint32_t>(g_pass + 1) * g_script.dtMs;
}

void PlatformBeginScript(const PlatformScript& script)
{
    g_scripted = true;
    g_script = script;
    g_pass = -1;
    g_afterPassDone = true;
    ScriptStarting();
    PlatformResetInput();
}

bool PlatformScripted() { return g_scripted; }

int PlatformCurrentPass() { return g_pass; }

void PlatformEndScript()
{
    if (!g_scripted) return;
    FinishPass();
}
