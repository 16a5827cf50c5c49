#include "editor/editor.h"

#include "editor/edits.h"
#include "editor/pose.h"

#include "figure/records.h"
#include "game/figure_access.h"
#include "game/state.h"

int g_editMode = EDIT_PLAY;
int g_selectedPart = -1;
bool g_editsUnsaved = false;

namespace {

const float NUDGE_VELOCITY = 1.0f;

// The image index of the selected slot, -1 when nothing is selected.
int SelectedImage()
{
    const ManPart* slot = SlotAt(g_selectedPart);
    return slot ? slot->vecpartnum : -1;
}

}  // namespace

void EnterEditMode(EditMode mode)
{
    if (g_editMode == EDIT_POSE && mode != EDIT_POSE) EndPoseMode();
    const bool entering = mode == EDIT_POSE && g_editMode != EDIT_POSE;
    g_editMode = mode;
    if (entering) BeginPoseMode();
}

void NudgeVertically(float direction)
{
    if (g_editMode == EDIT_HOVER) {
        if (g_vectorMan) g_vectorMan->yVelocity += direction * NUDGE_VELOCITY;
    } else if (g_editMode == EDIT_PIVOT) {
        NudgeOffset(SelectedImage(), true, direction);
    } else if (g_editMode == EDIT_POSE) {
        TurnPoseKey(direction > 0.0f ? 1 : -1);
    }
}

void NudgePivotSideways(float direction)
{
    if (g_editMode != EDIT_PIVOT) return;
    NudgeOffset(SelectedImage(), false, direction);
}

SlotMarks MarkSlot(int entry, int slot, int picked)
{
    SlotMarks marks = {false, false};
    if (entry == picked) {
        marks.outline = true;
        // Holding the button in hover mode keeps what hovering selected.
        if (!(g_editMode == EDIT_HOVER && g_leftButtonDown)) g_selectedPart = slot;
    }
    if ((g_editMode == EDIT_PIVOT || g_editMode == EDIT_POSE) && slot == g_selectedPart) {
        marks.outline = true;
        marks.cross = g_editMode == EDIT_PIVOT;
    }
    if (g_editMode == EDIT_PLAY) marks.outline = false;
    return marks;
}
