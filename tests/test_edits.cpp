// Saving the pivot edits into vecparts.dat and the keys inserted and deleted in
// vecanim.dat, and taking them back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data_files_support.h"
#include "editor/editor.h"
#include "editor/edits.h"
#include "figure/anim_file.h"
#include "figure/key_edit.h"
#include "figure/parts_file.h"
#include "figure/records.h"

namespace {

// Comments, CR LF ends, an unknown key, a blank line, a value with a tail the reader
// ignores, a part with no offset lines and a last line without its end.
const char PARTS[] =
    "// parts\r\n"
    "numparts=2\r\n"
    "part=0\r\n"
    "texture=none.png\r\n"
    "xoffset=2.0\r\n"
    "shade=7\r\n"
    "\r\n"
    "yoffset= 1.50=old\r\n"
    "part=1\r\n"
    "texture=none.png\r\n"
    "// the end";

class Edits : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        WriteWholeFile("vecparts.dat", PARTS);
        LoadVectorParts();
    }
    void TearDown() override { ForgetEdits(); }

    ScopedTempDir dir;
};

TEST_F(Edits, SaveChangesTheEditedValuesAndNoOtherByte)
{
    for (int i = 0; i < 3; ++i) NudgeOffset(0, false, 1.0f);
    NudgeOffset(0, true, -1.0f);
    NudgeOffset(1, true, 1.0f);
    EXPECT_TRUE(g_editsUnsaved);
    ASSERT_TRUE(SaveEdits());
    EXPECT_FALSE(g_editsUnsaved);

    EXPECT_EQ(ReadWholeFile("vecparts.dat"),
              "// parts\r\n"
              "numparts=2\r\n"
              "part=0\r\n"
              "texture=none.png\r\n"
              "xoffset=2.3\r\n"
              "shade=7\r\n"
              "\r\n"
              "yoffset=1.4=old\r\n"
              "part=1\r\n"
              "texture=none.png\r\n"
              "yoffset=0.1\r\n"
              "// the end");
    EXPECT_EQ(ReadWholeFile("vecparts.dat.bak"), PARTS);
    EXPECT_TRUE(LogHas("vecparts.dat saved: 3 values written"));
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "vecparts.dat" || name == "vecparts.dat.bak" || name == "log.log") << name;
    }

    // Read back exactly, and a second save finds the lines the first one added.
    LoadVectorParts();
    EXPECT_EQ(g_parts[0].xoffset, 2.3f);
    EXPECT_EQ(g_parts[0].yoffset, 1.4f);
    EXPECT_EQ(g_parts[1].yoffset, 0.1f);
    ForgetEdits();
    NudgeOffset(1, true, 1.0f);
    NudgeOffset(1, false, -1.0f);
    ASSERT_TRUE(SaveEdits());
    const std::string again = ReadWholeFile("vecparts.dat");
    EXPECT_NE(again.find("texture=none.png\r\nyoffset=0.2\r\nxoffset=-0.1\r\n// the end"), std::string::npos) << again;
}

TEST_F(Edits, AFileChangedOnDiskIsNotOverwrittenAndTheEditsStay)
{
    NudgeOffset(0, false, 1.0f);
    const std::string theirs = std::string(PARTS) + "\r\npart=0\r\n";
    WriteWholeFile("vecparts.dat", theirs);
    EXPECT_FALSE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecparts.dat"), theirs);
    EXPECT_FALSE(std::filesystem::exists("vecparts.dat.bak"));
    EXPECT_TRUE(LogHas("vecparts.dat not saved: vecparts.dat changed on disk since it was read"));
    EXPECT_TRUE(g_editsUnsaved);
    EXPECT_EQ(g_parts[0].xoffset, 2.1f);
}

