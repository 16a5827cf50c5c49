// The rules the game relies on in its figure data, checked while the game's own readers
// run, each breach said as "file:line: message". One set of rules for everyone: the data
// checker, the start-up and the live reload all read the files through here.
#pragma once
#include <string>
#include <vector>

#include "figure/data_file_names.h"

struct DataProblem {
    std::string file;  // one of FIGURE_DATA_FILES
    int line;          // from 1; 0 where the breach belongs to no one line
    std::string text;  // "file:line: message"
};

// Those of FIGURE_DATA_FILES that do not exist in the working directory (the readers
// create them empty, so ask before reading).
std::vector<std::string> MissingFigureFiles();

// Reads the three files of the working directory into the record globals with the game's
// readers (which build new records over whatever the globals held, freeing nothing) and
// returns every breach, file by file, each file's in line order. Images load through
// whatever device g_device is.
std::vector<DataProblem> LoadCheckedFigureData();
