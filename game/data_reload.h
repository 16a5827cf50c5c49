// Live reload of the game's data: while the game runs it looks, at most twice a second of
// the tick count, whether vecparts.dat, vecman.dat, vecanim.dat, veclevel.dat or an image
// they name changed (size and modification time). A changed set is read into fresh records and
// checked with the data rules; only a set without a problem replaces the records in use
// (the figure keeps its place, speed and facing, running key lists restart from their first
// key, the old records with their textures and buffers are freed; the level in play, with
// the pieces pushed about, stays unless its own file changed). Otherwise the last good
// data stays, every problem is logged as "file:line: message" and the first is shown.
#pragma once

// How often the files are looked at, in milliseconds of the tick count.
const unsigned DATA_WATCH_MS = 500;

// Called once per pass, after the frame is drawn. Answers whether it read the files (the
// caller then leaves the reading time out of the next step).
bool ReloadChangedDataFiles();
// Reads the data files now, as a noticed change would (tests, fuzzing); true when the new
// records replaced the old ones.
bool ReloadDataFiles();
// Starts the watch afresh: the next call only takes note of the files as they are.
void ForgetDataWatch();
