#include "level/level_file.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "figure/data_reader.h"
#include "figure/roles.h"
#include "figure/save_engine.h"

namespace {

int Slot(int column, int row)
{
    return column * LEVEL_ROWS + row;
}

// A cell's place for the save: the first slot that holds it. The editor never changes
// which slots share a cell, so this names the same cell in every copy of the level.
int FirstSlotOf(const Level& level, const LevelCell* cell)
{
    for (int i = 0; i < LEVEL_COLUMNS * LEVEL_ROWS; ++i)
        if (level.slots[i] == cell) return i;
    return -1;
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
        piece->id = NewPieceId();
        cell.pieces[cell.count++] = piece;
    }
}

// The reading in progress.
struct LevelRead {
    const char* fileName = "";
    int imageCount = 0;  // the parts file's images, which pieces name by number
    std::vector<DataProblem>* problems = nullptr;
    Level* level = nullptr;
    int column = -1, row = -1;  // of the last good cell= line; -1: pieces have nowhere to go
    std::map<int, Level::PieceOrigin> pieceLines;  // by piece id
};
void Problem(LevelRead& r, int line, const std::string& message)
{
    const std::string file = r.fileName;
    r.problems->push_back({file, line, file + ":" + std::to_string(line) + ": " + message, false});
}

const char ITEM_BLANKS[] = " \t\r";

