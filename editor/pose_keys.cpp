// Pose mode's key authoring: splitting, deleting and retiming the chosen key and changing
// what it does when it ends. Every command builds the new values from the keys as memory
// holds them and hands them to the history (editor/edits.h), which also saves them.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "animation/key_pose.h"
#include "animation/step.h"
#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor.h"
#include "editor/edits.h"
#include "editor/pose.h"
#include "figure/records.h"

namespace {

const float LONGER = 1.1f;   // a tenth more time: the speed divided by this
const float SHORTER = 0.9f;  // a tenth less time
const float SLOWEST = 1.0f;  // whole degrees a second: the file cannot hold less but 0, which never ends
const float FULL_TURN = 360.0f;

void Say(const std::string& text)
{
    WriteLog(text.c_str());
    PostScreenMessage(text);
}

// What a key does when it ends, beside its angle: nothing.
void ClearEndActions(AnimKey& k)
{
    k.loopKeys = 0;
    k.useChangePart = 0;
    k.hasVisibleList = k.hasInvisibleList = 0;
    std::fill(std::begin(k.visibleParts), std::end(k.visibleParts), -1);
    std::fill(std::begin(k.invisibleParts), std::end(k.invisibleParts), -1);
}

// The first free entry of a visibility list; -1 when all are taken.
int FreeEntry(const int (&entries)[MAX_PART_LIST])
{
    for (int e = 0; e < MAX_PART_LIST; ++e)
        if (entries[e] == -1) return e;
    return -1;
}

// Takes slot out of a list; true when it was in it. A list left empty is no list.
bool TakeOut(unsigned char& has, int (&entries)[MAX_PART_LIST], int slot)
{
    if (!has) return false;
    bool found = false;
    for (int& entry : entries) {
        if (entry != slot) continue;
        entry = -1;
        found = true;
    }
    if (std::all_of(std::begin(entries), std::end(entries), [](int e) { return e == -1; })) has = 0;
    return found;
}

}  // namespace

void InsertPoseKey()
{
    const AnimKey* k = SelectedPoseKey();
    if (!k) return;
    g_posePlaying = g_poseLooping = false;
    const AnimKey whole = *k;
    const float from = KeyStartAngle(g_poseFrame, g_selectedPart, g_poseKey);
    const float turn = AngleToTurn(from, whole.destAngle, whole.rotSpeed);
    // Whole degrees, as the file holds them: an odd turn gives the first half the larger part.
    const float half = std::round(turn / 2.0f) * (whole.rotSpeed < 0.0f ? -1.0f : 1.0f);
    // Within a turn of 0, as an animator writes angles, where the stepping allows it.
    const float middle = DestForTurn(from, std::fmod(from + half, FULL_TURN), whole.rotSpeed);

    AnimKey second = whole;
    second.useStartAngle = 0;
    second.startAngle = 0.0f;
    // Only a list's first key moves the slot: the second half never is one.
    second.moveX = second.moveY = 0;
    second.destAngle = DestForTurn(WrappedAngle(middle), whole.destAngle, whole.rotSpeed);
    AnimKey first = whole;
    ClearEndActions(first);

    BeginEditGroup();
    const bool added = InsertKeyAfter(whole.id, second) != 0;
    if (added) {
        SetKeyAngles({{whole.id, middle, whole.rotSpeed}});
        SetKeyEnds({first});
    }
    EndEditGroup();
    if (!added) Say("Key list full: no key inserted");
}

