// Whole runs of the game on the bundled data, driven by scripts through the headless runner,
// checked through the state dumps, the log and the screenshots.
#include <gtest/gtest.h>

#include <filesystem>

#include <cmath>
#include <cstdint>
#include <string>

#include "bundled_data_run.h"
#include "platform/d3dx/image_decode.h"
#include "support.h"

namespace {

const char* const DIK_RIGHT_HEX = "0xCD";

class PlayReplay : public BundledDataRun {
protected:
    // Pieces of the cell that stands in level slot `slot`.
    static const Json& CellPieces(const Json& dump, size_t slot)
    {
        const Json& index = dump.at("level").at("slots").at(slot);
        return dump.at("level").at("cells").at(static_cast<size_t>(index.get<double>())).at("pieces");
    }
};

TEST_F(PlayReplay, BundledDataLoadsTheWholeWorldInOrder)
{
    ASSERT_EQ(Run(1, "0 dump start.json\n"), 0);
    const Json start = Dump("start.json");

    EXPECT_GE(start.at("parts").size(), 13u);
    EXPECT_GE(start.at("frames").size(), 6u);
    const Json& figure = start.at("figure");
    EXPECT_GE(figure.at("numparts").get<double>(), 8);
    EXPECT_LE(figure.at("numparts").get<double>(), 10);
    EXPECT_EQ(figure.at("parts").size(), figure.at("numparts").get<double>());
    EXPECT_EQ(figure.at("numHitBoxes").get<double>(), 2);
    EXPECT_EQ(figure.at("hitBoxes").size(), 2u);
    // The first pass integrates a velocity of 0 before gravity works: the figure is still
    // where it starts, with one pass of fall speed.
    EXPECT_EQ(figure.at("x").get<double>(), 250);
    EXPECT_EQ(figure.at("y").get<double>(), 900);
    EXPECT_FLOAT_EQ(figure.at("yVelocity").get<double>(), -2000 * 0.016);

    // The fixed level: end cell in columns 0 and 4, floor cell in 1 to 3, corner cell below.
    const Json& slots = start.at("level").at("slots");
    ASSERT_EQ(slots.size(), 60u);
    for (size_t slot = 0; slot < 60; ++slot) {
        const bool used = slot == 0 || slot == 1 || slot == 4 || slot == 7 || slot == 10 || slot == 13;
        EXPECT_EQ(!slots.at(slot).is_null(), used) << "slot " << slot;
    }
    EXPECT_EQ(slots.at(1).get<double>(), slots.at(13).get<double>());
    EXPECT_EQ(slots.at(4).get<double>(), slots.at(7).get<double>());
    EXPECT_EQ(slots.at(4).get<double>(), slots.at(10).get<double>());
    EXPECT_EQ(CellPieces(start, 0).size(), 1u);
    EXPECT_EQ(CellPieces(start, 4).size(), 6u);
    const Json& end = CellPieces(start, 1);
    ASSERT_EQ(end.size(), 13u);
    EXPECT_EQ(end.at(8).at("x").get<double>(), 500);
    EXPECT_EQ(end.at(8).at("y").get<double>(), 130);
    EXPECT_EQ(end.at(8).at("vecpartnum").get<double>(), 10);
    EXPECT_TRUE(end.at(8).at("pushable").get<bool>());
    EXPECT_EQ(end.at(12).at("layer").get<double>(), 6);
    EXPECT_FALSE(end.at(12).at("solid").get<bool>());

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
    EXPECT_EQ(Dump("edit.json").at("globals").at("g_editMode").get<double>(), 2);
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

    const Json landed = Dump("landed.json");
    const Json& man = landed.at("figure");
    EXPECT_TRUE(landed.at("globals").at("g_onGround").get<bool>());
    EXPECT_EQ(man.at("yVelocity").get<double>(), 0);
    // The lowest hit box rests on the floor's top edge (row 1, floor 40 high at y 0 of the cell).
    const Json& legs = man.at("hitBoxes").at(1);
    EXPECT_EQ(man.at("y").get<double>() + legs.at("centerY").get<double>() - legs.at("halfHeight").get<double>(), 480 + 20);
    EXPECT_EQ(man.at("x").get<double>(), 250);

    const Json walking = Dump("walking.json");
    EXPECT_EQ(walking.at("globals").at("g_moveDir").get<double>(), 1);
    EXPECT_EQ(walking.at("figure").at("xVelocity").get<double>(), 500);
    EXPECT_GT(walking.at("figure").at("x").get<double>(), 250);
    EXPECT_FALSE(walking.at("figure").at("currentKeys").at(2).is_null()) << "the walk frame drives the arms";

    const Json stopped = Dump("stopped.json");
    EXPECT_EQ(stopped.at("globals").at("g_moveDir").get<double>(), 0);
    EXPECT_EQ(stopped.at("figure").at("xVelocity").get<double>(), 0);
    const double jumpX = stopped.at("figure").at("x").get<double>();

    const Json rising = Dump("rising.json");
    EXPECT_TRUE(rising.at("globals").at("g_jumping").get<bool>());
    EXPECT_FALSE(rising.at("globals").at("g_onGround").get<bool>());
    EXPECT_GT(rising.at("figure").at("y").get<double>(), man.at("y").get<double>() + 100);
    EXPECT_GT(rising.at("figure").at("yVelocity").get<double>(), 0) << "no head bounce: still going up";

    const Json down = Dump("down.json");
    EXPECT_FALSE(down.at("globals").at("g_jumping").get<bool>());
    EXPECT_TRUE(down.at("globals").at("g_onGround").get<bool>());
    EXPECT_EQ(down.at("figure").at("y").get<double>(), man.at("y").get<double>());
    EXPECT_EQ(down.at("figure").at("x").get<double>(), jumpX);

    // Both boxes end at x + 24 in front (the file's fitted boxes): one unit short of the
    // crate's left edge (475), and the lower one is not under the crate.
    const Json atCrate = Dump("at-crate.json");
    EXPECT_EQ(atCrate.at("figure").at("x").get<double>(), 475 - 24 - 1);
    const Json crateJump = Dump("crate-jump.json");
    EXPECT_TRUE(crateJump.at("globals").at("g_jumping").get<bool>());
    EXPECT_GT(crateJump.at("figure").at("y").get<double>(), man.at("y").get<double>() + 50);
    EXPECT_GT(crateJump.at("figure").at("yVelocity").get<double>(), 0) << "bumped its head on the crate";
    const Json crateLanded = Dump("crate-landed.json");
    EXPECT_TRUE(crateLanded.at("globals").at("g_onGround").get<bool>());
    EXPECT_EQ(crateLanded.at("figure").at("y").get<double>(), man.at("y").get<double>());
    EXPECT_EQ(crateLanded.at("figure").at("x").get<double>(), 475 - 24 - 1);

    const Json holding = Dump("holding.json");
    const Json& arm = holding.at("figure").at("parts").at(3);
    const Json& spear = holding.at("figure").at("parts").at(6);
    EXPECT_EQ(arm.at("vecpartnum").get<double>(), 6);
    EXPECT_TRUE(spear.at("visible").get<bool>());
    EXPECT_TRUE(spear.at("tracked").get<bool>());
    for (size_t key = 0; key < 6; ++key)
        EXPECT_TRUE(holding.at("figure").at("currentKeys").at(key).is_null()) << "frame 4 still running in slot " << key;
    EXPECT_EQ(CellPieces(holding, 1).at(8).at("x").get<double>(), 500);

    const Json pushed = Dump("pushed.json");
    const double moved = CellPieces(pushed, 1).at(8).at("x").get<double>() - 500;
    EXPECT_GT(moved, 0) << "the crate moves away from the spear";
    EXPECT_EQ(moved, 10 * static_cast<int>(moved / 10));
    EXPECT_EQ(CellPieces(pushed, 13).at(8).at("x").get<double>(), 500 + moved) << "the end cell is shared";
    EXPECT_EQ(pushed.at("figure").at("parts").at(6).at("yVelocity").get<double>(), 0) << "the thrust came back to rest";
    EXPECT_FALSE(pushed.at("globals").at("g_charging").get<bool>());
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
    const Json rightPressed = Dump("right_pressed.json");
    const Json leftPressed = Dump("left_pressed.json");
    // Stopped one unit short of the first crate's faces (x 475 and 525), standing on the floor.
    EXPECT_EQ(rightPressed.at("figure").at("x").get<double>(), 450);
    EXPECT_EQ(leftPressed.at("figure").at("x").get<double>(), 550);
    for (const Json* pressed : {&rightPressed, &leftPressed}) {
        EXPECT_EQ((*pressed)["figure"]["y"].get<double>(), 583);
        EXPECT_TRUE((*pressed)["globals"]["g_onGround"].get<bool>());
    }
    EXPECT_GT(Dump("right_jump.json").at("figure").at("y").get<double>(), 583 + 50);
    EXPECT_GT(Dump("left_jump.json").at("figure").at("y").get<double>(), 583 + 50);
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

    const Json walking = Dump("walking.json");
    EXPECT_EQ(walking.at("globals").at("g_moveDir").get<double>(), 1);
    EXPECT_GT(walking.at("figure").at("x").get<double>(), 250);
    EXPECT_EQ(Dump("stopped.json").at("globals").at("g_moveDir").get<double>(), 0);

    const Json holding = Dump("holding.json");
    EXPECT_EQ(holding.at("figure").at("parts").at(3).at("vecpartnum").get<double>(), 6);
    EXPECT_TRUE(holding.at("figure").at("parts").at(6).at("visible").get<bool>());
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

    const Json far = Dump("far.json");
    EXPECT_EQ(far.at("globals").at("g_mouseX").get<double>(), 639);
    EXPECT_EQ(far.at("globals").at("g_mouseY").get<double>(), 479);
    const Json zero = Dump("zero.json");
    EXPECT_EQ(zero.at("globals").at("g_mouseX").get<double>(), 0);
    EXPECT_EQ(zero.at("globals").at("g_mouseY").get<double>(), 0);
    const Json near = Dump("near.json");
    EXPECT_EQ(near.at("globals").at("g_mouseX").get<double>(), 20);
    EXPECT_EQ(near.at("globals").at("g_mouseY").get<double>(), 10);
    EXPECT_EQ(Dump("wheel.json").at("globals").at("g_cameraDistance").get<double>(), 800 - 120);

    const Json frozen = Dump("frozen.json");
    EXPECT_EQ(frozen.at("globals").at("g_editMode").get<double>(), 5);
    EXPECT_FALSE(frozen.at("globals").at("g_cameraFollows").get<bool>());
    const Json again = Dump("again.json");
    EXPECT_EQ(again.at("globals").at("g_editMode").get<double>(), 5);
    EXPECT_TRUE(again.at("globals").at("g_cameraFollows").get<bool>());
    EXPECT_EQ(again.at("figure").at("yVelocity").get<double>(), frozen.at("figure").at("yVelocity").get<double>())
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
    const Json away = Dump("away.json");
    EXPECT_EQ(away.at("globals").at("g_moveDir").get<double>(), 0);
    EXPECT_EQ(away.at("figure").at("xVelocity").get<double>(), 0);
    EXPECT_EQ(away.at("globals").at("g_mouseX").get<double>(), 0);

    const Json back = Dump("back.json");
    EXPECT_EQ(back.at("globals").at("g_moveDir").get<double>(), 0) << "the key was let go while away";
    EXPECT_EQ(back.at("figure").at("xVelocity").get<double>(), 0);
    EXPECT_EQ(back.at("globals").at("g_mouseX").get<double>(), 0) << "motion made while away is dropped";
    EXPECT_EQ(Dump("moved.json").at("globals").at("g_mouseX").get<double>(), 10);
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

    const Json walking = Dump("walking.json");
    EXPECT_EQ(walking.at("globals").at("g_moveDir").get<double>(), -1);
    EXPECT_LT(walking.at("figure").at("x").get<double>(), 250);
    EXPECT_EQ(Dump("resting.json").at("globals").at("g_moveDir").get<double>(), 0);
    EXPECT_EQ(Dump("unplugged.json").at("globals").at("g_moveDir").get<double>(), 0);
    EXPECT_TRUE(Dump("rising.json").at("globals").at("g_jumping").get<bool>());

    const Json holding = Dump("holding.json");
    EXPECT_EQ(holding.at("figure").at("parts").at(3).at("vecpartnum").get<double>(), 6);
    const double turned = holding.at("figure").at("parts").at(3).at("angle").get<double>() - Dump("aimed.json").at("figure").at("parts").at(3).at("angle").get<double>();
    EXPECT_NEAR(std::fmod(turned + 360, 360), 28, 1) << "the arm turns with the stick held down";

    EXPECT_TRUE(Dump("charging.json").at("globals").at("g_charging").get<bool>());
    const Json thrust = Dump("thrust.json");
    EXPECT_FALSE(thrust.at("globals").at("g_charging").get<bool>());
    EXPECT_LT(thrust.at("figure").at("parts").at(6).at("yVelocity").get<double>(), 0) << "letting go of the trigger thrusts the spear";
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
    EXPECT_TRUE(Dump("boxes.json").at("globals").at("g_showHitBoxes").get<bool>());
    EXPECT_GE(WhiteColumn(boxes, 0, 1024, 0, 768), 760);
    EXPECT_LT(WhiteColumn(standing, 0, 1024, 0, 768), 100);

    const Json pickedDump = Dump("picked.json");
    EXPECT_EQ(pickedDump.at("globals").at("g_editMode").get<double>(), 1);
    EXPECT_EQ(pickedDump.at("globals").at("g_cursorPos").at("x").get<double>(), 516);
    EXPECT_EQ(pickedDump.at("globals").at("g_cursorPos").at("y").get<double>(), 298);
    EXPECT_EQ(pickedDump.at("globals").at("g_selectedPart").get<double>(), 8);
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
