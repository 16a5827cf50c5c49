#include "editor/status_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "base/screen_message.h"
#include "editor/editor.h"
#include "editor/pose.h"
#include "figure/records.h"
#include "game/figure_access.h"
#include "graphics/device.h"
#include "graphics/text.h"

bool g_helpShown = false;

namespace {

const DWORD STATUS_COLOUR = 0xFFFFFFFF;
const DWORD MESSAGE_COLOUR = 0xFFFFD860;  // warm, so a message is told from the status at a glance
const DWORD HELP_COLOUR = 0xFFFFFFFF;
// The panel covers the scene's middle, where the figure stands: darker than the strip.
const DWORD HELP_BACKING_COLOUR = 0xD8000000;
// Dark and translucent: the text stays legible over any scene, which still shows through.
const DWORD BACKING_COLOUR = 0xB0000000;
const float PADDING = 4.0f;  // pixels between a backing's edge and its text
const float HELP_MARGIN = 16.0f;

// The keys table of the README, short enough for a 640-pixel screen.
const char* const HELP_LINES[] = {
    "Play",
    "  Left, Right       walk",
    "  Space             jump",
    "  b                 take or put away the spear",
    "  mouse, button     aim the spear; hold, release to thrust",
    "  p  k  w           punch, kick, walk",
    "  0                 back to the start",
    "  1  2  `           spin one way, the other, stop",
    "  a s d f z x c v   turn the arms and legs",
    "  + =  -  wheel     camera closer, farther",
    "  Escape, q         quit",
    "Editor",
    "  F1                play",
    "  F2                pick the part under the cursor;",
    "                    Up, Down float the figure",
    "  F3                edit a pivot: click a part,",
    "                    the arrows nudge its pivot",
    "  F4                pose a key: click a part, Up, Down",
    "                    turn it a degree; ] [ frame, . , key",
    "                    n next key faintly, Enter play it",
    "  F5                freeze, toggle the camera following",
    "  F12               toggle the camera following",
    "  Tab               hit boxes and level cells",
    "  Page Down         two lines into the log",
    "  Ctrl+S            save the edits",
    "  Ctrl+Z, Ctrl+Y    undo, redo",
    "  h                 show or hide this help",
};

const char* ModeName(int mode)
{
    switch (mode) {
    case EDIT_HOVER: return "move";
    case EDIT_PIVOT: return "pivot";
    case EDIT_POSE: return "pose";
    case EDIT_FROZEN: return "frozen";
    default: return nullptr;
    }
}

// A strip the width of the screen with one line of text per entry, at the bottom edge.
void DrawBottomStrip(ScreenTextPass& pass, const std::vector<std::pair<std::string, DWORD>>& lines)
{
    if (lines.empty()) return;
    const float lineHeight = static_cast<float>(TextLineHeight());
    const float height = lineHeight * static_cast<float>(lines.size()) + 2.0f * PADDING;
    float top = g_screenHeight - height;
    pass.FillStrip(0.0f, top, g_screenWidth, height, BACKING_COLOUR);
    top += PADDING;
    for (const auto& [text, colour] : lines) {
        pass.DrawString(PADDING, top, text.c_str(), colour);
        top += lineHeight;
    }
}

void DrawHelp(ScreenTextPass& pass)
{
    size_t widest = 0;
    for (const char* line : HELP_LINES) widest = std::max(widest, std::strlen(line));
    const float lineHeight = static_cast<float>(TextLineHeight());
    const float count = static_cast<float>(sizeof HELP_LINES / sizeof HELP_LINES[0]);
    pass.FillStrip(HELP_MARGIN, HELP_MARGIN, static_cast<float>(widest * TextAdvance()) + 2.0f * PADDING,
                   count * lineHeight + 2.0f * PADDING, HELP_BACKING_COLOUR);
    float top = HELP_MARGIN + PADDING;
    for (const char* line : HELP_LINES) {
        pass.DrawString(HELP_MARGIN + PADDING, top, line, HELP_COLOUR);
        top += lineHeight;
    }
}

}  // namespace

void ToggleHelp()
{
    g_helpShown = !g_helpShown;
}

std::string StatusLineText()
{
    const char* mode = ModeName(g_editMode);
    if (!mode) return std::string();
    char text[400];
    const ManPart* slot = SlotAt(g_selectedPart);
    const VectorPart* image = slot ? PartAt(slot->vecpartnum) : nullptr;
    if (g_editMode == EDIT_POSE) {
        std::snprintf(text, sizeof text, "%s | %s", mode, PoseStatusText().c_str());
    } else if (image) {
        std::snprintf(text, sizeof text, "%s | %s | x %.1f  y %.1f", mode,
                      image->textureFile ? image->textureFile : "(no image file)", image->xoffset,
                      image->yoffset);
    } else {
        std::snprintf(text, sizeof text, "%s | no part selected", mode);
    }
    std::string line = text;
    if (g_editsUnsaved) line += " | * unsaved";
    return line;
}

void DrawEditorText(IDirect3DDevice8* device)
{
    std::vector<std::pair<std::string, DWORD>> lines;
    const std::string message = CurrentScreenMessage();
    if (!message.empty()) lines.emplace_back(message, MESSAGE_COLOUR);
    const std::string status = StatusLineText();
    if (!status.empty()) lines.emplace_back(status, STATUS_COLOUR);
    // Play with nothing to say leaves the device alone, so its picture stays exactly as it was.
    if (lines.empty() && !g_helpShown) return;

    ScreenTextPass pass(device);
    if (!pass.Active()) return;
    DrawBottomStrip(pass, lines);
    if (g_helpShown) DrawHelp(pass);
}
