// Whole runs of the game on the bundled data, driven by scripts through the headless runner,
// checked through the state dumps, the log and the screenshots.
#include <gtest/gtest.h>

#include <filesystem>

#include <cmath>
#include <cstdint>
#include <string>

#include "bundled_data_run.h"
#include "json_reader.h"
#include "platform/d3dx/image_decode.h"
#include "support.h"

namespace {

const char* const DIK_RIGHT_HEX = "0xCD";

class PlayReplay : public BundledDataRun {
protected:
    // Pieces of the cell that stands in level slot `slot`.
    static const JsonValue& CellPieces(const JsonValue& dump, size_t slot)
    {
        const JsonValue& index = dump["level"]["slots"][slot];
        return dump["level"]["cells"][static_cast<size_t>(index.number)]["pieces"];
    }
};

TEST_F(PlayReplay, BundledDataLoadsTheWholeWorldInOrder)
{
    ASSERT_EQ(Run(1, "0 dump start.json\n"), 0);
    const JsonValue start = Dump("start.json");

    EXPECT_GE(start["parts"].Size(), 13u);
    EXPECT_GE(start["frames"].Size(), 6u);
    const JsonValue& figure = start["figure"];
    EXPECT_GE(figure["numparts"].number, 8);
    EXPECT_LE(figure["numparts"].number, 10);
    EXPECT_EQ(figure["parts"].Size(), figure["numparts"].number);
    EXPECT_EQ(figure["numHitBoxes"].number, 2);
    EXPECT_EQ(figure["hitBoxes"].Size(), 2u);
    // The first pass integrates a velocity of 0 before gravity works: the figure is still
    // where it starts, with one pass of fall speed.
    EXPECT_EQ(figure["x"].number, 250);
    EXPECT_EQ(figure["y"].number, 900);
    EXPECT_FLOAT_EQ(figure["yVelocity"].number, -2000 * 0.016);

    // The fixed level: end cell in columns 0 and 4, floor cell in 1 to 3, corner cell below.
    const JsonValue& slots = start["level"]["slots"];
    ASSERT_EQ(slots.Size(), 60u);
    for (size_t slot = 0; slot < 60; ++slot) {
        const bool used = slot == 0 || slot == 1 || slot == 4 || slot == 7 || slot == 10 || slot == 13;
        EXPECT_EQ(!slots[slot].IsNull(), used) << "slot " << slot;
    }
    EXPECT_EQ(slots[1].number, slots[13].number);
    EXPECT_EQ(slots[4].number, slots[7].number);
    EXPECT_EQ(slots[4].number, slots[10].number);
    EXPECT_EQ(CellPieces(start, 0).Size(), 1u);
    EXPECT_EQ(CellPieces(start, 4).Size(), 6u);
    const JsonValue& end = CellPieces(start, 1);
    ASSERT_EQ(end.Size(), 13u);
    EXPECT_EQ(end[8]["x"].number, 500);
    EXPECT_EQ(end[8]["y"].number, 130);
    EXPECT_EQ(end[8]["vecpartnum"].number, 10);
    EXPECT_TRUE(end[8]["pushable"].boolean);
    EXPECT_EQ(end[12]["layer"].number, 6);
    EXPECT_FALSE(end[12]["solid"].boolean);

    const std::string log = ReadWholeFile("log.log");
    size_t at = 0;
    for (const char* line : {"\nParts Data file done\n", "\nData file done\n", "\nInitVectorMan done\n",
                             "\nAnimation Data file done\n"}) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " missing or out of order in\n" << log;
        at = found + 1;
    }
}

TEST_F(PlayReplay, WithoutTheFontTheGamePlaysAndEditsWithoutText)
{
    std::filesystem::remove("font.dat");
    ASSERT_EQ(Run(12, "2 key down F3\n3 key up F3\n5 char h\n10 dump edit.json\n"), 0)
        << ReadWholeFile("stderr.txt");
    EXPECT_EQ(Dump("edit.json")["globals"]["g_editMode"].number, 2);
    EXPECT_NE(ReadWholeFile("log.log").find("font.dat: missing; no screen text"), std::string::npos);
}

