// The part editor built into the game: its modes, the selection of a figure slot, and
// the keys that float the figure and nudge the selected image's pivot. The editor sits
// above the game and the drawing: the key table (input/key_table.h) calls in here, and the game and the figure
// drawing reach it only through the hooks InstallEditor puts in place (game/pass_hooks.h,
// animation/figure_overlay.h). It owns no records, it changes the
// ones the game loaded. Its overlays are in editor/overlays.h.
#pragma once
#include "figure/records.h"
#include "game/modes.h"

// Puts the editor's pass and drawing hooks in place; the shell does it once at start.
void InstallEditor();

// Switches the mode (the F keys): the one way in, so what a change of mode must also do
// has one place to go.
void EnterEditMode(EditMode mode);

// Control pressed or let go: what the editors do with it is theirs (a pose drag's steps,
// level mode's arrows).
void HoldControl(bool held);

// Up (+1) and Down (-1): in EDIT_HOVER the figure's vertical velocity, in EDIT_PIVOT the
// selected image's yoffset, in EDIT_POSE the selected slot's angle in the chosen key by a
// degree; nothing in the other modes or with nothing selected.
void NudgeVertically(float direction);
// Left (-1) and Right (+1) in EDIT_PIVOT: the selected image's xoffset.
void NudgePivotSideways(float direction);

struct SceneView;
// The pass's picks for man through scene: the slot under the cursor (it becomes the
// selection as the tool in force says, and the drawing outlines it) and what the tool
// picks and drags. The pass makes them after its step, through the view it draws with.
void PickInPass(const SceneView& scene, const VectorMan* man);

// How the figure drawing marks one drawn slot.
struct SlotMarks {
    bool outline;
    bool cross;  // the pivot of the selected slot, in EDIT_PIVOT
};
// How the drawing marks draw-list entry `entry`, which shows `slot`: the entry the pass's
// step picked (-1 none) is outlined, and so is the selection where the tool marks it. The
// selection itself changed in the step, so every slot is marked against the same one.
SlotMarks MarkSlot(int entry, int slot, int picked);
