#include "level/level_file.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "figure/data_reader.h"
#include "figure/roles.h"

namespace {

int Slot(int column, int row)
{
    return column * LEVEL_ROWS + row;
}

// The fixed level, kept for data folders whose level file describes none.

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

template <int N>
void AddPieces(LevelCell& cell, const PieceSpec (&specs)[N])
{
    for (const PieceSpec& spec : specs) {
        if (cell.count >= MAX_CELL_PIECES) return;
        ManPart* piece = new ManPart();
        piece->x = spec.x;
        piece->y = spec.y;
        piece->layer = spec.layer;
        piece->vecpartnum = spec.vecpartnum;
        piece->solid = spec.solid;
        piece->movable = spec.movable;
        piece->pushable = spec.pushable;
        cell.pieces[cell.count++] = piece;
    }
}

// The reading in progress.
struct LevelRead {
    const char* fileName = "";
    std::vector<DataProblem>* problems = nullptr;
    Level* level = nullptr;
    int column = -1, row = -1;  // of the last good cell= line; -1: pieces have nowhere to go
    std::map<const ManPart*, int> pieceLines;  // each piece's line in the file
};
LevelRead* s_read = nullptr;

void Problem(int line, const std::string& message)
{
    const std::string file = s_read->fileName;
    s_read->problems->push_back({file, line, file + ":" + std::to_string(line) + ": " + message, false});
}

// Splits a value at every ",", keeping empty items, blanks around each trimmed.
std::vector<std::string> Items(const char* value)
{
    std::vector<std::string> items;
    std::string item;
    for (const char* p = value;; ++p) {
        if (*p == ',' || *p == '\0') {
            size_t first = item.find_first_not_of(" \t");
            size_t last = item.find_last_not_of(" \t");
            items.push_back(first == std::string::npos ? "" : item.substr(first, last - first + 1));
            item.clear();
            if (*p == '\0') break;
        } else {
            item += *p;
        }
    }
    return items;
}

// A whole item that is a decimal number; the reader's own parser then gives its value.
bool WholeNumber(const std::string& item, bool integer)
{
    if (item.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(item.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || std::fabs(value) > 1.0e9) return false;
    if (item.find_first_of("xXnNiI") != std::string::npos) return false;  // hex, nan, inf
    return !integer || item.find_first_of(".eE") == std::string::npos;
}

// COLUMN,ROW of a cell= or same= line, or false with a problem said.
bool ReadCellPlace(int line, const char* key, const char* value, int& column, int& row)
{
    const std::vector<std::string> items = Items(value);
    if (items.size() != 2 || !WholeNumber(items[0], true) || !WholeNumber(items[1], true)) {
        Problem(line, std::string(key) + " takes COLUMN,ROW");
        return false;
    }
    column = std::atoi(items[0].c_str());
    row = std::atoi(items[1].c_str());
    if (column < 0 || column >= LEVEL_COLUMNS || row < 0 || row >= LEVEL_ROWS) {
        Problem(line, std::string(key) + "=" + items[0] + "," + items[1] + ": outside the level (columns 0.." +
                          std::to_string(LEVEL_COLUMNS - 1) + ", rows 0.." + std::to_string(LEVEL_ROWS - 1) + ")");
        return false;
    }
    return true;
}

bool SharedElsewhere(const Level& level, const LevelCell* cell, int slot)
{
    for (int i = 0; i < LEVEL_COLUMNS * LEVEL_ROWS; ++i) {
        if (i != slot && level.slots[i] == cell) return true;
    }
    return false;
}

void ReadCell(int line, const char* value)
{
    LevelRead& r = *s_read;
    r.column = r.row = -1;
    int column = -1, row = -1;
    if (!ReadCellPlace(line, "cell", value, column, row)) return;
    r.column = column;
    r.row = row;
    LevelCell*& cell = r.level->slots[Slot(column, row)];
    if (!cell) cell = new LevelCell();
}

void ReadSame(int line, const char* value)
{
    LevelRead& r = *s_read;
    int column = -1, row = -1;
    if (!ReadCellPlace(line, "same", value, column, row)) return;
    if (r.column < 0) {
        Problem(line, "same before any good cell= line");
        return;
    }
    const int here = Slot(r.column, r.row);
    LevelCell* earlier = r.level->slots[Slot(column, row)];
    if (!earlier || Slot(column, row) == here) {
        Problem(line, "same=" + std::to_string(column) + "," + std::to_string(row) + ": not an earlier cell");
        return;
    }
    LevelCell* own = r.level->slots[here];
    if (own == earlier) return;
    if (own && (own->count > 0 || SharedElsewhere(*r.level, own, here))) {
        Problem(line, "same: cell " + std::to_string(r.column) + "," + std::to_string(r.row) +
                          " already has pieces of its own");
        return;
    }
    delete own;
    r.level->slots[here] = earlier;
}

void ReadPiece(int line, const char* value)
{
    LevelRead& r = *s_read;
    if (r.column < 0) {
        Problem(line, "piece before any good cell= line");
        return;
    }
    const std::vector<std::string> items = Items(value);
    if (items.size() < 4 || items.size() > 5) {
        Problem(line, "piece takes IMAGE,X,Y,LAYER[,FLAGS]");
        return;
    }
    if (!WholeNumber(items[0], true) || !PartAt(std::atoi(items[0].c_str()))) {
        Problem(line, "piece shows image " + items[0] + ", which does not exist");
        return;
    }
    if (!WholeNumber(items[1], false) || !WholeNumber(items[2], false)) {
        Problem(line, "piece: X and Y must be numbers");
        return;
    }
    const int layer = WholeNumber(items[3], true) ? std::atoi(items[3].c_str()) : 0;
    if (layer < FRONT_LAYER || layer > BACK_LAYER) {
        Problem(line, "piece: layer " + items[3] + " is not " + std::to_string(FRONT_LAYER) + ".." +
                          std::to_string(BACK_LAYER));
        return;
    }
    ManPart flags = ManPart();
    for (char c : items.size() > 4 ? items[4] : std::string()) {
        unsigned char* flag = c == SOLID_FLAG ? &flags.solid : c == MOVABLE_FLAG ? &flags.movable
                              : c == PUSHABLE_FLAG                 ? &flags.pushable
                                                                   : nullptr;
        if (!flag) {
            Problem(line, std::string("piece: unknown flag \"") + c + "\" (s, m, p)");
            return;
        }
        *flag = 1;
    }
    LevelCell& cell = *r.level->slots[Slot(r.column, r.row)];
    if (cell.count >= MAX_CELL_PIECES) {
        Problem(line, "piece: cell " + std::to_string(r.column) + "," + std::to_string(r.row) + " already holds " +
                          std::to_string(MAX_CELL_PIECES) + " pieces");
        return;
    }
    ManPart* piece = new ManPart();
    piece->vecpartnum = std::atoi(items[0].c_str());
    piece->x = static_cast<float>(ParseReal(items[1].c_str()));
    piece->y = static_cast<float>(ParseReal(items[2].c_str()));
    piece->layer = layer;
    piece->solid = flags.solid;
    piece->movable = flags.movable;
    piece->pushable = flags.pushable;
    cell.pieces[cell.count++] = piece;
    r.pieceLines[piece] = line;
}

bool HandleLevelKey(const char* key, const char* value)
{
    const int line = CurrentDataLine();
    void (*read)(int, const char*) = std::strcmp(key, "cell") == 0    ? ReadCell
                                     : std::strcmp(key, "piece") == 0 ? ReadPiece
                                     : std::strcmp(key, "same") == 0  ? ReadSame
                                                                      : nullptr;
    if (!read) return false;
    if (value) read(line, value);
    else Problem(line, std::string(key) + " has no value");
    return true;
}

void ObserveLevelLine(int line, const char* key, const char*, bool recognised)
{
    if (!recognised) Problem(line, std::string("unknown key \"") + key + "\"");
}

std::string ReadWholeFile(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The key of a line as the reader splits it ("" for none or a comment), when it has a value.
std::string KeyOf(const std::string& text)
{
    const size_t start = text.find_first_not_of('=');
    if (start == std::string::npos) return "";
    const size_t end = text.find('=', start);
    if (end == std::string::npos || text.find_first_not_of('=', end) == std::string::npos) return "";
    return text.substr(start, end - start);
}

bool IsComment(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    return first != std::string::npos && text.compare(first, 2, "//") == 0;
}

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

// The comment and blank lines right above each piece's line, for the pieces that have any.
void NotePieces(Level& level, const std::vector<Line>& lines, const std::map<const ManPart*, int>& pieceLines)
{
    for (const auto& [piece, number] : pieceLines) {
        size_t first = static_cast<size_t>(number) - 1;  // the piece's own line, counted from 0
        if (number < 1 || first >= lines.size() || KeyOf(lines[first].text) != "piece") continue;
        while (first > 0 && (IsComment(lines[first - 1].text) || IsBlank(lines[first - 1].text))) --first;
        for (size_t i = first; i + 1 < static_cast<size_t>(number); ++i)
            level.pieceNotes[piece].push_back(lines[i].text);
    }
}

// "cell=C,R" of a line as the reader would take it, or false.
bool CellLine(const std::string& text, int& column, int& row)
{
    size_t start = text.find_first_not_of('=');
    if (start == std::string::npos || text.compare(start, 5, "cell=") != 0) return false;
    std::vector<std::string> items = Items(text.substr(start + 5).c_str());
    if (items.size() != 2 || !WholeNumber(items[0], true) || !WholeNumber(items[1], true)) return false;
    column = std::atoi(items[0].c_str());
    row = std::atoi(items[1].c_str());
    return true;
}

std::string Flags(const ManPart& piece)
{
    std::string flags;
    if (piece.solid) flags += SOLID_FLAG;
    if (piece.movable) flags += MOVABLE_FLAG;
    if (piece.pushable) flags += PUSHABLE_FLAG;
    return flags;
}

}  // namespace

Level* BuildFixedLevel()
{
    Level* level = new Level();
    LevelCell* end = new LevelCell();
    AddPieces(*end, FLOOR_PIECES);
    AddPieces(*end, END_PIECES);
    LevelCell* corner = new LevelCell();
    AddPieces(*corner, CORNER_PIECES);
    LevelCell* floor = new LevelCell();
    AddPieces(*floor, FLOOR_PIECES);
    level->slots[Slot(0, 0)] = corner;
    level->slots[Slot(0, 1)] = end;
    for (int column = 1; column <= 3; ++column) level->slots[Slot(column, 1)] = floor;
    level->slots[Slot(4, 1)] = end;
    return level;
}

Level* ReadLevel(const char* fileName, std::vector<DataProblem>& problems)
{
    std::error_code error;
    if (!fileName || !std::filesystem::exists(fileName, error)) return BuildFixedLevel();
    // A file that describes no cell means nothing, as level files always did: whatever else
    // it holds is neither read nor a problem.
    const std::string text = ReadWholeFile(fileName);
    bool describesCells = false;
    for (const Line& line : SplitLines(text)) describesCells = describesCells || KeyOf(line.text) == "cell";
    if (!describesCells) {
        Level* level = BuildFixedLevel();
        level->fileText = text;
        return level;
    }
    LevelRead read;
    read.fileName = fileName;
    read.problems = &problems;
    read.level = new Level();
    s_read = &read;
    SetDataLineObserver(ObserveLevelLine);
    ReadDataFile(fileName, HandleLevelKey, "Level file done");
    SetDataLineObserver(nullptr);
    s_read = nullptr;
    read.level->fileText = text;
    NotePieces(*read.level, SplitLines(text), read.pieceLines);
    return read.level;
}

void DeleteLevel(Level* level)
{
    if (!level) return;
    std::set<LevelCell*> cells(std::begin(level->slots), std::end(level->slots));
    for (LevelCell* cell : cells) {
        for (int i = 0; cell && i < cell->count && i < MAX_CELL_PIECES; ++i) delete cell->pieces[i];
        delete cell;
    }
    delete level;
}

Level* CopyLevel(const Level& from)
{
    Level* level = new Level();
    std::map<const LevelCell*, LevelCell*> copies;
    for (int i = 0; i < LEVEL_COLUMNS * LEVEL_ROWS; ++i) {
        const LevelCell* cell = from.slots[i];
        if (!cell) continue;
        LevelCell*& copy = copies[cell];
        if (!copy) {
            copy = new LevelCell();
            for (int p = 0; p < cell->count && p < MAX_CELL_PIECES; ++p) {
                const ManPart* piece = cell->pieces[p];
                if (!piece) continue;
                copy->pieces[copy->count] = new ManPart(*piece);
                auto notes = from.pieceNotes.find(piece);
                if (notes != from.pieceNotes.end()) level->pieceNotes[copy->pieces[copy->count]] = notes->second;
                ++copy->count;
            }
        }
        level->slots[i] = copy;
    }
    level->fileText = from.fileText;
    return level;
}

std::string LevelText(const Level& level, const std::string& known)
{
    const std::vector<Line> lines = SplitLines(known);
    const std::string end = !lines.empty() && lines.front().end == "\r\n" ? "\r\n" : "\n";
    // The comments that open the file, those standing right above each cell= line, and those
    // that close it; the lines above a piece go with the piece (Level::pieceNotes).
    std::string head;
    std::map<int, std::string> above;  // slot -> comment lines
    std::string pending;
    bool sawCell = false;
    for (const Line& line : lines) {
        int column = -1, row = -1;
        if (IsComment(line.text) || (sawCell && IsBlank(line.text))) {
            pending += line.text + end;
        } else if (CellLine(line.text, column, row)) {
            if (column >= 0 && column < LEVEL_COLUMNS && row >= 0 && row < LEVEL_ROWS)
                above[Slot(column, row)] += pending;
            pending.clear();
            sawCell = true;
        } else {
            // Before the first cell, blank lines keep their place among the opening comments.
            if (!sawCell) head += pending + (IsBlank(line.text) ? end : "");
            pending.clear();
        }
    }
    if (!sawCell) head += pending;
    const std::string tail = sawCell ? pending : "";

    std::ostringstream o;
    o << head;
    std::map<const LevelCell*, int> written;  // cell -> first slot
    for (int column = 0; column < LEVEL_COLUMNS; ++column) {
        for (int row = 0; row < LEVEL_ROWS; ++row) {
            const LevelCell* cell = level.slots[Slot(column, row)];
            if (!cell) continue;
            auto comment = above.find(Slot(column, row));
            if (comment != above.end()) o << comment->second;
            o << "cell=" << column << "," << row << end;
            auto first = written.find(cell);
            if (first != written.end()) {
                o << "same=" << first->second / LEVEL_ROWS << "," << first->second % LEVEL_ROWS << end;
                continue;
            }
            written[cell] = Slot(column, row);
            for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
                const ManPart* piece = cell->pieces[i];
                if (!piece) continue;
                auto notes = level.pieceNotes.find(piece);
                if (notes != level.pieceNotes.end())
                    for (const std::string& note : notes->second) o << note << end;
                o << "piece=" << piece->vecpartnum << "," << ShortestDecimal(piece->x) << ","
                  << ShortestDecimal(piece->y) << "," << piece->layer;
                const std::string flags = Flags(*piece);
                if (!flags.empty()) o << "," << flags;
                o << end;
            }
        }
    }
    o << tail;
    return o.str();
}

SaveResult SaveLevel(Level& level, const char* fileName, std::string& why)
{
    std::error_code error;
    // A folder that never had the file: an empty one stands for it, as the readers make.
    if (level.fileText.empty() && !std::filesystem::exists(fileName, error)) std::ofstream(fileName, std::ios::binary);
    const std::string text = LevelText(level, level.fileText);
    const SaveResult result = WriteSavedText(fileName, level.fileText, text, why);
    if (result == SaveResult::SAVED) level.fileText = text;
    return result;
}
