// Figure mode (F7): the figure holds still in its rest pose, no key applied, and the
// animator builds it on itself. A left click picks the slot under the cursor (outlined,
// its pivot crossed) and dragging moves its image about its pivot; a right drag moves one
// of the picked slot's joints, and every slot hanging there follows; the hit boxes show,
// and dragging a box's middle moves it, its corner sizes it. Keys add and remove joints,
// hang the slot elsewhere, change its image and layer, add and delete slots. Every change
// is one step of the editor's one history (editor/edits.h) and goes into vecman.dat and
// vecparts.dat with Ctrl+S. A slot's joints, where its children hang, are those of the
// image numbered like the slot, as the figure drawing takes them.
// Every function here does nothing outside figure mode.
#pragma once
#include <string>
#include <vector>

// The mouse buttons, as the key table hands them over: the left picks and drags an image
// or a hit box, the right drags a joint.
const int FIGURE_PICK_BUTTON = 0;
const int FIGURE_JOINT_BUTTON = 1;
void PressFigureButton(int button);
void ReleaseFigureButton(int button);

// `a`: a joint for the picked slot at the cursor. `x`: its joint nearest the cursor goes,
// unless a slot hangs there (a message says which).
void AddFigureJoint();
void RemoveFigureJoint();
// `j`: the picked slot hangs from the next joint of its parent; `k`: from the next slot
// (the figure's origin among them), never itself or one hanging below it, at that slot's
// first joint. It keeps its place on screen as far as the new joint allows.
void HangFromNextJoint();
void HangFromNextSlot();
// `]` `[`: the picked slot shows the next or previous image: the parts file's, then the
// images in the data folder that no part names yet, which become a new part when chosen.
void ChangeFigureImage(int step);
// `l`: the picked slot a layer further back, round to the front.
void CycleFigureLayer();
// Insert: a new slot hanging from the picked slot's joint nearest the cursor, showing the
// picked slot's image one layer in front; it becomes the pick.
void InsertFigureSlot();

// Delete: the picked slot and every slot hanging below it go, the slots after them take
// the numbers left free (in the figure and in the keys that name them), and no key names
// a slot that went (a key that gave one an image gives none, visibility lists drop it).
// Refused, with a message, for a slot with a fixed role in the game or one above such a
// slot, and (for now) where a slot with key lists would go or be numbered anew, or a slot
// hangs on a joint of one numbered anew (the joints are the image's of its number).
void DeleteFigureSlot();

// PNG and JPEG files in the working directory that no part and not the font names, by name.
std::vector<std::string> NewImageFiles();
