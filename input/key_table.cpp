#include "input/key_table.h"

#include <dinput.h>

#include <algorithm>
#include <cstring>

#include "base/log.h"
#include "editor/editor.h"
#include "editor/edits.h"
#include "editor/figure_mode.h"
#include "editor/level_mode.h"
#include "editor/level_reach.h"
#include "editor/level_replay.h"
#include "editor/pose.h"
#include "editor/status_line.h"
#include "figure/roles.h"
#include "input/key_state.h"
#include "game/actions.h"
#include "game/figure_access.h"
#include "game/play_record.h"
#include "game/state.h"
#include "level/level_file.h"

namespace {

const float CAMERA_STEP = 5.0f;
const float TURN_STEP = 1.0f;
const unsigned char THRUST_BUTTON = 0;  // the left mouse button
const float FULL_SPEED = 1.0f;
const float HALF_SPEED = 0.5f;
const float QUARTER_SPEED = 0.25f;

const ModeMask ANY_MODE = ~0u;
const ModeMask HOVER_MODE = ModeBit(EDIT_HOVER);
const ModeMask PIVOT_MODE = ModeBit(EDIT_PIVOT);
const ModeMask POSE_MODE = ModeBit(EDIT_POSE);
const ModeMask LEVEL_MODE = ModeBit(EDIT_LEVEL);
const ModeMask FIGURE_MODE = ModeBit(EDIT_FIGURE);
// The arrows walk (or, in the edit modes, only face the boxes) everywhere but the pivot
// editor and level mode, where they move a pivot or the camera.
const ModeMask WALKING_MODES = ANY_MODE & ~PIVOT_MODE & ~LEVEL_MODE;
// In level and figure mode the button picks and drags instead of thrusting.
const ModeMask THRUST_MODES = ANY_MODE & ~LEVEL_MODE & ~FIGURE_MODE;
// Keys figure mode takes for its own (a joint, a hanging, a kick's k) act everywhere else.
const ModeMask NOT_FIGURE_MODE = ANY_MODE & ~FIGURE_MODE;
// Keys pose mode takes for its own (spin, camera, a limb's turn) act everywhere else.
const ModeMask NOT_POSE_MODE = ANY_MODE & ~POSE_MODE;

// The help panel's indent and the width of its key column, so the texts line up.
const size_t HELP_INDENT = 2;
const size_t HELP_KEY_COLUMN = 18;

const char* const PLAY_SECTION = "Play";
const char* const EDITOR_SECTION = "Editor";

// Short enough for a 640-pixel screen.
const KeyHelp WALK_HELP = {PLAY_SECTION, "Left, Right", "walk"};
const KeyHelp JUMP_HELP = {PLAY_SECTION, "Space", "jump"};
const KeyHelp ITEM_HELP = {PLAY_SECTION, "b", "take or put away the spear"};
const KeyHelp THRUST_HELP = {PLAY_SECTION, "mouse, button", "aim the spear; hold, release to thrust"};
const KeyHelp FRAMES_HELP = {PLAY_SECTION, "p  k  w", "punch, kick, walk"};
const KeyHelp RESET_HELP = {PLAY_SECTION, "0", "back to the start"};
const KeyHelp SPIN_HELP = {PLAY_SECTION, "1  2  `", "spin one way, the other, stop"};
const KeyHelp LIMBS_HELP = {PLAY_SECTION, "a s d f z x c v", "turn the arms and legs"};
// The wheel is read with the mouse's motion, not as a key.
const KeyHelp CAMERA_HELP = {PLAY_SECTION, "+ =  -  wheel", "camera closer, farther"};
const KeyHelp QUIT_HELP = {PLAY_SECTION, "Escape, q", "quit"};
const KeyHelp PLAY_MODE_HELP = {EDITOR_SECTION, "F1", "play"};
const KeyHelp HOVER_HELP = {EDITOR_SECTION, "F2", "pick the part under the cursor;\nUp, Down float the figure"};
const KeyHelp PIVOT_HELP = {EDITOR_SECTION, "F3", "edit a pivot: click a part,\nthe arrows nudge its pivot"};
const KeyHelp POSE_HELP = {EDITOR_SECTION, "F4",
                           "pose a key: click a part, Up, Down\nturn it a degree; ] [ frame, . , key\n"
                           "n next key faintly, Enter play it,\ne export it as pictures"};
const KeyHelp POSE_DRAG_HELP = {EDITOR_SECTION, "  drag, Ctrl", "turn the part; in steps of 15 degrees"};
const KeyHelp POSE_KEYS_HELP = {EDITOR_SECTION, "  Insert, Delete", "split the key in two, delete it"};
const KeyHelp POSE_CHANGE_HELP = {EDITOR_SECTION, "  - =  i  v", "a tenth longer, shorter; image; show or hide"};
const KeyHelp POSE_EASE_HELP = {EDITOR_SECTION, "  t  c m p", "easing; copy, mirror, paste the pose"};
const KeyHelp POSE_FRAME_HELP = {EDITOR_SECTION, "  N  r  Ctrl+Del", "new frame (a copy), rename, delete it"};
const KeyHelp POSE_PLAY_HELP = {EDITOR_SECTION, "  l  1 2 3", "play in a loop; full, 1/2, 1/4 speed"};
const KeyHelp LEVEL_HELP = {EDITOR_SECTION, "F6",
                            "build the level: click, Shift+click, box\npieces, drag them; arrows, wheel camera;\n"
                            "Insert copy, Delete remove, [ ] image,\nl layer, o m u solid, movable, pushable"};
const KeyHelp FIGURE_HELP = {EDITOR_SECTION, "F7",
                             "build the figure: click a part, drag it\nabout its pivot; right drag a joint;\n"
                             "drag a hit box's middle or corner"};
const KeyHelp FIGURE_JOINT_HELP = {EDITOR_SECTION, "  a  x", "a joint at the cursor, the nearest goes"};
const KeyHelp FIGURE_HANG_HELP = {EDITOR_SECTION, "  j  k", "hang from the next joint, the next slot"};
const KeyHelp FIGURE_LOOK_HELP = {EDITOR_SECTION, "  [ ]  l", "image (new ones from the folder), layer"};
const KeyHelp FIGURE_SLOT_HELP = {EDITOR_SECTION, "  Insert, Delete", "a slot on the nearest joint; this one goes"};
const KeyHelp LEVEL_GRID_HELP = {EDITOR_SECTION, "  g, Ctrl+arrows", "grid 8, 16, 32, off; move the pieces by it"};
const KeyHelp LEVEL_SELECT_HELP = {EDITOR_SECTION, "  Ctrl+C V, r, y", "copy, paste; reach; the last run again"};
const KeyHelp FREEZE_HELP = {EDITOR_SECTION, "F5", "freeze, toggle the camera following"};
const KeyHelp FOLLOW_HELP = {EDITOR_SECTION, "F12", "toggle the camera following"};
const KeyHelp BOXES_HELP = {EDITOR_SECTION, "Tab", "hit boxes and level cells"};
const KeyHelp LOG_HELP = {EDITOR_SECTION, "Page Down", "two lines into the log"};
const KeyHelp SAVE_HELP = {EDITOR_SECTION, "Ctrl+S", "save the edits"};
const KeyHelp UNDO_HELP = {EDITOR_SECTION, "Ctrl+Z, Ctrl+Y", "undo, redo"};
const KeyHelp HELP_HELP = {EDITOR_SECTION, "h", "show or hide this help"};

void TurnSlot(int index, float delta)
{
    if (ManPart* slot = SlotAt(index)) slot->angularVelocity += delta;
}

void Spin(float delta)
{
    if (g_vectorMan) g_vectorMan->zAngularVelocity += delta;
}

// Starts a frame unless the slot it guards is still busy with a key.
void StartFrameIfIdle(int guardSlot, int frame)
{
    if (!g_vectorMan || g_vectorMan->currentKeys[guardSlot]) return;
    if (AnimFrame* f = FrameAt(frame)) AddFrames(g_vectorMan, f);
}

// The pivot editor's sideways nudge: the boxes still take the facing, as a walk key's do.
void NudgePivot(WalkDirection direction)
{
    if (!g_vectorMan) return;
    FaceHitBoxes(direction);
    NudgePivotSideways(direction == WALK_LEFT ? -1.0f : 1.0f);
}

void ToggleKeyHelp()
{
    SetHelpLines(KeyHelpLines());
    ToggleHelp();
}

// How long the key or button of a device edge had been held (0 for a window message).
float HeldTime(KeySource source, WPARAM code)
{
    const bool mouse = source == MOUSE_BUTTON_DOWN || source == MOUSE_BUTTON_UP;
    const bool key = source == DEVICE_KEY_DOWN || source == DEVICE_KEY_UP;
    if (mouse && code < sizeof g_mouseButtons / sizeof g_mouseButtons[0]) return g_mouseButtons[code].heldTime;
    if (key && code < sizeof g_keyStates / sizeof g_keyStates[0]) return g_keyStates[code].heldTime;
    return 0.0f;
}

bool InMode(ModeMask modes, int mode)
{
    return (modes & ModeBit(mode)) != 0;
}

}  // namespace

