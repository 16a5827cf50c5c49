// The drawn picture on the OpenGL device, read back from a screenshot of small solid images.
#include <gtest/gtest.h>
#include <stand_in.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "game/pass_hooks.h"
#include "animation/render.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/state.h"
#include "graphics/device_setup.h"
#include "level/level.h"
#include "platform/d3dx/image_decode.h"
#include "base/log.h"
#include "play_world.h"
#include "support.h"

namespace {

const int WIDTH = 320;
const int HEIGHT = 240;
const int CENTRE_X = WIDTH / 2;
const int CENTRE_Y = HEIGHT / 2;

enum Colour { RED, GREEN, BLUE, YELLOW, BACKGROUND, OTHER };

void WriteSolidBmp(const char* name, int side, uint8_t r, uint8_t g, uint8_t b)
{
    const int rowBytes = (side * 3 + 3) & ~3;
    const uint32_t pixelBytes = rowBytes * side, fileBytes = 54 + pixelBytes;
    std::vector<uint8_t> file(fileBytes, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, fileBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, side);
    put32(22, side);
    file[26] = 1;
    file[28] = 24;
    put32(34, pixelBytes);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const size_t at = 54 + y * rowBytes + x * 3;
            file[at] = b;
            file[at + 1] = g;
            file[at + 2] = r;
        }
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}

// One world unit is one pixel at this distance: the visible height is 2 d tan(pi / 8).
const float PIXEL_DISTANCE = HEIGHT / 0.8284271f;

class Screen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGameState();
        ResetLog();
        WriteSolidBmp("red.bmp", 16, 255, 0, 0);
        WriteSolidBmp("green.bmp", 16, 0, 255, 0);
        WriteSolidBmp("blue.bmp", 16, 0, 0, 255);
        WriteSolidBmp("cursor.bmp", 8, 255, 255, 0);
        PlatformSetDeviceBackend("opengl");
        g_screenWidth = WIDTH;
        g_screenHeight = HEIGHT;
        if (FAILED(InitD3D(nullptr)) || !g_device) {
            ready = false;
            deviceLog = ReadWholeFile("log.log");
            return;
        }
        g_parts = new VectorPart[CURSOR_IMAGE + 1];
        g_numParts = CURSOR_IMAGE + 1;
        SetPartTexture(RED, g_parts[RED], "red.bmp");
        SetPartTexture(GREEN, g_parts[GREEN], "green.bmp");
        SetPartTexture(BLUE, g_parts[BLUE], "blue.bmp");
        SetPartTexture(CURSOR_IMAGE, g_parts[CURSOR_IMAGE], "cursor.bmp");
        loadedMan = g_vectorMan;
        loadedLevel = g_level;
        g_vectorMan = &man;
        g_level = nullptr;
        g_cameraDistance = PIXEL_DISTANCE;
        g_mouseX = WIDTH - 20;
        g_mouseY = HEIGHT - 20;
    }
    void TearDown() override
    {
        delete[] g_parts;
        g_parts = nullptr;
        // What the loaders built stays reachable: records live until the process ends.
        g_vectorMan = loadedMan;
        g_level = loadedLevel;
        if (g_device) g_device->Release();
        if (g_d3d) g_d3d->Release();
        g_device = nullptr;
        g_d3d = nullptr;
    }
    ManPart& AddSlot(int image, int layer, float x)
    {
        ManPart& slot = slots[man.numparts++];
        slot = RootSlot(image, layer, x);
        man.parts = slots;
        return slot;
    }
    // A pass after the step: its picks, then the frame.
    static void Pass()
    {
        if (Hooks().afterStep) Hooks().afterStep();
        RenderScene();
    }
    // Renders a frame and reads it back; false when the screenshot could not be taken or read.
    bool Shoot()
    {
        Pass();
        std::string error;
        return PlatformScreenshot("shot.png") && DecodeImageFile("shot.png", shot, error) &&
               shot.width == static_cast<UINT>(WIDTH) && shot.height == static_cast<UINT>(HEIGHT);
    }
    Colour At(int x, int y) const
    {
        const uint32_t p = shot.argb[y * shot.width + x];
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        auto high = [](int v) { return v > 200; };
        auto low = [](int v) { return v < 60; };
        if (high(r) && low(g) && low(b)) return RED;
        if (low(r) && high(g) && low(b)) return GREEN;
        if (low(r) && low(g) && high(b)) return BLUE;
        if (high(r) && high(g) && low(b)) return YELLOW;
        if (low(r) && g > 100 && g < 160 && b > 100 && b < 160) return BACKGROUND;
        return OTHER;
    }

    ScopedTempDir dir;
    bool ready = true;
    std::string deviceLog;
    VectorMan* loadedMan = nullptr;
    Level* loadedLevel = nullptr;
    VectorMan man = {};
    ManPart slots[MAX_FRAME_KEYS] = {};
    DecodedImage shot;
};

