#include <gtest/gtest.h>
#include <d3dx8.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/state.h"
#include "graphics/scene_resources.h"
#include "recording_device.h"
#include "base/log.h"
#include "support.h"

namespace {

TEST(SceneResources, SetsTheFixedStateInOrderAndTheStartValues)
{
    ScopedTempDir dir;
    ResetLog();
    ResetGameState();
    RecordingDevice device;
    g_device = &device;
    g_screenWidth = 640.0f;
    g_screenHeight = 480.0f;
    g_cameraX = 5.0f;
    g_cameraDistance = 10.0f;
    g_cameraPitch = 3.0f;
    g_mouseX = 9;
    InitSceneResources();

    std::vector<std::vector<DWORD>> states;
    for (const RecordedCall& call : device.calls) {
        if (call.op == "SetRenderState") states.push_back({call.a, call.b});
        if (call.op == "SetTextureStageState") states.push_back({1000 + call.a, call.b, call.c});
    }
    const std::vector<std::vector<DWORD>> expected = {
        {137, 0}, {22, 1}, {7, 1}, {27, 1}, {19, 5}, {20, 6}, {1000, 4, 4}, {15, 1}, {24, 2}, {25, 7}};
    EXPECT_EQ(states, expected);
    EXPECT_EQ(device.calls[2].op, "SetViewport");

    EXPECT_EQ(device.viewport.X, 0u);
    EXPECT_EQ(device.viewport.Width, 640u);
    EXPECT_EQ(device.viewport.Height, 480u);
    EXPECT_FLOAT_EQ(device.viewport.MinZ, 0.0f);
    EXPECT_FLOAT_EQ(device.viewport.MaxZ, 1.0f);

    // Same visible height at either size: 2 * 800 * tan(pi / 8) at the plane z = 0.
    const float h = 1.0f / std::tan(0.7853982f / 2);
    EXPECT_NEAR(device.projection._22, h, 1e-5f);
    EXPECT_NEAR(device.projection._11, h * 0.75f, 1e-5f);
    EXPECT_NEAR(device.projection._34, 1.0f, 1e-6f);
    EXPECT_NEAR(device.projection._43, -2000.0f / 1999.0f, 1e-4f);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(device.view.m[i / 4][i % 4], i % 5 == 0 ? 1.0f : 0.0f);

    EXPECT_FLOAT_EQ(g_cameraX, -320.0f);
    EXPECT_FLOAT_EQ(g_cameraY, -640.0f);
    EXPECT_FLOAT_EQ(g_cameraDistance, 800.0f);
    EXPECT_FLOAT_EQ(g_cameraPitch, 0.0f);
    EXPECT_EQ(g_mouseX, 0);

    // Each loader runs to its end before the next: parts, figure, animation (the level logs nothing).
    const std::string log = ReadWholeFile("log.log");
    const size_t parts = log.find("Parts Data file done"), figure = log.find("InitVectorMan done"),
                 animation = log.find("Animation Data file done");
    ASSERT_NE(animation, std::string::npos);
    EXPECT_LT(parts, figure);
    EXPECT_LT(figure, animation);
    ASSERT_NE(g_level, nullptr);
}

}  // namespace
