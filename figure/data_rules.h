// The rules the game relies on in its figure data, checked while the game's own readers
// run, each breach said as "file:line: message". One set of rules for everyone: the one
// loader (figure/data_files.h), which start-up, the live reload and the data checker all
// call, reads the files through here.
#pragma once
#include <string>
#include <vector>

struct DataProblem {
    std::string file;  // one of DATA_FILES
    int line;          // from 1; 0 where the breach belongs to no one line
    std::string text;  // "file:line: message"
    bool missing;      // the file did not exist: its reader created it empty
};

// The loader's reading: the three files of the working directory into the record globals
// with the game's readers (which build new records over whatever the globals held,
// freeing nothing), returning every breach, file by file, each file's in line order.
// Images load through whatever device g_device is.
std::vector<DataProblem> LoadCheckedFigureData();