// Splits a value at every ",", keeping empty items, blanks around each trimmed.
std::vector<std::string> Items(const char* value)
{
    std::vector<std::string> items;
    std::string item;
    for (const char* p = value;; ++p) {
        if (*p == ',' || *p == '\0') {
            // A CR of a line end gone astray (CR CR LF) is a blank as much as a space is.
            size_t first = item.find_first_not_of(ITEM_BLANKS);
            size_t last = item.find_last_not_of(ITEM_BLANKS);
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
bool ReadCellPlace(LevelRead& r, int line, const char* key, const char* value, int& column, int& row)
{
    const std::vector<std::string> items = Items(value);
    if (items.size() != 2 || !WholeNumber(items[0], true) || !WholeNumber(items[1], true)) {
        Problem(r, line, std::string(key) + " takes COLUMN,ROW");
        return false;
    }
    column = std::atoi(items[0].c_str());
    row = std::atoi(items[1].c_str());
    if (column < 0 || column >= LEVEL_COLUMNS || row < 0 || row >= LEVEL_ROWS) {
        Problem(r, line, std::string(key) + "=" + items[0] + "," + items[1] + ": outside the level (columns 0.." +
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

void ReadCell(LevelRead& r, int line, const char* value)
{
    r.column = r.row = -1;
    int column = -1, row = -1;
    if (!ReadCellPlace(r, line, "cell", value, column, row)) return;
    r.column = column;
    r.row = row;
    LevelCell*& cell = r.level->slots[Slot(column, row)];
    if (!cell) cell = new LevelCell();
}

void ReadSame(LevelRead& r, int line, const char* value)
{
    int column = -1, row = -1;
    if (!ReadCellPlace(r, line, "same", value, column, row)) return;
    if (r.column < 0) {
        Problem(r, line, "same before any good cell= line");
        return;
    }
    const int here = Slot(r.column, r.row);
    LevelCell* earlier = r.level->slots[Slot(column, row)];
    if (!earlier || Slot(column, row) == here) {
        Problem(r, line, "same=" + std::to_string(column) + "," + std::to_string(row) + ": not an earlier cell");
        return;
    }
    LevelCell* own = r.level->slots[here];
    if (own == earlier) return;
    if (own && (own->count > 0 || SharedElsewhere(*r.level, own, here))) {
        Problem(r, line, "same: cell " + std::to_string(r.column) + "," + std::to_string(r.row) +
                          " already has pieces of its own");
        return;
    }
    delete own;
    r.level->slots[here] = earlier;
}

void ReadPiece(LevelRead& r, int line, const char* value)
{
    if (r.column < 0) {
        Problem(r, line, "piece before any good cell= line");
        return;
    }
    const std::vector<std::string> items = Items(value);
    if (items.size() < 4 || items.size() > 5) {
        Problem(r, line, "piece takes IMAGE,X,Y,LAYER[,FLAGS]");
        return;
    }
    const int image = WholeNumber(items[0], true) ? std::atoi(items[0].c_str()) : -1;
    if (image < 0 || image >= r.imageCount) {
        Problem(r, line, "piece shows image " + items[0] + ", which does not exist");
        return;
    }
    if (!WholeNumber(items[1], false) || !WholeNumber(items[2], false)) {
        Problem(r, line, "piece: X and Y must be numbers");
        return;
    }
    const int layer = WholeNumber(items[3], true) ? std::atoi(items[3].c_str()) : 0;
    if (layer < FRONT_LAYER || layer > BACK_LAYER) {
        Problem(r, line, "piece: layer " + items[3] + " is not " + std::to_string(FRONT_LAYER) + ".." +
                          std::to_string(BACK_LAYER));
        return;
    }
    ManPart flags = ManPart();
    for (char c : items.size() > 4 ? items[4] : std::string()) {
        unsigned char* flag = c == SOLID_FLAG ? &flags.solid : c == MOVABLE_FLAG ? &flags.movable
                              : c == PUSHABLE_FLAG                 ? &flags.pushable
                                                                   : nullptr;
        if (!flag) {
            Problem(r, line, std::string("piece: unknown flag \"") + c + "\" (s, m, p)");
            return;
        }
        *flag = 1;
    }
    LevelCell& cell = *r.level->slots[Slot(r.column, r.row)];
    if (cell.count >= MAX_CELL_PIECES) {
        Problem(r, line, "piece: cell " + std::to_string(r.column) + "," + std::to_string(r.row) + " already holds " +
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
    piece->id = NewPieceId();
    cell.pieces[cell.count++] = piece;
    r.pieceLines[piece->id] = {line, FirstSlotOf(*r.level, &cell), *piece};
}

// The level file's reading: its state is its own, so nothing outside it is touched.
class LevelReading : public DataFileReading {
public:
    explicit LevelReading(LevelRead& read) : read_(read) {}
    bool Key(int line, const char* key, const char* value) override
    {
        void (*reader)(LevelRead&, int, const char*) = std::strcmp(key, "cell") == 0    ? ReadCell
                                                       : std::strcmp(key, "piece") == 0 ? ReadPiece
                                                       : std::strcmp(key, "same") == 0  ? ReadSame
                                                                                        : nullptr;
        if (!reader) return false;
        if (value) reader(read_, line, value);
        else Problem(read_, line, std::string(key) + " has no value");
        return true;
    }
    void Read(int line, const char* key, const char*, bool understood) override
    {
        if (!understood) Problem(read_, line, std::string("unknown key \"") + key + "\"");
    }

private:
    LevelRead& read_;
};

// The key of a line as the reader splits it ("" for none or a comment), when it has a value.
std::string KeyOf(const std::string& text)
{
    const size_t start = text.find_first_not_of('=');
    if (start == std::string::npos) return "";
    const size_t end = text.find('=', start);
    if (end == std::string::npos || text.find_first_not_of('=', end) == std::string::npos) return "";
    return text.substr(start, end - start);
}

// Whether some line of text has the key "cell", looked at in place: a large file is never
// copied line by line just to learn whether it describes a level.
bool DescribesCells(const std::string& text)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const size_t start = text.find_first_not_of('=', at);
        if (start < end && text.compare(start, 5, "cell=") == 0 &&
            text.find_first_not_of('=', start + 5) < end)
            return true;
        at = end + 1;
    }
    return false;
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

// "cell=C,R" of a line as the reader would take it, in the grid, or false.
bool CellLine(const std::string& text, int& column, int& row)
{
    size_t start = text.find_first_not_of('=');
    if (start == std::string::npos || text.compare(start, 5, "cell=") != 0) return false;
    std::vector<std::string> items = Items(text.substr(start + 5).c_str());
    if (items.size() != 2 || !WholeNumber(items[0], true) || !WholeNumber(items[1], true)) return false;
    column = std::atoi(items[0].c_str());
    row = std::atoi(items[1].c_str());
    return column >= 0 && column < LEVEL_COLUMNS && row >= 0 && row < LEVEL_ROWS;
}

std::string Flags(const ManPart& piece)
{
    std::string flags;
    if (piece.solid) flags += SOLID_FLAG;
    if (piece.movable) flags += MOVABLE_FLAG;
    if (piece.pushable) flags += PUSHABLE_FLAG;
    return flags;
}

std::string PieceValue(const ManPart& piece)
{
    std::string value = std::to_string(piece.vecpartnum) + "," + ShortestDecimal(piece.x) + "," +
                        ShortestDecimal(piece.y) + "," + std::to_string(piece.layer);
    const std::string flags = Flags(piece);
    return flags.empty() ? value : value + "," + flags;
}

// Whether two pieces are the same as far as the file says.
bool SamePiece(const ManPart& a, const ManPart& b)
{
    return a.vecpartnum == b.vecpartnum && a.x == b.x && a.y == b.y && a.layer == b.layer && a.solid == b.solid &&
           a.movable == b.movable && a.pushable == b.pushable;
}

// The kind of record that owns a piece's line (figure/save_engine.h); its id is the piece's.
const int PIECE_RECORD = 1;

// The save's plan for one piece that leaves its line or has none yet.
struct Placed {
    const ManPart* piece;
    int from;  // its line in the known text, 0 for a piece new to the file
};

}  // namespace

int NewPieceId()
{
    static int s_lastId = 0;
    return ++s_lastId;
}

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
    return ReadLevel(fileName, g_parts ? g_numParts : 0, problems);
}

Level* ReadLevel(const char* fileName, int imageCount, std::vector<DataProblem>& problems)
{
    std::error_code error;
    if (!fileName || !std::filesystem::exists(fileName, error)) return BuildFixedLevel();
    // A file that describes no cell means nothing, as level files always did: whatever else
    // it holds is neither read nor a problem.
    std::string text = FileText(fileName);
    if (!DescribesCells(text)) {
        Level* level = BuildFixedLevel();
        level->fileText = std::move(text);
        return level;
    }
    LevelRead read;
    read.fileName = fileName;
    read.imageCount = imageCount;
    read.problems = &problems;
    read.level = new Level();
    LevelReading reading(read);
    ReadDataFile(fileName, reading, "Level file done");
    read.level->fileText = std::move(text);
    read.level->pieceLines = std::move(read.pieceLines);
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
                if (piece) copy->pieces[copy->count++] = new ManPart(*piece);
            }
        }
        level->slots[i] = copy;
    }
    level->fileText = from.fileText;
    level->pieceLines = from.pieceLines;
    level->asRead = from.asRead;
    level->savedForm = from.savedForm;
    return level;
}

bool LevelSaveText(const Level& level, const std::string& known, const std::map<int, Level::PieceOrigin>& knownLines,
                   std::string& text, std::map<int, Level::PieceOrigin>& newLines, int& cutLine)
{
    // The file's lines, each piece's line tagged with it.
    std::vector<TaggedLine> lines = UntaggedLines(known);
    const int count = static_cast<int>(lines.size());
    for (const auto& [id, origin] : knownLines) {
        if (origin.line < 1 || origin.line > count || KeyOf(lines[origin.line - 1].text) != "piece") continue;
        lines[origin.line - 1].owner = {PIECE_RECORD, id};
        lines[origin.line - 1].key = "piece";
    }
    cutLine = 0;
    LineEdits edits;

    // Each cell once, at its first slot; which pieces keep their lines, and which move.
    std::vector<char> kept(count + 1, 0);
    std::set<int> keptIds;
    std::map<int, std::vector<Placed>> placed;  // first slot -> pieces written after its anchor
    std::map<int, int> lastKept;                // first slot -> its last kept piece line
    std::vector<int> firstSlots;
    for (int slot = 0; slot < LEVEL_COLUMNS * LEVEL_ROWS; ++slot) {
        const LevelCell* cell = level.slots[slot];
        if (!cell || FirstSlotOf(level, cell) != slot) continue;
        firstSlots.push_back(slot);
        int last = 0;
        bool inOrder = true;
        for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
            const ManPart* piece = cell->pieces[i];
            if (!piece) continue;
            auto origin = knownLines.find(piece->id);
            const int line = origin == knownLines.end() ? 0 : origin->second.line;
            const bool known = line >= 1 && line <= count && lines[line - 1].owner.kind == PIECE_RECORD;
            // A piece keeps its line while the file's order still is the cell's drawing
            // order; from the first that cannot, the rest are written anew after the cell.
            // Pieces of one line read in pieces share its number.
            inOrder = inOrder && known && origin->second.slot == slot &&
                      (line > last || (line == last && ReadInPieces(lines[line - 1].text)));
            if (inOrder) {
                kept[line] = 1;
                keptIds.insert(piece->id);
                if (!SamePiece(*piece, origin->second.read))
                    edits.Set({PIECE_RECORD, origin->first}, "piece", PieceValue(*piece));
                last = line;
            } else {
                placed[slot].push_back({piece, known ? line : 0});
            }
        }
        if (last) lastKept[slot] = last;
    }

    // The lines of pieces that moved or went, with the comments and blanks right above them.
    std::map<int, std::vector<TaggedLine>> notes;  // a moving piece's line -> those lines
    for (const auto& [id, origin] : knownLines) {
        const int line = origin.line;
        if (line < 1 || line > count || lines[line - 1].owner.kind != PIECE_RECORD) continue;
        if (kept[line]) {
            // Another piece of a line read in pieces stays: this one cannot go on its own.
            if (!keptIds.count(id)) cutLine = cutLine ? cutLine : line;
            continue;
        }
        std::vector<int> going = NotesAbove(lines, line);
        for (int note : going) notes[line].push_back(lines[note - 1]);
        going.push_back(line);
        edits.RemoveLines(going);
    }

    // Where each cell's new pieces go: after its last kept piece, or after the last cell=
    // line (and a same= line right below it) that addresses a slot holding it.
    std::set<int> addressed;  // first slots that some cell= line of the file addresses
    std::map<int, int> lastHeader;
    for (int i = 1; i <= count; ++i) {
        int column = -1, row = -1;
        if (!CellLine(lines[i - 1].text, column, row)) continue;
        const LevelCell* cell = level.slots[Slot(column, row)];
        if (!cell) continue;
        const int first = FirstSlotOf(level, cell);
        addressed.insert(first);
        const bool same = i < count && KeyOf(lines[i].text) == "same";
        lastHeader[first] = same ? i + 1 : i;
    }
    auto placedLines = [&](int slot) {
        std::vector<TaggedLine> block;
        for (const Placed& p : placed[slot]) {
            auto note = notes.find(p.from);
            if (note != notes.end()) block.insert(block.end(), note->second.begin(), note->second.end());
            block.push_back({"piece=" + PieceValue(*p.piece), "", {PIECE_RECORD, p.piece->id}, "piece", -1});
        }
        return block;
    };
    for (int slot : firstSlots) {
        if (!placed.count(slot)) continue;
        auto kept = lastKept.find(slot);
        auto header = lastHeader.find(slot);
        const int anchor = kept != lastKept.end() ? kept->second : header != lastHeader.end() ? header->second : 0;
        if (anchor) edits.AddAfter(anchor, placedLines(slot));
    }

    // Cells the file has no line for go after its last line that is neither a comment nor
    // blank, in slot order, so the comments that close the file still close it.
    int tail = count;
    for (int i = count; i >= 1; --i) {
        const std::string& line = lines[i - 1].text;
        if (IsComment(line) || IsBlank(line)) continue;
        tail = i;
        break;
    }
    std::vector<TaggedLine> newCells;
    std::map<const LevelCell*, int> written;
    for (int slot = 0; slot < LEVEL_COLUMNS * LEVEL_ROWS; ++slot) {
        const LevelCell* cell = level.slots[slot];
        if (!cell || addressed.count(FirstSlotOf(level, cell))) continue;
        auto place = [](const char* key, int at) {
            return TaggedLine{std::string(key) + "=" + std::to_string(at / LEVEL_ROWS) + "," +
                                  std::to_string(at % LEVEL_ROWS),
                              "", LineOwner(), std::string(), -1};
        };
        newCells.push_back(place("cell", slot));
        if (written.count(cell)) {
            newCells.push_back(place("same", written[cell]));
            continue;
        }
        written[cell] = slot;
        const std::vector<TaggedLine> pieces = placedLines(slot);
        newCells.insert(newCells.end(), pieces.begin(), pieces.end());
    }
    if (!newCells.empty()) edits.AddAfter(tail, newCells);

    std::vector<TaggedLine> result;
    int engineCut = 0;
    const bool applied = ApplyLineEdits(lines, edits, result, engineCut);
    if (!cutLine || (engineCut && engineCut < cutLine)) cutLine = engineCut;
    if (!applied || cutLine) return false;

    // Where every piece now stands, as the next save will need it.
    std::map<int, int> slotOf;  // piece id -> first slot of its cell
    std::map<int, const ManPart*> pieceOf;
    for (int slot : firstSlots) {
        const LevelCell* cell = level.slots[slot];
        for (int i = 0; i < cell->count && i < MAX_CELL_PIECES; ++i) {
            if (!cell->pieces[i]) continue;
            slotOf[cell->pieces[i]->id] = slot;
            pieceOf[cell->pieces[i]->id] = cell->pieces[i];
        }
    }
    newLines.clear();
    for (size_t i = 0; i < result.size(); ++i) {
        const LineOwner& owner = result[i].owner;
        if (owner.kind == PIECE_RECORD && pieceOf.count(owner.id))
            newLines[owner.id] = {static_cast<int>(i + 1), slotOf[owner.id], *pieceOf[owner.id]};
    }
    text = JoinLines(result);
    return true;
}

bool LevelUnsaved(const Level& level)
{
    return !level.savedForm.empty() && LevelText(level) != level.savedForm;
}

std::string LevelText(const Level& level)
{
    std::string text;
    std::map<int, Level::PieceOrigin> lines;
    int cut = 0;
    LevelSaveText(level, "", {}, text, lines, cut);
    return text;
}

SaveResult SaveLevel(Level& level, const char* fileName, std::string& why)
{
    std::string text;
    std::map<int, Level::PieceOrigin> lines;
    int cut = 0;
    if (level.asRead && LevelSaveText(level, level.asRead->text, level.asRead->pieceLines, text, lines, cut) &&
        text == level.asRead->text) {
        // Saving over the file as read would change nothing in it: it is written back as read.
    } else if (!LevelSaveText(level, level.fileText, level.pieceLines, text, lines, cut)) {
        why = LineInPiecesWhy(fileName, cut);
        return SaveResult::REFUSED;
    }
    std::error_code error;
    // A folder that never had the file: an empty one stands for it, as the readers make.
    if (level.fileText.empty() && !std::filesystem::exists(fileName, error)) std::ofstream(fileName, std::ios::binary);
    const SaveResult result = WriteSavedText(fileName, level.fileText, text, why);
    if (result == SaveResult::SAVED) {
        if (!level.asRead) level.asRead = std::make_shared<const Level::AsRead>(Level::AsRead{level.fileText, level.pieceLines});
        level.fileText = text;
        level.pieceLines = lines;
    }
    return result;
}
