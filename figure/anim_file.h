// vecanim.dat: the animation frames.
#pragma once

int LoadVectorAnim();
// How many key-list links the last load followed: the keys already in memory when it began,
// counted once, and nothing per line, so a file's cost grows with its length alone.
long AnimReaderLinksFollowed();
