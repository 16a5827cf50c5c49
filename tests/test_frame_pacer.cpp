// Presents held to the display's refresh where the swap does not wait, on a fake clock.
#include <gtest/gtest.h>

#include "platform/gl/frame_pacer.h"

namespace {

uint64_t g_now = 0;
uint64_t g_slept = 0;
const uint64_t OVERSLEEP_NS = 700000;  // what a real sleep adds, on every wait

uint64_t FakeNow() { return g_now; }
void FakeSleep(uint64_t span)
{
    g_now += span + OVERSLEEP_NS;
    g_slept += span + OVERSLEEP_NS;
}

// One frame: the game's work, then the swap, which takes swapNs.
void Frame(FramePacer& pacer, uint64_t workNs, uint64_t swapNs)
{
    g_now += workNs;
    const uint64_t start = pacer.Now();
    g_now += swapNs;
    pacer.AfterPresent(start);
}

class Pacer : public ::testing::Test {
protected:
    void SetUp() override { g_now = 1000, g_slept = 0; }
    FramePacer pacer{PacerClock{FakeNow, FakeSleep}};
};

TEST_F(Pacer, SwapsThatDoNotWaitAreHeldToTheRefreshWithoutDrift)
{
    pacer.SetRefreshRate(0);  // unknown: 60 Hz
    const uint64_t period = pacer.PeriodNs();
    EXPECT_EQ(period, 16666666u);
    // The pacing starts once several swaps in a row have come back at once.
    for (int i = 0; i < 20; ++i) Frame(pacer, 2000000, 50000);
    EXPECT_TRUE(pacer.Pacing());
    const uint64_t start = g_now;
    const int frames = 600;
    for (int i = 0; i < frames; ++i) Frame(pacer, 2000000, 50000);
    // Ten seconds of frames take ten seconds, give or take one period, although every
    // single wait oversleeps.
    const double elapsed = static_cast<double>(g_now - start);
    EXPECT_NEAR(elapsed, frames * static_cast<double>(period), static_cast<double>(period));
}

TEST_F(Pacer, SwapsThatWaitForTheRetraceAreLeftAlone)
{
    pacer.SetRefreshRate(144);
    for (int i = 0; i < 300; ++i) Frame(pacer, 1000000, pacer.PeriodNs() - 1000000);
    EXPECT_EQ(g_slept, 0u);
    EXPECT_FALSE(pacer.Pacing());
}

TEST_F(Pacer, RefusedSwapIntervalPacesFromTheStartAndAStallIsNotCaughtUp)
{
    pacer.SetSwapInterval(false);
    const uint64_t period = pacer.PeriodNs();
    Frame(pacer, 2000000, 0);
    Frame(pacer, 2000000, 0);
    EXPECT_GT(g_slept, 0u);
    // A stall of six periods: the frames after it still come one period apart, not in a burst.
    g_now += 6 * period;
    Frame(pacer, 2000000, 0);
    const uint64_t afterStall = g_now;
    Frame(pacer, 2000000, 0);
    EXPECT_GE(g_now - afterStall, period);
    EXPECT_LE(g_now - afterStall, period + 2 * OVERSLEEP_NS);
}

}  // namespace
