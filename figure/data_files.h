// The one loader of the game's data: reads the figure's files in their order (parts,
// figure, animation) and then the level file with the game's readers, checks them with the
// data rules (figure/data_rules.h, level/level_file.h) and hands back what it built with
// every problem found. The record
// globals stay as they were until the caller installs the set: start-up installs what it
// read, problems or not; the live reload installs only a set without problems and keeps
// the last good one otherwise; the data checker only reports.
#pragma once
#include <vector>

#include "figure/anim_save.h"
#include "figure/data_file_names.h"
#include "figure/data_rules.h"
#include "figure/figure_save.h"
#include "figure/parts_save.h"

class VectorPart;
struct VectorMan;
struct AnimFrame;
struct Level;

// What the record globals hold while the data is in use (figure/records.h and the saved
// files' records).
struct DataRecords {
    VectorPart* parts = nullptr;
    int numParts = 0;
    VectorMan* man = nullptr;
    AnimFrame* frames = nullptr;
    int numFrames = 0;
    PartsFileRecord partsFile;
    AnimFileRecord animFile;
    FigureFileRecord figureFile;
    FigureSetup figureSetup;  // g_figureSetup
    Level* level = nullptr;  // g_level
};

// Whether a document in use (the parts and animation records, g_level) holds something
// its file does not: what the live reload must not read over.
bool DocumentsUnsaved();

// One reading of the data files. It owns its records and frees them (textures and
// buffers with them) when it goes, unless they were installed.
struct DataSet {
    DataRecords records;
    // Missing figure files first, each as "file:0: file missing", then every breach of the
    // rules, file by file in reading order, each file's in line order. A missing level file
    // is no problem: the game has its fixed level.
    std::vector<DataProblem> problems;

    DataSet() = default;
    DataSet(DataSet&& other) noexcept;
    DataSet& operator=(DataSet&& other) noexcept;
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;
    ~DataSet();
};

// Reads the data files of the working directory into a new set. A missing file is created
// empty by its reader (so the next start finds something to edit) and is a problem. Images
// load through whatever device g_device is; the record globals are left as they were.
DataSet LoadDataFiles();

// Moves the set's records into the record globals (the set keeps its problems) and answers
// a set holding what the globals held, for the caller to carry over from; those go when it
// does.
DataSet InstallDataSet(DataSet& set);
