// The level: a grid of screen-sized cells holding placed part images.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

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
    // The level file's bytes as read or last saved ("" when there was none): the save
    // refuses to write over anything else, and keeps the file's comments.
    std::string fileText;
    // Where each piece read from fileText (or written there by the last save) stands in it:
    // its line and the cell it was read into. The comment and blank lines right above that
    // line go with the piece wherever it moves, and with it when it is deleted; a piece
    // whose id is not here is new to the file.
    struct PieceOrigin {
        int line;      // from 1
        int slot;      // the first slot holding the cell it was read into
        ManPart read;  // the piece as that line gives it: a piece still so keeps the line's bytes
    };
    std::map<int, PieceOrigin> pieceLines;  // by ManPart::id
    // The file as it was read, once a save has written over it: a save that finds the level
    // back to what the file gave (every change undone) writes the file as read, byte for byte.
    struct AsRead {
        std::string text;
        std::map<int, PieceOrigin> pieceLines;
    };
    std::shared_ptr<const AsRead> asRead;
    // The level as its file holds it as far as the editor's history knows (LevelText): taken
    // when the history first changes the level (pieces pushed in play count as the file's,
    // they are play, not edits) and by each save; empty while the history has not touched it.
    std::string savedForm;

    // The cell at column, row; null outside the grid or where no cell is.
    LevelCell* CellAt(int column, int row) const;

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

// Reads the level file into g_level (problems go to the log); the game itself takes its
// level from the one loader (figure/data_files.h).
int InitLevel();
