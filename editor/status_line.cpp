#include "editor/status_line.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <utility>
#include <vector>

#include "base/screen_message.h"
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "editor/level_mode.h"
#include "editor/pose.h"
#include "editor/timeline.h"
#include "editor/tool.h"
#include "figure/records.h"
#include "game/figure_access.h"
#include "graphics/device.h"
#include "graphics/text.h"

bool& g_helpShown = g_editor.help.shown;

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
// Closes a page that has another after it: h, which shows the help, also turns its pages.
const char* const HELP_MORE_LINE = "  h                 more";
// A help line that goes on with the text of the line above starts with at least this many
// spaces (its key column is blank); a page never starts with one.
const size_t CONTINUATION_INDENT = 8;

bool ContinuesAbove(const std::string& line)
{
    return line.size() > CONTINUATION_INDENT &&
           line.find_first_not_of(' ') >= CONTINUATION_INDENT;
}

// The pages of the help at the current screen height.
std::vector<std::vector<std::string>> CurrentHelpPages()
{
    const float room = static_cast<float>(g_screenHeight) - 2.0f * (HELP_MARGIN + PADDING);
    const int lineHeight = TextLineHeight();
    return HelpPages(s_helpLines, lineHeight > 0 ? static_cast<int>(room) / lineHeight : 0);
}

// A strip the width of the screen with each entry's text, wrapped to the screen, at the
// bottom edge; returns its height.
float DrawBottomStrip(ScreenTextPass& pass, const std::vector<std::pair<std::string, DWORD>>& entries)
{
    if (entries.empty()) return 0.0f;
    const int advance = TextAdvance();
    const float room = static_cast<float>(g_screenWidth) - 2.0f * PADDING;
    const size_t width = advance > 0 && room > 0.0f ? static_cast<size_t>(room) / static_cast<size_t>(advance) : 0;
    std::vector<std::pair<std::string, DWORD>> lines;
    for (const auto& [text, colour] : entries)
        for (std::string& line : WrapStripLine(text, width)) lines.emplace_back(std::move(line), colour);
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
    const std::vector<std::vector<std::string>> pages = CurrentHelpPages();
    if (pages.empty()) return;
    const std::vector<std::string>& lines = pages[std::min(g_editor.help.page, pages.size() - 1)];
    // Every page as wide as the widest, so turning a page does not make the panel jump.
    size_t widest = 0;
    for (const std::string& line : s_helpLines) widest = std::max(widest, line.size());
    const float lineHeight = static_cast<float>(TextLineHeight());
    const float count = static_cast<float>(lines.size());
    pass.FillStrip(HELP_MARGIN, HELP_MARGIN, static_cast<float>(widest * TextAdvance()) + 2.0f * PADDING,
                   count * lineHeight + 2.0f * PADDING, HELP_BACKING_COLOUR);
    float top = HELP_MARGIN + PADDING;
    for (const std::string& line : lines) {
        pass.DrawString(HELP_MARGIN + PADDING, top, line.c_str(), HELP_COLOUR);
        top += lineHeight;
    }
}

}  // namespace

std::vector<std::string> WrapStripLine(const std::string& text, size_t width)
{
    static const std::string SEPARATOR = " | ";
    if (width == 0 || text.size() <= width) return {text};
    std::vector<std::string> lines;
    size_t start = 0;
    while (text.size() - start > width) {
        // The separator may end just past the width: its trailing space is dropped anyway.
        size_t cut = text.rfind(SEPARATOR, start + width);
        size_t next = cut + SEPARATOR.size();
        if (cut == std::string::npos || cut <= start) {
            cut = text.rfind(' ', start + width);
            next = cut + 1;
        }
        if (cut == std::string::npos || cut <= start) cut = next = start + width;
        lines.push_back(text.substr(start, cut - start));
        while (next < text.size() && text[next] == ' ') ++next;
        start = next;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::vector<std::string>> HelpPages(const std::vector<std::string>& lines, int linesPerPage)
{
    std::vector<std::vector<std::string>> pages;
    if (lines.empty()) return pages;
    const size_t room = linesPerPage > 1 ? static_cast<size_t>(linesPerPage) : 1;
    if (lines.size() <= room) return {lines};
    // With more than one page, each page but the last gives its bottom line to "more", and
    // a page that starts inside a section repeats the section's heading.
    const size_t perPage = room > 1 ? room - 1 : 1;
    std::string heading;
    size_t first = 0;
    while (first < lines.size()) {
        for (size_t i = 0; i <= first; ++i)
            if (!lines[i].empty() && lines[i][0] != ' ') heading = lines[i];
        std::vector<std::string> page;
        if (first > 0 && !heading.empty() && lines[first][0] == ' ' && perPage > 1) page.push_back(heading);
        size_t end = std::min(first + perPage - page.size(), lines.size());
        if (end < lines.size()) {
            size_t keyStart = end;
            while (keyStart > first + 1 && ContinuesAbove(lines[keyStart])) --keyStart;
            // A key too long for a page is cut rather than left to overflow the screen.
            if (keyStart > first + 1 || !ContinuesAbove(lines[keyStart])) end = keyStart;
        }
        page.insert(page.end(), lines.begin() + static_cast<std::ptrdiff_t>(first),
                    lines.begin() + static_cast<std::ptrdiff_t>(end));
        if (end < lines.size()) page.push_back(HELP_MORE_LINE);
        pages.push_back(std::move(page));
        first = end;
    }
    return pages;
}

void SetHelpLines(std::vector<std::string> lines)
{
    // The key table hands the lines over at every h; only new lines start the pages again.
    if (lines == s_helpLines) return;
    s_helpLines = std::move(lines);
    g_editor.help.page = 0;
}

void ToggleHelp()
{
    // On a screen too short for the whole help, h shows each page in turn, then hides it.
    if (g_helpShown && g_editor.help.page + 1 < CurrentHelpPages().size()) {
        ++g_editor.help.page;
        return;
    }
    g_helpShown = !g_helpShown;
    g_editor.help.page = 0;
}

std::string StatusLineText()
{
    const Tool& tool = CurrentTool();
    const char* mode = tool.name;
    if (!mode) return std::string();
    char text[400];
    const ManPart* slot = SlotAt(g_selectedPart);
    const VectorPart* image = slot ? PartAt(slot->vecpartnum) : nullptr;
    if (tool.status) {
        std::snprintf(text, sizeof text, "%s | %s", mode, tool.status().c_str());
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
