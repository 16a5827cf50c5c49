#include <gtest/gtest.h>

#include <d3d8.h>
#include <stand_in.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data_files_support.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "game/state.h"
#include "memory/memory_device.h"
#include "base/log.h"

namespace {

// First texel of a tile texture (A1R5G5B5).
uint16_t FirstTexel(IDirect3DTexture8* texture)
{
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    uint16_t value;
    std::memcpy(&value, locked.pBits, 2);
    texture->UnlockRect(0);
    return value;
}

struct Quad {
    QuadVertex v[4];
};

Quad ReadQuad(IDirect3DVertexBuffer8* buffer)
{
    Quad quad;
    BYTE* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, sizeof quad.v, &data, 0), S_OK);
    std::memcpy(quad.v, data, sizeof quad.v);
    buffer->Unlock();
    return quad;
}

class PartsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        MakeDevice(0, 256);
    }
    void MakeDevice(DWORD textureCaps, DWORD maxTexture)
    {
        MemoryConfig().adapters = {{"Test", 2048, 2048, textureCaps, false}};
        g_d3d = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = 64;
        parameters.BackBufferHeight = 64;
        ASSERT_EQ(g_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &g_device), S_OK);
        g_maxTextureWidth = maxTexture;
        g_maxTextureHeight = maxTexture;
    }
    void Load(const std::string& content)
    {
        WriteWholeFile("vecparts.dat", content);
        LoadVectorParts();
    }
    // x range of tile (c, r) and y range, from its quad.
    void ExpectTile(int c, int r, float left, float right, float bottom, float top)
    {
        SCOPED_TRACE(testing::Message() << "tile " << c << "," << r);
        ASSERT_NE(g_parts[0].tileVertexBuffers[c][r], nullptr);
        Quad q = ReadQuad(g_parts[0].tileVertexBuffers[c][r]);
        EXPECT_FLOAT_EQ(q.v[0].x, left);
        EXPECT_FLOAT_EQ(q.v[1].x, right);
        EXPECT_FLOAT_EQ(q.v[0].y, top);
        EXPECT_FLOAT_EQ(q.v[2].y, bottom);
    }
    ScopedTempDir dir;
};

}  // namespace

TEST(QuadVertices, CentredQuadWithTextureExtent)
{
    QuadVertex v[4];
    FillQuadVertices(v, 41, 20, 0.5f, 0.25f, 0x80FF0000);
    const float expected[4][4] = {
        {-20.5f, 10, 0, 0}, {20.5f, 10, 0.5f, 0}, {20.5f, -10, 0.5f, 0.25f}, {-20.5f, -10, 0, 0.25f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, expected[i][0]);
        EXPECT_EQ(v[i].y, expected[i][1]);
        EXPECT_EQ(v[i].z, 0.0f);
        EXPECT_EQ(v[i].u, expected[i][2]);
        EXPECT_EQ(v[i].v, expected[i][3]);
        EXPECT_EQ(v[i].colour, 0x80FF0000u);
    }
}

