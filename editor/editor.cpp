#include "editor/editor.h"

#include "animation/figure_overlay.h"
#include "editor/edits.h"
#include "editor/tool.h"
#include "editor/editor_state.h"
#include "editor/level_mode.h"
#include "editor/overlays.h"
#include "editor/pose.h"
#include "editor/status_line.h"
#include "figure/records.h"
#include "game/figure_access.h"
#include "game/pass_hooks.h"
#include "game/state.h"
#include "graphics/scene_state.h"

namespace {

const float NUDGE_VELOCITY = 1.0f;

// The image index of the selected slot, -1 when nothing is selected.
int SelectedImage()
{
    const ManPart* slot = SlotAt(g_selectedPart);
    return slot ? slot->vecpartnum : -1;
}

void MarkDrawnSlot(IDirect3DDevice8* device, int entry, int slot, int picked, const VectorPart* image, bool drawn)
{
    const SlotMarks marks = MarkSlot(entry, slot, picked);
    if (image) DrawSlotMarks(device, marks, *image, drawn);
}

void DrawFigureMarks(IDirect3DDevice8* device, const VectorMan& man)
{
    if (g_showHitBoxes) DrawHitBoxes(device, man);
    if (const auto draw = CurrentTool().drawOverlay) draw(device);
}

bool StepToolInstead(float seconds)
{
    const auto step = CurrentTool().step;
    if (!step) return false;
    step(seconds);
    return true;
}

void RecordsReplaced(bool sameEditedFiles)
{
    // Other files were read for the ones the history applies to: it no longer does.
    if (!sameEditedFiles) ForgetEdits();
    PoseRecordsReplaced();
    ForgetLevelPick();
}

void ForgetEditor()
{
    ForgetEdits();
    g_editor = EditorState();
}

}  // namespace

void InstallEditor()
{
    FigureOverlay& overlay = Overlay();
    overlay.underFigure = DrawOnionSkins;
    overlay.pick = PickSlot;
    overlay.afterSlot = MarkDrawnSlot;
    overlay.overFigure = DrawFigureMarks;
    overlay.overScene = DrawEditorText;
    PassHooks& hooks = Hooks();
    hooks.stepInstead = StepToolInstead;
    hooks.recordsReplaced = RecordsReplaced;
    hooks.forgetEditor = ForgetEditor;
}

void EnterEditMode(EditMode mode)
{
    if (mode == g_editMode) return;
    if (const auto leave = CurrentTool().leave) leave();
    g_editMode = mode;
    if (const auto enter = CurrentTool().enter) enter();
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
    const Tool& tool = CurrentTool();
    SlotMarks marks = {false, false};
    if (entry == picked) {
        marks.outline = true;
        if (!(tool.picking == SlotPicking::FOLLOW_UNTIL_HELD && g_leftButtonDown)) g_selectedPart = slot;
    }
    if (tool.picking == SlotPicking::HELD && slot == g_selectedPart) {
        marks.outline = true;
        marks.cross = tool.crossOnSelection;
    }
    if (tool.picking == SlotPicking::DROP) marks.outline = false;
    return marks;
}
