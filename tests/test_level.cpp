#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <cstdio>

#include "data_files_support.h"
#include "game/state.h"
#include "figure/roles.h"
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
