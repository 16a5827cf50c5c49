// Level mode's `r`: what the figure can reach from where it stood in play, worked out with
// the game's own step on copies of the figure and the level (game/play_record.h). From each
// standing place found it tries a standing jump, a jump while walking either way and a
// walk either way (off edges too); every landing and every stretch of walked ground is a
// new standing place. The jump key's held time changes no outcome (a press gives the one
// impulse, its release only lets the next press jump), so one press is tried; the walk
// key's held time in the air does, and a walking jump is tried letting go of it at steps
// along the flight. The search
// keeps to the cells around the start and to MAX_REACH_SPOTS places and MAX_REACH_PASSES
// steps, so one answer takes bounded work; its time goes to the log and the dump.
#pragma once
#include <d3d8.h>

#include <string>

const int MAX_REACH_SPOTS = 96;
const int MAX_REACH_PASSES = 150000;
const float REACH_CELL = 16.0f;  // the region is kept in squares this wide

// `r`: shows or hides the reach, worked out on showing.
void ToggleLevelReach();
// Worked out again when the level differs from the one it was worked out for (an edit, an
// undo); the tool's step calls it.
void UpdateLevelReach();
// Works it out now, whether shown or not.
void ComputeLevelReach();
// The region, the pieces landed on and those never landed on, drawn over the level.
void DrawLevelReach(IDirect3DDevice8* device);
// " | reach 19 landed on, 1 not" while shown: the pieces landed on and those not.
std::string LevelReachStatus();
