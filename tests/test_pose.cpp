#include <gtest/gtest.h>

#include <d3dx8.h>

#include <cstdlib>
#include <vector>

#include "editor/editor.h"
#include "graphics/scene_view.h"
#include "animation/figure_pose.h"
#include "editor/overlays.h"
#include "figure/records.h"
#include "game/state.h"
#include "play_world.h"
#include "recording_device.h"

namespace {

const int IMAGES = 8;

class Pose : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGameState();
        g_device = &device;
        D3DXMATRIX projection, view;
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1024.0f / 768.0f, 1.0f, 2000.0f);
        D3DXMatrixTranslation(&view, 0.0f, 0.0f, 800.0f);
        device.projection = projection;
        device.view = view;
        g_parts = new VectorPart[IMAGES];
        g_numParts = IMAGES;
        for (int i = 0; i < IMAGES; ++i) {
            VectorPart& p = g_parts[i];
            p.tilesAcross = p.tilesDown = 1;
            p.tileVertexBuffers[0][0] = device.NewQuad(40, 40);
            p.tileTextures[0][0] = device.NewTexture();
            p.primaryVertexBuffer = p.tileVertexBuffers[0][0];
        }
    }
    void TearDown() override
    {
        delete[] g_parts;
        g_parts = nullptr;
    }

    ManPart& AddSlot(int image, int layer, float x = 0.0f, float y = 0.0f)
    {
        ManPart& slot = slots[count++];
        slot = RootSlot(image, layer, x, y);
        return slot;
    }
    void SetJoint(int image, int x, int y)
    {
        delete[] g_parts[image].points;
        g_parts[image].points = new PartPoint[1]{{x, y}};
        g_parts[image].numpoints = 1;
    }
    // A pass as the game makes one: the step's picks through the view the device holds,
    // then the drawing, whose calls are recorded.
    void Draw()
    {
        man.parts = slots;
        man.numparts = count;
        StoreTrackedPositions(man);
        SceneView scene;
        static_cast<D3DMATRIX&>(scene.view) = device.view;
        static_cast<D3DMATRIX&>(scene.projection) = device.projection;
        scene.viewport = device.viewport;
        PickInPass(scene, &man);
        device.calls.clear();
        man.DrawFigure();
    }
    // Images drawn solid, in drawing order.
    std::vector<int> DrawnImages() const
    {
        std::vector<int> images;
        for (const RecordedCall& call : device.SolidFans())
            for (int i = 0; i < IMAGES; ++i)
                if (call.texture == g_parts[i].tileTextures[0][0]) images.push_back(i);
        return images;
    }
    void PointCursorAt(float worldX, float worldY)
    {
        D3DXMATRIX identity, view, projection;
        D3DXMatrixIdentity(&identity);
        static_cast<D3DMATRIX&>(view) = device.view;
        static_cast<D3DMATRIX&>(projection) = device.projection;
        const D3DXVECTOR3 point(worldX, worldY, 0.0f);
        D3DXVECTOR3 screen;
        D3DXVec3Project(&screen, &point, &device.viewport, &projection, &view, &identity);
        g_cursorPos.x = static_cast<LONG>(screen.x + 0.5f);
        g_cursorPos.y = static_cast<LONG>(screen.y + 0.5f);
    }

    RecordingDevice device;
    VectorMan man = {};
    ManPart slots[MAX_FRAME_KEYS] = {};
    int count = 0;
};

TEST_F(Pose, DrawsBackLayerFirstAndOnlyLayersOneToSix)
{
    AddSlot(0, 3);
    AddSlot(1, 6);
    AddSlot(2, 1);
    AddSlot(3, 6);
    AddSlot(4, 0);
    AddSlot(5, 7);
    Draw();
    EXPECT_EQ(DrawnImages(), (std::vector<int>{1, 3, 0, 2}));
}

