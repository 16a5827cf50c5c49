// The whole game started in unfriendly working directories, through the runner.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "animation/render.h"
#include "platform/d3dx/image_decode.h"
#include "support.h"

namespace {

// Runs the game for at most frames passes; the script writes a screenshot at pass 3
// and presses escape at pass 5.
int RunGame(int frames, const std::string& screenshot = "")
{
    std::string script = "0 focus gained\n";
    if (!screenshot.empty()) script += "3 screenshot " + screenshot + "\n";
    script += "5 key down ESCAPE\n";
    WriteWholeFile("/tmp/vantrel-hostile-script-" + std::to_string(getpid()), script);
    return RunCommand("'" VANTREL_REPLAY_PATH "' --frames " + std::to_string(frames) +
                      " /tmp/vantrel-hostile-script-" + std::to_string(getpid()) + " >/dev/null 2>&1");
}

}  // namespace

TEST(Hostile, NoDataFilesShowsTheClearColourOnlyAndEscapeQuits)
{
    ScopedTempDir dir;
    // The runner counts passes: escape at pass 5 must end the run long before 1000.
    ASSERT_EQ(RunGame(1000, "shot.png"), 0);
    DecodedImage shot;
    std::string error;
    ASSERT_TRUE(DecodeImageFile("shot.png", shot, error)) << error;
    ASSERT_GT(shot.argb.size(), 0u);
    size_t other = 0;
    for (uint32_t pixel : shot.argb) other += (pixel | 0xFF000000u) != CLEAR_COLOUR;
    // No figure, no level pieces with images, no cursor: nothing but the clear colour.
    EXPECT_EQ(other, 0u);
}

TEST(Hostile, LogThatIsADirectoryLeavesTheGameRunning)
{
    ScopedTempDir dir;
    ASSERT_EQ(mkdir("log.log", 0755), 0);
    EXPECT_EQ(RunGame(1000), 0);
    struct stat info;
    ASSERT_EQ(stat("log.log", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST(Hostile, ReadOnlyDirectoryRunsWithoutALog)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories; the log-directory case covers it";
    ScopedTempDir dir;
    ASSERT_EQ(chmod(".", 0555), 0);
    const int code = RunGame(1000);
    chmod(".", 0755);
    EXPECT_EQ(code, 0);
    EXPECT_NE(access("log.log", F_OK), 0);
}
