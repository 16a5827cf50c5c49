#include "editor/pose.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "animation/figure_pose.h"
#include "animation/key_pose.h"
#include "animation/step.h"
#include "base/screen_message.h"
#include "animation/figure_pose.h"
#include "editor/editor.h"
#include "editor/overlays.h"
#include "graphics/draw_helpers.h"
#include "editor/edits.h"
#include "editor/tool.h"
#include "editor/editor_state.h"
#include "editor/timeline.h"
#include "figure/anim_file.h"
#include "figure/anim_save.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/actions.h"
#include "game/state.h"

int& g_poseFrame = g_editor.pose.frame;
int& g_poseKey = g_editor.pose.key;
bool& g_poseShowsNextKey = g_editor.pose.showsNextKey;
bool& g_posePlaying = g_editor.pose.playing;
bool& g_poseLooping = g_editor.pose.looping;
float& g_posePlaybackRate = g_editor.pose.playbackRate;

namespace {

// Faint, and tinted so the key before is told from the key after at a glance.
const unsigned long PREVIOUS_KEY_COLOUR = 0x90FF8080;
const unsigned long NEXT_KEY_COLOUR = 0x9080FF80;
const float MS_PER_SECOND = 1000.0f;

void FinishTurnDrag();

// Where the mode's state lives: the editor's one record.
PoseToolState& State()
{
    return g_editor.pose;
}

bool InPoseMode()
{
    return g_editMode == EDIT_POSE && g_vectorMan;
}

void TakeRest()
{
    State().rest.clear();
    VectorMan* man = g_vectorMan;
    if (!man || !man->parts) return;
    State().rest.assign(man->parts, man->parts + man->numparts);
    for (ManPart& slot : State().rest) {
        slot.angle = slot.angularVelocity = 0.0f;
        slot.x = slot.y = slot.xVelocity = slot.yVelocity = 0.0f;
        slot.yMin = slot.yMax = 0.0f;
    }
}

void StopFigure(VectorMan& man)
{
    for (AnimKey*& key : man.currentKeys) key = nullptr;
    man.xVelocity = man.yVelocity = man.zVelocity = 0.0f;
    man.zAngularVelocity = 0.0f;
}

void StartPlaying()
{
    if (!InPoseMode() || g_poseFrame < 0 || g_poseFrame >= g_numFrames) return;
    VectorMan& man = *g_vectorMan;
    PoseFigureAtKey(-1);
    StopFigure(man);
    // Every list from its start, as if the frame had never run.
    for (KeyPlayback& at : man.playback) at = KeyPlayback();
    State().playedSeconds = 0.0f;
    g_posePlaying = AddFrames(&man, &g_frames[g_poseFrame]) == S_OK;
}

// Keeps the chosen key inside the chosen frame.
void ClampKey()
{
    g_poseKey = std::max(0, std::min(g_poseKey, FrameKeyCount(g_poseFrame) - 1));
}

// A looping list has played once when its loop closes: it is then let go.
void EndLoops(VectorMan& man, AnimKey* const (&before)[MAX_FRAME_KEYS])
{
    for (int i = 0; i < DrivenSlotCount(man); ++i) {
        const AnimKey* k = before[i];
        if (k && k->loopKeys && man.playback[i].turned == 0.0f && man.currentKeys[i] == k->first)
            man.currentKeys[i] = nullptr;
    }
}

}  // namespace

void BeginPoseMode()
{
    if (!g_vectorMan) return;
    TakeRest();
    StopFigure(*g_vectorMan);
    g_posePlaying = g_poseLooping = false;
    ClampKey();
}

void EndPoseMode()
{
    FinishTurnDrag();
    g_posePlaying = g_poseLooping = false;
    ForgetPoseTimeline();
    VectorMan* man = g_vectorMan;
    if (!man || !man->parts || State().rest.size() != static_cast<size_t>(man->numparts)) return;
    std::copy(State().rest.begin(), State().rest.end(), man->parts);
    for (AnimKey*& key : man->currentKeys) key = nullptr;
}

void PoseRecordsReplaced()
{
    if (g_editMode != EDIT_POSE) return;
    BeginPoseMode();
}

void ForgetPoseMode()
{
    g_editor.pose = PoseToolState();
}

void ChoosePoseFrame(int step)
{
    if (!InPoseMode()) return;
    g_poseFrame = std::max(0, std::min(g_poseFrame + step, g_numFrames - 1));
    ClampKey();
    g_posePlaying = g_poseLooping = false;
}

void ChoosePoseKey(int step)
{
    if (!InPoseMode()) return;
    g_poseKey += step;
    ClampKey();
    g_posePlaying = g_poseLooping = false;
}

void ToggleNextKeyOnion()
{
    if (InPoseMode()) g_poseShowsNextKey = !g_poseShowsNextKey;
}

