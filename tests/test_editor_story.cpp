// The animator's round trips through the headless runner on the bundled data: pick the
// head in the pivot editor, nudge it, save, start again; then change the animation file
// under the running game, good, broken, good again; and pose the punch, watch it, save it
// and punch with it after a new start.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bundled_data_run.h"
#include "support.h"

namespace {

class EditorStory : public BundledDataRun {};

const int HEAD = 8;

TEST_F(EditorStory, NudgedHeadIsSavedAndAChangedAnimationIsTakenInOrRefused)
{
    const std::string parts = ReadWholeFile("vecparts.dat");
    const std::string edit =
        "100 key down F3\n"
        "101 key up F3\n"
        // The game cursor moves two pixels per mouse unit from (0, 0): onto the head, and
        // the held button selects it.
        "102 mouse move 258 149\n"
        "104 mouse down 0\n"
        "108 mouse up 0\n"
        "110 press RIGHT\n112 release RIGHT\n"
        "114 press RIGHT\n116 release RIGHT\n"
        "118 press RIGHT\n120 release RIGHT\n"
        "122 char code 19\n"
        "124 dump saved.json\n";
    ASSERT_EQ(Run(130, edit), 0) << ReadWholeFile("stderr.txt");
    const Json saved = Dump("saved.json");
    EXPECT_EQ(saved.at("globals").at("g_selectedPart").get<double>(), HEAD);
    EXPECT_FALSE(saved.at("globals").at("g_editsUnsaved").get<bool>());
    EXPECT_EQ(saved.at("globals").at("screenMessage").get<std::string>(), "vecparts.dat saved: 1 value written");
    // One number changed, every other byte (the comments first of all) as it was.
    EXPECT_EQ(ReadWholeFile("vecparts.dat"), Replaced(parts, "texture=head.png\nxoffset=2.0\n",
                                                      "texture=head.png\nxoffset=2.3\n"));
    EXPECT_EQ(ReadWholeFile("vecparts.dat.bak"), parts);

    // Started again: the head is where it was left. Then the walk's first key turns the
    // other way, the file breaks (too few frames), and is mended.
    const std::string anim = ReadWholeFile("vecanim.dat");
    WriteWholeFile("turned.dat", Replaced(anim, "key_rotspeed=-60", "key_rotspeed=-90"));
    WriteWholeFile("broken.dat", Replaced(anim, "numframes=6", "numframes=2"));
    const std::string reload =
        "1 dump start.json\n"
        "10 copy turned.dat vecanim.dat\n"
        "50 dump turned.json\n"
        "60 copy broken.dat vecanim.dat\n"
        "100 dump broken.json\n"
        "110 copy mended.dat vecanim.dat\n"
        "150 dump mended.json\n";
    WriteWholeFile("mended.dat", anim);
    ASSERT_EQ(Run(151, reload), 0) << ReadWholeFile("stderr.txt");

    const Json start = Dump("start.json");
    EXPECT_FLOAT_EQ(start.at("parts").at(HEAD).at("xoffset").get<double>(), 2.3f);
    const Json turned = Dump("turned.json");
    EXPECT_EQ(turned.at("frames").at(0).at("keys").at(1).at(0).at("rotSpeed").get<double>(), -90);
    EXPECT_EQ(turned.at("globals").at("screenMessage").get<std::string>(), "Data reloaded: vecanim.dat");
    EXPECT_FLOAT_EQ(turned.at("parts").at(HEAD).at("xoffset").get<double>(), 2.3f);
    // The figure went on from where it was, falling towards the floor as before.
    EXPECT_LT(turned.at("figure").at("y").get<double>(), start.at("figure").at("y").get<double>());

    const Json broken = Dump("broken.json");
    EXPECT_EQ(broken.at("globals").at("g_numFrames").get<double>(), 6);
    EXPECT_EQ(broken.at("frames").at(0).at("keys").at(1).at(0).at("rotSpeed").get<double>(), -90);
    const std::string problem = "vecanim.dat:3: numframes=2: the game needs at least 6 frames";
    EXPECT_EQ(broken.at("globals").at("screenMessage").get<std::string>(), problem);
    EXPECT_NE(ReadWholeFile("log.log").find("\n" + problem + "\n"), std::string::npos);

    const Json mended = Dump("mended.json");
    EXPECT_EQ(mended.at("frames").at(0).at("keys").at(1).at(0).at("rotSpeed").get<double>(), -60);
    EXPECT_EQ(mended.at("globals").at("screenMessage").get<std::string>(), "Data reloaded: vecanim.dat");
}

const int FRONT_ARM = 3;

TEST_F(EditorStory, APosedPunchIsWatchedSavedAndPunchedAfterANewStart)
{
    const std::string anim = ReadWholeFile("vecanim.dat");
    // F4, the second key, a click on the front arm stretched out in it, five degrees up;
    // Enter plays the punch, Ctrl+S saves.
    std::string pose = "100 key down F4\n101 key up F4\n102 char .\n";
    pose += "104 mouse move 277 163\n106 mouse down 0\n108 mouse up 0\n";
    for (int i = 0; i < 5; ++i) pose += std::to_string(110 + 2 * i) + " press UP\n" + std::to_string(111 + 2 * i) + " release UP\n";
    pose += "120 dump raised.json\n121 char code 13\n125 dump playing.json\n";
    pose += "170 dump played.json\n171 char code 19\n230 dump saved.json\n";
    ASSERT_EQ(Run(231, pose), 0) << ReadWholeFile("stderr.txt");
    const Json raised = Dump("raised.json");
    EXPECT_EQ(raised.at("globals").at("g_editMode").get<double>(), 3);
    EXPECT_EQ(raised.at("globals").at("g_selectedPart").get<double>(), FRONT_ARM);
    EXPECT_EQ(raised.at("figure").at("parts").at(FRONT_ARM).at("angle").get<double>(), 95);
    EXPECT_EQ(raised.at("frames").at(0).at("keys").at(FRONT_ARM).at(1).at("destAngle").get<double>(), 95);
    EXPECT_NE(Dump("playing.json").at("figure").at("parts").at(FRONT_ARM).at("angle").get<double>(), 95);
    const Json played = Dump("played.json");
    EXPECT_EQ(played.at("figure").at("parts").at(FRONT_ARM).at("angle").get<double>(), 95);
    EXPECT_EQ(played.at("figure").at("x").get<double>(), raised.at("figure").at("x").get<double>());
    EXPECT_EQ(played.at("figure").at("y").get<double>(), raised.at("figure").at("y").get<double>());
    // Saved, and not read back as a change by the watch a second later.
    const Json saved = Dump("saved.json");
    EXPECT_FALSE(saved.at("globals").at("g_editsUnsaved").get<bool>());
    EXPECT_EQ(saved.at("globals").at("screenMessage").get<std::string>(), "vecanim.dat saved: 3 values written");
    EXPECT_EQ(ReadWholeFile("log.log").find("Data reloaded"), std::string::npos);
    // The raised key, and the small follow-through after it, which now turns back down
    // the two degrees to 93 (written a turn higher, as the stepping counts a downward turn)
    // instead of a whole turn up.
    EXPECT_EQ(ReadWholeFile("vecanim.dat"),
              Replaced(anim, "key_destangle=90\nkey_rotspeed=1000\npart_visible=7\nkey=2\nkey_destangle=93\nkey_rotspeed=30\n",
                       "key_destangle=95\nkey_rotspeed=1000\npart_visible=7\nkey=2\nkey_destangle=453\nkey_rotspeed=-30\n"));
    EXPECT_EQ(ReadWholeFile("vecanim.dat.bak"), anim);

    // Started again, p punches through the new pose and back, without a full turn.
    std::string punch = "10 char p\n";
    for (int pass = 11; pass <= 60; ++pass) punch += std::to_string(pass) + " dump punch" + std::to_string(pass) + ".json\n";
    ASSERT_EQ(Run(61, punch), 0) << ReadWholeFile("stderr.txt");
    double highest = 0;
    for (int pass = 11; pass <= 60; ++pass) {
        const double angle = Dump("punch" + std::to_string(pass) + ".json").at("figure").at("parts").at(FRONT_ARM).at("angle").get<double>();
        if (angle < 180) highest = std::max(highest, angle);
    }
    EXPECT_EQ(highest, 95);
    const Json after = Dump("punch60.json");
    EXPECT_TRUE(after.at("figure").at("currentKeys").at(FRONT_ARM).is_null()) << "the punch is over";
    EXPECT_EQ(after.at("figure").at("parts").at(FRONT_ARM).at("angle").get<double>(), 0);
}

}  // namespace
