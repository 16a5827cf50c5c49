// Where an installed game reads and writes its files. The game works in its working
// directory; started where there is no figure data, it moves into the player's own copy of
// the installed data (made on the first such start) so the editor can save and the log can
// be written. Linux build only: the Windows program runs from its unpacked folder.
#pragma once
#include <string>

// The file whose presence makes a folder a game data folder.
extern const char* const kDataMarkerFile;

struct DataFolderChoice {
    bool ok = true;          // false: the player's folder could not be made; `message` says why
    bool copied = false;     // the installed data was copied into `folder` just now
    std::string folder;      // the folder entered; empty when the game stays where it was started
    std::string message;
};

// The installed data folder beside a program at `executable` (PREFIX/bin/NAME gives
// PREFIX/share/vantrel), or empty when there is none.
std::string InstalledDataFolder(const std::string& executable);

// The player's data folder: $XDG_DATA_HOME/vantrel, else $HOME/.local/share/vantrel; empty
// when neither variable gives an absolute path.
std::string UserDataFolder();

// Decides where to run and goes there (chdir). Stays in the working directory when it holds
// the marker file or no installed data exists; otherwise fills the player's folder from the
// installed one unless it already holds the marker, and enters it.
DataFolderChoice EnterDataFolder(const std::string& executable);
