// Level mode's `y`: the last run of play (game/play_record.h: up to its last ten seconds,
// its keys and mouse per pass, from the figure as it stood at its start) drawn as a line
// with a faint figure every half second; after each edit the same input is played again
// from the same start on the edited level, with the game's own step on copies, and that
// path is drawn beside the first. Moving the crate a jump landed on shows at once where
// the jump now ends.
#pragma once
#include <d3d8.h>

#include <string>

const float REPLAY_FIGURE_SECONDS = 0.5f;

// `y`: takes the last run and shows it, or hides it.
void ToggleLevelReplay();
// Plays the run again when the level differs from the one it was last played on; the
// tool's step calls it.
void UpdateLevelReplay();
void DrawLevelReplay(IDirect3DDevice8* device);
// " | run 4.2 s" while shown, " | run 4.2 s, replayed" once the level was edited.
std::string LevelReplayStatus();
