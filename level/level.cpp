#include "level/level.h"

#include "figure/data_file_names.h"
#include "figure/roles.h"

#include <cmath>
#include <cstdio>

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

struct PieceSpec {
    float x, y;
    int layer;
    int vecpartnum;
    unsigned char solid, movable, pushable;
};

const PieceSpec FLOOR_PIECES[] = {
    {70, 0, DEFAULT_LAYER, FLOOR_IMAGE, 1, 0, 0},  {170, 0, DEFAULT_LAYER, FLOOR_IMAGE, 1, 0, 0},
    {270, 0, DEFAULT_LAYER, FLOOR_IMAGE, 1, 0, 0},  {370, 0, DEFAULT_LAYER, FLOOR_IMAGE, 1, 0, 0},
    {470, 0, DEFAULT_LAYER, FLOOR_IMAGE, 1, 0, 0},  {570, 0, DEFAULT_LAYER, FLOOR_IMAGE, 1, 0, 0},
};
// What stands on the floor of the end cell: blocks to climb and push, trees behind.
const PieceSpec END_PIECES[] = {
    {20, 340, DEFAULT_LAYER, BLOCK_IMAGE, 1, 0, 0},  {70, 340, DEFAULT_LAYER, BLOCK_IMAGE, 1, 1, 1},
    {500, 130, DEFAULT_LAYER, BLOCK_IMAGE, 1, 1, 1},  {635, 260, DEFAULT_LAYER, BLOCK_IMAGE, 1, 1, 1},
    {320, 320, DEFAULT_LAYER, BLOCK_IMAGE, 1, 1, 1},  {170, 147, BACK_LAYER, SCENERY_IMAGE, 0, 0, 0},
    {470, 147, BACK_LAYER, SCENERY_IMAGE, 0, 0, 0},
};
const PieceSpec CORNER_PIECES[] = {
    {0, 0, DEFAULT_LAYER, FLOOR_IMAGE, 1, 1, 1},
};

void AddPieces(LevelCell& cell, const PieceSpec* specs, int n)
{
    for (int i = 0; i < n; ++i) {
        ManPart* piece = new ManPart();
        piece->x = specs[i].x;
        piece->y = specs[i].y;
        piece->layer = specs[i].layer;
        piece->vecpartnum = specs[i].vecpartnum;
        piece->solid = specs[i].solid;
        piece->movable = specs[i].movable;
        piece->pushable = specs[i].pushable;
        cell.pieces[cell.count++] = piece;
    }
}

template <int N>
LevelCell* NewCell(const PieceSpec (&specs)[N])
{
    static_assert(N <= MAX_CELL_PIECES, "a cell holds at most MAX_CELL_PIECES pieces");
    LevelCell* cell = new LevelCell();
    AddPieces(*cell, specs, N);
    return cell;
}

// A cell of two lists, the first one's pieces first.
template <int N, int M>
LevelCell* NewCell(const PieceSpec (&first)[N], const PieceSpec (&then)[M])
{
    static_assert(N + M <= MAX_CELL_PIECES, "a cell holds at most MAX_CELL_PIECES pieces");
    LevelCell* cell = new LevelCell();
    AddPieces(*cell, first, N);
    AddPieces(*cell, then, M);
    return cell;
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

int InitLevel()
{
    // The file is read through but means nothing yet; a stream that fails ends the
    // reading as its end would, since fread then comes back short.
    if (FILE* file = std::fopen(LEVEL_DATA_FILE, "r")) {
        char block[1000];
        while (std::fread(block, 1, sizeof block, file) == sizeof block) {
        }
        std::fclose(file);
    }

    g_level = new Level();
    LevelCell* end = NewCell(FLOOR_PIECES, END_PIECES);
    LevelCell* corner = NewCell(CORNER_PIECES);
    g_level->slots[Slot(0, 0)] = corner;
    g_level->slots[Slot(0, 1)] = end;
    LevelCell* floor = NewCell(FLOOR_PIECES);
    for (int column = 1; column <= 3; ++column) g_level->slots[Slot(column, 1)] = floor;
    g_level->slots[Slot(4, 1)] = end;
    return 0;
}
