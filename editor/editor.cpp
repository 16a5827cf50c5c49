#include "editor/editor.h"

#include "figure/records.h"
#include "game/figure_access.h"
#include "game/state.h"

int g_editMode = EDIT_PLAY;
int g_selectedPart = -1;
bool g_editsUnsaved = false;

namespace {

const float NUDGE_VELOCITY = 1.0f;
const float NUDGE_OFFSET = 0.1f;

// The image of the selected slot, or null when nothing usable is selected.
VectorPart* SelectedImage()
{
    const ManPart* slot = SlotAt(g_selectedPart);
    return slot ? PartAt(slot->vecpartnum) : nullptr;
}

}  // namespace

void EnterEditMode(EditMode mode)
{
    g_editMode = mode;
}

void NudgeVertically(float direction)
{
    if (g_editMode == EDIT_HOVER) {
        if (g_vectorMan) g_vectorMan->yVelocity += direction * NUDGE_VELOCITY;
    } else if (g_editMode == EDIT_PIVOT) {
        if (VectorPart* image = SelectedImage()) image->yoffset += direction * NUDGE_OFFSET;
    }
}

void NudgePivotSideways(float direction)
{
    if (g_editMode != EDIT_PIVOT) return;
    if (VectorPart* image = SelectedImage()) image->xoffset += direction * NUDGE_OFFSET;
}

SlotMarks MarkSlot(int entry, int slot, int picked)
{
    SlotMarks marks = {false, false};
    if (entry == picked) {
        marks.outline = true;
        // Holding the button in hover mode keeps what hovering selected.
        if (!(g_editMode == EDIT_HOVER && g_leftButtonDown)) g_selectedPart = slot;
    }
    if (g_editMode == EDIT_PIVOT && slot == g_selectedPart) {
        marks.outline = true;
        marks.cross = true;
    }
    if (g_editMode == EDIT_PLAY) marks.outline = false;
    return marks;
}
