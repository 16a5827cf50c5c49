#include "level/level.h"

#include "base/log.h"
#include "figure/data_file_names.h"
#include "level/level_file.h"

#include <cmath>
#include <vector>

Level* g_level = nullptr;

Level::Level()
{
    for (LevelCell*& slot : slots) slot = nullptr;
}

namespace {

// Column or row of a coordinate: |trunc(p)| div size. Coordinates far beyond the level
// (or not numbers at all) land in a far cell, whose neighbourhood is empty.
int CellOf(float p, int size)
{
    const double far = 1.0e9;
    double t = std::fabs(std::trunc(static_cast<double>(p)));
    if (!(t < far)) t = far;
    return static_cast<int>(static_cast<long long>(t) / size);
}

int Slot(int column, int row)
{
    return column * LEVEL_ROWS + row;
}

}  // namespace

LevelNeighbourhood GetLevelNeighbourhood(float px, float py)
{
    int column = CellOf(px, SCREEN_CELL_WIDTH);
    int row = CellOf(py, SCREEN_CELL_HEIGHT);
    LevelNeighbourhood n;
    n.firstColumn = column - 1 < 0 ? 0 : column - 1;
    n.lastColumn = column + 1 > LEVEL_COLUMNS - 1 ? LEVEL_COLUMNS - 1 : column + 1;
    n.firstRow = row - 1 < 0 ? 0 : row - 1;
    n.lastRow = row + 1 > LEVEL_ROWS - 1 ? LEVEL_ROWS - 1 : row + 1;
    return n;
}

LevelCell* Level::CellAt(int column, int row) const
{
    if (column < 0 || column >= LEVEL_COLUMNS || row < 0 || row >= LEVEL_ROWS) return nullptr;
    return slots[Slot(column, row)];
}

int InitLevel()
{
    std::vector<DataProblem> problems;
    g_level = ReadLevel(LEVEL_DATA_FILE, problems);
    for (const DataProblem& problem : problems) WriteLog(problem.text.c_str());
    return 0;
}
