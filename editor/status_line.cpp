#include "editor/status_line.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "base/screen_message.h"
#include "editor/editor.h"
#include "editor/level_mode.h"
#include "editor/pose.h"
#include "editor/timeline.h"
#include "figure/records.h"
#include "game/figure_access.h"
#include "graphics/device.h"
#include "graphics/text.h"

bool g_helpShown = false;

namespace {

std::vector<std::string> s_helpLines;

const DWORD STATUS_COLOUR = 0xFFFFFFFF;
const DWORD MESSAGE_COLOUR = 0xFFFFD860;  // warm, so a message is told from the status at a glance
const DWORD HELP_COLOUR = 0xFFFFFFFF;
// The panel covers the scene's middle, where the figure stands: darker than the strip.
const DWORD HELP_BACKING_COLOUR = 0xD8000000;
// Dark and translucent: the text stays legible over any scene, which still shows through.
const DWORD BACKING_COLOUR = 0xB0000000;
const float PADDING = 4.0f;  // pixels between a backing's edge and its text
const float HELP_MARGIN = 16.0f;

const char* ModeName(int mode)
{
    switch (mode) {
    case EDIT_HOVER: return "move";
    case EDIT_PIVOT: return "pivot";
    case EDIT_POSE: return "pose";
    case EDIT_FROZEN: return "frozen";
    case EDIT_LEVEL: return "level";
    default: return nullptr;
    }
}

// A strip the width of the screen with one line of text per entry, at the bottom edge;
// returns its height.
float DrawBottomStrip(ScreenTextPass& pass, const std::vector<std::pair<std::string, DWORD>>& lines)
{
    if (lines.empty()) return 0.0f;
    const float lineHeight = static_cast<float>(TextLineHeight());
    const float height = lineHeight * static_cast<float>(lines.size()) + 2.0f * PADDING;
    float top = g_screenHeight - height;
    pass.FillStrip(0.0f, top, g_screenWidth, height, BACKING_COLOUR);
    top += PADDING;
    for (const auto& [text, colour] : lines) {
        pass.DrawString(PADDING, top, text.c_str(), colour);
        top += lineHeight;
    }
    return height;
}

void DrawHelp(ScreenTextPass& pass)
{
    if (s_helpLines.empty()) return;
    size_t widest = 0;
    for (const std::string& line : s_helpLines) widest = std::max(widest, line.size());
    const float lineHeight = static_cast<float>(TextLineHeight());
    const float count = static_cast<float>(s_helpLines.size());
    pass.FillStrip(HELP_MARGIN, HELP_MARGIN, static_cast<float>(widest * TextAdvance()) + 2.0f * PADDING,
                   count * lineHeight + 2.0f * PADDING, HELP_BACKING_COLOUR);
    float top = HELP_MARGIN + PADDING;
    for (const std::string& line : s_helpLines) {
        pass.DrawString(HELP_MARGIN + PADDING, top, line.c_str(), HELP_COLOUR);
        top += lineHeight;
    }
}

}  // namespace

void SetHelpLines(std::vector<std::string> lines)
{
    s_helpLines = std::move(lines);
}

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
    } else if (g_editMode == EDIT_LEVEL) {
        std::snprintf(text, sizeof text, "%s | %s", mode, LevelStatusText().c_str());
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
    const float strip = DrawBottomStrip(pass, lines);
    DrawPoseTimeline(pass, g_screenHeight - strip);
    if (g_helpShown) DrawHelp(pass);
}
