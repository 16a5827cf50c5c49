// Rectangle checks shared by the devices and the image loaders: a rectangle handed in by
// the game must lie inside the image and hold at least one pixel, or the call is refused.
#pragma once
#include <windows.h>

inline bool RectInside(const RECT& rect, LONG width, LONG height)
{
    return rect.left >= 0 && rect.top >= 0 && rect.right <= width && rect.bottom <= height &&
           rect.left < rect.right && rect.top < rect.bottom;
}