TEST_F(PartsFile, ExampleFileGivesPointsOffsetsAndOneTileEach)
{
    WriteBmp("body.bmp", 40, 60);
    WriteBmp("arm.bmp", 10, 30);
    Load("// the figure's images\nnumparts=2\npart=0\ntexture=body.bmp\nnumpoints=2\npoints=0,40,-5,-30\n"
         "xoffset=0\nyoffset=0\npart=1\ntexture=arm.bmp\nnumpoints=1\npoints=0,-20\nyoffset=-20\n");
    ASSERT_EQ(g_numParts, 2);
    const VectorPart& body = g_parts[0];
    EXPECT_EQ(body.index, 0);
    EXPECT_STREQ(body.textureFile, "body.bmp");
    EXPECT_EQ(body.tilesAcross, 1);
    EXPECT_EQ(body.tilesDown, 1);
    EXPECT_EQ(body.width, 40u);
    EXPECT_EQ(body.height, 60u);
    ASSERT_EQ(body.numpoints, 2);
    EXPECT_EQ(body.points[0].y, 40);
    EXPECT_EQ(body.points[1].x, -5);
    EXPECT_EQ(body.points[1].y, -30);
    EXPECT_EQ(body.primaryVertexBuffer, body.tileVertexBuffers[0][0]);
    ExpectTile(0, 0, -20, 20, -30, 30);
    Quad q = ReadQuad(body.primaryVertexBuffer);
    EXPECT_EQ(q.v[2].u, 1.0f);
    EXPECT_EQ(q.v[2].v, 1.0f);
    EXPECT_EQ(q.v[0].colour, 0xFFFFFFFFu);

    EXPECT_EQ(g_parts[1].index, 1);
    EXPECT_EQ(g_parts[1].yoffset, -20.0f);
    EXPECT_EQ(g_parts[1].points[0].y, -20);
    std::vector<std::string> expected = {"Part: 0 body.bmp", "Part: 1 arm.bmp", "Parts Data file done"};
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(PartsFile, WideImagesAreCutIntoEqualTilesFromTheirOwnColumns)
{
    // Three bands of colour, one per expected tile.
    WriteBmp("wide.bmp", 600, 200, [](int x, int) { return x < 200 ? 0xFF0000u : x < 400 ? 0x00FF00u : 0x0000FFu; });
    Load("numparts=1\ntexture=wide.bmp\n");
    const VectorPart& part = g_parts[0];
    EXPECT_EQ(part.tilesAcross, 3);
    EXPECT_EQ(part.tilesDown, 1);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(part.tileWidths[c][0], 200);
        EXPECT_EQ(part.tileHeights[c][0], 200);
    }
    ExpectTile(0, 0, -300, -100, -100, 100);
    ExpectTile(1, 0, -100, 100, -100, 100);
    ExpectTile(2, 0, 100, 300, -100, 100);
    EXPECT_EQ(FirstTexel(part.tileTextures[0][0]), 0xFC00);
    EXPECT_EQ(FirstTexel(part.tileTextures[1][0]), 0x83E0);
    EXPECT_EQ(FirstTexel(part.tileTextures[2][0]), 0x801F);
    EXPECT_EQ(part.tileTextures[3][0], nullptr);
    EXPECT_EQ(part.tileTextures[0][1], nullptr);

    // One column more still gives three tiles of 200: the last column is not shown.
    WriteBmp("wider.bmp", 601, 200);
    Load("numparts=1\ntexture=wider.bmp\n");
    EXPECT_EQ(g_parts[0].tilesAcross, 3);
    EXPECT_EQ(g_parts[0].tileWidths[2][0], 200);
    EXPECT_EQ(g_parts[0].width, 601u);
    ExpectTile(2, 0, 100, 300, -100, 100);
}

TEST_F(PartsFile, TallImagesPutImageRowZeroAtTheTop)
{
    WriteBmp("tall.bmp", 100, 600, [](int, int y) { return y < 200 ? 0xFF0000u : 0x0000FFu; });
    Load("numparts=1\ntexture=tall.bmp\n");
    EXPECT_EQ(g_parts[0].tilesDown, 3);
    ExpectTile(0, 0, -50, 50, 100, 300);
    ExpectTile(0, 2, -50, 50, -300, -100);
    EXPECT_EQ(FirstTexel(g_parts[0].tileTextures[0][0]), 0xFC00);
    EXPECT_EQ(FirstTexel(g_parts[0].tileTextures[0][2]), 0x801F);
}

TEST_F(PartsFile, EnlargedTileTexturesSampleOnlyTheLoadedArea)
{
    MakeDevice(D3DPTEXTURECAPS_POW2, 256);
    WriteBmp("wide.bmp", 600, 200);
    Load("numparts=1\ntexture=wide.bmp\n");
    D3DSURFACE_DESC desc;
    g_parts[0].tileTextures[1][0]->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 256u);
    Quad q = ReadQuad(g_parts[0].tileVertexBuffers[1][0]);
    EXPECT_EQ(q.v[2].u, 0.78125f);
    EXPECT_EQ(q.v[2].v, 0.78125f);
    EXPECT_FLOAT_EQ(q.v[1].x, 100.0f);
}

