// Pose mode (F4): the figure stands still in the pose one key of one animation frame
// leaves it, and the animator turns the selected slot's destination angle in that key,
// sees the keys before and after it faintly behind, and plays the frame to watch it.
// The turns go into the editor's one history (editor/edits.h) and are saved with Ctrl+S.
// Every function here but the mode changes does nothing outside pose mode.
#pragma once
#include <d3d8.h>
#include <d3dx8.h>

#include <string>
#include <vector>

#include "figure/records.h"

// What pose mode shows and plays, in the editor's record (editor/editor_state.h).
extern int& g_poseFrame;  // frame and key shown: 0 and 0 the first time, then where left
extern int& g_poseKey;
extern bool& g_poseShowsNextKey;  // the next key's pose drawn faintly too
extern bool& g_posePlaying;       // the frame runs on the figure
extern bool& g_poseLooping;       // and starts again each time it ends
extern float& g_posePlaybackRate; // the playback's clock against the game's: 1, 1/2 or 1/4

// Taken on entering pose mode and given back on leaving it; called by EnterEditMode.
void BeginPoseMode();
void EndPoseMode();
// New figure records were loaded: the rest pose is taken from them afresh.
void PoseRecordsReplaced();
// Back to frame 0, key 0 (a new game in the same process).
void ForgetPoseMode();

// `]` `[`: next and previous frame; `.` `,`: next and previous key. They stop at the ends.
void ChoosePoseFrame(int step);
void ChoosePoseKey(int step);
void ToggleNextKeyOnion();
// Up and Down: the selected slot's destination angle in the chosen key, by whole degrees.
// The speed's sign follows the short way round, for this key and for the one after it.
void TurnPoseKey(int degrees);
// A drag of the picked slot turns it about its pivot: the chosen key's destination angle
// follows the cursor in whole degrees, the short way round as Up and Down keep it, and the
// whole drag is one step; held Control (HoldControl) snaps it to POSE_SNAP_DEGREES.
const float POSE_SNAP_DEGREES = 15.0f;

// Enter: runs the chosen frame once from its first key, from rest, then shows the pose again.
void PlayPoseFrame();
// `l`: runs the chosen frame over and over until pressed again (or Enter, or a choice).
void TogglePoseLoop();
// `1` `2` `3`: the playback at full, half and quarter speed.
void SetPosePlaybackRate(float rate);
// The frame's seconds played since the playback last started, at its rate.
float PosePlayedSeconds();

// The selected slot's key list in the chosen frame and its chosen key; null where the
// selection is no driven slot or the list has no such key (shorter lists stop early).
AnimKey* SelectedPoseKey();
// Selects slot and key together (a click on the timeline).
void ChoosePoseSlotAndKey(int slot, int key);

// Key authoring on the selected slot's chosen key (editor/pose_keys.cpp), each one step
// of the history; a refusal is said on screen and changes nothing.
// Insert: the key split at its middle in time; the first half stays chosen, ending where
// the slot stood halfway, the second half (a new key after it) ends where the key ended
// and takes its end actions and loop.
void InsertPoseKey();
// Delete: the key goes; the next one runs on from where the previous ends. Refused for
// the only key of its list and for a first key that moves its slot.
void DeletePoseKey();
// `-` (+1) `=` (-1): the key lasts a tenth longer or shorter: its speed's size divided by
// 1.1 or 0.9, in whole degrees a second, never 0, its sign kept.
void RetimePoseKey(int longer);
// `i`: the image the key gives the selected slot when it ends: none, then each image in
// turn; refused for a key that gives another slot an image.
void CyclePoseKeyImage();
// `v`: the key shows or hides the selected slot when it ends, or no longer does.
void TogglePoseKeyVisibility();

// `t`: the chosen key's easing, in turn linear, in, out, inout, step.
void CyclePoseKeyEase();

// Frames (editor/pose_frames.cpp), each one step of the history, refusals said on screen.
// `N`: a new frame after the last, a copy of the chosen one whose keys are keys of its own,
// named "copy of NAME"; it becomes the chosen frame.
void CopyPoseFrame();
// Control+Delete: the chosen frame goes, unless the game starts it by number.
void DeletePoseFrame();
// Delete: DeletePoseFrame with Control held, DeletePoseKey without.
void DeletePoseKeyOrFrame();
// `r`: typing a new name for the chosen frame. While it lasts every typed character goes
// to PoseNameChar: Enter keeps the name, Escape drops it, Backspace takes one back.
void BeginPoseRename();
bool PoseRenaming();
void PoseNameChar(char c);
// `c`: copies the chosen key's pose, the destination angle of every slot the frame drives
// at that key; `m` mirrors what was copied (the arms swap angles, and the legs); `p` gives
// the chosen key of every list that has one the copied angles, the short way round as Up
// and Down keep it, and says how many slots took the pose.
void CopyPoseKeyPose();
void MirrorCopiedPose();
void PastePoseKeyPose();

// Once per pass in pose mode, in place of the figure's physics and animation step.
void StepPoseMode(float seconds);

// A pose drawn faintly behind the figure: the key and the colour (alpha gives the faintness).
struct OnionSkin {
    int key;
    unsigned long colour;
};
// The faint poses due now: the previous key, and the next when asked; none while playing.
std::vector<OnionSkin> OnionSkins();
// Puts the figure in the pose of key of the chosen frame.
void PoseFigureAtKey(int key);
// Draws the faint poses due now under the figure, each on a copy of its slots: the
// figure itself is never moved to draw them.
void DrawOnionSkins(IDirect3DDevice8* device, const VectorMan& man, const D3DXMATRIX& figure);

// `e`: writes the chosen frame as a looping GIF and a PNG sheet with its JSON into export/
// of the data folder (editor/pose_export.cpp), names them on screen and offers them as
// downloads where the platform can; builds without the exporter say so instead.
void ExportPoseFrame();
// Where those files go, without the extension: export/N-name-of-the-frame.
std::string PoseExportBase(int frame);

// The status line's text after the mode name.
std::string PoseStatusText();
