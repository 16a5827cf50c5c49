// An editor mode is a tool, and every tool answers the same few verbs: what entering and
// leaving it do, what it does in a pass in place of the game's own step, what it picks and
// drags once the step is done, what it draws over the figure, what the status line says,
// and how the figure's slots are picked while it is in force. The editor asks the tool of the mode in force (CurrentTool) and nothing else
// about the mode; a tool's keys are its rows in the key table (input/key_table.cpp).
// A new tool is a file under editor/ that defines its Tool, its line in EDITOR_TOOLS
// (editor/tools.cpp), its mode's number (game/modes.h) and its rows in the key table.
#pragma once
#include <d3d8.h>

#include <string>

#include "game/modes.h"
#include "graphics/scene_view.h"

// How the figure's slots are picked while a tool is in force.
enum class SlotPicking {
    DROP,               // never, and the selection goes (play)
    NONE,               // never; the selection stays (the tool picks something else)
    FOLLOW,             // the slot under the cursor becomes the selection
    FOLLOW_UNTIL_HELD,  // so, but the held button keeps what the cursor selected
    HELD,               // the slot under the cursor while the button is held; the selection is outlined
    OWN,                // the tool picks slots itself, in its pick; the selection is outlined
};

struct Tool {
    EditMode mode;
    const char* name;  // as the status line names the mode; null: no status line (play)
    SlotPicking picking;
    bool crossOnSelection;  // the selected slot's pivot is marked with a cross
    void (*enter)();        // null: nothing to do
    void (*leave)();
    // The pass's step in place of the game's animation and physics; null: the game steps.
    void (*step)(float seconds);
    // After the step, through the view the pass draws with: what the tool picks and drags
    // besides the figure's slots; null: nothing.
    void (*pick)(const SceneView& scene);
    void (*drawOverlay)(IDirect3DDevice8* device);  // over the figure; null: nothing
    std::string (*status)();  // after the name; null: the selected image and its pivot
};

// The tool of the mode in force; play's where a mode has none.
const Tool& CurrentTool();
// The tool of a mode; null where it has none.
const Tool* ToolFor(int mode);