TEST_F(PartsFile, ImagesBeyondFiveByFiveTilesAreRefused)
{
    g_maxTextureWidth = 64;
    g_maxTextureHeight = 64;
    WriteBmp("five.bmp", 320, 40);
    WriteBmp("six.bmp", 321, 40);
    WriteBmp("tall.bmp", 4, 321);
    Load("numparts=3\ntexture=five.bmp\npart=1\ntexture=six.bmp\npart=2\ntexture=tall.bmp\n");
    EXPECT_EQ(g_parts[0].tilesAcross, 5);
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g_parts[i].tilesAcross, 0);
        EXPECT_EQ(g_parts[i].tilesDown, 0);
        EXPECT_EQ(g_parts[i].width, 0u);
        EXPECT_EQ(g_parts[i].primaryVertexBuffer, nullptr);
        for (int c = 0; c < TILE_GRID; ++c) EXPECT_EQ(g_parts[i].tileTextures[c][0], nullptr);
    }
    std::vector<std::string> expected = {"Part: 0 five.bmp",          "Part: 1 six.bmp",
                                         "Error loading vector part", "Part: 2 tall.bmp",
                                         "Error loading vector part", "Parts Data file done"};
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(PartsFile, UnloadableImagesLeaveAnEmptyPartAndReadingGoesOn)
{
    WriteBmp("ok.bmp", 8, 8);
    WriteWholeFile("junk.bmp", "not an image");
    Load("numparts=3\ntexture=missing.bmp\nnumpoints=1\npoints=3,4\npart=1\ntexture=junk.bmp\npart=2\ntexture=ok.bmp\n");
    EXPECT_EQ(g_parts[0].primaryVertexBuffer, nullptr);
    EXPECT_EQ(g_parts[0].tilesAcross, 0);
    EXPECT_EQ(g_parts[0].height, 0u);
    EXPECT_STREQ(g_parts[0].textureFile, "missing.bmp");
    EXPECT_EQ(g_parts[0].points[0].x, 3);
    EXPECT_EQ(g_parts[1].primaryVertexBuffer, nullptr);
    EXPECT_NE(g_parts[2].primaryVertexBuffer, nullptr);
    EXPECT_EQ(LogLines()[1], "Error loading vector part");

    // A device that reports no texture size cannot cut anything.
    g_maxTextureWidth = 0;
    Load("numparts=1\ntexture=ok.bmp\n");
    EXPECT_EQ(g_parts[0].primaryVertexBuffer, nullptr);
}

TEST_F(PartsFile, SecondTextureLineStartsThePartAgainAndReleasesTheOldTiles)
{
    WriteBmp("a.bmp", 600, 100);
    WriteBmp("b.bmp", 20, 20);
    Load("numparts=1\ntexture=a.bmp\nnumpoints=3\npoints=1,2,3,4,5\nxoffset=7\n");
    // The odd item is ignored; the third point stays as created.
    EXPECT_EQ(g_parts[0].points[1].x, 3);
    EXPECT_EQ(g_parts[0].points[1].y, 4);
    EXPECT_EQ(g_parts[0].points[2].x, 0);
    IDirect3DTexture8* oldTile = g_parts[0].tileTextures[2][0];
    IDirect3DVertexBuffer8* oldBuffer = g_parts[0].tileVertexBuffers[2][0];
    ASSERT_NE(oldTile, nullptr);
    // Held here so the game's release shows as a count of 1 (a freed object's address
    // may come back for the new tiles).
    oldTile->AddRef();
    oldBuffer->AddRef();

    SetPartTexture(0, g_parts[0], "b.bmp");
    const VectorPart& part = g_parts[0];
    EXPECT_EQ(part.numpoints, 0);
    EXPECT_EQ(part.points, nullptr);
    EXPECT_EQ(part.xoffset, 0.0f);
    EXPECT_EQ(part.tilesAcross, 1);
    EXPECT_EQ(part.tileTextures[2][0], nullptr);
    EXPECT_EQ(part.width, 20u);
    EXPECT_STREQ(part.textureFile, "b.bmp");
    EXPECT_EQ(oldTile->Release(), 0u);
    EXPECT_EQ(oldBuffer->Release(), 0u);

    // In the file, the later line wins the same way.
    Load("numparts=1\ntexture=a.bmp\nnumpoints=3\npoints=1,2\nyoffset=7\ntexture=b.bmp\n");
    EXPECT_EQ(g_parts[0].yoffset, 0.0f);
    EXPECT_EQ(g_parts[0].numpoints, 0);
    EXPECT_EQ(g_parts[0].width, 20u);
}

