// The part editor built into the game: its modes, the selection of a figure slot, and
// the keys that float the figure and nudge the selected image's pivot. The key table and
// the figure drawing call in here; the editor owns no records, it changes the ones the
// game loaded. Its overlays are in editor/overlays.h.
#pragma once

// Values of g_editMode (an int, as the dumps and replays see it).
enum EditMode {
    EDIT_PLAY = 0,    // no editor: physics, collisions, no selection
    EDIT_HOVER = 1,   // the selection follows the cursor; Up and Down float the figure
    EDIT_PIVOT = 2,   // the held button selects; the arrows move the selected image's pivot
    EDIT_POSE = 3,    // no physics; the figure holds a key's pose, the held button selects,
                      // Up and Down turn the selected slot in that key (editor/pose.h)
    EDIT_FROZEN = 5,  // no physics; the selection follows the cursor
};

extern int g_editMode;
extern int g_selectedPart;  // slot of the player figure, -1 none
// Edits in memory that the data files on disk do not hold yet (the status line marks them).
extern bool g_editsUnsaved;

// Switches the mode (the F keys): the one way in, so what a change of mode must also do
// has one place to go.
void EnterEditMode(EditMode mode);

// Up (+1) and Down (-1): in EDIT_HOVER the figure's vertical velocity, in EDIT_PIVOT the
// selected image's yoffset, in EDIT_POSE the selected slot's angle in the chosen key by a
// degree; nothing in the other modes or with nothing selected.
void NudgeVertically(float direction);
// Left (-1) and Right (+1) in EDIT_PIVOT: the selected image's xoffset.
void NudgePivotSideways(float direction);

// How the figure pass marks one drawn slot.
struct SlotMarks {
    bool outline;
    bool cross;  // the pivot of the selected slot, in EDIT_PIVOT
};
// The pass's selection step for draw-list entry `entry`, which shows `slot`: the picked
// entry (-1 none) becomes the selection, except while the button holds a hover selection.
// Called in drawing order, so a cross drawn before the pick still marks the old selection.
SlotMarks MarkSlot(int entry, int slot, int picked);
