#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include <sys/stat.h>
#include <cstdio>

#include "data_files_support.h"
#include "game/state.h"
#include "figure/roles.h"
#include "level/level.h"
#include "level/level_file.h"
#include "base/log.h"

namespace {

class LevelFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGameState();
        ResetLog();
    }
    LevelCell* At(int column, int row) const { return g_level->slots[column * 3 + row]; }
    ScopedTempDir dir;
};

// The game never frees its level; tests that build several do.
void FreeLevel()
{
    if (!g_level) return;
    std::set<LevelCell*> cells(std::begin(g_level->slots), std::end(g_level->slots));
    for (LevelCell* cell : cells) {
        for (int i = 0; cell && i < cell->count; ++i) delete cell->pieces[i];
        delete cell;
    }
    delete g_level;
    g_level = nullptr;
}

void ExpectNeighbourhood(float x, float y, int c0, int c1, int r0, int r1)
{
    SCOPED_TRACE(testing::Message() << "(" << x << ", " << y << ")");
    LevelNeighbourhood n = GetLevelNeighbourhood(x, y);
    EXPECT_EQ(n.firstColumn, c0);
    EXPECT_EQ(n.lastColumn, c1);
    EXPECT_EQ(n.firstRow, r0);
    EXPECT_EQ(n.lastRow, r1);
}

}  // namespace

