// The level from its file, played and edited through the headless runner on the bundled
// data, checked through the dumps, the files written and the screenshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <vector>
#include <string>

#include "bundled_data_run.h"
#include "support.h"

namespace {

class LevelPlay : public BundledDataRun {
public:
    bool HasOpenGl() { return ReadWholeFile("log.log").find("Completed initializing d3d") != std::string::npos; }
};

// The dump's text from one top-level member to the next.
std::string Section(const std::string& dump, const std::string& from, const std::string& to)
{
    const size_t start = dump.find("\"" + from + "\":");
    const size_t end = dump.find("\"" + to + "\":", start);
    EXPECT_NE(end, std::string::npos) << from;
    return start == std::string::npos || end == std::string::npos ? "" : dump.substr(start, end - start);
}

// The figure's place after falling from the start for a second and a half.
double LandedAt(LevelPlay& test, const std::string& level)
{
    WriteWholeFile("veclevel.dat", level);
    EXPECT_EQ(test.Run(100, "95 dump landed.json\n"), 0);
    return test.Dump("landed.json").at("figure").at("y").get<double>();
}

TEST_F(LevelPlay, TheBundledFileAndTheBuiltInLevelPlayAlike)
{
    // Walk right into the crates, jump and push, seen from both and compared.
    const char* script =
        "30 press RIGHT\n"
        "150 press SPACE\n"
        "151 release SPACE\n"
        "200 release RIGHT\n"
        "220 dump end.json\n"
        "220 screenshot end.png\n";
    ASSERT_EQ(Run(221, script, true), 0) << ReadWholeFile("stderr.txt");
    const bool pixels = HasOpenGl();
    const std::string fromFile = ReadWholeFile("end.json");
    const std::string fileShot = ReadWholeFile("end.png");
    EXPECT_NE(Dump("end.json").at("figure").at("x").get<double>(), 250) << "the walk went somewhere";
    std::filesystem::remove("veclevel.dat");
    ASSERT_EQ(Run(221, script, true), 0);
    const std::string builtIn = ReadWholeFile("end.json");
    EXPECT_EQ(Section(fromFile, "level", "process"), Section(builtIn, "level", "process"));
    EXPECT_EQ(Section(fromFile, "figure", "parts"), Section(builtIn, "figure", "parts"));
    if (pixels) {
        EXPECT_TRUE(fileShot == ReadWholeFile("end.png")) << "the screenshots differ";
    }
}

TEST_F(LevelPlay, AFloorUnderTheStartCatchesTheFigureAndNoneLetsItFallToTheGround)
{
    const double onPiece = LandedAt(*this, "// one plank under the start\ncell=0,1\npiece=9,250,0,3,s\n");
    EXPECT_GT(onPiece, 480.0);
    EXPECT_LT(onPiece, 700.0);
    EXPECT_EQ(LandedAt(*this, "cell=0,1\n"), 0.0);
    // A file that describes no cell is the fixed level, as it always was.
    EXPECT_EQ(LandedAt(*this, "// nothing here\n"), onPiece);
}

TEST_F(LevelPlay, PiecesMovedAddedDeletedAndFlaggedInLevelModeAreSavedAndPlayedAfterANewStart)
{
    // The cursor is put back at the corner before each pick; it moves two pixels a unit.
    const char* script =
        "100 key down F6\n"
        "101 key up F6\n"
        // The crate at the end cell's right edge, dragged over it into the floor cell.
        "110 mouse move 479 101\n"
        "112 mouse down 0\n"
        "114 mouse move 30 0\n"
        "116 mouse up 0\n"
        "117 dump crossed.json\n"
        // The high crate, deleted.
        "118 mouse move -2000 -2000\n"
        "119 mouse move 296 66\n"
        "120 mouse down 0\n"
        "121 mouse up 0\n"
        "122 key down DELETE\n"
        "123 key up DELETE\n"
        // The crate in front of the tree, copied; the copy loses solid, goes a layer back
        // and shows the next image.
        "124 mouse move -2000 -2000\n"
        "125 mouse move 400 176\n"
        "126 mouse down 0\n"
        "127 mouse up 0\n"
        "128 key down INSERT\n"
        "129 key up INSERT\n"
        "130 char o\n"
        "131 char l\n"
        "132 char ]\n"
        "133 dump edited.json\n"
        "134 char code 19\n"
        "135 dump saved.json\n"
        "136 char code 26\n"
        "137 dump undone.json\n"
        "138 key down F1\n"
        "139 key up F1\n"
        "150 dump play.json\n";
    // Notes above the crates this edits: each goes where its crate goes, and with it.
    std::string bundled = ReadWholeFile("veclevel.dat");
    for (const auto& [piece, note] : {std::pair{"piece=10,635,260", "// moved\n\n"}, {"piece=10,320,320", "// deleted\n"},
                                      {"piece=10,500,130", "// copied\n"}})
        bundled.insert(bundled.find(piece), note);
    bundled += "// the end\n";
    WriteWholeFile("veclevel.dat", bundled);
    ASSERT_EQ(Run(151, script), 0) << ReadWholeFile("stderr.txt");

    const Json crossed = Dump("crossed.json");
    EXPECT_EQ(crossed.at("globals").at("g_editMode").get<double>(), 6);
    const Json& floorCell = crossed.at("level").at("cells").at(static_cast<size_t>(crossed.at("level").at("slots").at(4).get<double>()));
    ASSERT_EQ(floorCell.at("count").get<double>(), 7) << "the crate moved into the cell it stands in";
    EXPECT_GT(floorCell.at("pieces").at(6).at("x").get<double>(), 0);
    EXPECT_LT(floorCell.at("pieces").at(6).at("x").get<double>(), 100);
    EXPECT_EQ(floorCell.at("pieces").at(6).at("y").get<double>(), 260);

    const Json saved = Dump("saved.json");
    EXPECT_EQ(saved.at("globals").at("screenMessage").get<std::string>(), "veclevel.dat saved");
    EXPECT_FALSE(saved.at("globals").at("g_editsUnsaved").get<bool>());
    const Json& end = saved.at("level").at("cells").at(static_cast<size_t>(saved.at("level").at("slots").at(1).get<double>()));
    ASSERT_EQ(end.at("count").get<double>(), 12);  // 13, one moved out, one deleted, one copied
    const Json& copy = end.at("pieces").at(11);
    EXPECT_EQ(copy.at("x").get<double>(), 532);
    EXPECT_EQ(copy.at("vecpartnum").get<double>(), 11);
    EXPECT_EQ(copy.at("layer").get<double>(), 4);
    EXPECT_FALSE(copy.at("solid").get<bool>());
    EXPECT_TRUE(copy.at("pushable").get<bool>());

    // The file keeps its comments and backup; the checker takes it.
    const std::string file = ReadWholeFile("veclevel.dat");
    EXPECT_EQ(ReadWholeFile("veclevel.dat.bak"), bundled);
    EXPECT_EQ(file.substr(0, bundled.find("cell=")), bundled.substr(0, bundled.find("cell=")));
    EXPECT_NE(file.find("// The far end: the start's cell once more.\ncell=4,1\nsame=0,1\n"), std::string::npos);
    EXPECT_NE(file.find("piece=11,532,130,4,mp\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("piece=10,320,320"), std::string::npos);
    EXPECT_EQ(file.find("// deleted"), std::string::npos);
    EXPECT_NE(file.find("// copied\npiece=10,500,130,3,smp\n"), std::string::npos);
    EXPECT_EQ(file.find("// copied"), file.rfind("// copied")) << "the copy is a new piece, with no note";
    const size_t floorCellLine = file.find("cell=1,1\n"), moved = file.find("// moved\n\npiece=10,");
    EXPECT_TRUE(floorCellLine < moved && moved < file.find("cell=2,1\n")) << "into the floor cell with its crate";
    const std::string last = "same=0,1\n// the end\n";  // the file's closing comment stays last
    EXPECT_EQ(file.substr(file.size() - std::min(file.size(), last.size())), last);
    EXPECT_EQ(RunCommand("'" VANTREL_CHECK_PATH "' . > check.txt 2>&1"), 0) << ReadWholeFile("check.txt");

    // Undo after the save takes the image back and the level is unsaved again; F1 plays on
    // from where the figure stood, the camera following it again.
    const Json undone = Dump("undone.json");
    EXPECT_TRUE(undone.at("globals").at("g_editsUnsaved").get<bool>());
    const Json& undoneEnd = undone.at("level").at("cells").at(static_cast<size_t>(undone.at("level").at("slots").at(1).get<double>()));
    EXPECT_EQ(undoneEnd.at("pieces").at(11).at("vecpartnum").get<double>(), 10);
    const Json play = Dump("play.json");
    EXPECT_EQ(play.at("globals").at("g_editMode").get<double>(), 0);
    EXPECT_TRUE(play.at("globals").at("g_cameraFollows").get<bool>());
    EXPECT_EQ(play.at("figure").at("x").get<double>(), saved.at("figure").at("x").get<double>());

    // A new start plays the level as it was saved.
    const std::string savedDump = ReadWholeFile("saved.json");
    ASSERT_EQ(Run(1, "0 dump start.json\n"), 0);
    EXPECT_EQ(Section(ReadWholeFile("start.json"), "level", "process"), Section(savedDump, "level", "process"));
}

TEST_F(LevelPlay, AnEditKeyWhileDraggingEndsTheDragAsAStepOfItsOwn)
{
    const char* script =
        "100 key down F6\n"
        "101 key up F6\n"
        // The crate in front of the tree, dragged ten units right; o pressed twice, the
        // first time with the button still down.
        "110 mouse move 400 176\n"
        "112 mouse down 0\n"
        "114 mouse move 20 0\n"
        "116 char o\n"
        "118 mouse move 20 0\n"
        "120 mouse up 0\n"
        "122 char o\n"
        "124 char code 19\n"
        "125 dump saved.json\n"
        "126 char code 26\n"
        "127 char code 26\n"
        "128 dump back.json\n"
        "129 char code 26\n"
        "130 dump before.json\n";
    const std::string bundled = ReadWholeFile("veclevel.dat");
    ASSERT_EQ(Run(131, script), 0) << ReadWholeFile("stderr.txt");

    // The drag stopped at the key: the move after it, button still held, is no drag.
    EXPECT_EQ(Dump("saved.json").at("globals").at("screenMessage").get<std::string>(), "veclevel.dat saved");
    const std::string file = ReadWholeFile("veclevel.dat");
    const size_t at = bundled.find("piece=10,500,130,3,smp\n");
    ASSERT_NE(at, std::string::npos);
    const size_t end = file.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(file.substr(0, at) + "piece=10,500,130,3,smp" + file.substr(end), bundled) << "one line changed";
    const double x = std::stod(file.substr(at + 9));
    EXPECT_GT(x, 510);
    EXPECT_LT(x, 550) << "moved once, not twice";
    // Two undos take back the two flag changes: the level is the one on disk again. The
    // third takes back the drag.
    EXPECT_FALSE(Dump("back.json").at("globals").at("g_editsUnsaved").get<bool>());
    EXPECT_TRUE(Dump("before.json").at("globals").at("g_editsUnsaved").get<bool>());
}

}  // namespace

TEST_F(LevelPlay, OnAGridADragSnapsThePieceAndControlWithAnArrowMovesItByTheGrid)
{
    // Grid 16; the crate in front of the tree (x 500) dragged ten units right snaps to 512;
    // Control and Right then move it a grid further, one step, and the save writes it there.
    const char* script =
        "100 key down F6\n"
        "101 key up F6\n"
        "102 char g\n"
        "103 char g\n"
        "110 mouse move 400 176\n"
        "112 mouse down 0\n"
        "114 mouse move 5 0\n"
        "116 mouse up 0\n"
        "118 press CONTROL\n"
        "119 key down RIGHT\n"
        "120 key up RIGHT\n"
        "121 release CONTROL\n"
        "122 key down RIGHT\n"
        "123 key up RIGHT\n"
        "124 dump moved.json\n"
        "125 char code 19\n";
    const std::string bundled = ReadWholeFile("veclevel.dat");
    ASSERT_EQ(Run(126, script), 0) << ReadWholeFile("stderr.txt");
    EXPECT_NE(Dump("moved.json").at("globals").at("statusLine").get<std::string>().find("x 528 y 128 | layer 3 | s m p | cell shared by 2 | grid 16"),
              std::string::npos)
        << Dump("moved.json").at("globals").at("statusLine").get<std::string>();
    EXPECT_EQ(ReadWholeFile("veclevel.dat"), Replaced(bundled, "piece=10,500,130,3,smp", "piece=10,528,128,3,smp"));
}

TEST_F(LevelPlay, ABoxSelectsThreePiecesThatCopyAndPasteIntoAnotherCellAsOneStep)
{
    // Grid 16; a drag from empty ground boxes the three crates at the start cell's top left
    // (20,340, 70,340, 320,320); Ctrl+C; a click on the empty cell below; Ctrl+V, Ctrl+S;
    // then Ctrl+Z.
    const char* script =
        "100 key down F6\n"
        "101 key up F6\n"
        "102 char g\n"
        "103 char g\n"
        "110 mouse move 318 90\n"
        "112 mouse down 0\n"
        "114 mouse move -216 -52\n"
        "116 mouse up 0\n"
        "117 dump boxed.json\n"
        "118 char code 3\n"
        "120 mouse move -2000 -2000\n"
        "121 mouse move 150 300\n"
        "122 mouse down 0\n"
        "124 mouse up 0\n"
        "126 char code 22\n"
        "128 dump pasted.json\n"
        "129 char code 19\n"
        "130 dump saved.json\n"
        "131 char code 26\n"
        "132 dump undone.json\n";
    const std::string bundled = ReadWholeFile("veclevel.dat");
    ASSERT_EQ(Run(133, script), 0) << ReadWholeFile("stderr.txt");

    const Json boxed = Dump("boxed.json");
    ASSERT_EQ(boxed.at("levelTool").at("selection").size(), 3u) << boxed.at("globals").at("statusLine").get<std::string>();
    EXPECT_NE(boxed.at("globals").at("statusLine").get<std::string>().find("3 pieces in 1 cell"), std::string::npos)
        << boxed.at("globals").at("statusLine").get<std::string>();
    const Json pasted = Dump("pasted.json");
    EXPECT_EQ(pasted.at("levelTool").at("selection").size(), 3u) << "the pasted pieces are selected";

    // Three more pieces in the cell below the start, where the copies keep their offsets
    // from the first (50,0 and 300,-20) and the first stands on the grid.
    const std::string file = ReadWholeFile("veclevel.dat");
    const size_t cell = file.find("cell=0,0\n");
    ASSERT_NE(cell, std::string::npos);
    const size_t next = file.find("cell=", cell + 1);
    std::string block = file.substr(cell, next - cell);
    std::vector<std::array<int, 2>> pieces;
    for (size_t at = block.find("piece=10,"); at != std::string::npos; at = block.find("piece=10,", at + 1)) {
        int x = 0, y = 0;
        ASSERT_EQ(std::sscanf(block.c_str() + at, "piece=10,%d,%d", &x, &y), 2) << block;
        pieces.push_back({x, y});
    }
    ASSERT_EQ(pieces.size(), 3u) << block;
    EXPECT_EQ(pieces[0][0] % 16, 0) << block;
    EXPECT_EQ(pieces[0][1] % 16, 0) << block;
    EXPECT_EQ(pieces[1][0] - pieces[0][0], 50) << block;
    EXPECT_EQ(pieces[1][1] - pieces[0][1], 0) << block;
    EXPECT_EQ(pieces[2][0] - pieces[0][0], 300) << block;
    EXPECT_EQ(pieces[2][1] - pieces[0][1], -20) << block;
    EXPECT_NE(block.find(",3,s\n"), std::string::npos) << "flags copied";
    EXPECT_EQ(file.substr(0, cell), bundled.substr(0, cell)) << "nothing else changed above";
    EXPECT_EQ(RunCommand("'" VANTREL_CHECK_PATH "' . > check.txt 2>&1"), 0) << ReadWholeFile("check.txt");

    // One undo takes the paste back whole.
    EXPECT_EQ(Section(ReadWholeFile("undone.json"), "level", "process"), Section(ReadWholeFile("boxed.json"), "level", "process"));
}

TEST_F(LevelPlay, ShiftClickBuildsASelectionThatMovesDeletesAndFlagsAsOneStepEach)
{
    // The crate in front of the tree, Shift+click the high crate and the crate at the edge:
    // three; Shift+click the high crate again: two. Control+Right moves both, Delete takes
    // both, each one step.
    const char* script =
        "100 key down F6\n"
        "101 key up F6\n"
        "110 mouse move 400 176\n"
        "112 mouse down 0\n"
        "114 mouse up 0\n"
        "115 press SHIFT\n"
        "116 mouse move -2000 -2000\n"
        "117 mouse move 296 66\n"
        "118 mouse down 0\n"
        "120 mouse up 0\n"
        "121 mouse move -2000 -2000\n"
        "122 mouse move 479 101\n"
        "124 mouse down 0\n"
        "126 mouse up 0\n"
        "127 dump three.json\n"
        "128 mouse move -2000 -2000\n"
        "129 mouse move 296 66\n"
        "130 mouse down 0\n"
        "132 mouse up 0\n"
        "133 release SHIFT\n"
        "134 dump two.json\n"
        "135 press CONTROL\n"
        "136 key down RIGHT\n"
        "137 key up RIGHT\n"
        "138 release CONTROL\n"
        "139 char code 19\n"
        "140 key down DELETE\n"
        "141 key up DELETE\n"
        "142 dump deleted.json\n"
        "143 char code 26\n"
        "144 dump undone.json\n";
    const std::string bundled = ReadWholeFile("veclevel.dat");
    ASSERT_EQ(Run(145, script), 0) << ReadWholeFile("stderr.txt");
    EXPECT_EQ(Dump("three.json").at("levelTool").at("selection").size(), 3u);
    const Json two = Dump("two.json");
    EXPECT_EQ(two.at("levelTool").at("selection").size(), 2u);
    EXPECT_NE(two.at("globals").at("statusLine").get<std::string>().find("2 pieces in 1 cell | 1 cell shared"), std::string::npos)
        << two.at("globals").at("statusLine").get<std::string>();
    EXPECT_EQ(ReadWholeFile("veclevel.dat"),
              Replaced(Replaced(bundled, "piece=10,500,130,3,smp", "piece=10,501,130,3,smp"), "piece=10,635,260,3,smp",
                       "piece=10,636,260,3,smp"));
    const Json deleted = Dump("deleted.json");
    const Json undone = Dump("undone.json");
    const auto count = [](const Json& dump) {
        return dump.at("level").at("cells")[static_cast<size_t>(dump.at("level").at("slots")[1].get<double>())].at("count").get<double>();
    };
    EXPECT_EQ(count(deleted), 11);
    EXPECT_EQ(count(undone), 13);
    EXPECT_FALSE(undone.at("globals").at("g_editsUnsaved").get<bool>()) << "back to the saved level in one step";
}

TEST_F(LevelPlay, TheReachMarksTheCratesTheFigureCanClimbAndIsWorkedOutAgainAfterAnEdit)
{
    // A crate 600 units above the floor's top is out of reach; the first crate is in it,
    // and the crates above it only through it: deleted, they are out of reach too.
    WriteWholeFile("veclevel.dat", ReadWholeFile("veclevel.dat") + "cell=0,2\npiece=10,300,140,3,s\n");
    const char* script =
        "100 key down F6\n"
        "101 key up F6\n"
        "102 char r\n"
        "104 dump reach.json\n"
        "110 mouse move 400 176\n"
        "112 mouse down 0\n"
        "114 mouse up 0\n"
        "115 key down DELETE\n"
        "116 key up DELETE\n"
        "118 dump deleted.json\n";
    ASSERT_EQ(Run(119, script), 0) << ReadWholeFile("stderr.txt");
    const auto has = [](const Json& list, double x, double y) {
        for (const Json& pick : list) {
            if (pick.at("x").get<double>() == x && pick.at("y").get<double>() == y) return true;
        }
        return false;
    };
    const Json reach = Dump("reach.json").at("levelTool").at("reach");
    EXPECT_TRUE(has(reach.at("landable"), 500, 130));
    EXPECT_TRUE(has(reach.at("landable"), 635, 260));
    EXPECT_TRUE(has(reach.at("landable"), 20, 340));
    EXPECT_TRUE(has(reach.at("unreachable"), 300, 140));
    EXPECT_FALSE(has(reach.at("landable"), 300, 140));
    EXPECT_GT(reach.at("regionBoxes").get<double>(), 0);
    const Json deleted = Dump("deleted.json").at("levelTool").at("reach");
    EXPECT_FALSE(has(deleted.at("landable"), 500, 130));
    EXPECT_TRUE(has(deleted.at("unreachable"), 635, 260));
    EXPECT_TRUE(has(deleted.at("unreachable"), 20, 340));
    EXPECT_TRUE(has(deleted.at("landable"), 270, 0));
}

TEST_F(LevelPlay, YDrawsThePlayedRunAndPlaysItAgainOnTheEditedLevel)
{
    // A walking jump let go of over the first crate lands on it; in level mode y takes the
    // run, played again to the same end; the crate moved 100 units up (Control and Up, a
    // unit a step), the same input no longer lands on it.
    std::string script =
        "60 press RIGHT\n"
        "85 press SPACE\n"
        "86 release SPACE\n"
        "103 release RIGHT\n"
        "150 key down F6\n"
        "151 key up F6\n"
        "152 char y\n"
        "153 dump taken.json\n"
        "156 mouse move 271 255\n"
        "158 mouse down 0\n"
        "160 mouse up 0\n"
        "161 press CONTROL\n";
    int pass = 162;
    for (int step = 0; step < 100; ++step) script += std::to_string(pass++) + " key down UP\n";
    script += std::to_string(pass) + " release CONTROL\n" + std::to_string(pass + 1) + " dump moved.json\n";
    ASSERT_EQ(Run(pass + 2, script), 0) << ReadWholeFile("stderr.txt");

    const Json taken = Dump("taken.json").at("levelTool").at("replay");
    ASSERT_TRUE(taken.at("shown").get<bool>());
    const Json& played = taken.at("played");
    ASSERT_GT(played.size(), 100u);
    const Json& landed = played[played.size() - 1];
    EXPECT_EQ(landed[1].get<double>(), 718) << "on the crate: its top at 635, the feet 83 below the figure's place";
    EXPECT_EQ(taken.at("replayed")[played.size() - 1][0].get<double>(), landed[0].get<double>()) << "played again alike";
    EXPECT_EQ(taken.at("replayed")[played.size() - 1][1].get<double>(), landed[1].get<double>());

    const Json moved = Dump("moved.json");
    EXPECT_NE(moved.at("globals").at("statusLine").get<std::string>().find("x 500 y 230"), std::string::npos)
        << moved.at("globals").at("statusLine").get<std::string>();
    const Json& replay = moved.at("levelTool").at("replay");
    EXPECT_TRUE(replay.at("edited").get<bool>());
    EXPECT_EQ(replay.at("played").size(), played.size()) << "the run as played stays";
    const Json& now = replay.at("replayed")[replay.at("replayed").size() - 1];
    EXPECT_NE(now[1].get<double>(), 718);
    EXPECT_NE(now[1].get<double>(), 818) << "nor on the crate where it now stands";
}
