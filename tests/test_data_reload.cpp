// Reloading the figure data under a running game: only a set without a problem replaces
// the records in use, and no sequence of good and broken files leaves anything dangling.
#include <gtest/gtest.h>

#include <d3d8.h>
#include <stand_in.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "data_files_support.h"
#include "editor/edits.h"
#include "figure/key_edit.h"
#include "figure/data_files.h"
#include "figure/figure_save.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/actions.h"
#include "game/data_reload.h"
#include "game/state.h"
#include "graphics/scene_resources.h"
#include "level/level.h"

namespace {

// Whether every running key belongs to a list of the frames in use.
bool KeysPointIntoFrames()
{
    for (const AnimKey* running : g_vectorMan->currentKeys) {
        if (!running) continue;
        bool found = false;
        for (int f = 0; f < g_numFrames; ++f) {
            for (const AnimKey* list : g_frames[f].keys) found = found || (list && running->first == list);
        }
        if (!found) return false;
    }
    return true;
}

// The game started on the bundled data, in the working directory.
void StartOnBundledData()
{
    CopyDirectoryFiles(VANTREL_DATA_DIR);
    StartOnMemoryDevice();
    ASSERT_TRUE(OpenImageDevice());
    InitSceneResources();
    ASSERT_EQ(g_numFrames, 6);
}

TEST(DataReload, BrokenSetsAreRefusedAndGoodOnesTakenWhateverTheOrder)
{
    ScopedTempDir dir;
    StartOnBundledData();

    std::vector<std::pair<std::string, std::string>> good;
    for (const char* name : {"vecparts.dat", "vecman.dat", "vecanim.dat"}) good.push_back({name, ReadWholeFile(name)});
    // Every file cut short at a few places, emptied, and given a nonsense line.
    std::vector<std::pair<std::string, std::string>> variants;
    for (const auto& file : good) {
        for (size_t cut : {size_t(0), size_t(40), file.second.size() / 3, file.second.size() / 2})
            variants.push_back({file.first, file.second.substr(0, cut)});
        variants.push_back({file.first, file.second + "numparts=-3\nframe=99\nkey_destangle=5\n"});
        variants.push_back(file);
    }

    g_vectorMan->x = 123.0f;
    g_vectorMan->yAngle = 180.0f;
    const float facingLeft = -g_vectorMan->hitBoxes[0].centerX;
    g_vectorMan->hitBoxes[0].centerX = facingLeft;  // turned to the facing, as the walk leaves it
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.first + " of " + std::to_string(variant.second.size()) + " bytes");
        if (AnimFrame* walk = FrameAt(WALK_FRAME)) AddFrames(g_vectorMan, walk);
        const AnimFrame* framesBefore = g_frames;
        WriteWholeFile(variant.first, variant.second);
        bool whole = false;
        for (const auto& file : good) whole = whole || (file == variant);
        EXPECT_EQ(ReloadDataFiles(), whole);
        if (!whole) {
            EXPECT_EQ(g_frames, framesBefore) << "the last good records stay";
            EXPECT_NE(CurrentScreenMessage().find(variant.first + ":"), std::string::npos) << CurrentScreenMessage();
            for (const auto& file : good) {
                if (file.first == variant.first) WriteWholeFile(file.first, file.second);
            }
        }
        ASSERT_EQ(g_numFrames, 6);
        ASSERT_GE(g_vectorMan->numparts, MIN_FIGURE_SLOTS);
        EXPECT_EQ(g_vectorMan->x, 123.0f);
        EXPECT_EQ(g_vectorMan->hitBoxes[0].centerX, facingLeft);
        EXPECT_TRUE(KeysPointIntoFrames());
    }
    // Whatever was refused on the way, the good files are back and read as such.
    for (const auto& file : good) WriteWholeFile(file.first, file.second);
    EXPECT_TRUE(ReloadDataFiles());
    EXPECT_EQ(CurrentScreenMessage(), "Data reloaded: on request");
    EXPECT_TRUE(LogHas("vecanim.dat:0: no numframes line: no frames are loaded"));
}