TEST_F(PlayReplay, FigureFallsWalksJumpsTakesTheItemAndPushesACrate)
{
    const std::string right = DIK_RIGHT_HEX;
    const std::string script =
        "60 dump landed.json\n"
        "61 dik down " + right + "\n"
        "70 dump walking.json\n"
        "77 dik up " + right + "\n"
        "78 dump stopped.json\n"
        // Nothing hangs above this spot, so the jump rises freely.
        "80 key down SPACE\n"
        "81 key up SPACE\n"
        "95 dump rising.json\n"
        "140 dump down.json\n"
        // On to the crate floating at world (500, 610): the upper box stops against its side.
        "141 dik down " + right + "\n"
        "170 dik up " + right + "\n"
        "171 dump at-crate.json\n"
        // Jumping there must not bump into the crate from below at once.
        "172 key down SPACE\n"
        "173 key up SPACE\n"
        "185 dump crate-jump.json\n"
        "240 dump crate-landed.json\n"
        "241 char b\n"
        "300 dump holding.json\n"
        "301 mouse down 0\n"
        "311 mouse up 0\n"
        "340 dump pushed.json\n";
    ASSERT_EQ(Run(341, script), 0) << ReadWholeFile("stderr.txt");

    const JsonValue landed = Dump("landed.json");
    const JsonValue& man = landed["figure"];
    EXPECT_TRUE(landed["globals"]["g_onGround"].boolean);
    EXPECT_EQ(man["yVelocity"].number, 0);
    // The lowest hit box rests on the floor's top edge (row 1, floor 40 high at y 0 of the cell).
    const JsonValue& legs = man["hitBoxes"][1];
    EXPECT_EQ(man["y"].number + legs["centerY"].number - legs["halfHeight"].number, 480 + 20);
    EXPECT_EQ(man["x"].number, 250);

    const JsonValue walking = Dump("walking.json");
    EXPECT_EQ(walking["globals"]["g_moveDir"].number, 1);
    EXPECT_EQ(walking["figure"]["xVelocity"].number, 500);
    EXPECT_GT(walking["figure"]["x"].number, 250);
    EXPECT_FALSE(walking["figure"]["currentKeys"][2].IsNull()) << "the walk frame drives the arms";

    const JsonValue stopped = Dump("stopped.json");
    EXPECT_EQ(stopped["globals"]["g_moveDir"].number, 0);
    EXPECT_EQ(stopped["figure"]["xVelocity"].number, 0);
    const double jumpX = stopped["figure"]["x"].number;

    const JsonValue rising = Dump("rising.json");
    EXPECT_TRUE(rising["globals"]["g_jumping"].boolean);
    EXPECT_FALSE(rising["globals"]["g_onGround"].boolean);
    EXPECT_GT(rising["figure"]["y"].number, man["y"].number + 100);
    EXPECT_GT(rising["figure"]["yVelocity"].number, 0) << "no head bounce: still going up";

    const JsonValue down = Dump("down.json");
    EXPECT_FALSE(down["globals"]["g_jumping"].boolean);
    EXPECT_TRUE(down["globals"]["g_onGround"].boolean);
    EXPECT_EQ(down["figure"]["y"].number, man["y"].number);
    EXPECT_EQ(down["figure"]["x"].number, jumpX);

    // Both boxes end at x + 24 in front (the file's fitted boxes): one unit short of the
    // crate's left edge (475), and the lower one is not under the crate.
    const JsonValue atCrate = Dump("at-crate.json");
    EXPECT_EQ(atCrate["figure"]["x"].number, 475 - 24 - 1);
    const JsonValue crateJump = Dump("crate-jump.json");
    EXPECT_TRUE(crateJump["globals"]["g_jumping"].boolean);
    EXPECT_GT(crateJump["figure"]["y"].number, man["y"].number + 50);
    EXPECT_GT(crateJump["figure"]["yVelocity"].number, 0) << "bumped its head on the crate";
    const JsonValue crateLanded = Dump("crate-landed.json");
    EXPECT_TRUE(crateLanded["globals"]["g_onGround"].boolean);
    EXPECT_EQ(crateLanded["figure"]["y"].number, man["y"].number);
    EXPECT_EQ(crateLanded["figure"]["x"].number, 475 - 24 - 1);

    const JsonValue holding = Dump("holding.json");
    const JsonValue& arm = holding["figure"]["parts"][3];
    const JsonValue& spear = holding["figure"]["parts"][6];
    EXPECT_EQ(arm["vecpartnum"].number, 6);
    EXPECT_TRUE(spear["visible"].boolean);
    EXPECT_TRUE(spear["tracked"].boolean);
    for (size_t key = 0; key < 6; ++key)
        EXPECT_TRUE(holding["figure"]["currentKeys"][key].IsNull()) << "frame 4 still running in slot " << key;
    EXPECT_EQ(CellPieces(holding, 1)[8]["x"].number, 500);

    const JsonValue pushed = Dump("pushed.json");
    const double moved = CellPieces(pushed, 1)[8]["x"].number - 500;
    EXPECT_GT(moved, 0) << "the crate moves away from the spear";
    EXPECT_EQ(moved, 10 * static_cast<int>(moved / 10));
    EXPECT_EQ(CellPieces(pushed, 13)[8]["x"].number, 500 + moved) << "the end cell is shared";
    EXPECT_EQ(pushed["figure"]["parts"][6]["yVelocity"].number, 0) << "the thrust came back to rest";
    EXPECT_FALSE(pushed["globals"]["g_charging"].boolean);
}

