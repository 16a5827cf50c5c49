// Holds presents to the display's refresh rate where the driver's swap does not wait for
// the vertical retrace itself (software OpenGL, virtual displays, some virtual machines).
// Deadlines follow each other by exactly one period, so the oversleep of one wait does not
// add up over a run; a frame that comes late starts the schedule afresh instead of
// rushing the ones after it. Time comes through a clock seam so tests need not sleep.
#pragma once
#include <cstdint>

struct PacerClock {
    uint64_t (*nowNs)();             // a monotonic clock
    void (*sleepNs)(uint64_t span);  // waits at least that long
};
// The steady clock and a real sleep.
PacerClock SystemPacerClock();

class FramePacer {
public:
    explicit FramePacer(PacerClock clock = SystemPacerClock());
    // The display's refresh rate; 0 or less (unknown) counts as 60 Hz.
    void SetRefreshRate(int hertz);
    uint64_t PeriodNs() const { return period_; }
    // Whether the driver took a swap interval of one; without it every frame is paced.
    void SetSwapInterval(bool accepted) { swapInterval_ = accepted; }
    uint64_t Now() const { return clock_.nowNs(); }
    // Called once a frame has been handed to the display, with the time taken just before
    // the swap. While swaps wait for the retrace nothing more is done; once they have come
    // back at once several times in a row, the rest of each period is slept here.
    void AfterPresent(uint64_t swapStartNs);
    bool Pacing() const { return !swapInterval_ || quickSwaps_ >= QUICK_SWAPS_BEFORE_PACING; }

private:
    static const int QUICK_SWAPS_BEFORE_PACING = 8;
    PacerClock clock_;
    uint64_t period_ = 0;
    uint64_t deadline_ = 0;
    bool started_ = false;
    bool swapInterval_ = true;
    int quickSwaps_ = 0;
};
