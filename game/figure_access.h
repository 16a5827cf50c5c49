// Guarded access to the player figure's slots: the data files may define fewer than the
// game gives roles to, and a missing slot must make its action do nothing.
#pragma once
#include "figure/records.h"

// Slot index of the player figure, or null when the figure has no such slot.
ManPart* SlotAt(int index);
// Turns the hit boxes to the other facing.
void MirrorHitBoxes(VectorMan& man);
// Width and height of image index; 0 for an image that is not loaded.
void ImageSize(int index, unsigned int* width, unsigned int* height);
