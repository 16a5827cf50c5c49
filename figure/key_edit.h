// Inserting and deleting keys of a loaded frame's list in memory. A list stays one array,
// linked as NewKeyList links it: an edit builds a new array, every key keeps its id, and
// the figure's running keys that pointed into the old array point at the same keys in the
// new one (null for the deleted key). Edits stay inside what the animation reader would
// read back: a list keeps at least one key and at most MAX_DATA_COUNT, the frames hold at
// most MAX_DATA_TOTAL keys in all.
#pragma once
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
