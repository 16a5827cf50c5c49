// The game's edit mode: which of play and the editor's modes is in force. The game reads
// it (physics and collisions run only in play); the editor and the keys switch it. Kept
// here, below the editor, so the game never has to look upwards to know its own mode.
#pragma once

// Values of g_editMode (an int, as the dumps and replays see it).
enum EditMode {
    EDIT_PLAY = 0,    // no editor: physics, collisions, no selection
    EDIT_HOVER = 1,   // the selection follows the cursor; Up and Down float the figure
    EDIT_PIVOT = 2,   // the held button selects; the arrows move the selected image's pivot
    EDIT_POSE = 3,    // no physics; the figure holds a key's pose, the held button selects,
                      // Up and Down turn the selected slot in that key (editor/pose.h)
    EDIT_FROZEN = 5,  // no physics; the selection follows the cursor
    EDIT_LEVEL = 6,   // the figure holds still; the level's pieces are picked, moved, added,
                      // deleted and flagged, the arrows move the camera (editor/level_mode.h)
    EDIT_FIGURE = 7,  // the figure holds still at rest and is built: its slots, joints,
                      // images, layers and hit boxes (editor/figure_mode.h)
};

extern int g_editMode;
// What the game asks of the mode, and all it asks: whether the world runs (physics,
// collisions, walking). Which editor mode is in force is the editor's business.
inline bool PhysicsRuns()
{
    return g_editMode == EDIT_PLAY;
}
extern int g_selectedPart;  // slot of the player figure, -1 none
// Edits in memory that the data files on disk do not hold yet (the status line marks
// them, and the live reload will not read over them).
extern bool g_editsUnsaved;
