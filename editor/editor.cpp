#include "editor/editor.h"

#include "animation/figure_overlay.h"
#include "animation/figure_pose.h"
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
#include "graphics/scene_view.h"
#include "level/level.h"

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

// The pass's picks, made once the figure stands as the pass will draw it and through the
// view it will draw with.
void PickInStep()
{
    PickInPass(CurrentSceneView(), g_vectorMan);
}

int PickedInStep(IDirect3DDevice8*, const VectorMan&, const std::vector<int>&, const std::vector<D3DXMATRIX>&)
{
    return g_editor.figurePick;
}

void RecordsReplaced(bool sameEditedFiles)
{
    // Other files were read for the ones the history applies to: it no longer does, and
    // the level it kept counts from its next edit, as a level read anew would.
    if (!sameEditedFiles) {
        ForgetEdits();
        if (g_level) g_level->savedForm.clear();
    }
    PoseRecordsReplaced();
    ForgetLevelPick();
    ForgetLevelRuns();
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
    overlay.pick = PickedInStep;
    overlay.afterSlot = MarkDrawnSlot;
    overlay.overFigure = DrawFigureMarks;
    overlay.overScene = DrawEditorText;
    PassHooks& hooks = Hooks();
    hooks.stepInstead = StepToolInstead;
    hooks.afterStep = PickInStep;
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

void HoldControl(bool held)
{
    g_editor.controlHeld = held;
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

void PickInPass(const SceneView& scene, const VectorMan* man)
{
    const Tool& tool = CurrentTool();
    g_editor.figurePick = -1;
    // Play drops the selection without a test; a tool that picks no slot keeps it.
    if (tool.picking == SlotPicking::DROP) g_selectedPart = -1;
    if (man && man->parts && tool.picking != SlotPicking::DROP && tool.picking != SlotPicking::NONE &&
        tool.picking != SlotPicking::OWN) {
        const std::vector<int> drawList = DrawOrder(*man, man->numparts);
        const std::vector<D3DXMATRIX> worlds = SlotWorldMatrices(*man, FigureMatrix(*man));
        const int picked = PickSlot(scene, *man, drawList, worlds);
        // Holding the button in hover mode keeps what hovering selected.
        if (picked >= 0 && !(tool.picking == SlotPicking::FOLLOW_UNTIL_HELD && g_leftButtonDown))
            g_selectedPart = drawList[picked];
        g_editor.figurePick = picked;
    }
    if (tool.pick) tool.pick(scene);
}

SlotMarks MarkSlot(int entry, int slot, int picked)
{
    const Tool& tool = CurrentTool();
    SlotMarks marks = {false, false};
    if (entry == picked) marks.outline = true;
    if ((tool.picking == SlotPicking::HELD || tool.picking == SlotPicking::OWN) && slot == g_selectedPart) {
        marks.outline = true;
        marks.cross = tool.crossOnSelection;
    }
    if (tool.picking == SlotPicking::DROP) marks.outline = false;
    return marks;
}
