// The runner's state dump: every value named as the game names it.
#pragma once
#include <cstdint>
#include "tools/json_writer.h"

// The whole dump: pass, tick, globals, figure, parts, frames, level, process, levelTool.
std::string DumpState(int pass, uint32_t tick);

// Sections, each written as one value (an object, an array or null).
void DumpGlobals(JsonWriter& json);
void DumpFigure(JsonWriter& json);
void DumpParts(JsonWriter& json);
void DumpFrames(JsonWriter& json);
void DumpLevel(JsonWriter& json);
// Level mode's own: the selection, the copies, the grid, the reach and the replayed paths.
void DumpLevelTool(JsonWriter& json);
// Resident sizes of this process in KiB (-1 where the system does not tell).
void DumpProcess(JsonWriter& json);
