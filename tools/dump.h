// The runner's state dump: every value named as the game names it, written with
// nlohmann-json. Members keep the order they are written in, and floats are held as the
// game's own floats, written in the fewest digits that read back to the same float.
#pragma once
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

using DumpJson =
    nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t, std::uint64_t, float>;

// The whole dump: pass, tick, globals, figure, parts, frames, level, process, levelTool,
// on one line.
std::string DumpState(int pass, uint32_t tick);
// A value as a dump writes it: ASCII only, a byte outside it shown as its Latin-1 code
// point (the data files are single-byte text of unknown encoding).
std::string DumpText(const DumpJson& value);
// A data file's text as a dump holds it (null for null): each byte its Latin-1 code point.
DumpJson DumpString(const char* text);

// Sections, each one value (an object, an array or null).
DumpJson DumpGlobals();
DumpJson DumpFigure();
DumpJson DumpParts();
DumpJson DumpFrames();
DumpJson DumpLevel();
// Level mode's own: the selection, the copies, the grid, the reach and the replayed paths.
DumpJson DumpLevelTool();
// Resident sizes of this process in KiB (-1 where the system does not tell).
DumpJson DumpProcess();