namespace {

// The angles that turn the chosen key of a slot's list (the selected slot's by default) to
// end at wanted: its own, and the next key's where it must keep to the short way from the
// new end. Empty where there is no such key.
std::vector<KeyAngles> TurnedTo(float wanted, int list = g_selectedPart)
{
    if (!InPoseMode() || list < 0 || list >= DrivenSlotCount(*g_vectorMan)) return {};
    const AnimKey* k = KeyAt(g_poseFrame, list, g_poseKey);
    if (!k) return {};
    const float from = KeyStartAngle(g_poseFrame, list, g_poseKey);
    const float speed = SpeedForShortSide(from, k->destAngle, from, wanted, k->rotSpeed);
    const float dest = DestForTurn(from, wanted, speed);
    std::vector<KeyAngles> changes = {{k->id, dest, speed}};

    // The key after this one starts where this one ends: it too keeps to the short way.
    const AnimKey* next = k->loopKeys ? k->first : k->next;
    float nextDest = 0.0f, nextSpeed = 0.0f;
    if (next && next != k && !next->useStartAngle && KeptShortFrom(*next, k->destAngle, dest, nextDest, nextSpeed))
        changes.push_back({next->id, nextDest, nextSpeed});
    return changes;
}

}  // namespace

void TurnPoseKey(int degrees)
{
    const AnimKey* k = SelectedPoseKey();
    if (!k) return;
    g_posePlaying = false;
    SetKeyAngles(TurnedTo(k->destAngle + static_cast<float>(degrees)));
}



void PlayPoseFrame()
{
    g_poseLooping = false;
    StartPlaying();
}

void TogglePoseLoop()
{
    if (!InPoseMode()) return;
    if (g_poseLooping) {
        g_poseLooping = g_posePlaying = false;
        return;
    }
    StartPlaying();
    g_poseLooping = g_posePlaying;
}

void SetPosePlaybackRate(float rate)
{
    if (InPoseMode() && rate > 0.0f) g_posePlaybackRate = rate;
}

float PosePlayedSeconds()
{
    return State().playedSeconds;
}

AnimKey* SelectedPoseKey()
{
    if (!InPoseMode() || g_selectedPart < 0 || g_selectedPart >= DrivenSlotCount(*g_vectorMan)) return nullptr;
    return KeyAt(g_poseFrame, g_selectedPart, g_poseKey);
}

void ChoosePoseSlotAndKey(int slot, int key)
{
    if (!InPoseMode()) return;
    g_selectedPart = slot;
    g_poseKey = key;
    ClampKey();
    g_posePlaying = g_poseLooping = false;
}

void StepPoseMode(float seconds)
{
    if (!InPoseMode()) return;
    VectorMan& man = *g_vectorMan;
    if (State().rest.size() != static_cast<size_t>(man.numparts)) TakeRest();
    // The button's press, not its hold: a held button dragged onto a mark chooses nothing.
    if (g_leftButtonDown && !State().buttonWasDown)
        ClickPoseTimeline(static_cast<float>(g_cursorPos.x), static_cast<float>(g_cursorPos.y));
    State().buttonWasDown = g_leftButtonDown != 0;
    if (g_posePlaying) {
        AnimKey* before[MAX_FRAME_KEYS];
        std::copy(man.currentKeys, man.currentKeys + MAX_FRAME_KEYS, before);
        man.StepAnimation(seconds * g_posePlaybackRate);
        State().playedSeconds += seconds * g_posePlaybackRate;
        EndLoops(man, before);
        g_posePlaying = std::any_of(man.currentKeys, man.currentKeys + DrivenSlotCount(man),
                                    [](const AnimKey* k) { return k != nullptr; });
        if (!g_posePlaying && g_poseLooping) StartPlaying();
    }
    if (!g_posePlaying) PoseFigureAtKey(g_poseKey);
}

std::vector<OnionSkin> OnionSkins()
{
    std::vector<OnionSkin> skins;
    if (!InPoseMode() || g_posePlaying) return skins;
    if (g_poseKey > 0) skins.push_back({g_poseKey - 1, PREVIOUS_KEY_COLOUR});
    if (g_poseShowsNextKey && g_poseKey + 1 < FrameKeyCount(g_poseFrame))
        skins.push_back({g_poseKey + 1, NEXT_KEY_COLOUR});
    return skins;
}

void PoseFigureAtKey(int key)
{
    if (g_vectorMan) PoseAtKey(*g_vectorMan, State().rest, g_poseFrame, key);
}

