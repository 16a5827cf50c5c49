// The level file, veclevel.dat, read with the game's key=value reader and saved keeping
// every line the save has no reason to change. Its keys:
//   cell=COLUMN,ROW               the cell the next pieces go into
//   piece=IMAGE,X,Y,LAYER[,FLAGS] one piece: image, centre in the cell, layer, any of
//                                 s (solid), m (movable), p (pushable)
//   same=COLUMN,ROW               the cell of the last cell= line is that earlier cell
// A file without a cell= line (or no file) gives the fixed level the game has always had,
// so older data folders play as before. Whatever breaks a rule is a "file:line: message"
// problem and is left out; nothing is ever written outside the grid or a cell's pieces.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "figure/data_rules.h"
#include "figure/data_save.h"
#include "level/level.h"

// The pieces' flag letters as the file writes them.
const char SOLID_FLAG = 's';
const char MOVABLE_FLAG = 'm';
const char PUSHABLE_FLAG = 'p';

// Reads fileName into a new level, adding its problems; pieces may name images 0 to
// imageCount - 1. Nothing but the file is read and nothing but the new level written.
Level* ReadLevel(const char* fileName, int imageCount, std::vector<DataProblem>& problems);
// The same, with the images of the parts in use (g_parts), so the parts file is read first.
Level* ReadLevel(const char* fileName, std::vector<DataProblem>& problems);

// The level built into the game, used when the file describes none.
Level* BuildFixedLevel();

// Frees a level with its cells (each once, however many slots share it) and pieces.
void DeleteLevel(Level* level);

// A new level holding copies of every cell and piece of from, shared where from shares,
// and from's file text: what the editor's history keeps to put a level back.
Level* CopyLevel(const Level& from);

// A number no piece has had yet, for a piece that is new to the level.
int NewPieceId();

// The text a save writes: known (the file as read or last saved, which level.pieceLines
// describes) with only the lines of what changed changed. A piece that stayed in its cell
// and in its order keeps its line, rewritten in place where it changed; a piece that left
// its line (deleted, moved to another cell, or out of order) takes it and the comment and
// blank lines right above it along; pieces new to a cell go after its last kept piece, or
// after the cell= line that opens it; cells the file has no line for go at the end, in slot
// order, a shared one as same=. Every other line stays byte for byte: comments, blank and
// unknown lines, lines the reader refused, the line ends and the last line's lack of one.
// newLines tells where each piece now stands. False, with cutLine set, where the change
// would touch a line the reader reads in pieces (over MAX_DATA_LINE - 1 characters).
// knownLines says where known holds each piece (level.pieceLines for level.fileText).
bool LevelSaveText(const Level& level, const std::string& known, const std::map<int, Level::PieceOrigin>& knownLines,
                   std::string& text, std::map<int, Level::PieceOrigin>& newLines, int& cutLine);

// The whole level in file form, as a save into an empty file writes it: cells in slot order,
// each cell's pieces in drawing order, a shared cell as same=. Two levels are the same
// level when their texts are.
std::string LevelText(const Level& level);

// Whether the level differs from its file as far as the editor's history knows
// (Level::savedForm).
bool LevelUnsaved(const Level& level);

// Writes level as fileName (LevelSaveText over level.fileText), atomic with NAME.bak, refused
// when the file is no longer level.fileText or the change would touch a line read in pieces;
// on success fileText and pieceLines become what was written.
SaveResult SaveLevel(Level& level, const char* fileName, std::string& why);
