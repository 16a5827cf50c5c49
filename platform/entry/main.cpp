// The portable process entry: answers --version and --help, picks the folder the game runs
// in (user_data.h), then hands WinMain the command line after the program name, the
// arguments joined by single blanks, as the platform passes it to a GUI program.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "user_data.h"

namespace {

// The running program itself, whatever name or link it was started by.
const char* const kSelfExecutable = "/proc/self/exe";

void PrintHelp()
{
    std::printf(
        "usage: vantrel [/640]\n"
        "\n"
        "Plays full screen at 1024x768; /640 plays at 640x480. Escape or q quits.\n"
        "\n"
        "Environment:\n"
        "  VANTREL_WINDOWED=1      play in a window instead of full screen\n"
        "  VANTREL_D3D=NAME        graphics device: opengl (default) or memory (no drawing)\n"
        "  VANTREL_MAX_TEXTURE=W[xH]  lower the texture size the device reports\n"
        "  VANTREL_FAIL=LIST       make start-up steps fail, for tests (comma list: window,\n"
        "                          d3dcreate, displaymode, createdevice, dinput, keyboard,\n"
        "                          mouse, acquire)\n"
        "\n"
        "Data and log:\n"
        "  The game reads its data (vecparts.dat, vecman.dat, vecanim.dat, veclevel.dat and\n"
        "  the images) from the working directory and writes log.log there. Started where\n"
        "  there is no vecparts.dat, an installed game copies its data once into\n"
        "  $XDG_DATA_HOME/vantrel (by default ~/.local/share/vantrel) and runs there, so the\n"
        "  part editor's saves and the log go to that folder.\n"
        "\n"
        "  --help     this text\n"
        "  --version  the version\n");
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vantrel %s\n", VANTREL_VERSION);
            return 0;
        }
    }

    const DataFolderChoice data = EnterDataFolder(kSelfExecutable);
    if (!data.ok) {
        std::fprintf(stderr, "vantrel: %s\n", data.message.c_str());
        return 1;
    }
    if (data.copied) std::fprintf(stderr, "vantrel: the game's data was copied to %s\n", data.folder.c_str());

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