void DrawOnionSkins(IDirect3DDevice8* device, const VectorMan& man, const D3DXMATRIX& figure)
{
    const std::vector<OnionSkin> skins = OnionSkins();
    if (skins.empty() || !man.parts) return;
    std::vector<ManPart> posed(man.parts, man.parts + man.numparts);
    VectorMan ghost = man;
    ghost.parts = posed.data();
    for (const OnionSkin& skin : skins) {
        PoseAtKey(ghost, State().rest, g_poseFrame, skin.key);
        const std::vector<D3DXMATRIX> worlds = SlotWorldMatrices(ghost, figure);
        for (int i : DrawOrder(ghost, ghost.numparts)) {
            const VectorPart* image = PartAt(ghost.parts[i].vecpartnum);
            if (!image || !ghost.parts[i].visible) continue;
            device->SetTransform(D3DTS_WORLD, &worlds[i]);
            DrawTinted(device, *image, static_cast<DWORD>(skin.colour));
        }
    }
}

std::string PoseStatusText()
{
    std::string text = "frame " + std::to_string(g_poseFrame);
    if (State().renaming) return text + " | name: " + State().newName + "_ | Enter keeps it, Escape drops it";
    const std::string name = MemoryFrameName(g_poseFrame);
    if (!name.empty()) text += " " + name;
    text += " | key " + std::to_string(g_poseKey);
    if (g_selectedPart < 0) return text + " | no part selected";
    text += " | slot " + std::to_string(g_selectedPart);
    const AnimKey* k = g_vectorMan && g_selectedPart < DrivenSlotCount(*g_vectorMan)
                           ? KeyAt(g_poseFrame, g_selectedPart, g_poseKey)
                           : nullptr;
    if (!k) return text + " has no key here";
    char values[96];
    const float seconds = KeySeconds(g_poseFrame, g_selectedPart, g_poseKey);
    if (std::isfinite(seconds))
        std::snprintf(values, sizeof values, " | dest %.0f  speed %.0f  %.0f ms", k->destAngle, k->rotSpeed,
                      seconds * MS_PER_SECOND);
    else
        std::snprintf(values, sizeof values, " | dest %.0f  speed %.0f  never ends", k->destAngle, k->rotSpeed);
    text += values;
    if (k->ease != EASE_LINEAR) text += std::string(" | ease ") + KEY_EASE_NAMES[k->ease < EASE_COUNT ? k->ease : 0];
    if (g_poseLooping) text += " | looping";
    if (g_posePlaybackRate != 1.0f) text += " | 1/" + std::to_string(std::lround(1.0f / g_posePlaybackRate)) + " speed";
    return text;
}

