#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <cstdio>

#include "data_files_support.h"
#include "game/state.h"
#include "level/level.h"
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

struct Expected {
    float x, y;
    int layer, vecpartnum, solid, movable, pushable;
};

void ExpectPieces(const LevelCell* cell, const std::vector<Expected>& pieces)
{
    ASSERT_NE(cell, nullptr);
    ASSERT_EQ(cell->count, static_cast<int>(pieces.size()));
    for (size_t i = 0; i < pieces.size(); ++i) {
        SCOPED_TRACE(i);
        const ManPart& p = *cell->pieces[i];
        EXPECT_EQ(p.x, pieces[i].x);
        EXPECT_EQ(p.y, pieces[i].y);
        EXPECT_EQ(p.z, 0.0f);
        EXPECT_EQ(p.angle, 0.0f);
        EXPECT_EQ(p.layer, pieces[i].layer);
        EXPECT_EQ(p.vecpartnum, pieces[i].vecpartnum);
        EXPECT_EQ(p.solid, pieces[i].solid);
        EXPECT_EQ(p.movable, pieces[i].movable);
        EXPECT_EQ(p.pushable, pieces[i].pushable);
        EXPECT_EQ(p.visible, 0);
    }
    for (size_t i = pieces.size(); i < MAX_CELL_PIECES; ++i) EXPECT_EQ(cell->pieces[i], nullptr);
}

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

TEST_F(LevelFile, BuildsTheFixedLevelWithSharedCells)
{
    WriteWholeFile("veclevel.dat", "anything at all\n");
    EXPECT_EQ(InitLevel(), 0);
    ASSERT_NE(g_level, nullptr);
    std::vector<Expected> floor;
    for (int i = 0; i < 6; ++i) floor.push_back({70.0f + 100 * i, 0, 3, 9, 1, 0, 0});
    std::vector<Expected> end = floor;
    end.insert(end.end(), {{20, 340, 3, 10, 1, 0, 0},
                           {70, 340, 3, 10, 1, 1, 1},
                           {500, 130, 3, 10, 1, 1, 1},
                           {635, 260, 3, 10, 1, 1, 1},
                           {320, 320, 3, 10, 1, 1, 1},
                           {170, 147, 6, 11, 0, 0, 0},
                           {470, 147, 6, 11, 0, 0, 0}});
    ExpectPieces(At(0, 0), {{0, 0, 3, 9, 1, 1, 1}});
    ExpectPieces(At(0, 1), end);
    ExpectPieces(At(1, 1), floor);
    EXPECT_EQ(At(4, 1), At(0, 1));
    EXPECT_EQ(At(2, 1), At(1, 1));
    EXPECT_EQ(At(3, 1), At(1, 1));
    EXPECT_NE(At(0, 1), At(1, 1));
    int filled = 0;
    for (LevelCell* cell : g_level->slots) filled += cell != nullptr;
    EXPECT_EQ(filled, 6);
    // Shared cells share their pieces: a push in column 0 shows in column 4.
    At(0, 1)->pieces[7]->x += 15.0f;
    EXPECT_EQ(At(4, 1)->pieces[7]->x, 85.0f);
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
