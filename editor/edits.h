// The editor's one history: every nudge of an image's pivot, every turn of a key's
// destination angle, every key inserted or deleted and every change to the level is an
// edit command, and what one key press made is one step that Ctrl+Z takes back and Ctrl+Y
// puts again, kept across saves. Ctrl+S writes what memory holds and the files do not
// (vecparts.dat, vecanim.dat, veclevel.dat): each file's record knows what the file holds,
// so "unsaved" is memory differing from it, and undoing back to it clears it. Keys are
// named by id, so a step still finds its key after keys before it came or went.
// g_editsUnsaved follows.
#pragma once
#include <vector>

#include "figure/key_edit.h"
#include "figure/records.h"

// Steps kept; the oldest go first when more are made.
const int MAX_EDIT_STEPS = 4096;

// Moves part's xoffset (or yoffset when vertical) by direction tenths, as one step.
void NudgeOffset(int part, bool vertical, float direction);

// New destination angle and speed for the key with id `key`.
struct KeyAngles {
    int key;
    float destAngle;
    float rotSpeed;
};
// Sets them all as one step (a turn may change a key and the one after it together);
// keys that do not exist are left out.
void SetKeyAngles(const std::vector<KeyAngles>& keys);

// Sets, as one step, what the pose editor changes of a key beside its angles, to what
// `keys` hold (each named by its id; others left out): its start (use_startangle,
// key_startangle), its loop, the image it gives when it ends and its visibility lists.
void SetKeyEnds(const std::vector<AnimKey>& keys);
// Every step made between these two is one step of the history (an edit made of several,
// such as a key split in two). They nest; steps made while no edit group is open stand alone.
void BeginEditGroup();
void EndEditGroup();

// A new key with values (their id and links are not read) just after, or just before, the
// key with id `key` in its list, as one step. Returns the new key's id; 0 when refused (an
// unknown key, a list at the reader's limits).
int InsertKeyAfter(int key, const AnimKey& values);
int InsertKeyBefore(int key, const AnimKey& values);
// Deletes the key with this id as one step; undo puts it back with its id and values.
// False for an unknown key or the only key of its list.
bool DeleteKey(int key);

struct FigureSetup;
// Figure mode's edits (editor/figure_mode.h), each one step of the history.
// The figure's setup becomes after: g_figureSetup, and the figure in play shows it.
void SetFigureSetup(const FigureSetup& after);
// The frames become after (CopyFrames changed): lists taken away or moved to other slots,
// frames added or taken away, their keys keeping their ids.
void SetFrames(const FramesCopy& after);
// The joints of image `image` become after.
void SetImageJoints(int image, const std::vector<PartPoint>& after);
// The pivot offsets of image `image` were just moved (a drag) from fromX, fromY to what
// they are now.
void RecordOffsetMove(int image, float fromX, float fromY);
// A new image from fileName after the others; its index, or -1 (and nothing recorded) when
// it does not load.
int AddImage(const char* fileName);
// The last image goes (one just added that nothing shows any more).
void RemoveLastImage();

struct Level;
// The level was just changed from before (a copy the history now owns) to what g_level
// holds, as one step; undo puts before back in place, pieces and cells alike.
void RecordLevelStep(Level* before);

// Take back or put again one step; false (and a screen message) when there is none.
bool UndoEdit();
bool RedoEdit();
// Writes the unsaved values into their files; logs and shows the outcome either way.
// On a refusal the edits of that file stay in memory, unsaved.
bool SaveEdits();
// Forgets the history (new records were loaded, or a new game in the same process).
void ForgetEdits();
