// The editor's one history: every nudge of an image's pivot and every turn of a key's
// destination angle is one step that Ctrl+Z takes back and Ctrl+Y puts again, kept across
// saves; Ctrl+S writes what memory holds and the files do not (vecparts.dat, vecanim.dat,
// or both). g_editsUnsaved follows: true exactly while some value in memory differs from
// the one last read or saved, so undoing back to it clears it.
#pragma once
#include <vector>

// Steps kept; the oldest go first when more are made.
const int MAX_EDIT_STEPS = 4096;

// Moves part's xoffset (or yoffset when vertical) by direction tenths, as one step.
void NudgeOffset(int part, bool vertical, float direction);

// New destination angle and speed for key `key` of list `list` of frame `frame`.
struct KeyAngles {
    int frame;
    int list;
    int key;
    float destAngle;
    float rotSpeed;
};
// Sets them all as one step (a turn may change a key and the one after it together);
// keys that do not exist are left out.
void SetKeyAngles(const std::vector<KeyAngles>& keys);

// Take back or put again one step; false (and a screen message) when there is none.
bool UndoEdit();
bool RedoEdit();
// Writes the unsaved values into their files; logs and shows the outcome either way.
// On a refusal the edits of that file stay in memory, unsaved.
bool SaveEdits();
// Forgets the history (new records were loaded, or a new game in the same process).
void ForgetEdits();