TEST_F(PartsFile, DestroyingAPartReleasesEveryTile)
{
    WriteBmp("a.bmp", 600, 600);
    Load("numparts=1\ntexture=a.bmp\n");
    std::vector<IUnknown*> tiles;
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            tiles.push_back(g_parts[0].tileTextures[c][r]);
            tiles.push_back(g_parts[0].tileVertexBuffers[c][r]);
        }
    }
    delete[] g_parts;
    g_parts = nullptr;
    for (IUnknown* tile : tiles) EXPECT_EQ(MemoryObjectRefCount(tile), 0);

    VectorPart empty;
    EXPECT_EQ(empty.tilesAcross, 0);
    EXPECT_EQ(empty.textureFile, nullptr);
    EXPECT_EQ(empty.tileVertexBuffers[4][4], nullptr);
}

TEST_F(PartsFile, LinesOutsideThePartsAreIgnored)
{
    WriteBmp("a.bmp", 8, 8);
    Load("texture=a.bmp\npoints=1,2\nnumparts=-1\nnumparts=2147483647\nnumparts=2\npart=2\ntexture=a.bmp\n"
         "part=-1\nxoffset=3\npart=0\npoints=5,6\nnumpoints=99999\nnumpoints=1\npoints=1,2,3,4\ntexture\n"
         "yoffset=\n");
    ASSERT_EQ(g_numParts, 2);
    EXPECT_EQ(g_parts[0].textureFile, nullptr);
    EXPECT_EQ(g_parts[1].textureFile, nullptr);
    ASSERT_EQ(g_parts[0].numpoints, 1);
    EXPECT_EQ(g_parts[0].points[0].x, 1);
    EXPECT_EQ(PartAt(2), nullptr);
    EXPECT_EQ(PartAt(-1), nullptr);
    EXPECT_EQ(PartAt(1), &g_parts[1]);
    EXPECT_TRUE(LogHas("numparts: count out of range"));
    EXPECT_TRUE(LogHas("numpoints: count out of range"));
    EXPECT_TRUE(LogHas("texture: no such part"));
    EXPECT_TRUE(LogHas("points: more pairs than numpoints"));
}

TEST_F(PartsFile, PointsOfAllPartsTogetherAreBounded)
{
    std::string text = "numparts=20\n";
    for (int i = 0; i < 20; ++i) text += "part=" + std::to_string(i) + "\nnumpoints=4096\n";
    Load(text + "part=0\nnumpoints=0\npart=19\nnumpoints=4096\n");
    EXPECT_EQ(g_parts[15].numpoints, 4096);
    EXPECT_EQ(g_parts[16].numpoints, 0);
    // Room given back by a smaller count can be used again.
    EXPECT_EQ(g_parts[19].numpoints, 4096);
    EXPECT_TRUE(LogHas("numpoints: too many points in all"));
}

TEST_F(PartsFile, HostileTextureNamesAreRefusedAndLoggedVerbatim)
{
    ASSERT_EQ(mkdir("folder.bmp", 0700), 0);
    // Long enough to fill the reader's line; no file of that name can exist.
    const std::string longName(MAX_DATA_LINE - 20, 'n');
    const std::string formatName = "%s%n%x%n.bmp";
    WriteBmp("ok.bmp", 8, 8);
    Load("numparts=4\ntexture=folder.bmp\npart=1\ntexture=" + longName + "\npart=2\ntexture=" + formatName +
         "\npart=3\ntexture=ok.bmp\n");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g_parts[i].primaryVertexBuffer, nullptr) << i;
        EXPECT_EQ(g_parts[i].tilesAcross, 0) << i;
    }
    EXPECT_NE(g_parts[3].primaryVertexBuffer, nullptr);
    EXPECT_STREQ(g_parts[2].textureFile, formatName.c_str());
    const std::vector<std::string> lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Part: 1 " + longName), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Part: 2 " + formatName), lines.end());
}