TEST_F(LevelFile, BuildsAPlayableLevelWithSharedCells)
{
    WriteWholeFile("veclevel.dat", "anything at all\n");
    EXPECT_EQ(InitLevel(), 0);
    ASSERT_NE(g_level, nullptr);
    // The ground row: one cell of floor after another from the end cell to the end cell.
    EXPECT_EQ(At(4, 1), At(0, 1));
    EXPECT_EQ(At(2, 1), At(1, 1));
    EXPECT_EQ(At(3, 1), At(1, 1));
    EXPECT_NE(At(0, 1), At(1, 1));
    int filled = 0;
    for (LevelCell* cell : g_level->slots) filled += cell != nullptr;
    EXPECT_EQ(filled, 6);

    int pushableBlocks = 0;
    for (int column = 0; column <= 4; ++column) {
        SCOPED_TRACE(column);
        const LevelCell* cell = At(column, 1);
        ASSERT_NE(cell, nullptr);
        ASSERT_LE(cell->count, MAX_CELL_PIECES);
        std::vector<float> floorX;
        for (int i = 0; i < cell->count; ++i) {
            const ManPart& p = *cell->pieces[i];
            EXPECT_GE(p.layer, FRONT_LAYER);
            EXPECT_LE(p.layer, BACK_LAYER);
            EXPECT_FALSE(p.visible);
            // Scenery stands behind and is never bumped into; whatever can be pushed collides.
            if (p.vecpartnum == SCENERY_IMAGE) {
                EXPECT_EQ(p.layer, BACK_LAYER);
                EXPECT_FALSE(p.solid || p.movable);
            } else {
                EXPECT_TRUE(p.vecpartnum == FLOOR_IMAGE || p.vecpartnum == BLOCK_IMAGE) << p.vecpartnum;
                EXPECT_TRUE(p.solid);
            }
            if (p.vecpartnum == FLOOR_IMAGE && p.y == 0.0f) floorX.push_back(p.x);
            if (column == 0 && p.vecpartnum == BLOCK_IMAGE && p.pushable) ++pushableBlocks;
        }
        // Floor pieces at most 100 apart, from one cell edge to the other: no gap
        // to fall through while walking along the row.
        ASSERT_FALSE(floorX.empty());
        std::sort(floorX.begin(), floorX.end());
        EXPECT_LE(floorX.front(), 100.0f);
        EXPECT_GE(floorX.back(), SCREEN_CELL_WIDTH - 100.0f);
        for (size_t i = 1; i < floorX.size(); ++i) EXPECT_LE(floorX[i] - floorX[i - 1], 100.0f);
    }
    EXPECT_GT(pushableBlocks, 0);
    ASSERT_NE(At(0, 0), nullptr);
    EXPECT_TRUE(At(0, 0)->pieces[0]->pushable);

    // Shared cells share their pieces: a push in column 0 shows in column 4.
    At(0, 1)->pieces[7]->x += 15.0f;
    EXPECT_EQ(At(4, 1)->pieces[7]->x, At(0, 1)->pieces[7]->x);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(LevelFile, AnyFileOrNoneGivesTheSameLevel)
{
    for (std::string content : {std::string(), std::string(1000, 'x'), std::string(2500, '\0')}) {
        WriteWholeFile("veclevel.dat", content);
        FreeLevel();
        InitLevel();
        ASSERT_NE(g_level, nullptr);
        EXPECT_EQ(At(0, 1)->count, 13);
    }
    std::remove("veclevel.dat");
    FreeLevel();
    InitLevel();
    EXPECT_EQ(At(1, 1)->count, 6);
    // A name that opens but cannot be read must not hold the loader up.
    ASSERT_EQ(mkdir("veclevel.dat", 0700), 0);
    FreeLevel();
    InitLevel();
    EXPECT_EQ(At(0, 0)->count, 1);
}

// Images 0..12 exist as far as the level's rules ask (no textures needed).
struct FakeParts {
    FakeParts() { g_parts = new VectorPart[MIN_IMAGES], g_numParts = MIN_IMAGES; }
    ~FakeParts() { delete[] std::exchange(g_parts, nullptr), g_numParts = 0; }
};

std::vector<std::string> Texts(const std::vector<DataProblem>& problems)
{
    std::vector<std::string> texts;
    for (const DataProblem& p : problems) texts.push_back(p.text);
    return texts;
}

TEST_F(LevelFile, ReadsCellsPiecesAndSharedCellsAndSaysEveryBreachByLine)
{
    FakeParts parts;
    std::string file =
        "// a crate and a tree\n"
        "cell=2,1\n"
        "piece=10,100.5,40,3,smp\n"
        "piece=11,-5,0,6\n"
        "cell=5,0\n"
        "same=2,1\n"
        "cell=20,0\n"
        "piece=10,0,0,3\n"
        "cell=1,2\n"
        "piece=13,0,0,3\n"
        "piece=10,0,0,7\n"
        "piece=10,0,0,3,sx\n"
        "piece=10,nan,0,3\n"
        "piece=10,0,0\n"
        "bogus=1\n"
        "same=3,0\n"
        "piece=9,1,2,1,s\n";
    for (int i = 0; i < MAX_CELL_PIECES; ++i) file += "piece=9,0,0,3\n";  // one too many
    WriteWholeFile("veclevel.dat", file);
    std::vector<DataProblem> problems;
    Level* level = ReadLevel("veclevel.dat", problems);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(Texts(problems),
              (std::vector<std::string>{
                  "veclevel.dat:7: cell=20,0: outside the level (columns 0..19, rows 0..2)",
                  "veclevel.dat:8: piece before any good cell= line",
                  "veclevel.dat:10: piece shows image 13, which does not exist",
                  "veclevel.dat:11: piece: layer 7 is not 1..6",
                  "veclevel.dat:12: piece: unknown flag \"x\" (s, m, p)",
                  "veclevel.dat:13: piece: X and Y must be numbers",
                  "veclevel.dat:14: piece takes IMAGE,X,Y,LAYER[,FLAGS]",
                  "veclevel.dat:15: unknown key \"bogus\"",
                  "veclevel.dat:16: same=3,0: not an earlier cell",
                  "veclevel.dat:37: piece: cell 1,2 already holds 20 pieces",
              }));
    // The shared cell is one cell in two slots; refused lines add nothing anywhere.
    ASSERT_NE(level->CellAt(2, 1), nullptr);
    EXPECT_EQ(level->CellAt(5, 0), level->CellAt(2, 1));
    ASSERT_EQ(level->CellAt(2, 1)->count, 2);
    const ManPart& crate = *level->CellAt(2, 1)->pieces[0];
    EXPECT_EQ(crate.vecpartnum, 10);
    EXPECT_EQ(crate.x, 100.5f);
    EXPECT_EQ(crate.y, 40.0f);
    EXPECT_TRUE(crate.solid && crate.movable && crate.pushable);
    const ManPart& tree = *level->CellAt(2, 1)->pieces[1];
    EXPECT_EQ(tree.layer, 6);
    EXPECT_FALSE(tree.solid || tree.movable || tree.pushable);
    EXPECT_EQ(level->CellAt(1, 2)->count, MAX_CELL_PIECES);
    EXPECT_EQ(level->CellAt(1, 2)->pieces[0]->layer, 1);
    int cells = 0;
    for (const LevelCell* cell : level->slots) cells += cell != nullptr;
    EXPECT_EQ(cells, 3);
    EXPECT_EQ(level->CellAt(20, 0), nullptr);
    EXPECT_EQ(level->fileText, file);
    DeleteLevel(level);
}

TEST_F(LevelFile, ASaveRewritesOnlyWhatChangedAndKeepsEveryLineItDoesNotOwn)
{
    FakeParts parts;
    const std::string file =
        "// my level\r\n\r\n// the start\r\ncell=0,1\r\npiece=9,0,0,3\r\n"
        "// the crate\r\npiece=10,100,100,3,s\r\n"
        "cell=2,1\r\n// shared\r\nsame=0,1\r\npeice=10,100,100,3,s\r\n// an image still to come\r\npiece=99,1,2,3\r\n"
        "cell=1,1\r\npiece=9,5,5,3\r\r\n"
        "// the end";
    WriteWholeFile("veclevel.dat", file);
    std::vector<DataProblem> problems;
    Level* level = ReadLevel("veclevel.dat", problems);
    // The stray CR before the line end is a blank, not part of the layer.
    EXPECT_EQ(Texts(problems), (std::vector<std::string>{"veclevel.dat:11: unknown key \"peice\"",
                                                           "veclevel.dat:13: piece shows image 99, which does not exist"}));
    ASSERT_EQ(level->CellAt(1, 1)->count, 1);

    // Saved unchanged, the file is what was read, byte for byte.
    std::string text;
    std::map<int, Level::PieceOrigin> lines;
    int cut = 0;
    ASSERT_TRUE(LevelSaveText(*level, level->fileText, level->pieceLines, text, lines, cut));
    EXPECT_EQ(text, file);

    Level* original = CopyLevel(*level);
    // A flag set in place, the crate moved to the next cell with its comment, and a new cell.
    LevelCell* start = level->CellAt(0, 1);
    start->pieces[0]->solid = 1;
    ManPart* crate = start->pieces[1];
    start->count = 1;
    LevelCell* next = level->CellAt(1, 1);
    crate->x -= 640;
    next->pieces[next->count++] = crate;
    LevelCell* added = new LevelCell();
    added->count = 1;
    added->pieces[0] = new ManPart(*crate);
    added->pieces[0]->id = NewPieceId();
    level->slots[5 * LEVEL_ROWS] = added;
    std::string why;
    WriteWholeFile("veclevel.dat", file + "\n");
    EXPECT_EQ(SaveLevel(*level, "veclevel.dat", why), SaveResult::CHANGED_ON_DISK);
    WriteWholeFile("veclevel.dat", file);
    ASSERT_EQ(SaveLevel(*level, "veclevel.dat", why), SaveResult::SAVED) << why;
    const std::string saved =
        "// my level\r\n\r\n// the start\r\ncell=0,1\r\npiece=9,0,0,3,s\r\n"
        "cell=2,1\r\n// shared\r\nsame=0,1\r\npeice=10,100,100,3,s\r\n// an image still to come\r\npiece=99,1,2,3\r\n"
        "cell=1,1\r\npiece=9,5,5,3\r\r\n// the crate\r\npiece=10,-540,100,3,s\r\n"
        "cell=5,0\r\npiece=10,-540,100,3,s\r\n"
        "// the end";
    EXPECT_EQ(ReadWholeFile("veclevel.dat"), saved);
    EXPECT_EQ(ReadWholeFile("veclevel.dat.bak"), file);
    EXPECT_EQ(level->fileText, saved);

    // What it saved reads back as the level it had.
    Level* back = ReadLevel("veclevel.dat", problems);
    EXPECT_EQ(LevelText(*back), LevelText(*level));
    DeleteLevel(back);

    // Every change undone (the level as read, over the file as saved): the file as read again.
    original->fileText = level->fileText;
    original->pieceLines = level->pieceLines;
    original->asRead = level->asRead;
    ASSERT_EQ(SaveLevel(*original, "veclevel.dat", why), SaveResult::SAVED) << why;
    EXPECT_EQ(ReadWholeFile("veclevel.dat"), file);
    DeleteLevel(original);
    WriteWholeFile("veclevel.dat", saved);

    // The next save starts from the saved lines: the crate's comment goes when it does.
    next->count = 1;
    delete crate;
    ASSERT_TRUE(LevelSaveText(*level, level->fileText, level->pieceLines, text, lines, cut));
    EXPECT_EQ(text.find("the crate"), std::string::npos);
    EXPECT_NE(text.find("piece=9,5,5,3\r\r\ncell=5,0\r\n"), std::string::npos) << text;
    DeleteLevel(level);
}

TEST_F(LevelFile, ALongLineIsNeverRewrittenAndALongCommentNeverReadsAsKeys)
{
    FakeParts parts;
    // The comment's cut-off tail spells a cell line; the piece's tail another piece.
    const std::string comment = "//" + std::string(MAX_DATA_LINE - 3, ' ') + "cell=7,2";
    const std::string longPiece = "piece=9,1,1,3" + std::string(MAX_DATA_LINE - 14, ' ') + "piece=10,2,2,3";
    WriteWholeFile("veclevel.dat", "cell=0,1\n" + comment + "\npiece=9,0,0,3\n" + longPiece + "\n");
    std::vector<DataProblem> problems;
    Level* level = ReadLevel("veclevel.dat", problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(level->CellAt(7, 2), nullptr);
    ASSERT_EQ(level->CellAt(0, 1)->count, 3);

    // The first piece's line is whole and takes its change; the long one refuses it.
    std::string why;
    level->CellAt(0, 1)->pieces[0]->layer = 4;
    ASSERT_EQ(SaveLevel(*level, "veclevel.dat", why), SaveResult::SAVED) << why;
    level->CellAt(0, 1)->pieces[1]->layer = 4;
    const std::string before = ReadWholeFile("veclevel.dat");
    EXPECT_EQ(SaveLevel(*level, "veclevel.dat", why), SaveResult::REFUSED);
    EXPECT_EQ(why, "veclevel.dat:4 is longer than 999 characters, which the game reads as several lines; "
                   "split it in a text editor to save here");
    EXPECT_EQ(ReadWholeFile("veclevel.dat"), before);
    DeleteLevel(level);
}

TEST(LevelNeighbourhoodRule, CellsAroundAPoint)
{
    ExpectNeighbourhood(320, 640, 0, 1, 0, 2);
    ExpectNeighbourhood(-700, 0, 0, 2, 0, 1);
    ExpectNeighbourhood(-0.9f, -0.9f, 0, 1, 0, 1);
    ExpectNeighbourhood(3000, 1000, 3, 5, 1, 2);
    ExpectNeighbourhood(639.9f, 479.9f, 0, 1, 0, 1);
    ExpectNeighbourhood(640, 480, 0, 2, 0, 2);
    ExpectNeighbourhood(13000, 0, 19, 19, 0, 1);
    ExpectNeighbourhood(12799, 1439, 18, 19, 1, 2);
    ExpectNeighbourhood(0, 1500, 0, 1, 2, 2);
}

TEST(LevelNeighbourhoodRule, FarPointsHaveNoCells)
{
    auto empty = [](float x, float y) {
        LevelNeighbourhood n = GetLevelNeighbourhood(x, y);
        return n.firstColumn > n.lastColumn || n.firstRow > n.lastRow;
    };
    EXPECT_TRUE(empty(13440, 0));
    EXPECT_TRUE(empty(-20000, 0));
    EXPECT_TRUE(empty(0, 1920));
    EXPECT_FALSE(empty(13439, 1919));
    EXPECT_TRUE(empty(3e38f, 0));
    EXPECT_TRUE(empty(-std::numeric_limits<float>::infinity(), 0));
    EXPECT_TRUE(empty(std::numeric_limits<float>::quiet_NaN(), 0));
}
