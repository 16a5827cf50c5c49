#include "editor/tool.h"

#include <iterator>

// The tools of pose, level and figure mode are defined with their modes (editor/pose.cpp,
// editor/level_mode.cpp, editor/figure_mode.cpp); the figure-picking tools, which have no
// state of their own, here.
extern const Tool POSE_TOOL;
extern const Tool LEVEL_TOOL;
extern const Tool FIGURE_TOOL;

namespace {

const Tool PLAY_TOOL = {EDIT_PLAY, nullptr, SlotPicking::DROP, false, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
// The selection follows the cursor; Up and Down float the figure.
const Tool HOVER_TOOL = {EDIT_HOVER, "move",  SlotPicking::FOLLOW_UNTIL_HELD, false, nullptr,
                         nullptr,    nullptr, nullptr,                        nullptr, nullptr};
// The held button selects; the arrows move the selected image's pivot, which is marked.
const Tool PIVOT_TOOL = {EDIT_PIVOT, "pivot", SlotPicking::HELD, true,    nullptr,
                         nullptr,    nullptr, nullptr,           nullptr, nullptr};
// No physics; the selection follows the cursor.
const Tool FROZEN_TOOL = {EDIT_FROZEN, "frozen", SlotPicking::FOLLOW, false,   nullptr,
                          nullptr,     nullptr,  nullptr,             nullptr, nullptr};

const Tool* const EDITOR_TOOLS[] = {&PLAY_TOOL, &HOVER_TOOL, &PIVOT_TOOL, &POSE_TOOL, &FROZEN_TOOL, &LEVEL_TOOL, &FIGURE_TOOL};

}  // namespace

const Tool* ToolFor(int mode)
{
    for (const Tool* tool : EDITOR_TOOLS)
        if (tool->mode == mode) return tool;
    return nullptr;
}

const Tool& CurrentTool()
{
    const Tool* tool = ToolFor(g_editMode);
    return tool ? *tool : PLAY_TOOL;
}
