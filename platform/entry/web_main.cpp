// The browser page's process entry. The page packs the bundled data where an installed
// game keeps it (PREFIX/share/vantrel, PREFIX being /usr), keeps the player's folder in the
// browser's persistent storage, and then runs the game there as main.cpp does. Opened with
// `--replay ARGS...` (the page's replay parameter), it runs the runner on the bundled data
// instead, so a page and the desktop runner can be compared pass for pass.
#include <emscripten.h>
#include <windows.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/replay/replay.h"
#include "user_data.h"

namespace {

// The program's place in the page's file system; the data beside it is /usr/share/vantrel.
const char kWebExecutable[] = "/usr/bin/vantrel";
// How often the player's folder is written back to the browser's storage, at the most.
const int kPersistEveryMs = 1000;

// Mounts the browser's storage on the player's folder and reads what it holds; 0 when
// storage is unavailable (a private window, say): the game then runs, its saves kept only
// until the page closes. Afterwards the folder is written back now and then, and when the
// page is hidden or left, so an editor's save outlives a reload.
EM_ASYNC_JS(int, MountPlayerFolder, (const char* folderText, int persistEveryMs), {
    const folder = UTF8ToString(folderText);
    try {
        FS.mkdirTree(folder);
        FS.mount(IDBFS, {}, folder);
    } catch (e) {
        err("vantrel: no persistent storage for " + folder + ": " + e);
        return 0;
    }
    const loaded = await new Promise((resolve) => FS.syncfs(true, (e) => resolve(!e)));
    let busy = false;
    const persist = () => {
        if (busy) return;
        busy = true;
        FS.syncfs(false, (e) => {
            busy = false;
            if (e) err("vantrel: saving to the browser's storage failed: " + e);
        });
    };
    setInterval(persist, persistEveryMs);
    addEventListener("pagehide", persist);
    document.addEventListener("visibilitychange", persist);
    Module["persistPlayerFolder"] = persist;
    return loaded ? 1 : 0;
});

// Tells the page the program has ended, with its exit code.
EM_JS(void, ReportEnded, (int code), {
    if (Module["onEnded"]) Module["onEnded"](code);
});

int RunGame()
{
    const std::string folder = UserDataFolder();
    if (folder.empty() || !MountPlayerFolder(folder.c_str(), kPersistEveryMs))
        std::fprintf(stderr, "vantrel: edits will not outlive this page\n");
    const DataFolderChoice data = EnterDataFolder(kWebExecutable);
    if (!data.ok) {
        std::fprintf(stderr, "vantrel: %s\n", data.message.c_str());
        return 1;
    }
    char noArguments[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT);
}

}  // namespace

int main(int argc, char** argv)
{
    // The page's canvas is the window: the game's size, scaled by the page.
    setenv("VANTREL_WINDOWED", "1", 1);
    int code = 0;
    if (argc > 1 && std::strcmp(argv[1], "--replay") == 0) {
        // The bundled data as it is, in memory: a replay neither reads nor changes saves.
        const std::string installed = InstalledDataFolder(kWebExecutable);
        if (chdir(installed.c_str()) != 0) {
            std::fprintf(stderr, "vantrel: no data in %s\n", installed.c_str());
            code = 1;
        } else {
            argv[1] = argv[0];
            code = ReplayMain(argc - 1, argv + 1);
        }
    } else {
        code = RunGame();
    }
    ReportEnded(code);
    return code;
}
