// The editor's text on screen: what the status line says, when anything is drawn at all
// (play with nothing to say must leave the picture alone), the help key, and a font that
// is missing or does not fit its atlas.
#include <gtest/gtest.h>
#include <d3dx8.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor.h"
#include "editor/status_line.h"
#include "game/state.h"
#include "graphics/scene_resources.h"
#include "graphics/text.h"
#include "platform/memory/memory_device.h"
#include "play_world.h"
#include "shell/window_keys.h"
#include "support.h"

namespace {

class ScreenText : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        ASSERT_TRUE(CreateMemoryDevice(640, 480, &d3d, &device));
        g_device = device;
        g_screenWidth = 640.0f;
        g_screenHeight = 480.0f;
    }
    void TearDown() override
    {
        ReleaseFont();
        g_editsUnsaved = false;
        if (device) device->Release();
        if (d3d) d3d->Release();
        ResetGameState();
    }
    void CopyBundledFont()
    {
        for (const char* name : {"font.dat", "font.png"})
            std::filesystem::copy_file(std::string(VANTREL_DATA_DIR) + "/" + name, name);
    }
    // Device calls of one pass of the editor's text.
    size_t CallsToDrawText()
    {
        MemoryDeviceClearRecord();
        DrawEditorText(device);
        return MemoryDeviceRecord().size();
    }

    ScopedTempDir dir;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
};

size_t VisibleCharacters(const std::string& text)
{
    size_t count = 0;
    for (char c : text) count += c != ' ';
    return count;
}

TEST_F(ScreenText, PlayWithNothingToSayLeavesTheDeviceAloneWhileMessagesAndEditModesDrawOneQuadPerCharacter)
{
    CopyBundledFont();
    ASSERT_TRUE(LoadFont(FONT_FILE));
    SetFixedDeviceState(device);
    D3DMATRIX projection;
    device->GetTransform(D3DTS_PROJECTION, &projection);

    EXPECT_EQ(CallsToDrawText(), 0u);

    // The backing strip, then one quad for each character that is not blank.
    PostScreenMessage("saved vecparts.dat");
    CallsToDrawText();
    EXPECT_EQ(MemoryDeviceCount("DrawPrimitive"), static_cast<int>(1 + VisibleCharacters("saved vecparts.dat")));

    ClearScreenMessage();
    EnterEditMode(EDIT_HOVER);
    CallsToDrawText();
    EXPECT_EQ(MemoryDeviceCount("DrawPrimitive"), static_cast<int>(1 + VisibleCharacters(StatusLineText())));

    // What the scene set up for itself is back once the text is drawn.
    D3DMATRIX after;
    device->GetTransform(D3DTS_PROJECTION, &after);
    EXPECT_EQ(std::memcmp(&projection, &after, sizeof after), 0);
    DWORD depthTest = 0;
    device->GetRenderState(D3DRS_ZENABLE, &depthTest);
    EXPECT_EQ(depthTest, static_cast<DWORD>(D3DZB_TRUE));
}

TEST_F(ScreenText, StatusLineNamesTheModeTheSelectedImageItsOffsetsAndUnsavedEdits)
{
    static char fileName[] = "arm.png";
    MakeParts(3);
    g_parts[2].textureFile = fileName;
    g_parts[2].xoffset = 1.5f;
    g_parts[2].yoffset = -2.0f;
    ManPart slot = RootSlot(2, 1);
    VectorMan man = {};
    man.parts = &slot;
    man.numparts = 1;
    g_vectorMan = &man;
    g_selectedPart = 0;

    EXPECT_EQ(StatusLineText(), "");
    EnterEditMode(EDIT_PIVOT);
    EXPECT_EQ(StatusLineText(), "pivot | arm.png | x 1.5  y -2.0");
    g_editsUnsaved = true;
    EXPECT_EQ(StatusLineText(), "pivot | arm.png | x 1.5  y -2.0 | * unsaved");
    // A selection the figure does not hold, or a slot whose image is not loaded, names nothing.
    EnterEditMode(EDIT_FROZEN);
    g_selectedPart = 4;
    EXPECT_EQ(StatusLineText(), "frozen | no part selected | * unsaved");
    g_selectedPart = 0;
    slot.vecpartnum = 9;
    g_editsUnsaved = false;
    EnterEditMode(EDIT_HOVER);
    EXPECT_EQ(StatusLineText(), "move | no part selected");
}

