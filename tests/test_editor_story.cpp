// The animator's round trip through the headless runner on the bundled data: pick the
// head in the pivot editor, nudge it, save, start again; then change the animation file
// under the running game, good, broken, good again.
#include <gtest/gtest.h>

#include <string>

#include "json_reader.h"
#include "support.h"

namespace {

class EditorStory : public ::testing::Test {
protected:
    void SetUp() override { CopyDirectoryFiles(VANTREL_DATA_DIR); }

    int Run(int frames, const std::string& script)
    {
        WriteWholeFile("script.txt", script);
        return RunCommand("VANTREL_D3D=memory '" VANTREL_REPLAY_PATH "' --frames " + std::to_string(frames) +
                          " script.txt 2>stderr.txt");
    }
    JsonValue Dump(const std::string& name)
    {
        JsonValue value;
        EXPECT_TRUE(JsonReader::Parse(ReadWholeFile(name), value)) << name;
        return value;
    }
    static std::string Replaced(std::string text, const std::string& from, const std::string& to)
    {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    }

    ScopedTempDir dir;
};

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
    const JsonValue saved = Dump("saved.json");
    EXPECT_EQ(saved["globals"]["g_selectedPart"].number, HEAD);
    EXPECT_FALSE(saved["globals"]["g_editsUnsaved"].boolean);
    EXPECT_EQ(saved["globals"]["screenMessage"].text, "vecparts.dat saved: 1 value written");
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

    const JsonValue start = Dump("start.json");
    EXPECT_FLOAT_EQ(start["parts"][HEAD]["xoffset"].number, 2.3f);
    const JsonValue turned = Dump("turned.json");
    EXPECT_EQ(turned["frames"][0]["keys"][1][0]["rotSpeed"].number, -90);
    EXPECT_EQ(turned["globals"]["screenMessage"].text, "Data reloaded: vecanim.dat");
    EXPECT_FLOAT_EQ(turned["parts"][HEAD]["xoffset"].number, 2.3f);
    // The figure went on from where it was, falling towards the floor as before.
    EXPECT_LT(turned["figure"]["y"].number, start["figure"]["y"].number);

    const JsonValue broken = Dump("broken.json");
    EXPECT_EQ(broken["globals"]["g_numFrames"].number, 6);
    EXPECT_EQ(broken["frames"][0]["keys"][1][0]["rotSpeed"].number, -90);
    const std::string problem = "vecanim.dat:3: numframes=2: the game needs at least 6 frames";
    EXPECT_EQ(broken["globals"]["screenMessage"].text, problem);
    EXPECT_NE(ReadWholeFile("log.log").find("\n" + problem + "\n"), std::string::npos);

    const JsonValue mended = Dump("mended.json");
    EXPECT_EQ(mended["frames"][0]["keys"][1][0]["rotSpeed"].number, -60);
    EXPECT_EQ(mended["globals"]["screenMessage"].text, "Data reloaded: vecanim.dat");
}

}  // namespace
