// The browser page's process entry. The page packs the bundled data where an installed
// game keeps it (PREFIX/share/vantrel, PREFIX being /usr), keeps the player's folder in the
// browser's persistent storage, and then runs the game there as main.cpp does. Opened with
// `--replay ARGS...` (the page's replay parameter), it runs the runner on the bundled data
// instead, so a page and the desktop runner can be compared pass for pass. Opened with
// `--folder PATH` (a shared set the page unpacked there), it runs the game in PATH, filled
// from the bundled data where the set has no file of its own, kept only in the page.
// Either way the page is told which folders to work on (tools/web/data.js).
#include <emscripten.h>
#include <windows.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/replay/replay.h"
#include "user_data.h"

namespace fs = std::filesystem;

namespace {

// The program's place in the page's file system; the data beside it is /usr/share/vantrel.
const char kWebExecutable[] = "/usr/bin/vantrel";
// How often the stored folders are written back to the browser's storage, at the most.
const int kPersistEveryMs = 1000;
// Beside the player's folder: the copies "Reset to the bundled data" keeps of what it
// replaced. A folder of its own, so the game's folder holds only the game's files.
const char kKeptSuffix[] = "-replaced";

// Puts a folder under the browser's persistent storage; false when there is none (a private
// window, say).
EM_JS(int, StoreFolder, (const char* folderText), {
    const folder = UTF8ToString(folderText);
    try {
        FS.mkdirTree(folder);
        FS.mount(IDBFS, {}, folder);
        return 1;
    } catch (e) {
        err("vantrel: no persistent storage for " + folder + ": " + e);
        return 0;
    }
});

// Reads back what the stored folders hold; 0 when that failed. Afterwards they are written
// back now and then, and when the page is hidden or left, so an editor's save outlives a
// reload; the page writes them back at once after it changed them itself.
EM_ASYNC_JS(int, LoadStoredFolders, (int persistEveryMs), {
    const loaded = await new Promise((resolve) => FS.syncfs(true, (e) => resolve(!e)));
    // What could not be read must not be overwritten by the fresh copy the game would make.
    if (!loaded) return 0;
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
    return 1;
});

// The page's buttons work on these folders from now on.
EM_JS(void, AnnounceFolders, (const char* player, const char* bundled, const char* kept, int stored), {
    if (Module["onFolders"]) {
        Module["onFolders"]({ player: UTF8ToString(player), bundled: UTF8ToString(bundled),
                              kept: UTF8ToString(kept), stored: stored != 0 });
    }
});

// Tells the page the program has ended, with its exit code.
EM_JS(void, ReportEnded, (int code), {
    if (Module["onEnded"]) Module["onEnded"](code);
});

// Copies every bundled file the folder lacks; a shared set may bring only what it changed.
bool FillMissing(const fs::path& bundled, const fs::path& folder)
{
    std::error_code ec;
    for (fs::recursive_directory_iterator it(bundled, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path target = folder / fs::relative(it->path(), bundled, ec);
        if (ec) break;
        if (it->is_directory(ec)) fs::create_directories(target, ec);
        else if (!fs::exists(target, ec)) fs::copy_file(it->path(), target, ec);
        if (ec) break;
    }
    if (ec) std::fprintf(stderr, "vantrel: cannot fill %s: %s\n", folder.c_str(), ec.message().c_str());
    return !ec;
}

int RunGame(const char* sharedFolder)
{
    const std::string bundled = InstalledDataFolder(kWebExecutable);
    const std::string player = UserDataFolder();
    const std::string kept = player.empty() ? std::string() : player + kKeptSuffix;
    // A shared set lives only in the page: the player's own folder is neither read nor changed.
    const bool keptStored = !kept.empty() && StoreFolder(kept.c_str());
    const bool playerStored = !sharedFolder && !player.empty() && StoreFolder(player.c_str());
    const bool loaded = (keptStored || playerStored) && LoadStoredFolders(kPersistEveryMs);
    if (!sharedFolder && !(playerStored && loaded)) std::fprintf(stderr, "vantrel: edits will not outlive this page\n");

    std::string folder;
    if (sharedFolder) {
        if (!FillMissing(bundled, sharedFolder) || chdir(sharedFolder) != 0) {
            std::fprintf(stderr, "vantrel: cannot run in %s\n", sharedFolder);
            return 1;
        }
        folder = sharedFolder;
    } else {
        const DataFolderChoice data = EnterDataFolder(kWebExecutable);
        if (!data.ok) {
            std::fprintf(stderr, "vantrel: %s\n", data.message.c_str());
            return 1;
        }
        folder = data.folder.empty() ? fs::current_path().string() : data.folder;
    }
    AnnounceFolders(folder.c_str(), bundled.c_str(), kept.c_str(), playerStored && loaded);
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
    } else if (argc > 2 && std::strcmp(argv[1], "--folder") == 0) {
        code = RunGame(argv[2]);
    } else {
        code = RunGame(nullptr);
    }
    ReportEnded(code);
    return code;
}
