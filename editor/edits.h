// The pivot editor's history: every nudge of an image's offset is one step that Ctrl+Z
// takes back and Ctrl+Y puts again, kept across saves; Ctrl+S writes what memory holds
// and vecparts.dat does not. g_editsUnsaved follows: true exactly while some offset in
// memory differs from the one last read or saved, so undoing back to it clears it.
#pragma once

// Steps kept; the oldest go first when more are made.
const int MAX_EDIT_STEPS = 4096;

// Moves part's xoffset (or yoffset when vertical) by direction tenths, as one step.
void NudgeOffset(int part, bool vertical, float direction);
// Take back or put again one step; false (and a screen message) when there is none.
bool UndoEdit();
bool RedoEdit();
// Writes the unsaved offsets into vecparts.dat; logs and shows the outcome either way.
// On a refusal the edits stay in memory, unsaved.
bool SaveEdits();
// Forgets the history (new records were loaded, or a new game in the same process).
void ForgetEdits();
