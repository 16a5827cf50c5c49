// The level file, veclevel.dat, read with the game's key=value reader and written back
// whole. Its keys:
//   cell=COLUMN,ROW               the cell the next pieces go into
//   piece=IMAGE,X,Y,LAYER[,FLAGS] one piece: image, centre in the cell, layer, any of
//                                 s (solid), m (movable), p (pushable)
//   same=COLUMN,ROW               the cell of the last cell= line is that earlier cell
// A file without a cell= line (or no file) gives the fixed level the game has always had,
// so older data folders play as before. Whatever breaks a rule is a "file:line: message"
// problem and is left out; nothing is ever written outside the grid or a cell's pieces.
#pragma once
#include <string>
#include <vector>

#include "figure/data_rules.h"
#include "figure/data_save.h"
#include "level/level.h"

// The pieces' flag letters as the file writes them.
const char SOLID_FLAG = 's';
const char MOVABLE_FLAG = 'm';
const char PUSHABLE_FLAG = 'p';

// Reads fileName into a new level, adding its problems. Image numbers are checked against
// the parts in g_parts, so the parts file is read first.
Level* ReadLevel(const char* fileName, std::vector<DataProblem>& problems);

// The level built into the game, used when the file describes none.
Level* BuildFixedLevel();

// Frees a level with its cells (each once, however many slots share it) and pieces.
void DeleteLevel(Level* level);

// A new level holding copies of every cell and piece of from, shared where from shares,
// and from's file text: what the editor's history keeps to put a level back.
Level* CopyLevel(const Level& from);

// The whole level in file form: cells in slot order (column by column), each cell's
// pieces in its drawing order, a shared cell as same=. The comment and blank lines of
// known that stand above a cell= line stay above that cell's line where the cell still
// exists, those that open and close known stay at the top and the end, and a piece's own
// (Level::pieceNotes) stay above it.
std::string LevelText(const Level& level, const std::string& known);

// Writes level as fileName, atomic with NAME.bak, refused when the file is no longer
// level.fileText; on success fileText becomes what was written.
SaveResult SaveLevel(Level& level, const char* fileName, std::string& why);