// Pressed into a crate on the floor, holding the way and jumping: the crate beside the
// hit box must not be taken for a ceiling, from either side.
TEST_F(PlayReplay, AJumpRisesWhilePressingIntoACrateFromEitherSide)
{
    ASSERT_EQ(Run(681, "0 focus gained\n70 dik down 0xCD\n400 dump right_pressed.json\n"
                       "420 key down SPACE\n425 key up SPACE\n440 dump right_jump.json\n"
                       "520 dik up 0xCD\n530 dik down 0xCB\n640 dump left_pressed.json\n"
                       "650 key down SPACE\n655 key up SPACE\n670 dump left_jump.json\n"),
              0);
    const JsonValue rightPressed = Dump("right_pressed.json");
    const JsonValue leftPressed = Dump("left_pressed.json");
    // Stopped one unit short of the first crate's faces (x 475 and 525), standing on the floor.
    EXPECT_EQ(rightPressed["figure"]["x"].number, 450);
    EXPECT_EQ(leftPressed["figure"]["x"].number, 550);
    for (const JsonValue* pressed : {&rightPressed, &leftPressed}) {
        EXPECT_EQ((*pressed)["figure"]["y"].number, 583);
        EXPECT_TRUE((*pressed)["globals"]["g_onGround"].boolean);
    }
    EXPECT_GT(Dump("right_jump.json")["figure"]["y"].number, 583 + 50);
    EXPECT_GT(Dump("left_jump.json")["figure"]["y"].number, 583 + 50);
}

TEST_F(PlayReplay, PressedKeysReachTheKeyboardDeviceAndTheWindowAlike)
{
    const std::string script =
        // Walking is read from the keyboard device, the item key from the typed character.
        "61 press RIGHT\n"
        "70 dump walking.json\n"
        "71 release RIGHT\n"
        "72 dump stopped.json\n"
        "73 press b\n"
        "74 release b\n"
        "130 dump holding.json\n";
    ASSERT_EQ(Run(131, script), 0) << ReadWholeFile("stderr.txt");

    const JsonValue walking = Dump("walking.json");
    EXPECT_EQ(walking["globals"]["g_moveDir"].number, 1);
    EXPECT_GT(walking["figure"]["x"].number, 250);
    EXPECT_EQ(Dump("stopped.json")["globals"]["g_moveDir"].number, 0);

    const JsonValue holding = Dump("holding.json");
    EXPECT_EQ(holding["figure"]["parts"][3]["vecpartnum"].number, 6);
    EXPECT_TRUE(holding["figure"]["parts"][6]["visible"].boolean);
}

TEST_F(PlayReplay, CommandsAtTheEdgesOfTheSmallScreen)
{
    const std::string script =
        "2 dik down 0xD1\n"
        "4 dik up 0xD1\n"
        // Pressed and released between two polls: the game never sees it.
        "6 dik down 0xD1\n"
        "6 dik up 0xD1\n"
        "8 mouse move 1000 1000\n"
        "8 dump far.json\n"
        "10 mouse move -1000 -1000\n"
        "10 dump zero.json\n"
        "11 mouse move 10 5\n"
        "11 dump near.json\n"
        "12 mouse wheel 120\n"
        "12 dump wheel.json\n"
        "16 key down F5\n"
        "17 key up F5\n"
        "18 dump frozen.json\n"
        "20 key down F5\n"
        "21 key up F5\n"
        "22 dump again.json\n";
    ASSERT_EQ(Run(23, script, false, "/640"), 0) << ReadWholeFile("stderr.txt");

    const std::string log = ReadWholeFile("log.log");
    const std::string ready = "DirectInput initialized\n";
    ASSERT_NE(log.find(ready), std::string::npos);
    EXPECT_EQ(log.substr(log.find(ready) + ready.size()), "PAGEDOWN DOWN\nPAGEDOWN UP\n");

    const JsonValue far = Dump("far.json");
    EXPECT_EQ(far["globals"]["g_mouseX"].number, 639);
    EXPECT_EQ(far["globals"]["g_mouseY"].number, 479);
    const JsonValue zero = Dump("zero.json");
    EXPECT_EQ(zero["globals"]["g_mouseX"].number, 0);
    EXPECT_EQ(zero["globals"]["g_mouseY"].number, 0);
    const JsonValue near = Dump("near.json");
    EXPECT_EQ(near["globals"]["g_mouseX"].number, 20);
    EXPECT_EQ(near["globals"]["g_mouseY"].number, 10);
    EXPECT_EQ(Dump("wheel.json")["globals"]["g_cameraDistance"].number, 800 - 120);

    const JsonValue frozen = Dump("frozen.json");
    EXPECT_EQ(frozen["globals"]["g_editMode"].number, 5);
    EXPECT_FALSE(frozen["globals"]["g_cameraFollows"].boolean);
    const JsonValue again = Dump("again.json");
    EXPECT_EQ(again["globals"]["g_editMode"].number, 5);
    EXPECT_TRUE(again["globals"]["g_cameraFollows"].boolean);
    EXPECT_EQ(again["figure"]["yVelocity"].number, frozen["figure"]["yVelocity"].number)
        << "no gravity while frozen";
}

