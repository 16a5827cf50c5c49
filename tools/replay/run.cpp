// The runner: the game's own start-up and main loop, headless, on a virtual clock, with the
// devices fed from a script, so a session can be reproduced exactly.
#include <stand_in.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/gamepad.h"
#include "tools/dump.h"
#include "tools/replay/replay.h"
#include "tools/replay/script.h"

namespace {

struct Run {
    std::vector<ScriptEvent> events;  // sorted by pass, script order kept within a pass
    size_t nextBefore = 0;
    size_t nextAfter = 0;
    bool failed = false;
    bool closePosted = false;
    uint32_t dtMs = 0;  // virtual time between passes, for the pad's held stick
};

// Set by SIGINT and SIGTERM. A handler may do no more than this: the pass loop turns it
// into a close of the window, so the run ends through the game's own shutdown.
volatile std::sig_atomic_t g_closeRequested = 0;

void RequestClose(int signalNumber)
{
    g_closeRequested = 1;
    // Should the game not close, a second signal ends the runner the hard way.
    std::signal(signalNumber, SIG_DFL);
}

// Whole bytes, written over the old file as an editor saving it would.
bool CopyWholeFile(const std::string& from, const std::string& to)
{
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

void BeforePass(int pass, void* user)
{
    Run& run = *static_cast<Run*>(user);
    if (g_closeRequested && !run.closePosted) {
        run.closePosted = true;
        PlatformPostWindowMessage(WM_CLOSE, 0, 0);
    }
    // The right stick aims for as long as it is held: the pass's share of that comes first.
    PlatformPadElapse(run.dtMs);
    PlatformInputState& input = PlatformInput();
    while (run.nextBefore < run.events.size() && run.events[run.nextBefore].pass <= pass) {
        const ScriptEvent& e = run.events[run.nextBefore++];
        switch (e.kind) {
        case EventKind::Message:
            PlatformPostWindowMessage(e.message, e.wParam, e.lParam);
            break;
        case EventKind::Dik:
            input.keys[e.a & 0xFF] = e.b ? 0x80 : 0;
            break;
        case EventKind::Key:
            input.keys[e.a & 0xFF] = e.b ? 0x80 : 0;
            PlatformPostWindowMessage(e.message, e.wParam, e.lParam);
            break;
        case EventKind::MouseMove:
            input.mouseDX += e.a;
            input.mouseDY += e.b;
            break;
        case EventKind::MouseWheel:
            input.mouseWheel += e.a;
            break;
        case EventKind::MouseButton:
            input.buttons[e.a & 3] = e.b ? 0x80 : 0;
            break;
        case EventKind::Cursor:
            input.cursorX = e.a;
            input.cursorY = e.b;
            break;
        case EventKind::Focus:
            if (e.a) {
                input.foreground = true;
                PlatformPostWindowMessage(WM_ACTIVATE, WA_ACTIVE, 0);
                PlatformPostWindowMessage(WM_SETFOCUS, 0, 0);
            } else {
                input.foreground = false;
                PlatformResetInput();
                PlatformPostWindowMessage(WM_ACTIVATE, WA_INACTIVE, 0);
                PlatformPostWindowMessage(WM_KILLFOCUS, 0, 0);
            }
            break;
        case EventKind::Copy:
            if (!CopyWholeFile(e.file, e.target)) {
                std::fprintf(stderr, "vantrel-replay: pass %d: %s not copied to %s\n", pass, e.file.c_str(),
                             e.target.c_str());
                run.failed = true;
            }
            break;
        case EventKind::PadButton:
            PlatformPadButton(static_cast<PadButton>(e.a), e.b != 0);
            break;
        case EventKind::PadAxis:
            PlatformPadAxis(static_cast<PadAxis>(e.a), e.b);
            break;
        case EventKind::PadRemoved:
            PlatformPadRemoved();
            break;
        case EventKind::Screenshot:
        case EventKind::Dump:
            break;
        }
    }
}

void AfterPass(int pass, void* user)
{
    Run& run = *static_cast<Run*>(user);
    while (run.nextAfter < run.events.size() && run.events[run.nextAfter].pass <= pass) {
        const ScriptEvent& e = run.events[run.nextAfter++];
        if (e.kind == EventKind::Screenshot) {
            if (!PlatformScreenshot(e.file.c_str())) {
                std::fprintf(stderr, "vantrel-replay: pass %d: screenshot %s not written\n", pass,
                             e.file.c_str());
                run.failed = true;
            }
        } else if (e.kind == EventKind::Dump) {
            std::ofstream out(e.file, std::ios::out | std::ios::trunc);
            out << DumpState(pass, GetTickCount()) << '\n';
            if (!out) {
                std::fprintf(stderr, "vantrel-replay: pass %d: dump %s not written\n", pass,
                             e.file.c_str());
                run.failed = true;
            }
        }
    }
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: vantrel-replay [--frames N] [--dt-ms MS] [--start-tick T] "
                 "[--cmdline TEXT] SCRIPT\n");
    return 2;
}

bool ParseNumber(const char* text, long long low, long long high, long long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int ReplayMain(int argc, char** argv)
{
    long long frames = -1;
    long long dtMs = 16;
    long long startTick = 0;
    std::string commandLine;
    const char* scriptPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 2000000000, frames)) return Usage();
        } else if (arg == "--dt-ms" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 4294967295LL, dtMs)) return Usage();
        } else if (arg == "--start-tick" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 4294967295LL, startTick)) return Usage();
        } else if (arg == "--cmdline" && hasValue) {
            commandLine = argv[++i];
        } else if (!scriptPath && (arg.empty() || arg[0] != '-')) {
            scriptPath = argv[i];
        } else {
            return Usage();
        }
    }
    if (!scriptPath) return Usage();

    std::ifstream file(scriptPath, std::ios::in | std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vantrel-replay: cannot read %s\n", scriptPath);
        return 2;
    }
    std::ostringstream text;
    text << file.rdbuf();

    Run run;
    run.dtMs = static_cast<uint32_t>(dtMs);
    std::string error;
    if (!ParseScript(text.str(), run.events, error)) {
        std::fprintf(stderr, "vantrel-replay: %s: %s\n", scriptPath, error.c_str());
        return 2;
    }
    std::stable_sort(run.events.begin(), run.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.pass < b.pass; });

#ifndef __EMSCRIPTEN__
    // No display is needed or used unless the caller chose a video driver. A page has one.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
#endif

    // Nothing here reads the in-memory device's call record, and long runs would fill it.
    PlatformRecordDeviceCalls(false);

    PlatformScript script = {};
    script.startTick = static_cast<uint32_t>(startTick);
    script.dtMs = static_cast<uint32_t>(dtMs);
    script.frames = static_cast<int>(frames);
    script.beforePass = BeforePass;
    script.afterPass = AfterPass;
    script.user = &run;
    PlatformBeginScript(script);

    // Without --frames nothing else ends a run whose script never quits.
    std::signal(SIGINT, RequestClose);
    std::signal(SIGTERM, RequestClose);

    const int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
    PlatformEndScript();
    if (run.failed && exitCode == 0) return 3;
    return exitCode;
}
