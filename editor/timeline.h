// Pose mode's timeline: a strip above the status line with a row per slot the chosen
// frame drives, each key a mark at the time a run from rest starts it, under a ruler in
// seconds; the chosen key and slot stand out. A click on a mark chooses that slot and key.
// The strip is laid out where it was last drawn, so a click meets what the player sees.
#pragma once
#include <vector>

class ScreenTextPass;

// One key's mark as drawn, in back-buffer pixels.
struct TimelineMark {
    int slot;
    int key;
    float left, top, width, height;
};

// Lays out and draws the strip with its bottom edge at `bottom`; nothing outside pose mode.
void DrawPoseTimeline(ScreenTextPass& pass, float bottom);
// The marks of the strip last drawn; none before the first or outside pose mode.
const std::vector<TimelineMark>& PoseTimelineMarks();
// Whether the point lies on the strip last drawn.
bool OnPoseTimeline(float x, float y);
// A click at the point: chooses the slot and key of the mark under it; false where none is.
bool ClickPoseTimeline(float x, float y);
// Forgets the strip (pose mode left).
void ForgetPoseTimeline();