TEST_F(Edits, UndoAndRedoStepOverASaveAndFollowTheSavedState)
{
    NudgeOffset(0, false, 1.0f);
    NudgeOffset(0, false, 1.0f);
    ASSERT_TRUE(SaveEdits());
    EXPECT_TRUE(UndoEdit());
    EXPECT_EQ(g_parts[0].xoffset, 2.1f);
    EXPECT_TRUE(g_editsUnsaved);
    EXPECT_TRUE(RedoEdit());
    EXPECT_EQ(g_parts[0].xoffset, 2.2f);
    EXPECT_FALSE(g_editsUnsaved) << "back where the file is";
    EXPECT_FALSE(RedoEdit());

    EXPECT_TRUE(UndoEdit());
    EXPECT_TRUE(UndoEdit());
    EXPECT_FALSE(UndoEdit());
    EXPECT_EQ(g_parts[0].xoffset, 2.0f);
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecparts.dat"), PARTS) << "back as read, spelled as read";

    // A new nudge drops what could have been redone; the history holds a thousand steps.
    EXPECT_TRUE(RedoEdit());
    NudgeOffset(0, true, 1.0f);
    EXPECT_FALSE(RedoEdit());
    for (int i = 0; i < 1000; ++i) NudgeOffset(1, false, 1.0f);
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(UndoEdit());
    EXPECT_EQ(g_parts[1].xoffset, 0.0f);
    EXPECT_EQ(g_parts[0].yoffset, 1.6f);
}

TEST_F(Edits, ALineReadInPiecesRefusesTheSaveAndALinkedFileStaysALink)
{
    // The reader takes "part=1" at the cut as a line of its own; rewriting the physical
    // line or adding after it would change another part.
    const std::string cut = "numparts=2\npart=0\ntexture=none.png\nxoffset=2.0" + std::string(988, ' ') +
                            "part=1\ntexture=none.png\n";
    WriteWholeFile("vecparts.dat", cut);
    LoadVectorParts();
    NudgeOffset(0, false, 1.0f);
    EXPECT_FALSE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecparts.dat"), cut);
    EXPECT_TRUE(LogHas("vecparts.dat not saved: vecparts.dat:4 is longer than 999 characters, which the game "
                       "reads as several lines; split it in a text editor to save here"));
    EXPECT_TRUE(g_editsUnsaved);
    ForgetEdits();

    // A data file kept as a link elsewhere is saved into what it names; links planted
    // beside it, under the backup's name or the old temporary's, are never followed.
    namespace fs = std::filesystem;
    fs::create_directory("kept");
    WriteWholeFile("kept/parts.dat", PARTS);
    WriteWholeFile("victim", "mine");
    fs::remove("vecparts.dat");
    fs::create_symlink("kept/parts.dat", "vecparts.dat");
    fs::create_symlink("victim", "vecparts.dat.bak");
    fs::create_symlink("victim", "vecparts.dat.saving");
    LoadVectorParts();
    NudgeOffset(0, false, 1.0f);
    ASSERT_TRUE(SaveEdits());
    EXPECT_TRUE(fs::is_symlink("vecparts.dat"));
    EXPECT_NE(ReadWholeFile("kept/parts.dat").find("\r\nxoffset=2.1\r\n"), std::string::npos);
    EXPECT_FALSE(fs::is_symlink("vecparts.dat.bak"));
    EXPECT_EQ(ReadWholeFile("vecparts.dat.bak"), PARTS);
    EXPECT_EQ(ReadWholeFile("victim"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator("kept"), fs::directory_iterator()), 1) << "no temporary left";
}

TEST_F(Edits, TenAndMoreAreWrittenWithoutAnExponent)
{
    for (int i = 0; i < 100; ++i) NudgeOffset(1, false, 1.0f);
    ASSERT_TRUE(SaveEdits());
    EXPECT_NE(ReadWholeFile("vecparts.dat").find("\r\nxoffset=10\r\n"), std::string::npos) << "not 1e+01";
}

