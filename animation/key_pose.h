// The figure as one key of one frame leaves it, without running the keys: what the pose
// editor shows, and the arithmetic that keeps an edited key turning the short way. The
// stepping (animation/step.h) stays the one judge of how far a key turns.
#pragma once
#include <vector>

#include "figure/records.h"

// Keys in the longest list of frame; 0 for a frame that does not exist.
int FrameKeyCount(int frame);
// The slots a frame can drive on man (AddFrames drives no more).
int DrivenSlotCount(const VectorMan& man);

// Puts man in the pose of frame at the end of key, starting from rest (the slots as they
// stand with no frame run): every driven slot at its list's key destination (a shorter
// list at its last key), with the images and visibility the keys up to it give; a slot
// the frame does not drive stays as rest has it. rest must hold man.numparts slots.
void PoseAtKey(VectorMan& man, const std::vector<ManPart>& rest, int frame, int key);

// The angle a slot stands at when key `key` of the list starts, on a run from rest.
float KeyStartAngle(int frame, int list, int key);

// Seconds key `key` of the list takes on a run from rest: its turn at its speed; infinite
// for a key whose speed is 0 (it never ends), 0 for a key that does not exist.
float KeySeconds(int frame, int list, int key);
// Seconds from the frame's start to the key's start on such a run.
float KeyStartSeconds(int frame, int list, int key);

// After a key's turn changed from (oldFrom to oldTo) to (newFrom to newTo): the speed
// with its sign on the short side when that side changed, its magnitude kept.
float SpeedForShortSide(float oldFrom, float oldTo, float newFrom, float newTo, float speed);
// dest, or dest a whole turn away, so that the key from `from` at `speed` turns less than
// a full turn (the stepping counts a downward turn to a smaller angle as one round more).
float DestForTurn(float from, float dest, float speed);
// The destination and speed of `next` once it starts at newFrom where it started at oldFrom
// (the key before it changed): the short way kept, as SpeedForShortSide and DestForTurn
// keep it. False where they stay as they are.
bool KeptShortFrom(const AnimKey& next, float oldFrom, float newFrom, float& dest, float& speed);
