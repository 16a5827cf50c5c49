// Pose mode's frames: a new movement copied from the chosen one, a frame taken away, and a
// frame's name typed in. Frames change shape through the history's frames step (SetFrames),
// which the animation save writes as blocks of the file; keys keep their ids throughout.
#include <string>

#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "editor/edits.h"
#include "editor/pose.h"
#include "figure/data_reader.h"
#include "figure/key_edit.h"
#include "figure/records.h"
#include "figure/roles.h"

namespace {

// What the game starts each of its frames for, by number.
const char* const FRAME_ROLES[MIN_FRAMES] = {"the punch", "the kick", "the walk", "the jump", "the take",
                                             "the put-away"};
// A name the status line can still show beside the rest.
const size_t MAX_NAME_LENGTH = 48;
// The characters that end or mend a name, as the window gives them.
const char CHAR_ENTER = '\r';
const char CHAR_ESCAPE = 27;
const char CHAR_BACKSPACE = '\b';
const char FIRST_PRINTABLE = ' ';
const char LAST_PRINTABLE = '~';

void Say(const std::string& text)
{
    WriteLog(text.c_str());
    PostScreenMessage(text);
}

bool InPoseMode()
{
    return g_editMode == EDIT_POSE && g_vectorMan && g_frames && g_poseFrame >= 0 && g_poseFrame < g_numFrames;
}

long KeysIn(const FramesCopy& frames)
{
    long n = 0;
    for (const FrameCopy& frame : frames)
        for (const std::vector<AnimKey>& list : frame.lists) n += static_cast<long>(list.size());
    return n;
}

}  // namespace

void CopyPoseFrame()
{
    if (!InPoseMode()) return;
    FramesCopy frames = CopyFrames();
    FrameCopy copy = frames[static_cast<size_t>(g_poseFrame)];
    if (static_cast<long>(frames.size()) >= MAX_DATA_COUNT ||
        KeysIn(frames) + KeysIn({copy}) > MAX_DATA_TOTAL) {
        Say("The animation file holds as many frames and keys as it can: no frame added");
        return;
    }
    for (std::vector<AnimKey>& list : copy.lists)
        for (AnimKey& key : list) key.id = NewKeyId();
    copy.name = "copy of " + (copy.name.empty() ? "frame " + std::to_string(g_poseFrame) : copy.name);
    frames.push_back(copy);
    g_posePlaying = g_poseLooping = false;
    SetFrames(frames);
    g_poseFrame = g_numFrames - 1;
    Say("frame " + std::to_string(g_poseFrame) + " added: " + copy.name);
}

void DeletePoseFrame()
{
    if (!InPoseMode()) return;
    const int frame = g_poseFrame;
    if (frame < MIN_FRAMES) {
        Say("frame " + std::to_string(frame) + " is " + FRAME_ROLES[frame] + ", which the game starts by number: not deleted");
        return;
    }
    FramesCopy frames = CopyFrames();
    const std::string name = frames[static_cast<size_t>(frame)].name;
    frames.erase(frames.begin() + frame);
    g_posePlaying = g_poseLooping = false;
    SetFrames(frames);
    if (g_poseFrame >= g_numFrames) g_poseFrame = g_numFrames - 1;
    g_poseKey = 0;
    Say("frame " + std::to_string(frame) + (name.empty() ? "" : " " + name) + " deleted");
}

void DeletePoseKeyOrFrame()
{
    if (g_editor.controlHeld) DeletePoseFrame();
    else DeletePoseKey();
}

void BeginPoseRename()
{
    if (!InPoseMode()) return;
    g_editor.pose.renaming = true;
    g_editor.pose.newName.clear();
}

bool PoseRenaming()
{
    return g_editor.pose.renaming && g_editMode == EDIT_POSE;
}

void PoseNameChar(char c)
{
    PoseToolState& state = g_editor.pose;
    if (c == CHAR_ESCAPE) {
        state.renaming = false;
    } else if (c == CHAR_ENTER) {
        state.renaming = false;
        if (!InPoseMode()) return;
        FramesCopy frames = CopyFrames();
        std::string& name = frames[static_cast<size_t>(g_poseFrame)].name;
        if (name == state.newName) return;
        name = state.newName;
        SetFrames(frames);
    } else if (c == CHAR_BACKSPACE) {
        if (!state.newName.empty()) state.newName.pop_back();
    } else if (c >= FIRST_PRINTABLE && c <= LAST_PRINTABLE && state.newName.size() < MAX_NAME_LENGTH) {
        state.newName += c;
    }
}