// CR LF ends and no end on the last line; a comment and an unknown key inside a block, a
// comment and a blank line between blocks. The first key is written in the order a new
// block is, so a key deleted and put back comes back byte for byte.
const char ANIM[] =
    "// animations\r\n"
    "numframes=1\r\n"
    "frame=0\r\n"
    "frame_numparts=2\r\n"
    "key_part=0\r\n"
    "numkeys=3\r\n"
    "key=0\r\n"
    "use_startangle=1\r\n"
    "key_startangle=10\r\n"
    "key_destangle=20\r\n"
    "key_rotspeed=30\r\n"
    "// the swing back\r\n"
    "key=1\r\n"
    "key_destangle=-40\r\n"
    "shade=2\r\n"
    "// slow\r\n"
    "key_rotspeed=-50\r\n"
    "key=2\r\n"
    "key_destangle=0\r\n"
    "key_rotspeed=60\r\n"
    "loopkeys=1\r\n"
    "\r\n"
    "key_part=1\r\n"
    "numkeys=1\r\n"
    "key=0\r\n"
    "key_destangle=5\r\n"
    "key_rotspeed=5";

// Two keys inserted before and after the first, the last deleted, the old second turned.
const char EDITED[] =
    "// animations\r\n"
    "numframes=1\r\n"
    "frame=0\r\n"
    "frame_numparts=2\r\n"
    "key_part=0\r\n"
    "numkeys=4\r\n"
    "key=0\r\n"
    "key_destangle=-90\r\n"
    "key_rotspeed=-45\r\n"
    "key=1\r\n"
    "use_startangle=1\r\n"
    "key_startangle=10\r\n"
    "key_destangle=20\r\n"
    "key_rotspeed=30\r\n"
    "key=2\r\n"
    "key_destangle=90\r\n"
    "key_rotspeed=180\r\n"
    "part_visible=6,-1,7\r\n"
    "move_ymin=0\r\n"
    "move_ymax=2.5\r\n"
    "move_yvel=10\r\n"
    "move_yloop=1\r\n"
    "// the swing back\r\n"
    "key=3\r\n"
    "key_destangle=-41\r\n"
    "shade=2\r\n"
    "// slow\r\n"
    "key_rotspeed=-50\r\n"
    "\r\n"
    "key_part=1\r\n"
    "numkeys=1\r\n"
    "key=0\r\n"
    "key_destangle=5\r\n"
    "key_rotspeed=5";

// What the file can say of a key, to compare memory with a reading of the file.
std::vector<std::vector<float>> Keys(int frame, int list)
{
    std::vector<std::vector<float>> keys;
    for (const AnimKey* k = g_frames[frame].keys[list]; k; k = k->next) {
        std::vector<float> fields = {k->destAngle, k->rotSpeed, float(k->useStartAngle), k->startAngle,
                                     float(k->loopKeys), float(k->hasVisibleList), float(k->moveY),
                                     k->yMin, k->yMax, k->yVel, float(k->yLoop)};
        fields.insert(fields.end(), k->visibleParts, k->visibleParts + MAX_PART_LIST);
        keys.push_back(fields);
    }
    return keys;
}

class KeyEdits : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        WriteWholeFile("vecanim.dat", ANIM);
        LoadVectorAnim();
    }
    void TearDown() override { ForgetEdits(); }
    static int IdAt(int list, int key) { return KeyAt(0, list, key) ? KeyAt(0, list, key)->id : 0; }

    ScopedTempDir dir;
};