const std::vector<KeyBinding>& KeyTable()
{
    // In the help panel's order: a KeyHelp is listed where its first row stands.
    static const std::vector<KeyBinding> table = {
        {DEVICE_KEY_DOWN, DIK_LEFT, WALKING_MODES, [] { StartWalk(WALK_LEFT); }, &WALK_HELP},
        {DEVICE_KEY_DOWN, DIK_RIGHT, WALKING_MODES, [] { StartWalk(WALK_RIGHT); }, &WALK_HELP},
        {DEVICE_KEY_UP, DIK_LEFT, ANY_MODE, [] { StopWalk(WALK_LEFT); }, &WALK_HELP},
        {DEVICE_KEY_UP, DIK_RIGHT, ANY_MODE, [] { StopWalk(WALK_RIGHT); }, &WALK_HELP},
        {WINDOW_KEY_DOWN, VK_SPACE, ANY_MODE, Jump, &JUMP_HELP},
        {WINDOW_KEY_UP, VK_SPACE, ANY_MODE, [] { g_jumpKeyHeld = 0; }, &JUMP_HELP},
        {WINDOW_CHAR, 'b', ANY_MODE, ToggleHeldItem, &ITEM_HELP},
        {MOUSE_BUTTON_DOWN, THRUST_BUTTON, THRUST_MODES, BeginThrust, &THRUST_HELP},
        {MOUSE_BUTTON_UP, THRUST_BUTTON, THRUST_MODES,
         [] { ReleaseThrust(g_mouseButtons[THRUST_BUTTON].heldTime); }, &THRUST_HELP},
        {WINDOW_CHAR, 'p', NOT_POSE_MODE, [] { StartFrameIfIdle(HOLDING_SLOT, PUNCH_FRAME); }, &FRAMES_HELP},
        {WINDOW_CHAR, 'k', NOT_FIGURE_MODE, [] { StartFrameIfIdle(FRONT_LEG_SLOT, KICK_FRAME); }, &FRAMES_HELP},
        // The walk frame starts over whatever runs.
        {WINDOW_CHAR, 'w', ANY_MODE,
         [] {
             if (!g_vectorMan) return;
             if (AnimFrame* f = FrameAt(WALK_FRAME)) AddFrames(g_vectorMan, f);
         },
         &FRAMES_HELP},
        {WINDOW_CHAR, '0', ANY_MODE, ResetFigure, &RESET_HELP},
        {WINDOW_CHAR, '1', NOT_POSE_MODE, [] { Spin(-TURN_STEP); }, &SPIN_HELP},
        {WINDOW_CHAR, '2', NOT_POSE_MODE, [] { Spin(TURN_STEP); }, &SPIN_HELP},
        {WINDOW_CHAR, '`', ANY_MODE,
         [] {
             if (g_vectorMan) g_vectorMan->zAngularVelocity = 0.0f;
         },
         &SPIN_HELP},
        {WINDOW_CHAR, 'a', NOT_FIGURE_MODE, [] { TurnSlot(BACK_ARM_SLOT, -TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, 's', ANY_MODE, [] { TurnSlot(BACK_ARM_SLOT, TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, 'd', ANY_MODE, [] { TurnSlot(HOLDING_SLOT, -TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, 'f', ANY_MODE, [] { TurnSlot(HOLDING_SLOT, TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, 'z', ANY_MODE, [] { TurnSlot(BACK_LEG_SLOT, -TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, 'x', NOT_FIGURE_MODE, [] { TurnSlot(BACK_LEG_SLOT, TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, 'c', NOT_POSE_MODE, [] { TurnSlot(FRONT_LEG_SLOT, -TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, 'v', NOT_POSE_MODE, [] { TurnSlot(FRONT_LEG_SLOT, TURN_STEP); }, &LIMBS_HELP},
        {WINDOW_CHAR, '+', ANY_MODE, [] { g_cameraDistance -= CAMERA_STEP; }, &CAMERA_HELP},
        {WINDOW_CHAR, '=', NOT_POSE_MODE, [] { g_cameraDistance -= CAMERA_STEP; }, &CAMERA_HELP},
        {WINDOW_CHAR, '-', NOT_POSE_MODE, [] { g_cameraDistance += CAMERA_STEP; }, &CAMERA_HELP},
        {WINDOW_CHAR, CHAR_ESCAPE, ANY_MODE, [] { PostQuitMessage(0); }, &QUIT_HELP},
        {WINDOW_CHAR, 'q', ANY_MODE, [] { PostQuitMessage(0); }, &QUIT_HELP},

        {WINDOW_KEY_UP, VK_F1, ANY_MODE, [] { EnterEditMode(EDIT_PLAY); }, &PLAY_MODE_HELP},
        {WINDOW_KEY_UP, VK_F2, ANY_MODE, [] { EnterEditMode(EDIT_HOVER); }, &HOVER_HELP},
        {WINDOW_KEY_DOWN, VK_UP, HOVER_MODE, [] { NudgeVertically(1.0f); }, &HOVER_HELP},
        {WINDOW_KEY_DOWN, VK_DOWN, HOVER_MODE, [] { NudgeVertically(-1.0f); }, &HOVER_HELP},
        {WINDOW_KEY_UP, VK_F3, ANY_MODE, [] { EnterEditMode(EDIT_PIVOT); }, &PIVOT_HELP},
        {WINDOW_KEY_DOWN, VK_UP, PIVOT_MODE, [] { NudgeVertically(1.0f); }, &PIVOT_HELP},
        {WINDOW_KEY_DOWN, VK_DOWN, PIVOT_MODE, [] { NudgeVertically(-1.0f); }, &PIVOT_HELP},
        {DEVICE_KEY_DOWN, DIK_LEFT, PIVOT_MODE, [] { NudgePivot(WALK_LEFT); }, &PIVOT_HELP},
        {DEVICE_KEY_DOWN, DIK_RIGHT, PIVOT_MODE, [] { NudgePivot(WALK_RIGHT); }, &PIVOT_HELP},
        {WINDOW_KEY_UP, VK_F4, ANY_MODE, [] { EnterEditMode(EDIT_POSE); }, &POSE_HELP},
        {WINDOW_KEY_DOWN, VK_UP, POSE_MODE, [] { NudgeVertically(1.0f); }, &POSE_HELP},
        {WINDOW_KEY_DOWN, VK_DOWN, POSE_MODE, [] { NudgeVertically(-1.0f); }, &POSE_HELP},
        {WINDOW_CHAR, ']', POSE_MODE, [] { ChoosePoseFrame(1); }, &POSE_HELP},
        {WINDOW_CHAR, '[', POSE_MODE, [] { ChoosePoseFrame(-1); }, &POSE_HELP},
        {WINDOW_CHAR, '.', POSE_MODE, [] { ChoosePoseKey(1); }, &POSE_HELP},
        {WINDOW_CHAR, ',', POSE_MODE, [] { ChoosePoseKey(-1); }, &POSE_HELP},
        {WINDOW_CHAR, 'n', POSE_MODE, ToggleNextKeyOnion, &POSE_HELP},
        {WINDOW_CHAR, CHAR_ENTER, POSE_MODE, PlayPoseFrame, &POSE_HELP},
        {WINDOW_CHAR, 'e', POSE_MODE, ExportPoseFrame, &POSE_HELP},
        {DEVICE_KEY_DOWN, DIK_LCONTROL, ANY_MODE, [] { HoldControl(true); }, &POSE_DRAG_HELP},
        {DEVICE_KEY_DOWN, DIK_RCONTROL, ANY_MODE, [] { HoldControl(true); }, &POSE_DRAG_HELP},
        {DEVICE_KEY_UP, DIK_LCONTROL, ANY_MODE, [] { HoldControl(false); }, &POSE_DRAG_HELP},
        {DEVICE_KEY_UP, DIK_RCONTROL, ANY_MODE, [] { HoldControl(false); }, &POSE_DRAG_HELP},
        {WINDOW_KEY_DOWN, VK_INSERT, POSE_MODE, InsertPoseKey, &POSE_KEYS_HELP},
        {WINDOW_KEY_DOWN, VK_DELETE, POSE_MODE, DeletePoseKeyOrFrame, &POSE_KEYS_HELP},
        {WINDOW_CHAR, '-', POSE_MODE, [] { RetimePoseKey(1); }, &POSE_CHANGE_HELP},
        {WINDOW_CHAR, '=', POSE_MODE, [] { RetimePoseKey(-1); }, &POSE_CHANGE_HELP},
        {WINDOW_CHAR, 'i', POSE_MODE, CyclePoseKeyImage, &POSE_CHANGE_HELP},
        {WINDOW_CHAR, 'v', POSE_MODE, TogglePoseKeyVisibility, &POSE_CHANGE_HELP},
        {WINDOW_CHAR, 't', POSE_MODE, CyclePoseKeyEase, &POSE_EASE_HELP},
        {WINDOW_CHAR, 'c', POSE_MODE, CopyPoseKeyPose, &POSE_EASE_HELP},
        {WINDOW_CHAR, 'm', POSE_MODE, MirrorCopiedPose, &POSE_EASE_HELP},
        {WINDOW_CHAR, 'p', POSE_MODE, PastePoseKeyPose, &POSE_EASE_HELP},
        {WINDOW_CHAR, 'N', POSE_MODE, CopyPoseFrame, &POSE_FRAME_HELP},
        {WINDOW_CHAR, 'r', POSE_MODE, BeginPoseRename, &POSE_FRAME_HELP},
        {WINDOW_CHAR, 'l', POSE_MODE, TogglePoseLoop, &POSE_PLAY_HELP},
        {WINDOW_CHAR, '1', POSE_MODE, [] { SetPosePlaybackRate(FULL_SPEED); }, &POSE_PLAY_HELP},
        {WINDOW_CHAR, '2', POSE_MODE, [] { SetPosePlaybackRate(HALF_SPEED); }, &POSE_PLAY_HELP},
        {WINDOW_CHAR, '3', POSE_MODE, [] { SetPosePlaybackRate(QUARTER_SPEED); }, &POSE_PLAY_HELP},
        {WINDOW_KEY_UP, VK_F5, ANY_MODE,
         [] {
             EnterEditMode(EDIT_FROZEN);
             g_cameraFollows = !g_cameraFollows;
         },
         &FREEZE_HELP},
        {WINDOW_KEY_UP, VK_F6, ANY_MODE, [] { EnterEditMode(EDIT_LEVEL); }, &LEVEL_HELP},
        {MOUSE_BUTTON_DOWN, THRUST_BUTTON, LEVEL_MODE, PressLevelButton, &LEVEL_HELP},
        {MOUSE_BUTTON_UP, THRUST_BUTTON, LEVEL_MODE, ReleaseLevelButton, &LEVEL_HELP},
        {WINDOW_KEY_DOWN, VK_LEFT, LEVEL_MODE, [] { LevelArrow(-1, 0); }, &LEVEL_HELP},
        {WINDOW_KEY_DOWN, VK_RIGHT, LEVEL_MODE, [] { LevelArrow(1, 0); }, &LEVEL_HELP},
        {WINDOW_KEY_DOWN, VK_UP, LEVEL_MODE, [] { LevelArrow(0, 1); }, &LEVEL_HELP},
        {WINDOW_KEY_DOWN, VK_DOWN, LEVEL_MODE, [] { LevelArrow(0, -1); }, &LEVEL_HELP},
        {WINDOW_KEY_DOWN, VK_INSERT, LEVEL_MODE, InsertLevelPiece, &LEVEL_HELP},
        {WINDOW_KEY_DOWN, VK_DELETE, LEVEL_MODE, DeleteLevelPiece, &LEVEL_HELP},
        {WINDOW_CHAR, ']', LEVEL_MODE, [] { ChangeLevelImage(1); }, &LEVEL_HELP},
        {WINDOW_CHAR, '[', LEVEL_MODE, [] { ChangeLevelImage(-1); }, &LEVEL_HELP},
        {WINDOW_CHAR, 'l', LEVEL_MODE, CycleLevelLayer, &LEVEL_HELP},
        {WINDOW_CHAR, 'g', LEVEL_MODE, CycleLevelGrid, &LEVEL_GRID_HELP},
        {DEVICE_KEY_DOWN, DIK_LSHIFT, ANY_MODE, [] { HoldLevelShift(true); }, &LEVEL_SELECT_HELP},
        {DEVICE_KEY_DOWN, DIK_RSHIFT, ANY_MODE, [] { HoldLevelShift(true); }, &LEVEL_SELECT_HELP},
        {DEVICE_KEY_UP, DIK_LSHIFT, ANY_MODE, [] { HoldLevelShift(false); }, &LEVEL_SELECT_HELP},
        {DEVICE_KEY_UP, DIK_RSHIFT, ANY_MODE, [] { HoldLevelShift(false); }, &LEVEL_SELECT_HELP},
        {WINDOW_CHAR, CHAR_CTRL_C, LEVEL_MODE, CopyLevelSelection, &LEVEL_SELECT_HELP},
        {WINDOW_CHAR, CHAR_CTRL_V, LEVEL_MODE, PasteLevelSelection, &LEVEL_SELECT_HELP},
        {WINDOW_CHAR, 'r', LEVEL_MODE, ToggleLevelReach, &LEVEL_SELECT_HELP},
        {WINDOW_CHAR, 'y', LEVEL_MODE, ToggleLevelReplay, &LEVEL_SELECT_HELP},
        {WINDOW_CHAR, 'o', LEVEL_MODE, [] { ToggleLevelFlag(SOLID_FLAG); }, &LEVEL_HELP},
        {WINDOW_CHAR, 'm', LEVEL_MODE, [] { ToggleLevelFlag(MOVABLE_FLAG); }, &LEVEL_HELP},
        {WINDOW_CHAR, 'u', LEVEL_MODE, [] { ToggleLevelFlag(PUSHABLE_FLAG); }, &LEVEL_HELP},
        {WINDOW_KEY_UP, VK_F7, ANY_MODE, [] { EnterEditMode(EDIT_FIGURE); }, &FIGURE_HELP},
        {MOUSE_BUTTON_DOWN, FIGURE_PICK_BUTTON, FIGURE_MODE, [] { PressFigureButton(FIGURE_PICK_BUTTON); }, &FIGURE_HELP},
        {MOUSE_BUTTON_UP, FIGURE_PICK_BUTTON, FIGURE_MODE, [] { ReleaseFigureButton(FIGURE_PICK_BUTTON); }, &FIGURE_HELP},
        {MOUSE_BUTTON_DOWN, FIGURE_JOINT_BUTTON, FIGURE_MODE, [] { PressFigureButton(FIGURE_JOINT_BUTTON); },
         &FIGURE_HELP},
        {MOUSE_BUTTON_UP, FIGURE_JOINT_BUTTON, FIGURE_MODE, [] { ReleaseFigureButton(FIGURE_JOINT_BUTTON); },
         &FIGURE_HELP},
        {WINDOW_CHAR, 'a', FIGURE_MODE, AddFigureJoint, &FIGURE_JOINT_HELP},
        {WINDOW_CHAR, 'x', FIGURE_MODE, RemoveFigureJoint, &FIGURE_JOINT_HELP},
        {WINDOW_CHAR, 'j', FIGURE_MODE, HangFromNextJoint, &FIGURE_HANG_HELP},
        {WINDOW_CHAR, 'k', FIGURE_MODE, HangFromNextSlot, &FIGURE_HANG_HELP},
        {WINDOW_CHAR, ']', FIGURE_MODE, [] { ChangeFigureImage(1); }, &FIGURE_LOOK_HELP},
        {WINDOW_CHAR, '[', FIGURE_MODE, [] { ChangeFigureImage(-1); }, &FIGURE_LOOK_HELP},
        {WINDOW_CHAR, 'l', FIGURE_MODE, CycleFigureLayer, &FIGURE_LOOK_HELP},
        {WINDOW_KEY_DOWN, VK_INSERT, FIGURE_MODE, InsertFigureSlot, &FIGURE_SLOT_HELP},
        {WINDOW_KEY_DOWN, VK_DELETE, FIGURE_MODE, DeleteFigureSlot, &FIGURE_SLOT_HELP},
        {WINDOW_KEY_UP, VK_F12, ANY_MODE, [] { g_cameraFollows = !g_cameraFollows; }, &FOLLOW_HELP},
        {WINDOW_CHAR, CHAR_TAB, ANY_MODE, [] { g_showHitBoxes = !g_showHitBoxes; }, &BOXES_HELP},
        {DEVICE_KEY_DOWN, DIK_NEXT, ANY_MODE, [] { WriteLog("PAGEDOWN DOWN"); }, &LOG_HELP},
        {DEVICE_KEY_UP, DIK_NEXT, ANY_MODE, [] { WriteLog("PAGEDOWN UP"); }, &LOG_HELP},
        // Saving and the history act in every mode, so work done in an editor mode can be
        // kept or taken back after leaving it.
        {WINDOW_CHAR, CHAR_CTRL_S, ANY_MODE, [] { SaveEdits(); }, &SAVE_HELP},
        {WINDOW_CHAR, CHAR_CTRL_Z, ANY_MODE, [] { UndoEdit(); }, &UNDO_HELP},
        {WINDOW_CHAR, CHAR_CTRL_Y, ANY_MODE, [] { RedoEdit(); }, &UNDO_HELP},
        {WINDOW_CHAR, 'h', ANY_MODE, ToggleKeyHelp, &HELP_HELP},
    };
    return table;
}

bool RunKeyCommand(KeySource source, WPARAM code)
{
    // A frame's name being typed takes every character, Enter and Escape among them.
    if (source == WINDOW_CHAR && PoseRenaming()) {
        PoseNameChar(static_cast<char>(code));
        return true;
    }
    for (const KeyBinding& row : KeyTable()) {
        if (row.source != source || row.code != code || !InMode(row.modes, g_editMode)) continue;
        // Play's own keys are kept for level mode's replay (game/play_record.h).
        if (g_editMode == EDIT_PLAY && row.help && row.help->section == PLAY_SECTION && row.help != &QUIT_HELP)
            NotePlayKey(source, code, HeldTime(source, code));
        row.command();
        return true;
    }
    return false;
}

std::vector<std::string> KeyHelpLines()
{
    std::vector<std::string> lines;
    std::vector<const KeyHelp*> listed;
    const char* section = nullptr;
    for (const KeyBinding& row : KeyTable()) {
        const KeyHelp* help = row.help;
        if (!help) continue;
        if (std::find(listed.begin(), listed.end(), help) != listed.end()) continue;
        listed.push_back(help);
        if (!section || std::strcmp(section, help->section) != 0) {
            section = help->section;
            lines.emplace_back(section);
        }
        std::string line = std::string(HELP_INDENT, ' ') + help->keys;
        // A key name too long for its column still gets one blank before the text.
        line.resize(std::max(line.size() + 1, HELP_INDENT + HELP_KEY_COLUMN), ' ');
        for (const char* c = help->text; *c; ++c) {
            if (*c != '\n') {
                line += *c;
                continue;
            }
            lines.push_back(line);
            line.assign(HELP_INDENT + HELP_KEY_COLUMN, ' ');
        }
        lines.push_back(line);
    }
    return lines;
}