TEST(DataReload, RefusesAHostileSetWithTheLinesTheCheckerPrints)
{
    ScopedTempDir dir;
    StartOnMemoryDevice();
    ASSERT_TRUE(OpenImageDevice());
    WriteBmp("p.bmp", 16, 16);
    WriteWholeFile(PARTS_DATA_FILE, SmallPartsFile());
    WriteWholeFile(FIGURE_DATA_FILE, SmallFigureFile());
    WriteWholeFile(ANIM_DATA_FILE, SmallAnimFile());
    InitSceneResources();
    ASSERT_EQ(g_numFrames, 6);

    WriteWholeFile(PARTS_DATA_FILE, SmallPartsFile() + "part=1\nnumpoints=-5\npoints=1,2,3\npart=13\nxoffset=1\n" +
                                        std::string(1500, 'x') + "\n");
    std::remove(FIGURE_DATA_FILE);
    WriteWholeFile(ANIM_DATA_FILE, "numframes=2\nframe=7\nkey_destangle=5\n==\nnumkeys=99999\n");
    // The checker first: the reload's readers create the missing file, the checker's do not leave it.
    EXPECT_EQ(RunCommand(std::string(VANTREL_CHECK_PATH) + " . > check.txt 2>&1"), 1);
    std::vector<std::string> printed;
    std::istringstream out(ReadWholeFile("check.txt"));
    for (std::string line; std::getline(out, line);) printed.push_back(line);
    ASSERT_GT(printed.size(), 8u);
    EXPECT_EQ(printed[0], "vecman.dat:0: file missing");

    ResetLog();
    EXPECT_FALSE(ReloadDataFiles());
    const std::vector<std::string> log = LogLines();
    auto told = std::find(log.begin(), log.end(),
                          "Data not reloaded (on request): " + std::to_string(printed.size()) + " problems");
    ASSERT_NE(told, log.end());
    EXPECT_EQ(std::vector<std::string>(told + 1, log.end()), printed);
    EXPECT_EQ(CurrentScreenMessage(), printed[0]);
    EXPECT_EQ(g_numFrames, 6);
}

TEST(DataReload, AHostileLevelFileIsRefusedAndTheLevelInPlayKept)
{
    ScopedTempDir dir;
    StartOnBundledData();
    const std::string good = ReadWholeFile(LEVEL_DATA_FILE);
    Level* inPlay = g_level;
    ASSERT_NE(inPlay, nullptr);
    for (const std::string& hostile :
         {std::string("cell=0,1\npiece=9,1e40,0,3\n"), std::string("cell=-1,99999999999\npiece=9\n"),
          std::string("cell=0,0\nsame=0,0\npiece=99,0,0,3\n"), std::string("cell=0,1\n") + std::string(3000, ',')}) {
        WriteWholeFile(LEVEL_DATA_FILE, hostile);
        EXPECT_EQ(RunCommand(std::string(VANTREL_CHECK_PATH) + " . > check.txt 2>&1"), 1) << hostile;
        EXPECT_FALSE(ReloadDataFiles()) << hostile;
        EXPECT_EQ(g_level, inPlay);
        EXPECT_EQ(CurrentScreenMessage().rfind("veclevel.dat:", 0), 0u) << CurrentScreenMessage();
        EXPECT_EQ(ReadWholeFile("check.txt").rfind(CurrentScreenMessage() + "\n", 0), 0u) << ReadWholeFile("check.txt");
    }
    // A good file is taken in whole.
    WriteWholeFile(LEVEL_DATA_FILE, "cell=3,2\npiece=10,5,6,2,m\n");
    ASSERT_TRUE(ReloadDataFiles());
    ASSERT_NE(g_level->CellAt(3, 2), nullptr);
    EXPECT_EQ(g_level->CellAt(0, 1), nullptr);
}