TEST_F(Pose, ChildHangsFromItsParentWhateverTheSlotOrder)
{
    man.x = 100.0f;
    man.y = 200.0f;
    // Parent before child: the parent is moved 10 along x and turned a quarter turn.
    ManPart& parent = AddSlot(0, 2, 10.0f, 0.0f);
    parent.angle = 90.0f;
    ManPart& child = AddSlot(1, 1);
    child.rootpart = 0;
    child.rootpoint = 0;
    child.tracked = 1;
    SetJoint(0, 5, 20);
    Draw();
    EXPECT_NEAR(slots[1].worldX, 80.0f, 1e-3f);
    EXPECT_NEAR(slots[1].worldY, 215.0f, 1e-3f);
    const std::vector<RecordedCall> fans = device.SolidFans();
    ASSERT_EQ(fans.size(), 2u);
    EXPECT_NEAR(fans[1].matrix._41, 80.0f, 1e-3f);
    EXPECT_NEAR(fans[1].matrix._42, 215.0f, 1e-3f);

    // Child before parent: the same pose, the joint taken from the image numbered like the parent slot.
    count = 0;
    ManPart& early = AddSlot(0, 1);
    early.rootpart = 1;
    early.rootpoint = 0;
    early.tracked = 1;
    ManPart& late = AddSlot(1, 2, 10.0f, 0.0f);
    late.angle = 90.0f;
    SetJoint(1, 5, 20);
    Draw();
    EXPECT_NEAR(slots[0].worldX, 80.0f, 1e-3f);
    EXPECT_NEAR(slots[0].worldY, 215.0f, 1e-3f);

    // A parent outside the drawn layers is not drawn, but its child still hangs from it.
    slots[1].layer = 0;
    Draw();
    EXPECT_EQ(DrawnImages(), (std::vector<int>{0}));
    EXPECT_NEAR(slots[0].worldX, 80.0f, 1e-3f);
    EXPECT_NEAR(slots[0].worldY, 215.0f, 1e-3f);
}

TEST_F(Pose, FigureTurnsThenMoves)
{
    man.x = 100.0f;
    man.y = 50.0f;
    man.yAngle = 180.0f;
    AddSlot(0, 1, 10.0f, 0.0f).tracked = 1;
    Draw();
    EXPECT_NEAR(slots[0].worldX, 90.0f, 1e-3f);  // mirrored about the figure's origin
    EXPECT_NEAR(slots[0].worldY, 50.0f, 1e-3f);

    man.yAngle = 0.0f;
    man.zAngle = 90.0f;
    Draw();
    EXPECT_NEAR(slots[0].worldX, 100.0f, 1e-3f);
    EXPECT_NEAR(slots[0].worldY, 60.0f, 1e-3f);

    // The tracked point is the image centre, so the pivot offset moves it.
    man.zAngle = 0.0f;
    g_parts[0].xoffset = 3.0f;
    g_parts[0].yoffset = -4.0f;
    Draw();
    EXPECT_NEAR(slots[0].worldX, 113.0f, 1e-3f);
    EXPECT_NEAR(slots[0].worldY, 46.0f, 1e-3f);
}

