#include "level/level.h"

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

const PieceSpec END_PIECES[] = {
    {70, 0, 3, 9, 1, 0, 0},     {170, 0, 3, 9, 1, 0, 0},    {270, 0, 3, 9, 1, 0, 0},
    {370, 0, 3, 9, 1, 0, 0},    {470, 0, 3, 9, 1, 0, 0},    {570, 0, 3, 9, 1, 0, 0},
    {20, 340, 3, 10, 1, 0, 0},  {70, 340, 3, 10, 1, 1, 1},  {500, 130, 3, 10, 1, 1, 1},
    {635, 260, 3, 10, 1, 1, 1}, {320, 320, 3, 10, 1, 1, 1}, {170, 147, 6, 11, 0, 0, 0},
    {470, 147, 6, 11, 0, 0, 0},
};
const PieceSpec CORNER_PIECES[] = {{0, 0, 3, 9, 1, 1, 1}};
const PieceSpec FLOOR_PIECES[] = {
    {70, 0, 3, 9, 1, 0, 0},  {170, 0, 3, 9, 1, 0, 0}, {270, 0, 3, 9, 1, 0, 0},
    {370, 0, 3, 9, 1, 0, 0}, {470, 0, 3, 9, 1, 0, 0}, {570, 0, 3, 9, 1, 0, 0},
};

template <int N>
LevelCell* NewCell(const PieceSpec (&specs)[N])
{
    static_assert(N <= MAX_CELL_PIECES, "a cell holds at most MAX_CELL_PIECES pieces");
    LevelCell* cell = new LevelCell();
    cell->count = N;
    for (int i = 0; i < N; ++i) {
        ManPart* piece = new ManPart();
        piece->x = specs[i].x;
        piece->y = specs[i].y;
        piece->layer = specs[i].layer;
        piece->vecpartnum = specs[i].vecpartnum;
        piece->solid = specs[i].solid;
        piece->movable = specs[i].movable;
        piece->pushable = specs[i].pushable;
        cell->pieces[i] = piece;
    }
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
    if (FILE* file = std::fopen("veclevel.dat", "r")) {
        char block[1000];
        while (std::fread(block, 1, sizeof block, file) == sizeof block) {
        }
        std::fclose(file);
    }

    g_level = new Level();
    LevelCell* end = NewCell(END_PIECES);
    LevelCell* corner = NewCell(CORNER_PIECES);
    g_level->slots[Slot(0, 0)] = corner;
    g_level->slots[Slot(0, 1)] = end;
    LevelCell* floor = NewCell(FLOOR_PIECES);
    for (int column = 1; column <= 3; ++column) g_level->slots[Slot(column, 1)] = floor;
    g_level->slots[Slot(4, 1)] = end;
    return 0;
}
