// The names of the game's data files in its working directory, each written here once.
// Apart from the loader (figure/data_files.h) so that the art tool, which builds without
// the game, writes the files under the names the game reads.
#pragma once

inline constexpr char PARTS_DATA_FILE[] = "vecparts.dat";
inline constexpr char FIGURE_DATA_FILE[] = "vecman.dat";
inline constexpr char ANIM_DATA_FILE[] = "vecanim.dat";
inline constexpr char LEVEL_DATA_FILE[] = "veclevel.dat";

// The figure's files in the order they must be read: each names records of the one before
// it by number.
inline constexpr const char* FIGURE_DATA_FILES[] = {PARTS_DATA_FILE, FIGURE_DATA_FILE, ANIM_DATA_FILE};
// Every data file the game reads, in reading order: the figure's, then the level.
inline constexpr const char* DATA_FILES[] = {PARTS_DATA_FILE, FIGURE_DATA_FILE, ANIM_DATA_FILE, LEVEL_DATA_FILE};
