#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support.h"

namespace {

int Replay(const std::string& arguments, const std::string& script, const std::string& environment = "")
{
    WriteWholeFile("script.txt", script);
    return RunCommand(environment + " '" VANTREL_REPLAY_PATH "' " + arguments +
                      " script.txt 2>stderr.txt");
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Starts the runner on an empty script with no pass limit, sends it `signal` once the game
// is up, and gives its exit code (128 + the signal's number if a signal ended it, -1 if it
// did not end within a few seconds).
int ReplayUntilSignal(int signal)
{
    WriteWholeFile("script.txt", "");
    unlink("log.log");  // an earlier run's start-up must not count as this one's
    char path[] = VANTREL_REPLAY_PATH;
    char script[] = "script.txt";
    char* argv[] = {path, script, nullptr};
    setenv("VANTREL_D3D", "memory", 1);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, path, nullptr, nullptr, argv, environ);
    unsetenv("VANTREL_D3D");
    if (spawned != 0) return -1;

    int status = 0;
    pid_t ended = 0;
    for (int tries = 0; tries < 1000 && ended == 0; ++tries) {
        ended = waitpid(child, &status, WNOHANG);
        if (ended == 0 && ReadWholeFile("log.log").find("DirectInput initialized") != std::string::npos) break;
        usleep(10000);
    }
    if (ended == 0) {
        kill(child, signal);
        for (int tries = 0; tries < 500 && ended == 0; ++tries) {
            ended = waitpid(child, &status, WNOHANG);
            if (ended == 0) usleep(10000);
        }
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(Replay, EmptyScriptRunsHeadlessAndLogsTheStart)
{
    ScopedTempDir dir;
    EXPECT_EQ(Replay("--frames 5", ""), 0);
    EXPECT_TRUE(StartsWith(ReadWholeFile("log.log"), "Command line parms: \nRunning in 1024x768\n"));

    EXPECT_EQ(Replay("--frames 5 --cmdline /640", "# nothing but a comment\n\n"), 0);
    EXPECT_TRUE(StartsWith(ReadWholeFile("log.log"), "Command line parms: /640\nRunning in 640x480\n"));
}

TEST(Replay, MalformedLineIsNamedAndNothingRuns)
{
    ScopedTempDir dir;
    const char* bad[] = {"2 key sideways SPACE\n", "x close\n", "2 char ab\n", "2 dik down 256\n",
                         "2 mouse down 4\n", "2 focus maybe\n", "2 teleport\n", "-1 close\n",
                         "2 press\n", "2 press bb\n", "2 release 1000\n", "2 press 3 4\n"};
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Replay("--frames 5", std::string("# fine\n1 close\n") + line), 2);
        EXPECT_NE(ReadWholeFile("stderr.txt").find("line 3"), std::string::npos);
        EXPECT_NE(access("log.log", F_OK), 0);
    }
}

TEST(Replay, MenuExitAndCloseEndTheRunEarlyWithZero)
{
    ScopedTempDir dir;
    EXPECT_EQ(Replay("--frames 100", "3 command 104\n3 command 105\n10 dump late.json\n"), 0);
    EXPECT_NE(access("late.json", F_OK), 0);  // the run ended at pass 5
    EXPECT_EQ(Replay("--frames 100", "2 close\n2 dump end.json\n"), 0);
    EXPECT_NE(ReadWholeFile("end.json").find("\"pass\":2,"), std::string::npos);
}

TEST(Replay, InterruptAndTerminateCloseTheWindowWithoutAPassLimit)
{
    ScopedTempDir dir;
    // Present from the first run on, so every run starts alike (a missing one is said).
    for (const char* name : {"vecparts.dat", "vecman.dat", "vecanim.dat"}) WriteWholeFile(name, "");
    ASSERT_EQ(Replay("--frames 100", "2 close\n", "VANTREL_D3D=memory"), 0);
    const std::string closed = ReadWholeFile("log.log");
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        EXPECT_EQ(ReplayUntilSignal(signal), 0);
        // The game shut down as after a close: started whole, nothing after its start-up.
        EXPECT_EQ(ReadWholeFile("log.log"), closed);
    }
}

TEST(Replay, DumpsFollowTheVirtualClock)
{
    ScopedTempDir dir;
    const std::string script = "1 dump one.json\n4 dump last.json\n";
    EXPECT_EQ(Replay("--frames 4 --dt-ms 10 --start-tick 1000", script), 0);
    EXPECT_TRUE(StartsWith(ReadWholeFile("one.json"), "{\"pass\":1,\"tick\":1020,"));
    // Pass 4 is the quit pass: its dump holds the state the run ended with.
    EXPECT_TRUE(StartsWith(ReadWholeFile("last.json"), "{\"pass\":4,\"tick\":1050,"));
}

TEST(Replay, GameFailuresBecomeTheExitCode)
{
    ScopedTempDir dir;
    EXPECT_EQ(Replay("--frames 5", "", "VANTREL_FAIL=dinput"), 1);
    EXPECT_NE(ReadWholeFile("log.log").find("Failed to initialize DirectInput\n"), std::string::npos);
    EXPECT_EQ(Replay("--frames 5", "", "VANTREL_FAIL=window"), 1);
    EXPECT_NE(ReadWholeFile("log.log").find("Failed to create the main window\n"), std::string::npos);
}
