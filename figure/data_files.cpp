#include "figure/data_files.h"

#include <filesystem>
#include <string>
#include <utility>

#include "figure/key_edit.h"
#include "figure/records.h"
#include "level/level.h"
#include "level/level_file.h"

namespace {

// Empties the record globals, handing over what they held.
DataRecords TakeGlobalRecords()
{
    return DataRecords{std::exchange(g_parts, nullptr),        std::exchange(g_numParts, 0),
                       std::exchange(g_vectorMan, nullptr),    std::exchange(g_frames, nullptr),
                       std::exchange(g_numFrames, 0),          std::exchange(g_partsFileRecord, PartsFileRecord()),
                       std::exchange(g_animFileRecord, AnimFileRecord()),
                       std::exchange(g_figureFileRecord, FigureFileRecord()),
                       std::exchange(g_figureSetup, FigureSetup())};
}

void PutGlobalRecords(DataRecords&& records)
{
    g_parts = records.parts;
    g_numParts = records.numParts;
    g_vectorMan = records.man;
    g_frames = records.frames;
    g_numFrames = records.numFrames;
    g_partsFileRecord = std::move(records.partsFile);
    g_animFileRecord = std::move(records.animFile);
    g_figureFileRecord = std::move(records.figureFile);
    g_figureSetup = std::move(records.figureSetup);
    // Names the editor gave went with the frames they named.
    g_frameNames.clear();
    records = DataRecords();
}

void FreeRecords(const DataRecords& records)
{
    delete[] records.parts;
    FreeFigure(records.man);
    FreeFrames(records.frames, records.numFrames);
    DeleteLevel(records.level);
}

bool FileExists(const char* name)
{
    std::error_code error;
    return std::filesystem::exists(name, error);
}

}  // namespace

DataSet::DataSet(DataSet&& other) noexcept
    : records(std::exchange(other.records, DataRecords())), problems(std::move(other.problems))
{
}

DataSet& DataSet::operator=(DataSet&& other) noexcept
{
    if (this != &other) {
        FreeRecords(records);
        records = std::exchange(other.records, DataRecords());
        problems = std::move(other.problems);
    }
    return *this;
}

DataSet::~DataSet()
{
    FreeRecords(records);
}

bool DocumentsUnsaved()
{
    return !UnsavedOffsets().empty() || PartShapesUnsaved() || FigureSetupUnsaved() || !UnsavedLists().empty() || FrameNamesUnsaved() ||
           !UnsavedKeyValues().empty() ||
           (g_level && LevelUnsaved(*g_level));
}

DataSet LoadDataFiles()
{
    DataSet set;
    // Asked before reading: the readers create what is missing.
    for (const char* name : FIGURE_DATA_FILES) {
        if (!FileExists(name)) set.problems.push_back({name, 0, std::string(name) + ":0: file missing", true});
    }
    FigureDocuments read;
    const std::vector<DataProblem> breaches = ReadCheckedFigureData(read);
    set.problems.insert(set.problems.end(), breaches.begin(), breaches.end());
    DataRecords& records = set.records;
    records.parts = read.parts.parts;
    records.numParts = read.parts.numParts;
    records.partsFile = std::move(read.parts.record);
    records.man = BuildFigure(read.figure.setup);
    records.figureSetup = read.figure.setup;
    records.figureFile = std::move(read.figure);
    records.frames = read.anim.frames;
    records.numFrames = read.anim.numFrames;
    records.animFile = std::move(read.anim.record);
    // The pieces name images by number.
    records.level = ReadLevel(LEVEL_DATA_FILE, records.numParts, set.problems);
    return set;
}

DataSet InstallDataSet(DataSet& set)
{
    DataSet previous;
    previous.records = TakeGlobalRecords();
    previous.records.level = std::exchange(g_level, set.records.level);
    PutGlobalRecords(std::move(set.records));
    return previous;
}
