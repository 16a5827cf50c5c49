#include "frame_pacer.h"

#include <chrono>
#include <thread>

namespace {

const uint64_t NS_PER_SECOND = 1000000000ull;
const int UNKNOWN_REFRESH_HZ = 60;

uint64_t SteadyNowNs()
{
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void SleepNs(uint64_t span) { std::this_thread::sleep_for(std::chrono::nanoseconds(span)); }

}  // namespace

PacerClock SystemPacerClock() { return {SteadyNowNs, SleepNs}; }

FramePacer::FramePacer(PacerClock clock) : clock_(clock) { SetRefreshRate(0); }

void FramePacer::SetRefreshRate(int hertz)
{
    if (hertz <= 0) hertz = UNKNOWN_REFRESH_HZ;
    period_ = NS_PER_SECOND / static_cast<uint64_t>(hertz);
    started_ = false;
}

void FramePacer::AfterPresent(uint64_t swapStartNs)
{
    const uint64_t now = clock_.nowNs();
    // A swap that waits for the retrace takes a good part of a period at least now and then.
    if (now - swapStartNs >= period_ / 4) quickSwaps_ = 0;
    else if (quickSwaps_ < QUICK_SWAPS_BEFORE_PACING) ++quickSwaps_;
    if (!Pacing()) {
        started_ = false;
        return;
    }
    if (!started_) {
        started_ = true;
        deadline_ = now + period_;
        return;
    }
    if (now < deadline_) {
        clock_.sleepNs(deadline_ - now);
        deadline_ += period_;
    } else if (now - deadline_ < period_) {
        // A little late: the next deadline still keeps the rhythm.
        deadline_ += period_;
    } else {
        // More than a whole frame behind (a stall, a slow frame): catching up would only
        // show a burst of frames, so the schedule starts again from now.
        deadline_ = now + period_;
    }
}
