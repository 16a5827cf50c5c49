#include <gtest/gtest.h>
#include <d3dx8.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "figure/records.h"
#include "game/state.h"
#include "level/level.h"
#include "recording_device.h"

namespace {

const int IMAGES = 12;

// The game's fixed level, built by hand: the corner cell at column 0 row 0, the end cell at
// columns 0 and 4 of row 1 and the floor cell at columns 1 to 3 of row 1.
class LevelDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGameState();
        g_device = &device;
        g_parts = new VectorPart[IMAGES];
        g_numParts = IMAGES;
        for (int i = 0; i < IMAGES; ++i) {
            g_parts[i].tilesAcross = g_parts[i].tilesDown = 1;
            g_parts[i].tileVertexBuffers[0][0] = device.NewQuad(100, 40);
            g_parts[i].tileTextures[0][0] = device.NewTexture();
        }
        Add(corner, 0, 0, 3, 9);
        for (int i = 0; i < 6; ++i) Add(end, 70.0f + 100 * i, 0, 3, 9);
        Add(end, 320, 320, 3, 10);
        Add(end, 170, 147, 6, 11);
        for (int i = 0; i < 6; ++i) Add(floor, 70.0f + 100 * i, 0, 3, 9);
        level.slots[0 * 3 + 0] = &corner;
        level.slots[0 * 3 + 1] = &end;
        for (int c = 1; c <= 3; ++c) level.slots[c * 3 + 1] = &floor;
        level.slots[4 * 3 + 1] = &end;
        g_level = &level;
    }
    void TearDown() override
    {
        delete[] g_parts;
        g_parts = nullptr;
    }
    void Add(LevelCell& cell, float x, float y, int layer, int image)
    {
        pieces.push_back(ManPart{});
        ManPart& p = pieces.back();
        p.x = x;
        p.y = y;
        p.layer = layer;
        p.vecpartnum = image;
        cell.pieces[cell.count++] = &p;
    }
    void DrawCentredOn(float x, float y)
    {
        g_cameraX = -x;
        g_cameraY = -y;
        device.calls.clear();
        level.DrawLevel();
    }
    // Cell (column, row) of each outline drawn, in order.
    std::vector<std::pair<int, int>> Outlines() const
    {
        std::vector<std::pair<int, int>> cells;
        for (const RecordedCall& fan : device.WireFans())
            cells.push_back({static_cast<int>(std::lround((fan.matrix._41 - 320) / 640)),
                             static_cast<int>(std::lround((fan.matrix._42 - 240) / 480))});
        return cells;
    }
    // Cell column of each piece drawn, in order.
    std::vector<int> PieceColumns() const
    {
        std::vector<int> columns;
        for (const RecordedCall& fan : device.SolidFans())
            columns.push_back(static_cast<int>(std::floor(fan.matrix._41 / 640)));
        return columns;
    }

    RecordingDevice device;
    Level level;
    LevelCell corner = {}, end = {}, floor = {};
    std::vector<ManPart> pieces = std::vector<ManPart>(0);

public:
    LevelDraw() { pieces.reserve(32); }
};