// Only a machine that cannot make an OpenGL device at all skips; once the device exists, a
// screenshot that fails is a fault of ours.
#define REQUIRE_SCREEN()                                                                    \
    do {                                                                                    \
        if (!ready) GTEST_SKIP() << "no OpenGL device could be made here; its log:\n" << deviceLog; \
        ASSERT_TRUE(Shoot()) << "the OpenGL device exists, but its screenshot failed";   \
    } while (0)

TEST_F(Screen, FrontLayerCoversAndTheCameraCentresTheFigure)
{
    man.x = 1000.0f;
    man.y = 700.0f;
    AddSlot(RED, 6, 0.0f);
    AddSlot(GREEN, 1, 8.0f);
    REQUIRE_SCREEN();
    EXPECT_EQ(At(CENTRE_X - 4, CENTRE_Y), RED);
    EXPECT_EQ(At(CENTRE_X + 4, CENTRE_Y), GREEN);
    EXPECT_EQ(At(CENTRE_X + 12, CENTRE_Y - 4), GREEN);
    EXPECT_EQ(At(CENTRE_X - 4, CENTRE_Y + 12), BACKGROUND);
    EXPECT_EQ(At(5, 5), BACKGROUND);
}

TEST_F(Screen, HiddenSlotLeavesWhatIsBehindIt)
{
    AddSlot(RED, 6, 0.0f);
    AddSlot(GREEN, 1, 8.0f).visible = 0;
    REQUIRE_SCREEN();
    EXPECT_EQ(At(CENTRE_X + 4, CENTRE_Y), RED);
    EXPECT_EQ(At(CENTRE_X + 12, CENTRE_Y), BACKGROUND);
}

TEST_F(Screen, HalfTurnMirrorsTheFigure)
{
    man.yAngle = 180.0f;
    AddSlot(BLUE, 1, 40.0f);
    REQUIRE_SCREEN();
    EXPECT_EQ(At(CENTRE_X - 40, CENTRE_Y), BLUE);
    EXPECT_EQ(At(CENTRE_X + 40, CENTRE_Y), BACKGROUND);
}

TEST_F(Screen, CursorSpriteHangsFromItsTopLeftCorner)
{
    g_mouseX = 50;
    g_mouseY = 30;
    REQUIRE_SCREEN();
    EXPECT_EQ(At(50, 30), YELLOW);
    EXPECT_EQ(At(57, 37), YELLOW);
    EXPECT_EQ(At(49, 30), BACKGROUND);
    EXPECT_EQ(At(50, 29), BACKGROUND);
    EXPECT_EQ(At(58, 38), BACKGROUND);
}

TEST_F(Screen, ClickPicksTheSlotWhereItIsDrawn)
{
    man.x = 300.0f;
    AddSlot(RED, 2, 0.0f);
    AddSlot(BLUE, 1, 40.0f);
    g_editMode = 1;
    g_cursorPos.x = CENTRE_X + 40;
    g_cursorPos.y = CENTRE_Y;
    REQUIRE_SCREEN();
    EXPECT_EQ(At(CENTRE_X + 40, CENTRE_Y + 4), BLUE);
    EXPECT_EQ(g_selectedPart, 1);
    g_cursorPos.x = CENTRE_X - 2;
    Pass();
    EXPECT_EQ(g_selectedPart, 0);
}

}  // namespace
