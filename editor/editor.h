// The part editor built into the game: its modes, the selection of a figure slot under
// the cursor, the overlays that show it, and the keys that nudge the figure and the
// selected image's pivot. The window keys, the input and the figure drawing call in here;
// the editor owns no records, it changes the ones the game loaded.
#pragma once

// Values of g_editMode (an int, as the dumps and replays see it).
enum EditMode {
    EDIT_PLAY = 0,    // no editor: physics, collisions, no selection
    EDIT_HOVER = 1,   // the selection follows the cursor; Up and Down float the figure
    EDIT_PIVOT = 2,   // the held button selects; the arrows move the selected image's pivot
    EDIT_FROZEN = 5,  // no physics; the selection follows the cursor
};