TEST_F(PlayReplay, SwitchingAwayAndBackGivesTheKeyboardAndMouseBack)
{
    const std::string right = DIK_RIGHT_HEX;
    const std::string script =
        "61 dik down " + right + "\n"
        "64 focus lost\n"
        "66 mouse move 50 0\n"
        "70 dump away.json\n"
        "80 focus gained\n"
        "82 dump back.json\n"
        "83 mouse move 5 0\n"
        "83 dump moved.json\n";
    ASSERT_EQ(Run(84, script), 0) << ReadWholeFile("stderr.txt");

    // Losing the window lets go of Right as if it had been released: the walk stops there
    // and the figure does not walk on, off the level, while the game is in the background.
    const JsonValue away = Dump("away.json");
    EXPECT_EQ(away["globals"]["g_moveDir"].number, 0);
    EXPECT_EQ(away["figure"]["xVelocity"].number, 0);
    EXPECT_EQ(away["globals"]["g_mouseX"].number, 0);

    const JsonValue back = Dump("back.json");
    EXPECT_EQ(back["globals"]["g_moveDir"].number, 0) << "the key was let go while away";
    EXPECT_EQ(back["figure"]["xVelocity"].number, 0);
    EXPECT_EQ(back["globals"]["g_mouseX"].number, 0) << "motion made while away is dropped";
    EXPECT_EQ(Dump("moved.json")["globals"]["g_mouseX"].number, 10);
}

TEST_F(PlayReplay, AGamepadWalksJumpsAimsAndThrustsAndLetsGoWhenUnplugged)
{
    const std::string script =
        // The left stick walks past its dead zone and stops inside it.
        "61 pad axis leftx -20000\n"
        "70 dump walking.json\n"
        "71 pad axis leftx 3000\n"
        "72 dump resting.json\n"
        // The d-pad walks too, until the pad is pulled out.
        "73 pad button dpright down\n"
        "80 pad removed\n"
        "81 dump unplugged.json\n"
        "82 pad button a down\n"
        "83 pad button a up\n"
        "95 dump rising.json\n"
        "140 pad button b down\n"
        "141 pad button b up\n"
        "200 dump holding.json\n"
        // Full right stick down for ten passes of 16 ms at 180 counts a second.
        "201 pad axis righty 32767\n"
        "211 pad axis righty 0\n"
        "212 dump aimed.json\n"
        "213 pad axis righttrigger 32767\n"
        "222 dump charging.json\n"
        "223 pad axis righttrigger 0\n"
        "224 dump thrust.json\n";
    ASSERT_EQ(Run(225, script), 0) << ReadWholeFile("stderr.txt");

    const JsonValue walking = Dump("walking.json");
    EXPECT_EQ(walking["globals"]["g_moveDir"].number, -1);
    EXPECT_LT(walking["figure"]["x"].number, 250);
    EXPECT_EQ(Dump("resting.json")["globals"]["g_moveDir"].number, 0);
    EXPECT_EQ(Dump("unplugged.json")["globals"]["g_moveDir"].number, 0);
    EXPECT_TRUE(Dump("rising.json")["globals"]["g_jumping"].boolean);

    const JsonValue holding = Dump("holding.json");
    EXPECT_EQ(holding["figure"]["parts"][3]["vecpartnum"].number, 6);
    const double turned = holding["figure"]["parts"][3]["angle"].number - Dump("aimed.json")["figure"]["parts"][3]["angle"].number;
    EXPECT_NEAR(std::fmod(turned + 360, 360), 28, 1) << "the arm turns with the stick held down";

    EXPECT_TRUE(Dump("charging.json")["globals"]["g_charging"].boolean);
    const JsonValue thrust = Dump("thrust.json");
    EXPECT_FALSE(thrust["globals"]["g_charging"].boolean);
    EXPECT_LT(thrust["figure"]["parts"][6]["yVelocity"].number, 0) << "letting go of the trigger thrusts the spear";
}

