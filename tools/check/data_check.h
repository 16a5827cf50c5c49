// Checks a directory of game data: the three figure files read with the game's own
// readers, every breach of what the game relies on reported as "file:line: message".
#pragma once
#include <string>
#include <vector>

// Reads the data files of dir (the working directory is dir while reading, so image
// names resolve as in the game) and returns one line per breach, in file order.
// Images load through whatever device g_device is; dir is left as it was found.
std::vector<std::string> CheckDataDirectory(const std::string& dir);
