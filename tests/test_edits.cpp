// Saving the pivot edits into vecparts.dat, and taking them back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data_files_support.h"
#include "editor/editor.h"
#include "editor/edits.h"
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
    EXPECT_NE(ReadWholeFile("vecparts.dat").find("\r\nxoffset=2\r\n"), std::string::npos);

    // A new nudge drops what could have been redone; the history holds a thousand steps.
    EXPECT_TRUE(RedoEdit());
    NudgeOffset(0, true, 1.0f);
    EXPECT_FALSE(RedoEdit());
    for (int i = 0; i < 1000; ++i) NudgeOffset(1, false, 1.0f);
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(UndoEdit());
    EXPECT_EQ(g_parts[1].xoffset, 0.0f);
    EXPECT_EQ(g_parts[0].yoffset, 1.6f);
}

TEST_F(Edits, TenAndMoreAreWrittenWithoutAnExponent)
{
    for (int i = 0; i < 100; ++i) NudgeOffset(1, false, 1.0f);
    ASSERT_TRUE(SaveEdits());
    EXPECT_NE(ReadWholeFile("vecparts.dat").find("\r\nxoffset=10\r\n"), std::string::npos) << "not 1e+01";
}

}  // namespace
