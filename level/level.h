// The level: a grid of screen-sized cells holding placed part images.
#pragma once
#include "figure/records.h"

const int LEVEL_COLUMNS = 20;
const int LEVEL_ROWS = 3;
const int SCREEN_CELL_WIDTH = 640;
const int SCREEN_CELL_HEIGHT = 480;
const int MAX_CELL_PIECES = 20;

struct LevelCell {
    int count;
    ManPart* pieces[MAX_CELL_PIECES];
};

struct Level {
    Level();
    LevelCell* slots[LEVEL_COLUMNS * LEVEL_ROWS];  // column c, row r at c * 3 + r

    // Draws the cells around the camera; returns 0.
    int DrawLevel();
};

// The cells around a world point: inclusive column and row ranges, empty when
// firstColumn > lastColumn or firstRow > lastRow.
struct LevelNeighbourhood {
    int firstColumn, lastColumn;
    int firstRow, lastRow;
};
LevelNeighbourhood GetLevelNeighbourhood(float px, float py);

extern Level* g_level;

int InitLevel();