TEST_F(Pose, BrokenLinksKeepTheParentOrHangFromTheOriginAndMissingImagesAreNotDrawn)
{
    man.x = 100.0f;
    SetJoint(0, 5, 5);
    ManPart& outOfRange = AddSlot(0, 1, 1.0f);
    outOfRange.rootpart = 9;
    ManPart& itself = AddSlot(0, 1, 2.0f);
    itself.rootpart = 1;
    ManPart& badPoint = AddSlot(0, 1, 3.0f);
    badPoint.rootpart = 0;
    badPoint.rootpoint = 4;
    AddSlot(-1, 1, 4.0f);
    AddSlot(99, 1, 5.0f);
    ManPart& loopA = AddSlot(0, 1, 6.0f);
    loopA.rootpart = 6;
    ManPart& loopB = AddSlot(0, 1, 7.0f);
    loopB.rootpart = 5;
    SetJoint(5, 5, 5);
    SetJoint(6, 5, 5);
    for (int i = 0; i < count; ++i) slots[i].tracked = 1;
    g_editMode = 1;
    PointCursorAt(104.0f, 0.0f);
    Draw();
    for (int i : {0, 1, 3, 4}) {
        EXPECT_NEAR(slots[i].worldX, 100.0f + (i + 1), 1e-3f) << "slot " << i;
        EXPECT_NEAR(slots[i].worldY, 0.0f, 1e-3f) << "slot " << i;
    }
    // A joint point that is not there leaves the slot on its parent, without the offset.
    EXPECT_NEAR(slots[2].worldX, 100.0f + 1 + 3, 1e-3f);
    EXPECT_NEAR(slots[2].worldY, 0.0f, 1e-3f);
    // A loop is cut where it closes: the slot reached first keeps its parent.
    EXPECT_NEAR(slots[6].worldX, 107.0f, 1e-3f);
    EXPECT_NEAR(slots[6].worldY, 0.0f, 1e-3f);
    EXPECT_NEAR(slots[5].worldX, 118.0f, 1e-3f);
    EXPECT_NEAR(slots[5].worldY, 5.0f, 1e-3f);
    EXPECT_EQ(DrawnImages(), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(g_selectedPart, 6);
}

TEST_F(Pose, VectorPartDrawsEveryBuiltTileRowByRow)
{
    VectorPart& part = g_parts[0];
    part.tilesAcross = 2;
    part.tilesDown = 2;
    part.tileVertexBuffers[1][0] = device.NewQuad(10, 10);
    part.tileTextures[1][0] = device.NewTexture();
    part.tileVertexBuffers[0][1] = device.NewQuad(10, 10);
    part.tileTextures[0][1] = device.NewTexture();
    // Tile [1][1] was never built: building stopped there.
    device.calls.clear();
    part.Draw();
    const std::vector<RecordedCall> fans = device.SolidFans();
    ASSERT_EQ(fans.size(), 3u);
    EXPECT_EQ(fans[0].texture, part.tileTextures[0][0]);
    EXPECT_EQ(fans[1].texture, part.tileTextures[1][0]);
    EXPECT_EQ(fans[2].texture, part.tileTextures[0][1]);
    EXPECT_EQ(fans[2].object, part.tileVertexBuffers[0][1]);
    for (const RecordedCall& fan : fans) EXPECT_EQ(fan.c, 2u);
    for (const RecordedCall& call : device.Calls("SetStreamSource")) EXPECT_EQ(call.b, 24u);
    for (const RecordedCall& call : device.Calls("SetVertexShader")) EXPECT_EQ(call.a, 0x142u);

    g_parts[1].tilesAcross = g_parts[1].tilesDown = 0;
    device.calls.clear();
    g_parts[1].Draw();
    EXPECT_TRUE(device.calls.empty());
}

// Two slots over the figure's origin (slot 1 in front) and slot 2 off to the right.
class Picking : public Pose {
protected:
    void SetUp() override
    {
        Pose::SetUp();
        AddSlot(0, 2);
        AddSlot(1, 1);
        AddSlot(2, 1, 200.0f);
    }
    const void* Buffer(int image) const { return g_parts[image].primaryVertexBuffer; }
    size_t Crosses() const { return device.Draws(D3DPT_LINELIST, D3DFILL_SOLID).size(); }
};

TEST_F(Picking, PlayModeNeitherPicksNorOutlines)
{
    g_selectedPart = 2;
    PointCursorAt(0.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, -1);
    EXPECT_TRUE(device.WireFans().empty());
    EXPECT_EQ(Crosses(), 0u);
    for (const RecordedCall& lock : device.Calls("Lock")) EXPECT_NE(lock.a & D3DLOCK_READONLY, DWORD(D3DLOCK_READONLY));
}

TEST_F(Picking, HoverModeFollowsTheFrontmostSlotUnlessTheButtonIsHeld)
{
    g_editMode = 1;
    PointCursorAt(0.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 1);
    ASSERT_EQ(device.WireFans().size(), 1u);
    EXPECT_EQ(device.WireFans()[0].object, Buffer(1));
    EXPECT_EQ(device.WireFans()[0].texture, nullptr);
    EXPECT_EQ(device.fillMode, DWORD(D3DFILL_SOLID));
    EXPECT_EQ(Crosses(), 0u);

    PointCursorAt(200.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 2);

    // Nothing under the cursor: the selection stays, nothing is outlined.
    PointCursorAt(-300.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 2);
    EXPECT_TRUE(device.WireFans().empty());

    // Holding the button keeps the selection, though the slot under the cursor is outlined.
    g_leftButtonDown = 1;
    PointCursorAt(0.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 2);
    ASSERT_EQ(device.WireFans().size(), 1u);
    EXPECT_EQ(device.WireFans()[0].object, Buffer(1));
}

TEST_F(Picking, PivotModeSelectsOnlyWithTheButtonAndMarksThePivot)
{
    g_editMode = 2;
    g_selectedPart = 0;
    g_parts[0].xoffset = 3.0f;
    g_parts[0].yoffset = -4.0f;
    PointCursorAt(200.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 0);
    ASSERT_EQ(device.WireFans().size(), 1u);
    EXPECT_EQ(device.WireFans()[0].object, Buffer(0));
    const std::vector<RecordedCall> crosses = device.Draws(D3DPT_LINELIST, D3DFILL_SOLID);
    ASSERT_EQ(crosses.size(), 1u);
    EXPECT_EQ(crosses[0].c, 2u);
    EXPECT_EQ(crosses[0].texture, nullptr);
    const float expected[4][2] = {{-13, 4}, {7, 4}, {-3, -6}, {-3, 14}};
    for (int v = 0; v < 4; ++v) {
        EXPECT_FLOAT_EQ(crosses[0].vertices[v].x, expected[v][0]);
        EXPECT_FLOAT_EQ(crosses[0].vertices[v].y, expected[v][1]);
        EXPECT_EQ(crosses[0].vertices[v].colour >> 24, 0xFFu);
    }
    EXPECT_EQ(device.buffersCreated, device.buffersFreed);

    g_leftButtonDown = 1;
    PointCursorAt(0.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 1);
    Draw();
    ASSERT_EQ(device.WireFans().size(), 1u);
    EXPECT_EQ(device.WireFans()[0].object, Buffer(1));
    EXPECT_EQ(Crosses(), 1u);
}

TEST_F(Picking, OtherEditModesFollowTheCursorWithoutACross)
{
    g_editMode = 5;
    PointCursorAt(0.0f, 0.0f);
    g_leftButtonDown = 1;
    Draw();
    EXPECT_EQ(g_selectedPart, 1);
    EXPECT_EQ(device.WireFans().size(), 1u);
    EXPECT_EQ(Crosses(), 0u);
}

TEST_F(Picking, FindsEachSlotWhereItIsDrawn)
{
    count = 0;
    man.x = 300.0f;
    man.y = 100.0f;
    AddSlot(0, 2);
    ManPart& hand = AddSlot(1, 1);
    hand.rootpart = 0;
    hand.rootpoint = 0;
    SetJoint(0, 100, 0);
    g_editMode = 1;

    PointCursorAt(300.0f, 100.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 0);
    PointCursorAt(400.0f, 100.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 1);
    // Where the slots would lie without the figure's position nothing is hit.
    g_selectedPart = -1;
    PointCursorAt(0.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, -1);
    PointCursorAt(100.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, -1);
}

TEST_F(Picking, HiddenSlotIsPickedAndOutlinedFromItsOwnImage)
{
    slots[1].visible = 0;
    slots[1].tracked = 1;
    man.x = 5.0f;
    g_editMode = 1;
    PointCursorAt(5.0f, 0.0f);
    Draw();
    EXPECT_EQ(DrawnImages(), (std::vector<int>{0, 2}));
    EXPECT_EQ(g_selectedPart, 1);
    ASSERT_EQ(device.WireFans().size(), 1u);
    EXPECT_EQ(device.WireFans()[0].object, Buffer(1));
    EXPECT_FLOAT_EQ(slots[1].worldX, 5.0f);
}

TEST_F(Picking, ImageWithoutGeometryIsNeverHit)
{
    g_parts[1].primaryVertexBuffer = nullptr;
    g_editMode = 1;
    PointCursorAt(0.0f, 0.0f);
    Draw();
    EXPECT_EQ(g_selectedPart, 0);
}

TEST_F(Pose, HitBoxesFollowTheFigureWithoutTurning)
{
    man.x = 50.0f;
    man.y = 60.0f;
    man.yAngle = 180.0f;
    HitBox boxes[2] = {{10, 20, 5, 8}, {-10, 0, 1, 1}};
    man.hitBoxes = boxes;
    man.numHitBoxes = 2;
    g_showHitBoxes = 1;
    std::srand(5);
    Draw();
    const std::vector<RecordedCall> frames = device.WireFans();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_FLOAT_EQ(frames[0].matrix._11, 1.0f);
    EXPECT_FLOAT_EQ(frames[0].matrix._41, 50.0f);
    EXPECT_FLOAT_EQ(frames[0].matrix._42, 60.0f);
    EXPECT_EQ(frames[0].texture, nullptr);
    const float corners[4][2] = {{5, 28}, {15, 28}, {15, 12}, {5, 12}};
    for (int v = 0; v < 4; ++v) {
        EXPECT_FLOAT_EQ(frames[0].vertices[v].x, corners[v][0]);
        EXPECT_FLOAT_EQ(frames[0].vertices[v].y, corners[v][1]);
    }
    EXPECT_FLOAT_EQ(frames[1].vertices[2].x, -9.0f);
    EXPECT_FLOAT_EQ(frames[1].vertices[2].y, -1.0f);

    std::srand(5);
    const DWORD red = std::rand() % 256, green = std::rand() % 256, blue = std::rand() % 256;
    EXPECT_EQ(frames[0].vertices[0].colour, 0xFF000000u | red << 16 | green << 8 | blue);

    EXPECT_EQ(device.Calls("CreateVertexBuffer").size(), 1u);
    EXPECT_EQ(device.buffersFreed, 1);
    for (const RecordedCall& lock : device.Calls("Lock")) EXPECT_EQ(lock.a, DWORD(D3DLOCK_DISCARD));
    EXPECT_EQ(device.fillMode, DWORD(D3DFILL_SOLID));
}

TEST_F(Pose, HitBoxOverlayCopesWithNoBoxesAndNoBuffer)
{
    g_showHitBoxes = 1;
    Draw();
    EXPECT_EQ(device.Calls("CreateVertexBuffer").size(), 1u);
    EXPECT_EQ(device.buffersFreed, 1);
    EXPECT_TRUE(device.WireFans().empty());

    HitBox box = {0, 0, 1, 1};
    man.hitBoxes = &box;
    man.numHitBoxes = 1;
    AddSlot(0, 1);
    g_editMode = 2;
    g_selectedPart = 0;
    device.failCreateBuffer = true;
    Draw();
    // The outline needs no new buffer; the cross and the boxes are skipped.
    EXPECT_EQ(device.WireFans().size(), 1u);
    EXPECT_EQ(device.Draws(D3DPT_LINELIST, D3DFILL_SOLID).size(), 0u);
}

TEST_F(Pose, NothingHappensWithoutADevice)
{
    AddSlot(0, 1).tracked = 1;
    slots[0].worldX = 7.0f;
    g_device = nullptr;
    man.x = 30.0f;
    Draw();
    EXPECT_TRUE(device.calls.empty());
}

}  // namespace