TEST_F(KeyEdits, InsertedAndDeletedKeysSaveAsBlocksAndUndoAndRedoSaveBackByteForByte)
{
    const int first = IdAt(0, 0), second = IdAt(0, 1), last = IdAt(0, 2);
    AnimKey after = {};
    after.destAngle = 90.0f;
    after.rotSpeed = 180.0f;
    after.hasVisibleList = 1;
    const int visible[MAX_PART_LIST] = {6, -1, 7, -1, -1};
    std::copy(visible, visible + MAX_PART_LIST, after.visibleParts);
    after.moveY = after.yLoop = 1;
    after.yMax = 2.5f;
    after.yVel = 10.0f;
    AnimKey before = {};
    before.destAngle = -90.0f;
    before.rotSpeed = -45.0f;
    const int added = InsertKeyAfter(first, after);
    ASSERT_NE(InsertKeyBefore(first, before), 0);
    ASSERT_TRUE(DeleteKey(last));
    SetKeyAngles({{second, -41.0f, -50.0f}});
    EXPECT_EQ(KeyIds(0, 0)[2], added);
    EXPECT_TRUE(g_editsUnsaved);
    ASSERT_TRUE(SaveEdits());
    EXPECT_FALSE(g_editsUnsaved);
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), EDITED);
    EXPECT_EQ(ReadWholeFile("vecanim.dat.bak"), ANIM);
    EXPECT_TRUE(LogHas("vecanim.dat saved: 2 keys added, 1 key removed, 1 value written"));
    const auto edited = Keys(0, 0);

    // Taken back step by step: the deleted key returns with its id, and the save puts the
    // file back as it was.
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(UndoEdit());
    EXPECT_EQ(KeyIds(0, 0), (std::vector<int>{first, second, last}));
    EXPECT_TRUE(g_editsUnsaved);
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), ANIM);
    EXPECT_TRUE(LogHas("vecanim.dat saved: 1 key added, 2 keys removed, 1 value written"));

    // Put again: the same file, which reads back as the keys memory holds.
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(RedoEdit());
    EXPECT_EQ(KeyIds(0, 0)[2], added);
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), EDITED);
    EXPECT_FALSE(g_editsUnsaved);
    // A turn after the save lands on the renumbered key's own line.
    SetKeyAngles({{second, -42.0f, -50.0f}});
    ASSERT_TRUE(SaveEdits());
    std::string turned = EDITED;
    turned.replace(turned.find("key_destangle=-41"), 17, "key_destangle=-42");
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), turned);
    ForgetEdits();
    LoadVectorAnim();
    std::vector<std::vector<float>> expected = edited;
    expected[3][0] = -42.0f;
    EXPECT_EQ(Keys(0, 0), expected);
}

TEST_F(KeyEdits, AValueOnALineReadInPiecesIsNotWrittenAnywhere)
{
    // key=1 past the cut is read as its own line: the reader's note of the line is that,
    // and a new key_destangle line for key 0 would land above the one that sets it.
    const std::string anim = "numframes=1\nframe=0\nkey_part=0\nnumkeys=2\nkey=0\nkey_rotspeed=10\nkey_destangle=90" +
                             std::string(MAX_DATA_LINE - 17, ' ') + "key=1\nkey_destangle=5\n";
    WriteWholeFile("vecanim.dat", anim);
    LoadVectorAnim();
    ASSERT_EQ(KeyAt(0, 0, 0)->destAngle, 90.0f);
    SetKeyAngles({{IdAt(0, 0), 92.0f, 10.0f}});
    EXPECT_FALSE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), anim);
    EXPECT_TRUE(LogHas("vecanim.dat not saved: vecanim.dat:7 is longer than 999 characters, which the game "
                       "reads as several lines; split it in a text editor to save here"));
}

TEST_F(KeyEdits, AListWhoseLinesAnotherKeyLineChoosesIsNotRewrittenAndStaysUnsaved)
{
    // The second list's line leans on the first list's key=1: renumbering it would move
    // that line to another key.
    const std::string anim = "numframes=1\nframe=0\nkey_part=0\nnumkeys=2\nkey=1\nkey_destangle=5\n"
                             "key_part=1\nnumkeys=2\nkey_destangle=7\n";
    WriteWholeFile("vecanim.dat", anim);
    LoadVectorAnim();
    EXPECT_FALSE(DeleteKey(0));
    EXPECT_EQ(InsertKeyAfter(0, AnimKey()), 0);
    ASSERT_NE(InsertKeyBefore(IdAt(0, 0), AnimKey()), 0);
    EXPECT_FALSE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), anim);
    EXPECT_FALSE(std::filesystem::exists("vecanim.dat.bak"));
    EXPECT_TRUE(LogHas("vecanim.dat not saved: frame 0 list 0 is not written one block per key"));
    EXPECT_TRUE(g_editsUnsaved);
    ASSERT_TRUE(UndoEdit());
    EXPECT_FALSE(g_editsUnsaved);
}

}  // namespace