// The watch, on the virtual clock: crates pushed in play stay pushed when another file
// changes, and the level file's own change brings its level.
TEST(DataReload, TheLevelInPlayOutlivesAReloadOfAnotherFileButNotOfItsOwn)
{
    ScopedTempDir dir;
    StartOnBundledData();
    auto lookAt = [](uint32_t tick) {
        PlatformBeginScript(PlatformScript{tick, 0, -1, nullptr, nullptr, nullptr});
        return ReloadChangedDataFiles();
    };
    ForgetDataWatch();
    lookAt(0);
    g_level->CellAt(0, 1)->pieces[8]->x += 30.0f;  // pushed in play
    const Level* inPlay = g_level;
    WriteWholeFile("vecman.dat", ReadWholeFile("vecman.dat") + "// touched\n");
    ASSERT_TRUE(lookAt(DATA_WATCH_MS * 2));
    EXPECT_EQ(CurrentScreenMessage(), "Data reloaded: vecman.dat");
    EXPECT_EQ(g_level, inPlay);
    EXPECT_EQ(g_level->CellAt(0, 1)->pieces[8]->x, 530.0f);

    WriteWholeFile(LEVEL_DATA_FILE, ReadWholeFile(LEVEL_DATA_FILE) + "// touched\n");
    ASSERT_TRUE(lookAt(DATA_WATCH_MS * 4));
    EXPECT_EQ(CurrentScreenMessage(), "Data reloaded: veclevel.dat");
    EXPECT_EQ(g_level->CellAt(0, 1)->pieces[8]->x, 500.0f);
}

TEST(DataReload, KeysEditedInMemoryOutliveAReloadOfTheFigureFile)
{
    ScopedTempDir dir;
    StartOnBundledData();
    const std::vector<int> before = KeyIds(0, 1);
    const int added = InsertKeyAfter(before[0], AnimKey());
    SetKeyAngles({{before[1], 45.0f, 90.0f}});
    WriteWholeFile("vecman.dat", ReadWholeFile("vecman.dat") + "// moved\n");
    ASSERT_TRUE(ReloadDataFiles());
    EXPECT_EQ(KeyIds(0, 1), (std::vector<int>{before[0], added, before[1]}));
    EXPECT_EQ(KeyById(before[1])->destAngle, 45.0f);
    EXPECT_TRUE(g_editsUnsaved);
    ASSERT_TRUE(UndoEdit());
    ASSERT_TRUE(UndoEdit());
    EXPECT_EQ(KeyIds(0, 1), before);
    EXPECT_FALSE(g_editsUnsaved);
    ForgetEdits();
}

}  // namespace

namespace {

TEST(DataReload, AnImageTheEditorAddedIsNoChangeAndFigureEditsHoldAReloadBack)
{
    ScopedTempDir dir;
    StartOnBundledData();
    WriteBmp("hat.png", 12, 8);
    auto lookAt = [](uint32_t tick) {
        PlatformBeginScript(PlatformScript{tick, 0, -1, nullptr, nullptr, nullptr});
        return ReloadChangedDataFiles();
    };
    ForgetDataWatch();
    lookAt(0);
    // A slot showing a new image: the image joins the watched files without being a change.
    const int image = AddImage("hat.png");
    ASSERT_GE(image, 0);
    FigureSetup setup = g_figureSetup;
    setup.slots.push_back({image, FRONT_LAYER, 8, -1, NewSlotId()});
    SetFigureSetup(setup);
    EXPECT_FALSE(lookAt(DATA_WATCH_MS * 2));
    EXPECT_EQ(CurrentScreenMessage(), "") << "nothing changed on disk";
    EXPECT_EQ(g_vectorMan->numparts, 10);

    // The figure file changed in a text editor waits while the figure's edits are unsaved.
    WriteWholeFile("vecman.dat", ReadWholeFile("vecman.dat") + "// touched\n");
    EXPECT_FALSE(lookAt(DATA_WATCH_MS * 4));
    EXPECT_EQ(CurrentScreenMessage(), "vecman.dat changed on disk: not reloaded while edits are unsaved");
    EXPECT_EQ(g_vectorMan->numparts, 10);
    ForgetEdits();
}

}  // namespace