TEST_F(ScreenText, HShowsAndHidesTheHelpInPlayAPageAtATimeOnAShortScreen)
{
    CopyBundledFont();
    ASSERT_TRUE(LoadFont(FONT_FILE));
    EXPECT_FALSE(g_helpShown);
    OnWindowChar('h');
    EXPECT_TRUE(g_helpShown);
    EXPECT_GT(CallsToDrawText(), 0u);
    OnWindowChar('H');  // another character: the panel stays
    EXPECT_TRUE(g_helpShown);
    // 480 pixels hold less than the whole help: the next h shows its second page.
    OnWindowChar('h');
    EXPECT_TRUE(g_helpShown);
    EXPECT_GT(CallsToDrawText(), 0u);
    OnWindowChar('h');
    EXPECT_EQ(CallsToDrawText(), 0u);
    // Tall enough for all of it, h only shows and hides.
    g_screenHeight = 1200.0f;
    OnWindowChar('h');
    OnWindowChar('h');
    EXPECT_FALSE(g_helpShown);

    OnWindowChar('h');
    ResetGameState();
    EXPECT_FALSE(g_helpShown);
}

TEST(HelpPages, EveryLineOnceInOrderEachPageFitsAndAKeyKeepsItsTextTogether)
{
    const std::vector<std::string> lines = {"Play", "  a  one", "  b  two", "                    two on",
                                            "                    two ends", "  c  three", "  d  four"};
    EXPECT_EQ(HelpPages(lines, 7), std::vector<std::vector<std::string>>{lines});
    const std::vector<std::vector<std::string>> pages = HelpPages(lines, 4);
    std::vector<std::string> joined;
    for (const std::vector<std::string>& page : pages) {
        EXPECT_LE(page.size(), 4u);
        EXPECT_EQ(page.back() == lines.back(), &page == &pages.back());
        // A page that starts inside the section opens with its heading again.
        const bool headed = &page != &pages.front() && page[0] == "Play";
        joined.insert(joined.end(), page.begin() + (headed ? 1 : 0), page.end() - (&page == &pages.back() ? 0 : 1));
    }
    EXPECT_EQ(joined, lines);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[1], (std::vector<std::string>{"Play", "  b  two", "                    two on", "  h                 more"}))
        << "b's text goes on two lines: b starts the next page, under the heading";
    // A key longer than a page is cut, never left to run off the screen.
    for (const std::vector<std::string>& page : HelpPages(lines, 2)) EXPECT_LE(page.size(), 2u);
}

TEST(WrapStripLine, BreaksAtSeparatorsThenSpacesThenAnywhereAndNeverPastTheWidth)
{
    const std::string pose = "pose | frame 0 punch | key 1 | dest 95  speed 1000  40 ms | * unsaved";
    EXPECT_EQ(WrapStripLine(pose, 200), std::vector<std::string>{pose});
    EXPECT_EQ(WrapStripLine(pose, 0), std::vector<std::string>{pose}) << "no font width: left as it is";
    EXPECT_EQ(WrapStripLine(pose, 40),
              (std::vector<std::string>{"pose | frame 0 punch | key 1", "dest 95  speed 1000  40 ms | * unsaved"}));
    // A separator ending just past the width still breaks there.
    EXPECT_EQ(WrapStripLine("abcd | efgh", 5), (std::vector<std::string>{"abcd", "efgh"}));
    EXPECT_EQ(WrapStripLine("vecanim.dat:12: unknown key here", 16),
              (std::vector<std::string>{"vecanim.dat:12:", "unknown key here"}));
    EXPECT_EQ(WrapStripLine("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
}

TEST_F(ScreenText, AMissingOrUnfittingFontLogsOneLineAndDrawsNothing)
{
    EXPECT_FALSE(LoadFont(FONT_FILE));
    EXPECT_FALSE(std::filesystem::exists(FONT_FILE)) << "a missing font is not created";
    EXPECT_EQ(ReadWholeFile("log.log"), "font.dat: missing; no screen text\n");
    EnterEditMode(EDIT_PIVOT);
    g_helpShown = true;
    EXPECT_EQ(CallsToDrawText(), 0u);

    // Cells that reach past the atlas would sample outside it: the font is refused whole.
    CopyBundledFont();
    WriteWholeFile(FONT_FILE, ReadWholeFile(FONT_FILE) + "charcount=200\ncellheight=64\n");
    EXPECT_FALSE(LoadFont(FONT_FILE));
    EXPECT_NE(ReadWholeFile("log.log").find("font.dat: atlas smaller than its cells"), std::string::npos);
    EXPECT_FALSE(FontLoaded());
    EXPECT_EQ(CallsToDrawText(), 0u);
}

}  // namespace
