// Stepping the figure's key lists.
#pragma once

struct AnimKey;
struct VectorMan;

// Degrees a key turns in the direction of rotSpeed's sign.
float AngleToTurn(float startAngle, float destAngle, float rotSpeed);

// How far along its turn a key of easing `ease` (a KeyEase) stands when `share` (0 to 1)
// of its time has gone: in p^3 (starts slow), out 1 - (1 - p)^3 (ends slow), inout
// 3p^2 - 2p^3 (the cubic that leaves and arrives at rest and never turns faster than 1.5
// times the linear key, so a fast key does not whip), step 0 until the end; linear p.
float EasedShare(int ease, float share);

// The wrap a step applies once per pass: above 359 down a turn, then below 0 up a turn.
float WrappedAngle(float angle);
// What a key does to the figure when it ends, beside its own angle: the image it swaps
// and the slots it shows and hides.
void ApplyKeyEndActions(VectorMan& man, const AnimKey& k);
