#include <gtest/gtest.h>

#include <d3dx8.h>

#include <string>
#include <vector>

#include "game/pass_hooks.h"
#include "animation/figure_pose.h"
#include "animation/render.h"
#include "figure/records.h"
#include "game/state.h"
#include "level/level.h"
#include <stand_in.h>

#include "graphics/device_setup.h"
#include "platform/memory/memory_device.h"
#include "recording_device.h"
#include "base/log.h"
#include "support.h"

namespace {

class Render : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGameState();
        g_device = &device;
        g_parts = new VectorPart[2];
        g_numParts = 2;
        g_parts[0].tilesAcross = g_parts[0].tilesDown = 1;
        g_parts[0].tileVertexBuffers[0][0] = device.NewQuad(10, 10);
        g_parts[0].tileTextures[0][0] = device.NewTexture();
        slot.visible = 1;
        slot.layer = 1;
        slot.rootpart = -1;
        man.parts = &slot;
        man.numparts = 1;
        g_vectorMan = &man;
        g_level = &level;
    }
    void TearDown() override
    {
        delete[] g_parts;
        g_parts = nullptr;
    }
    std::vector<std::string> Ops() const
    {
        std::vector<std::string> ops;
        for (const RecordedCall& call : device.calls) ops.push_back(call.op);
        return ops;
    }
    D3DMATRIX ViewSet() const
    {
        for (const RecordedCall& call : device.Calls("SetTransform"))
            if (call.a == D3DTS_VIEW) return call.matrix;
        ADD_FAILURE() << "no view set";
        return D3DMATRIX{};
    }

    RecordingDevice device;
    ManPart slot = {};
    VectorMan man = {};
    Level level;
};

TEST_F(Render, WithoutADeviceNothingIsTouched)
{
    g_device = nullptr;
    man.x = 1000.0f;
    RenderScene();
    EXPECT_TRUE(device.calls.empty());
    EXPECT_FLOAT_EQ(g_cameraX, -320.0f);
}

TEST_F(Render, ClearsDrawsLevelThenFigureInsideOneSceneAndPresents)
{
    g_showHitBoxes = 1;
    RenderScene();
    const std::vector<std::string> ops = Ops();
    ASSERT_GE(ops.size(), 5u);
    EXPECT_EQ(ops.front(), "Clear");
    EXPECT_EQ(ops[1], "SetTransform");
    EXPECT_EQ(ops[2], "BeginScene");
    EXPECT_EQ(ops[ops.size() - 2], "EndScene");
    EXPECT_EQ(ops.back(), "Present");
    const RecordedCall clear = device.calls.front();
    EXPECT_EQ(clear.a, 0u);
    EXPECT_EQ(clear.b, DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
    EXPECT_EQ(clear.c, 0xFF008080u);
    EXPECT_FLOAT_EQ(clear.matrix._11, 1.0f);
    EXPECT_FLOAT_EQ(clear.matrix._12, 0.0f);

    // The level's cell outlines come before the figure's image and its hit-box overlay.
    size_t lastOutline = 0, figure = 0;
    for (size_t i = 0; i < device.calls.size(); ++i) {
        const RecordedCall& call = device.calls[i];
        if (call.op != "DrawPrimitive") continue;
        if (call.fillMode == D3DFILL_WIREFRAME && !figure) lastOutline = i;
        if (call.texture == g_parts[0].tileTextures[0][0]) figure = i;
    }
    EXPECT_GT(lastOutline, 0u);
    EXPECT_GT(figure, lastOutline);
}

TEST_F(Render, CameraCentresOnTheFigureWhileFollowing)
{
    man.x = 1000.0f;
    man.y = 700.0f;
    RenderScene();
    EXPECT_FLOAT_EQ(g_cameraX, -1000.0f);
    EXPECT_FLOAT_EQ(g_cameraY, -700.0f);
    const D3DMATRIX view = ViewSet();
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1000, -700, 800, 1};
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(view.m[i / 4][i % 4], expected[i]) << i;

    // Following off: the camera stays where it was and the figure can leave the screen.
    g_cameraFollows = 0;
    man.x = 5000.0f;
    g_cameraDistance = 900.0f;
    device.calls.clear();
    RenderScene();
    EXPECT_FLOAT_EQ(g_cameraX, -1000.0f);
    EXPECT_FLOAT_EQ(ViewSet()._41, -1000.0f);
    EXPECT_FLOAT_EQ(ViewSet()._43, 900.0f);
}