namespace {

const float HALF_TURN = 180.0f;
const float FULL_TURN = 360.0f;

// The cursor's angle about the dragged slot's pivot, in degrees, in the frame the slot
// turns in (its parent's, on its joint), so the figure's facing is taken care of.
bool CursorAngle(const SceneView& scene, float& degrees)
{
    const VectorMan& man = *g_vectorMan;
    const int slot = State().dragSlot;
    if (slot < 0 || slot >= man.numparts) return false;
    const ManPart& part = man.parts[slot];
    const VectorPart* image = PartAt(part.vecpartnum);
    const std::vector<D3DXMATRIX> worlds = SlotWorldMatrices(man, FigureMatrix(man));
    D3DXMATRIX back, unturn, frame;
    D3DXMatrixTranslation(&back, -(part.x + (image ? image->xoffset : 0.0f)), -(part.y + (image ? image->yoffset : 0.0f)),
                          0.0f);
    D3DXMatrixRotationZ(&unturn, -part.angle * ANGLE_FACTOR);
    D3DXMatrixMultiply(&frame, &back, &worlds[slot]);
    D3DXMatrixMultiply(&frame, &unturn, &frame);
    float x = 0.0f, y = 0.0f;
    if (!CursorInFrame(scene, frame, x, y) || (x == 0.0f && y == 0.0f)) return false;
    degrees = std::atan2(y, x) / ANGLE_FACTOR;
    return true;
}

float Wrapped(float degrees)
{
    while (degrees > HALF_TURN) degrees -= FULL_TURN;
    while (degrees <= -HALF_TURN) degrees += FULL_TURN;
    return degrees;
}

void PutAngles(const std::vector<std::pair<int, std::pair<float, float>>>& angles)
{
    for (const auto& [id, values] : angles) {
        if (AnimKey* key = KeyById(id)) {
            key->destAngle = values.first;
            key->rotSpeed = values.second;
        }
    }
}

void StartTurnDrag(const SceneView& scene)
{
    PoseToolState& s = State();
    const AnimKey* k = SelectedPoseKey();
    float angle = 0.0f;
    s.dragSlot = g_selectedPart;
    if (!k || g_posePlaying || !CursorAngle(scene, angle)) return;
    s.dragging = true;
    s.destAtPress = k->destAngle;
    s.turned = 0.0f;
    s.lastCursorAngle = angle;
    s.anglesAtPress.clear();
    const AnimKey* next = k->loopKeys ? k->first : k->next;
    for (const AnimKey* key : {k, next})
        if (key) s.anglesAtPress.push_back({key->id, {key->destAngle, key->rotSpeed}});
}

void FinishTurnDrag()
{
    PoseToolState& s = State();
    if (!s.dragging) return;
    s.dragging = false;
    std::vector<KeyAngles> now;
    bool turned = false;
    for (const auto& [id, was] : s.anglesAtPress) {
        const AnimKey* key = KeyById(id);
        if (!key) continue;
        now.push_back({id, key->destAngle, key->rotSpeed});
        turned = turned || key->destAngle != was.first || key->rotSpeed != was.second;
    }
    // A click that turned nothing is no step.
    if (!turned) return;
    PutAngles(s.anglesAtPress);
    SetKeyAngles(now);
}

// The tool's pick: a press on a slot starts turning it, the held button turns it, the
// release makes the turn one step.
void DragPoseKey(const SceneView& scene)
{
    if (!InPoseMode()) return;
    PoseToolState& s = State();
    const bool down = g_leftButtonDown != 0;
    const bool pressed = down && !s.dragWasDown;
    s.dragWasDown = down;
    if (!down) {
        FinishTurnDrag();
        return;
    }
    if (pressed) {
        if (g_editor.figurePick >= 0) StartTurnDrag(scene);
        return;
    }
    if (!s.dragging) return;
    // The slot taken at the press is turned, whatever passes under the cursor.
    g_selectedPart = s.dragSlot;
    float angle = 0.0f;
    if (!CursorAngle(scene, angle)) return;
    s.turned += Wrapped(angle - s.lastCursorAngle);
    s.lastCursorAngle = angle;
    float wanted = std::round(s.destAtPress + s.turned);
    if (g_editor.controlHeld) wanted = std::round(wanted / POSE_SNAP_DEGREES) * POSE_SNAP_DEGREES;
    const AnimKey* k = SelectedPoseKey();
    if (!k || wanted == k->destAngle) return;
    for (const KeyAngles& change : TurnedTo(wanted)) {
        if (AnimKey* key = KeyById(change.key)) {
            key->destAngle = change.destAngle;
            key->rotSpeed = change.rotSpeed;
        }
    }
}

}  // namespace

extern const Tool POSE_TOOL;
const Tool POSE_TOOL = {EDIT_POSE,   "pose",       SlotPicking::HELD, false,   BeginPoseMode,
                        EndPoseMode, StepPoseMode, DragPoseKey,       nullptr, PoseStatusText};

void CopyPoseKeyPose()
{
    if (!InPoseMode()) return;
    State().copiedPose.clear();
    for (int list = 0; list < DrivenSlotCount(*g_vectorMan); ++list)
        if (const AnimKey* k = KeyAt(g_poseFrame, list, g_poseKey)) State().copiedPose.push_back({list, k->destAngle});
    PostScreenMessage("pose of key " + std::to_string(g_poseKey) + " copied: " +
                      std::to_string(State().copiedPose.size()) + " slots");
}

void MirrorCopiedPose()
{
    if (!InPoseMode()) return;
    if (State().copiedPose.empty()) {
        PostScreenMessage("No pose copied: c copies one");
        return;
    }
    // The figure seen from its other side: what the back limb did the front one does.
    auto mirrored = [](int slot) {
        if (slot == BACK_ARM_SLOT) return HOLDING_SLOT;
        if (slot == HOLDING_SLOT) return BACK_ARM_SLOT;
        if (slot == BACK_LEG_SLOT) return FRONT_LEG_SLOT;
        if (slot == FRONT_LEG_SLOT) return BACK_LEG_SLOT;
        return slot;
    };
    for (auto& entry : State().copiedPose) entry.first = mirrored(entry.first);
    PostScreenMessage("copied pose mirrored: the arms and the legs swapped");
}

void PastePoseKeyPose()
{
    if (!InPoseMode()) return;
    if (State().copiedPose.empty()) {
        PostScreenMessage("No pose copied: c copies one");
        return;
    }
    g_posePlaying = g_poseLooping = false;
    std::vector<KeyAngles> changes;
    int took = 0;
    for (const auto& [list, angle] : State().copiedPose) {
        const std::vector<KeyAngles> turned = TurnedTo(angle, list);
        took += turned.empty() ? 0 : 1;
        changes.insert(changes.end(), turned.begin(), turned.end());
    }
    SetKeyAngles(changes);
    PostScreenMessage("pose pasted: " + std::to_string(took) + " of " + std::to_string(State().copiedPose.size()) +
                      " slots took it");
}
