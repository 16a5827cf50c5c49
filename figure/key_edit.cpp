#include "figure/key_edit.h"

#include "figure/anim_save.h"
#include "figure/data_reader.h"

std::vector<std::string> g_frameNames;

namespace {

// The new array: copies of the old keys with one left out (skip) or one added at index
// (added), relinked. The old array is given back to the caller to free.
AnimKey* Rebuilt(const AnimKey* old, int count, int skip, int index, const AnimKey* added)
{
    const int n = count - (skip >= 0 ? 1 : 0) + (added ? 1 : 0);
    AnimKey* keys = new AnimKey[n]();
    int to = 0;
    for (int from = 0; from <= count; ++from) {
        if (added && from == index) keys[to++] = *added;
        if (from < count && from != skip) keys[to++] = old[from];
    }
    for (int i = 0; i < n; ++i) {
        keys[i].prev = i > 0 ? &keys[i - 1] : nullptr;
        keys[i].next = i + 1 < n ? &keys[i + 1] : nullptr;
        keys[i].first = &keys[0];
    }
    return keys;
}

// The figure's running keys follow their keys, by id, from the old array into the new.
void Repoint(const AnimKey* old, int count, AnimKey* keys, int n)
{
    VectorMan* man = g_vectorMan;
    if (!man) return;
    for (AnimKey*& running : man->currentKeys) {
        for (int i = 0; running && i < count; ++i) {
            if (running != &old[i]) continue;
            running = nullptr;
            for (int j = 0; j < n; ++j)
                if (keys[j].id == old[i].id) running = &keys[j];
        }
    }
}

AnimKey** ListAt(int frame, int list)
{
    if (!g_frames || frame < 0 || frame >= g_numFrames || list < 0 || list >= MAX_FRAME_KEYS) return nullptr;
    return &g_frames[frame].keys[list];
}

long LoadedKeyCount()
{
    long n = 0;
    for (int f = 0; g_frames && f < g_numFrames; ++f)
        for (const AnimKey* list : g_frames[f].keys) n += KeyCount(list);
    return n;
}

// Puts the new array in place of the old one.
void Replace(AnimKey*& list, int count, AnimKey* keys, int n)
{
    Repoint(list, count, keys, n);
    delete[] list;
    list = keys;
}

}  // namespace

AnimKey* InsertKeyAt(int frame, int list, int index, const AnimKey& values)
{
    AnimKey** keys = ListAt(frame, list);
    if (!keys || !*keys) return nullptr;
    const int count = KeyCount(*keys);
    if (index < 0 || index > count || count >= MAX_DATA_COUNT || LoadedKeyCount() >= MAX_DATA_TOTAL) return nullptr;
    AnimKey added = values;
    if (added.id <= 0 || KeyById(added.id)) added.id = NewKeyId();
    Replace(*keys, count, Rebuilt(*keys, count, -1, index, &added), count + 1);
    return &(*keys)[index];
}

bool RemoveKey(int id)
{
    KeyPlace place;
    if (!KeyById(id, &place)) return false;
    AnimKey*& keys = g_frames[place.frame].keys[place.list];
    const int count = KeyCount(keys);
    if (count <= 1) return false;
    Replace(keys, count, Rebuilt(keys, count, place.index, -1, nullptr), count - 1);
    return true;
}

std::vector<int> KeyIds(int frame, int list)
{
    std::vector<int> ids;
    AnimKey** keys = ListAt(frame, list);
    for (const AnimKey* k = keys ? *keys : nullptr; k; k = k->next) ids.push_back(k->id);
    return ids;
}

AnimKey* CopyKeyList(const AnimKey* list)
{
    const int count = KeyCount(list);
    return count > 0 ? Rebuilt(list, count, -1, -1, nullptr) : nullptr;
}

std::string MemoryFrameName(int frame)
{
    if (frame >= 0 && static_cast<size_t>(frame) < g_frameNames.size()) return g_frameNames[static_cast<size_t>(frame)];
    return FrameName(frame);
}

FramesCopy CopyFrames()
{
    FramesCopy copy(static_cast<size_t>(g_frames ? g_numFrames : 0));
    for (size_t f = 0; f < copy.size(); ++f) {
        copy[f].name = MemoryFrameName(static_cast<int>(f));
        copy[f].numparts = g_frames[f].numparts;
        for (int l = 0; l < MAX_FRAME_KEYS; ++l)
            for (const AnimKey* k = g_frames[f].keys[l]; k; k = k->next) copy[f].lists[l].push_back(*k);
    }
    return copy;
}

void PutFrames(const FramesCopy& frames)
{
    std::vector<int> running;
    if (g_vectorMan)
        for (const AnimKey* key : g_vectorMan->currentKeys) running.push_back(key ? key->id : 0);
    AnimFrame* made = new AnimFrame[frames.size()]();
    g_frameNames.clear();
    for (size_t f = 0; f < frames.size(); ++f) {
        g_frameNames.push_back(frames[f].name);
        made[f].numparts = frames[f].numparts;
        for (int l = 0; l < MAX_FRAME_KEYS; ++l) {
            const std::vector<AnimKey>& keys = frames[f].lists[l];
            if (keys.empty()) continue;
            made[f].keys[l] = Rebuilt(keys.data(), static_cast<int>(keys.size()), -1, -1, nullptr);
        }
    }
    FreeFrames(g_frames, g_numFrames);
    g_frames = made;
    g_numFrames = static_cast<int>(frames.size());
    for (size_t s = 0; s < running.size(); ++s) g_vectorMan->currentKeys[s] = KeyById(running[s]);
}
