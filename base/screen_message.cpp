#include "base/screen_message.h"

#include <windows.h>

namespace {

std::string g_text;
DWORD g_postedAt = 0;

}  // namespace

void PostScreenMessage(const std::string& text)
{
    g_text = text;
    g_postedAt = GetTickCount();
}

std::string CurrentScreenMessage()
{
    // Unsigned difference: right across the tick count's wrap as well.
    if (g_text.empty() || GetTickCount() - g_postedAt >= SCREEN_MESSAGE_MS) return std::string();
    return g_text;
}

void ClearScreenMessage() { g_text.clear(); }
