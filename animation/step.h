// Stepping the figure's key lists.
#pragma once

struct AnimKey;
struct VectorMan;

// Degrees a key turns in the direction of rotSpeed's sign.
float AngleToTurn(float startAngle, float destAngle, float rotSpeed);

// The wrap a step applies once per pass: above 359 down a turn, then below 0 up a turn.
float WrappedAngle(float angle);
// What a key does to the figure when it ends, beside its own angle: the image it swaps
// and the slots it shows and hides.
void ApplyKeyEndActions(VectorMan& man, const AnimKey& k);
