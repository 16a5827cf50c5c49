#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "base/log.h"
#include "support.h"

TEST(Log, ResetEmptiesAnEarlierRunAndLinesEndInLineFeeds)
{
    ScopedTempDir dir;
    WriteWholeFile("log.log", "left over\nfrom before\n");
    ResetLog();
    EXPECT_EQ(ReadWholeFile("log.log"), "");
    WriteLog("first");
    WriteLog("");
    WriteLog("third line, 100% as given %s");
    EXPECT_EQ(ReadWholeFile("log.log"), "first\n\nthird line, 100% as given %s\n");
}

TEST(Log, ResetCreatesTheFileAndNullMessageWritesAnEmptyLine)
{
    ScopedTempDir dir;
    ResetLog();
    struct stat info;
    ASSERT_EQ(stat("log.log", &info), 0);
    EXPECT_EQ(info.st_size, 0);
    WriteLog(nullptr);
    EXPECT_EQ(ReadWholeFile("log.log"), "\n");
}

TEST(Log, FileDeletedMidRunComesBackWithOnlyLaterLines)
{
    ScopedTempDir dir;
    ResetLog();
    WriteLog("before");
    ASSERT_EQ(std::remove("log.log"), 0);
    WriteLog("after");
    EXPECT_EQ(ReadWholeFile("log.log"), "after\n");
}

TEST(Log, UnwritableLogIsSilentlySkipped)
{
    ScopedTempDir dir;
    // A directory in the log's place cannot be opened by anyone, root included.
    ASSERT_EQ(mkdir("log.log", 0755), 0);
    ResetLog();
    WriteLog("nowhere to go");
    struct stat info;
    ASSERT_EQ(stat("log.log", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST(Log, ReadOnlyDirectoryLeavesNoLog)
{
    ScopedTempDir dir;
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    ASSERT_EQ(chmod(".", 0555), 0);
    ResetLog();
    WriteLog("nowhere to go");
    EXPECT_NE(access("log.log", F_OK), 0);
}
