// The rules the game relies on in its figure data, each breach said as "file:line:
// message". The rules ride the game's own readings of the files, seeing each line as its
// reading took it, and then look at the documents read. One set of rules for everyone: the
// one loader (figure/data_files.h), which start-up, the live reload and the data checker
// all call, reads the files through here.
#pragma once
#include <string>
#include <vector>

#include "figure/anim_file.h"
#include "figure/figure_file.h"
#include "figure/parts_file.h"

struct DataProblem {
    std::string file;  // one of DATA_FILES
    int line;          // from 1; 0 where the breach belongs to no one line
    std::string text;  // "file:line: message"
    bool missing;      // the file did not exist: its reader created it empty
};

// The figure's three files as one reading of them gives them.
struct FigureDocuments {
    PartsDocument parts;
    FigureFileRecord figure;
    AnimDocument anim;
};

// Reads the three files of the working directory in their order (parts, figure, animation)
// into documents, with the game's readers, answering every breach, file by file, each
// file's in line order. Images load through whatever device g_device is; nothing of the
// game's records is touched.
std::vector<DataProblem> ReadCheckedFigureData(FigureDocuments& documents);
