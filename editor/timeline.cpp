#include "editor/timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "animation/key_pose.h"
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "editor/pose.h"
#include "figure/records.h"
#include "graphics/device.h"
#include "graphics/text.h"

namespace {

const DWORD STRIP_COLOUR = 0xB0000000;         // as the status strip: the scene shows through
const DWORD CHOSEN_ROW_COLOUR = 0xFF34465C;  // opaque and dark, so the white marks still stand out
const DWORD RULER_COLOUR = 0xFFA0A0A0;
const DWORD MARK_COLOUR = 0xFFFFFFFF;
const DWORD CHOSEN_MARK_COLOUR = 0xFFFFD860;   // the screen message's warm colour
const DWORD END_COLOUR = 0xFF808080;
const DWORD EASED_MARK_COLOUR = 0xFF70D0FF;    // cool beside the white, so eased keys stand out
// Beside an eased key's mark, how its turn runs, by KeyEase.
const char* const EASE_MARKS[EASE_COUNT] = {"", "in", "out", "io", "st"};
const DWORD PLAYHEAD_COLOUR = 0xFFFF6060;
const float PADDING = 4.0f;
const float MARK_WIDTH = 5.0f;
const float CLICK_SLACK = 3.0f;  // pixels either side of a mark a click still meets it
const size_t LABEL_CHARS = 8;    // "slot 10" and a blank
const float TICK_STEPS[] = {0.05f, 0.1f, 0.2f, 0.25f, 0.5f, 1.0f, 2.0f, 5.0f, 10.0f};
const float MOST_TICKS = 8.0f;
const float SHORTEST_SPAN = 0.1f;  // seconds: a frame of instant keys still gets a ruler

TimelineLayout& Layout()
{
    return g_editor.timeline;
}

// The seconds the ruler spans: the longest list's end, where its keys all end.
float Span(int frame, const std::vector<int>& rows)
{
    float span = SHORTEST_SPAN;
    for (int list : rows) {
        const int count = KeyCount(KeyAt(frame, list, 0));
        const float end = KeyStartSeconds(frame, list, count);
        if (std::isfinite(end)) span = std::max(span, end);
    }
    return span;
}

float TickStep(float span)
{
    for (float step : TICK_STEPS)
        if (span / step <= MOST_TICKS) return step;
    return span / MOST_TICKS;
}

}  // namespace

void DrawPoseTimeline(ScreenTextPass& pass, float bottom)
{
    Layout().marks.clear();
    Layout().top = Layout().bottom = 0.0f;
    if (g_editMode != EDIT_POSE || !g_vectorMan || !pass.Active()) return;
    const int frame = g_poseFrame;
    std::vector<int> rows;
    for (int list = 0; list < DrivenSlotCount(*g_vectorMan); ++list)
        if (KeyAt(frame, list, 0)) rows.push_back(list);
    if (rows.empty()) return;

    const float line = static_cast<float>(TextLineHeight());
    const float height = line * static_cast<float>(rows.size() + 1) + 2.0f * PADDING;
    Layout().top = bottom - height;
    Layout().bottom = bottom;
    pass.FillStrip(0.0f, Layout().top, g_screenWidth, height, STRIP_COLOUR);
    const float left = PADDING + static_cast<float>(LABEL_CHARS * TextAdvance());
    const float right = g_screenWidth - PADDING - MARK_WIDTH;
    const float span = Span(frame, rows);
    const float scale = (right - left) / span;

    // The ruler: a label at each tick, in seconds.
    float top = Layout().top + PADDING;
    const float step = TickStep(span);
    for (int i = 0; static_cast<float>(i) * step <= span + step / 2.0f; ++i) {
        const float seconds = static_cast<float>(i) * step;
        char label[16];
        std::snprintf(label, sizeof label, i == 0 ? "0 s" : "%g", seconds);
        const float x = left + seconds * scale;
        pass.FillStrip(x, top, 1.0f, line, RULER_COLOUR);
        pass.DrawString(x + 2.0f, top, label, RULER_COLOUR);
    }
    // Where the playback is, over the rows.
    if (g_posePlaying && PosePlayedSeconds() <= span)
        pass.FillStrip(left + PosePlayedSeconds() * scale, top + line, 1.0f, line * static_cast<float>(rows.size()),
                       PLAYHEAD_COLOUR);
    for (int list : rows) {
        top += line;
        if (list == g_selectedPart) pass.FillStrip(0.0f, top, g_screenWidth, line, CHOSEN_ROW_COLOUR);
        const std::string name = "slot " + std::to_string(list);
        pass.DrawString(PADDING, top, name.c_str(), MARK_COLOUR);
        const int count = KeyCount(KeyAt(frame, list, 0));
        for (int key = 0; key <= count; ++key) {
            const float start = KeyStartSeconds(frame, list, key);
            if (!std::isfinite(start)) break;
            const float x = left + start * scale;
            if (key == count) {
                // Where the list's last key ends: a thin line, not a key to choose.
                pass.FillStrip(x, top + 2.0f, 1.0f, line - 4.0f, END_COLOUR);
                break;
            }
            const bool chosen = list == g_selectedPart && key == g_poseKey;
            const AnimKey* k = KeyAt(frame, list, key);
            const int ease = k && k->ease < EASE_COUNT ? static_cast<int>(k->ease) : static_cast<int>(EASE_LINEAR);
            const DWORD colour = chosen ? CHOSEN_MARK_COLOUR : ease != EASE_LINEAR ? EASED_MARK_COLOUR : MARK_COLOUR;
            pass.FillStrip(x, top + 2.0f, MARK_WIDTH, line - 4.0f, colour);
            if (ease != EASE_LINEAR) pass.DrawString(x + MARK_WIDTH + 1.0f, top, EASE_MARKS[ease], EASED_MARK_COLOUR);
            Layout().marks.push_back({list, key, x, top + 2.0f, MARK_WIDTH, line - 4.0f});
        }
    }
}

const std::vector<TimelineMark>& PoseTimelineMarks()
{
    return Layout().marks;
}

bool OnPoseTimeline(float x, float y)
{
    return g_editMode == EDIT_POSE && Layout().bottom > Layout().top && y >= Layout().top && y < Layout().bottom && x >= 0.0f &&
           x < g_screenWidth;
}

bool ClickPoseTimeline(float x, float y)
{
    if (!OnPoseTimeline(x, y)) return false;
    // Keys that start together share a place: the later one, drawn on top, is the one met.
    const TimelineMark* hit = nullptr;
    for (const TimelineMark& mark : Layout().marks)
        if (y >= mark.top && y < mark.top + mark.height && x >= mark.left - CLICK_SLACK &&
            x < mark.left + mark.width + CLICK_SLACK)
            hit = &mark;
    if (!hit) return false;
    ChoosePoseSlotAndKey(hit->slot, hit->key);
    return true;
}

void ForgetPoseTimeline()
{
    Layout().marks.clear();
    Layout().top = Layout().bottom = 0.0f;
}