void DeletePoseKey()
{
    const AnimKey* k = SelectedPoseKey();
    if (!k) return;
    g_posePlaying = g_poseLooping = false;
    if (!k->prev && !k->next) {
        Say("The only key of a list cannot be deleted");
        return;
    }
    // Only a list's first key moves its slot (the walk's bob), and a save writes no movement
    // lines into a key the file already has: the key stays rather than the movement being lost.
    if (!k->prev && (k->moveX || k->moveY)) {
        Say("The first key moves the part: it cannot be deleted");
        return;
    }
    const AnimKey gone = *k;
    const bool hasPrevious = k->prev != nullptr;
    const AnimKey previous = hasPrevious ? *k->prev : AnimKey();
    const bool hasNext = k->next != nullptr;
    const AnimKey next = hasNext ? *k->next : AnimKey();
    const float oldFrom = gone.destAngle;
    const float newFrom = KeyStartAngle(g_poseFrame, g_selectedPart, g_poseKey);

    BeginEditGroup();
    DeleteKey(gone.id);
    if (hasNext) {
        AnimKey ends = next;
        // A first key's start angle stays the list's start.
        if (!hasPrevious && gone.useStartAngle && !next.useStartAngle) {
            ends.useStartAngle = 1;
            ends.startAngle = gone.startAngle;
        }
        if (!next.useStartAngle) {
            float dest = 0.0f, speed = 0.0f;
            if (KeptShortFrom(next, oldFrom, newFrom, dest, speed)) SetKeyAngles({{next.id, dest, speed}});
        }
        SetKeyEnds({ends});
    }
    // A looping list keeps looping.
    if (gone.loopKeys && hasPrevious) {
        AnimKey ends = previous;
        ends.loopKeys = 1;
        SetKeyEnds({ends});
    }
    EndEditGroup();
    if (!KeyAt(g_poseFrame, g_selectedPart, g_poseKey) && g_poseKey > 0) --g_poseKey;
}

void RetimePoseKey(int longer)
{
    const AnimKey* k = SelectedPoseKey();
    if (!k) return;
    g_posePlaying = g_poseLooping = false;
    const float size = std::fabs(k->rotSpeed);
    float changed = std::round(size / (longer > 0 ? LONGER : SHORTER));
    // A tenth of a small speed rounds back to itself: a whole degree a second is the least step.
    if (changed == size) changed += longer > 0 ? -1.0f : 1.0f;
    if (changed < SLOWEST) {
        Say("The key is as slow as the file can hold");
        return;
    }
    SetKeyAngles({{k->id, k->destAngle, k->rotSpeed < 0.0f ? -changed : changed}});
}

void CyclePoseKeyImage()
{
    const AnimKey* k = SelectedPoseKey();
    if (!k) return;
    // A key gives one image to one slot: one that gives another slot's is not taken over.
    if (k->useChangePart && k->changePartSlot != g_selectedPart) {
        Say("The key changes the image of slot " + std::to_string(k->changePartSlot));
        return;
    }
    AnimKey ends = *k;
    const int shown = k->useChangePart ? k->changePartVecPart : -1;
    const int image = shown + 1 < g_numParts ? shown + 1 : -1;
    ends.useChangePart = image >= 0;
    if (image >= 0) {
        ends.changePartSlot = g_selectedPart;
        ends.changePartVecPart = image;
    }
    SetKeyEnds({ends});
}

void TogglePoseKeyVisibility()
{
    const AnimKey* k = SelectedPoseKey();
    if (!k || !g_vectorMan) return;
    g_posePlaying = g_poseLooping = false;
    AnimKey ends = *k;
    const int slot = g_selectedPart;
    const bool wasShown = TakeOut(ends.hasVisibleList, ends.visibleParts, slot);
    const bool wasHidden = TakeOut(ends.hasInvisibleList, ends.invisibleParts, slot);
    const bool listed = wasShown || wasHidden;
    if (!listed) {
        // The key flips what the pose at its end shows of the slot.
        PoseFigureAtKey(g_poseKey);
        const bool shown = g_vectorMan->parts[slot].visible != 0;
        unsigned char& has = shown ? ends.hasInvisibleList : ends.hasVisibleList;
        int(&entries)[MAX_PART_LIST] = shown ? ends.invisibleParts : ends.visibleParts;
        const int free = has ? FreeEntry(entries) : 0;
        if (free < 0) {
            Say(std::string(shown ? "part_invisible" : "part_visible") + " holds " + std::to_string(MAX_PART_LIST) +
                " slots already");
            return;
        }
        if (!has) std::fill(std::begin(entries), std::end(entries), -1);
        has = 1;
        entries[free] = slot;
    }
    SetKeyEnds({ends});
}

void CyclePoseKeyEase()
{
    const AnimKey* k = SelectedPoseKey();
    if (!k) return;
    AnimKey ends = *k;
    ends.ease = static_cast<unsigned char>((k->ease + 1) % EASE_COUNT);
    SetKeyEnds({ends});
}