TEST_F(LevelDraw, VisitsTheCellsAroundTheCameraRowByRow)
{
    g_showHitBoxes = 1;
    DrawCentredOn(320, 640);
    const std::vector<std::pair<int, int>> six = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}};
    EXPECT_EQ(Outlines(), six);
    // The corner cell's piece, the end cell's eight and the floor cell's six.
    EXPECT_EQ(device.SolidFans().size(), 1u + 8u + 6u);
    for (const RecordedCall& fan : device.WireFans()) {
        EXPECT_EQ(fan.texture, nullptr);
        EXPECT_FLOAT_EQ(fan.vertices[0].x, -320.0f);
        EXPECT_FLOAT_EQ(fan.vertices[0].y, 240.0f);
        EXPECT_FLOAT_EQ(fan.vertices[2].x, 320.0f);
        EXPECT_FLOAT_EQ(fan.vertices[2].y, -240.0f);
        EXPECT_EQ(fan.vertices[1].colour, 0xFFFFFFFFu);
    }
    EXPECT_EQ(device.buffersCreated, 6);
    EXPECT_EQ(device.buffersFreed, 6);
    EXPECT_EQ(device.fillMode, DWORD(D3DFILL_SOLID));

    DrawCentredOn(3000, 640);
    EXPECT_EQ(Outlines().size(), 9u);
    EXPECT_EQ(Outlines().front(), std::make_pair(3, 0));
    EXPECT_EQ(Outlines().back(), std::make_pair(5, 2));
    std::vector<int> columns = PieceColumns();
    EXPECT_EQ(std::count(columns.begin(), columns.end(), 3), 6);
    EXPECT_EQ(std::count(columns.begin(), columns.end(), 4), 8);
    EXPECT_EQ(columns.size(), 14u);

    // The rule takes absolute values.
    DrawCentredOn(-700, 640);
    EXPECT_EQ(Outlines().front(), std::make_pair(0, 0));
    EXPECT_EQ(Outlines().back(), std::make_pair(2, 2));

    DrawCentredOn(13000, 100);
    EXPECT_EQ(Outlines().size(), 2u);
    EXPECT_EQ(Outlines().front(), std::make_pair(19, 0));

    DrawCentredOn(13440, 100);
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(LevelDraw, DrawsBackLayersFirstAndSkipsLayersOutsideOneToSix)
{
    Add(end, 10, 10, 0, 1);
    Add(end, 10, 10, 7, 2);
    Add(end, 10, 10, 1, 3);
    DrawCentredOn(320, 640);
    std::vector<const void*> textures;
    for (const RecordedCall& fan : device.SolidFans())
        if (fan.matrix._42 >= 480 && fan.matrix._41 < 640) textures.push_back(fan.texture);
    ASSERT_FALSE(textures.empty());
    EXPECT_EQ(textures.front(), g_parts[11].tileTextures[0][0]);
    EXPECT_EQ(textures.back(), g_parts[3].tileTextures[0][0]);
    for (const void* t : textures) {
        EXPECT_NE(t, g_parts[1].tileTextures[0][0]);
        EXPECT_NE(t, g_parts[2].tileTextures[0][0]);
    }
    EXPECT_TRUE(device.WireFans().empty());
}

TEST_F(LevelDraw, PlacesEachPieceTurnedThenMovedIntoItsCell)
{
    end.count = 0;
    Add(end, 100, 50, 2, 10);
    end.pieces[0]->angle = 90.0f;
    end.pieces[0]->z = 3.0f;
    DrawCentredOn(320, 640);
    std::vector<RecordedCall> fans;
    for (const RecordedCall& fan : device.SolidFans())
        if (fan.texture == g_parts[10].tileTextures[0][0]) fans.push_back(fan);
    ASSERT_EQ(fans.size(), 1u);
    D3DXMATRIX m;
    static_cast<D3DMATRIX&>(m) = fans[0].matrix;
    const D3DXVECTOR3 right(10, 0, 0);
    D3DXVECTOR4 p;
    D3DXVec3Transform(&p, &right, &m);
    EXPECT_NEAR(p.x, 100.0f, 1e-3f);
    EXPECT_NEAR(p.y, 480.0f + 50.0f + 10.0f, 1e-3f);
    EXPECT_NEAR(p.z, 3.0f, 1e-3f);
}

TEST_F(LevelDraw, SurvivesBrokenPiecesAndMissingBuffers)
{
    Add(end, 10, 10, 3, -1);
    Add(end, 10, 10, 3, 99);
    end.pieces[end.count++] = nullptr;
    g_showHitBoxes = 1;
    device.failCreateBuffer = true;
    DrawCentredOn(320, 640);
    EXPECT_EQ(device.SolidFans().size(), 15u);
    EXPECT_TRUE(device.WireFans().empty());
}

}  // namespace