class PlayScreen : public PlayReplay {
protected:
    // Whether the screenshot exists with the back buffer's size.
    bool Load(const char* name, DecodedImage& image)
    {
        std::string error;
        return DecodeImageFile(name, image, error) && image.width == 1024 && image.height == 768;
    }
    static uint32_t Rgb(const DecodedImage& image, int x, int y)
    {
        return image.argb[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF;
    }
    static bool White(const DecodedImage& image, int x, int y)
    {
        const uint32_t p = Rgb(image, x, y);
        return (p >> 16 & 0xFF) >= 250 && (p >> 8 & 0xFF) >= 250 && (p & 0xFF) >= 250;
    }
    // The most white pixels any one column in [x0, x1) has within rows [y0, y1).
    static int WhiteColumn(const DecodedImage& image, int x0, int x1, int y0, int y1)
    {
        int best = 0;
        for (int x = x0; x < x1; ++x) {
            int count = 0;
            for (int y = y0; y < y1; ++y) count += White(image, x, y);
            if (count > best) best = count;
        }
        return best;
    }
};

TEST_F(PlayScreen, FigureStandsAtTheCentreAndTheEditorShowsWhatItPicks)
{
    const char* script =
        "120 screenshot standing.png\n"
        "121 char code 9\n"
        "123 screenshot boxes.png\n"
        "123 dump boxes.json\n"
        "124 char code 9\n"
        "125 key down F2\n"
        "126 key up F2\n"
        // The game cursor moves two pixels per mouse unit from (0, 0): onto the head.
        "127 mouse move 258 149\n"
        "130 screenshot picked.png\n"
        "130 dump picked.json\n";
    const int code = Run(131, script, true);
    if (code != 0 && ReadWholeFile("log.log").find("Completed initializing d3d") == std::string::npos)
        GTEST_SKIP() << "no OpenGL device here";
    ASSERT_EQ(code, 0) << ReadWholeFile("stderr.txt");

    DecodedImage standing, boxes, picked;
    ASSERT_TRUE(Load("standing.png", standing));
    ASSERT_TRUE(Load("boxes.png", boxes));
    ASSERT_TRUE(Load("picked.png", picked));

    const uint32_t TEAL = 0x008080;
    EXPECT_EQ(Rgb(standing, 1023, 767), TEAL);
    EXPECT_EQ(Rgb(standing, 0, 767), TEAL);
    // From the head down through the feet into the floor, the centre column is never
    // background: the figure stands in the middle, feet on the floor.
    for (int y = 300; y < 520; ++y) ASSERT_NE(Rgb(standing, 512, y), TEAL) << "y " << y;
    EXPECT_EQ(Rgb(standing, 512, 250), TEAL) << "nothing above the head";
    EXPECT_EQ(Rgb(standing, 512, 560), TEAL) << "nothing below the floor";

    // Cell outlines run the whole height of the screen; nothing white does without them.
    EXPECT_TRUE(Dump("boxes.json")["globals"]["g_showHitBoxes"].boolean);
    EXPECT_GE(WhiteColumn(boxes, 0, 1024, 0, 768), 760);
    EXPECT_LT(WhiteColumn(standing, 0, 1024, 0, 768), 100);

    const JsonValue pickedDump = Dump("picked.json");
    EXPECT_EQ(pickedDump["globals"]["g_editMode"].number, 1);
    EXPECT_EQ(pickedDump["globals"]["g_cursorPos"]["x"].number, 516);
    EXPECT_EQ(pickedDump["globals"]["g_cursorPos"]["y"].number, 298);
    EXPECT_EQ(pickedDump["globals"]["g_selectedPart"].number, 8);
    // The head's outline: a white edge left of the cursor, where the plain frame has none.
    EXPECT_GE(WhiteColumn(picked, 480, 514, 260, 340), 20);
    EXPECT_LT(WhiteColumn(standing, 480, 514, 260, 340), 5);

    // The status line: white text on a dark strip along the bottom edge in the editor,
    // nothing there in play.
    EXPECT_GE(WhiteColumn(picked, 0, 200, 744, 768), 8);
    EXPECT_NE(Rgb(picked, 1023, 767), TEAL);
    EXPECT_EQ(WhiteColumn(standing, 0, 1024, 744, 768), 0);
}

}  // namespace
