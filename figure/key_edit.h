// Inserting and deleting keys of a loaded frame's list in memory. A list stays one array,
// linked as NewKeyList links it: an edit builds a new array, every key keeps its id, and
// the figure's running keys that pointed into the old array point at the same keys in the
// new one (null for the deleted key). Edits stay inside what the animation reader would
// read back: a list keeps at least one key and at most MAX_DATA_COUNT, the frames hold at
// most MAX_DATA_TOTAL keys in all.
#pragma once
#include <string>
#include <vector>

#include "figure/records.h"

// Puts a copy of values (links not read) at index (0 to the key count) of list `list` of
// frame `frame`, which must exist. The key keeps values.id when that is positive and no
// loaded key has it (a deleted key put back), else gets a fresh id. Returns the new key,
// or null when refused.
AnimKey* InsertKeyAt(int frame, int list, int index, const AnimKey& values);
// Deletes the key with this id; false for an unknown id or the only key of its list.
bool RemoveKey(int id);

// The ids of a list's keys in order; empty when the list does not exist.
std::vector<int> KeyIds(int frame, int list);
// A new array of copies of a list's keys with their ids, linked as NewKeyList links; null
// for null.
AnimKey* CopyKeyList(const AnimKey* list);

// The frames' names as memory holds them, where an edit gave them one (a new frame, a
// renamed one); every other frame has the name its file gives it.
extern std::vector<std::string> g_frameNames;
std::string MemoryFrameName(int frame);

// The frames as values, keys with their ids: what an edit that changes the frames' shape
// (a list taken away or moved to another slot, a frame added or taken away) keeps to put
// them back. Links are not kept; they are made anew.
struct FrameCopy {
    std::string name;
    int numparts = 0;
    std::vector<AnimKey> lists[MAX_FRAME_KEYS];
};
typedef std::vector<FrameCopy> FramesCopy;
FramesCopy CopyFrames();
// The loaded frames become copies of frames; the figure's running keys follow their ids
// (null for a key that is gone).
void PutFrames(const FramesCopy& frames);
