// The editor's text on screen: the status line along the bottom edge (in the edit modes:
// the mode, the selected slot's image file and offsets, and whether edits are unsaved;
// in every mode: the screen message while it lasts) and the help panel of keys that `h`
// shows and hides, with the lines the key table gives it; on a screen too short for the
// whole panel, h shows it a page at a time, each page but the last ending in "more"; on a
// screen too narrow for a line of the strip, that line goes on below. Drawn inside the
// scene after the figure; in play, with no message and the help hidden, nothing is drawn and the device is
// not touched.
#pragma once
#include <d3d8.h>

#include <cstddef>
#include <string>
#include <vector>

extern bool& g_helpShown;  // starts hidden (editor/editor_state.h)
void ToggleHelp();
// What the help panel lists, one entry a line; the editor knows no keys of its own.
void SetHelpLines(std::vector<std::string> lines);
// lines cut into pages of at most linesPerPage lines, "more" closing each page but the
// last; a line indented as the text of the key above stays on that key's page.
std::vector<std::vector<std::string>> HelpPages(const std::vector<std::string>& lines, int linesPerPage);

// text in lines of at most width characters, for a strip on a narrow screen: broken at
// the last " | " that fits (the separator dropped), else at the last space, else cut.
std::vector<std::string> WrapStripLine(const std::string& text, size_t width);

// The status line of the current edit mode; empty in play.
std::string StatusLineText();

// Draws the message and status strip and the help panel that are due; without a font,
// nothing.
void DrawEditorText(IDirect3DDevice8* device);