TEST_F(Render, ViewTurnsAboutXThenYThenMoves)
{
    g_cameraFollows = 0;
    g_cameraPitch = 90.0f;
    g_cameraYaw = 30.0f;
    RenderScene();
    D3DXMATRIX pitch, yaw, move, expected;
    D3DXMatrixRotationX(&pitch, 90.0f * 0.0174532924f);
    D3DXMatrixRotationY(&yaw, 30.0f * 0.0174532924f);
    D3DXMatrixTranslation(&move, -320.0f, -640.0f, 800.0f);
    D3DXMatrixMultiply(&expected, &pitch, &yaw);
    D3DXMatrixMultiply(&expected, &expected, &move);
    const D3DMATRIX view = ViewSet();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(view.m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-5f) << i;
}

TEST_F(Render, MissingFigureLevelOrCursorImageStillMakesAFrame)
{
    g_vectorMan = nullptr;
    g_level = nullptr;
    RenderScene();
    EXPECT_EQ(Ops(), (std::vector<std::string>{"Clear", "SetTransform", "BeginScene", "EndScene", "Present"}));
}

TEST(RenderBundledScene, EditorPicksTheHeadUnderTheCursorAndTheCursorIsDrawnLast)
{
    ScopedTempDir dir;
    CopyDirectoryFiles(VANTREL_DATA_DIR);
    ResetLog();
    ResetGameState();
    PlatformSetDeviceBackend("memory");
    MemoryResetConfig();
    ASSERT_EQ(InitD3D(nullptr), S_OK);
    ASSERT_NE(g_vectorMan, nullptr);
    ASSERT_GT(g_vectorMan->numparts, 8);
    const int head = 8;
    g_vectorMan->parts[head].tracked = 1;
    StoreTrackedPositions(*g_vectorMan);
    RenderScene();

    D3DVIEWPORT8 viewport;
    D3DXMATRIX projection, view, identity;
    g_device->GetViewport(&viewport);
    g_device->GetTransform(D3DTS_PROJECTION, &projection);
    g_device->GetTransform(D3DTS_VIEW, &view);
    D3DXMatrixIdentity(&identity);
    const D3DXVECTOR3 centre(g_vectorMan->parts[head].worldX, g_vectorMan->parts[head].worldY, 0.0f);
    D3DXVECTOR3 screen;
    D3DXVec3Project(&screen, &centre, &viewport, &projection, &view, &identity);
    g_cursorPos.x = static_cast<LONG>(screen.x);
    g_cursorPos.y = static_cast<LONG>(screen.y);
    g_editMode = 1;
    MemoryDeviceClearRecord();
    // The pass's step picks, then the drawing outlines what it picked.
    Hooks().afterStep();
    RenderScene();
    EXPECT_EQ(g_selectedPart, head);

    const int sprite = MemoryDeviceFind("DrawPrimitiveUP");
    ASSERT_GE(sprite, 0);
    int lastDraw = -1;
    for (size_t i = 0; i < MemoryDeviceRecord().size(); ++i)
        if (MemoryDeviceRecord()[i].method == "DrawPrimitive") lastDraw = static_cast<int>(i);
    EXPECT_GT(sprite, lastDraw);
    EXPECT_LT(sprite, MemoryDeviceFind("EndScene"));

    g_device->Release();
    g_d3d->Release();
    g_device = nullptr;
    g_d3d = nullptr;
}

}  // namespace
