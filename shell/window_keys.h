// Keys that arrive as window messages.
#pragma once
#include <windows.h>

void OnWindowKeyDown(WPARAM virtualKey);
void OnWindowKeyUp(WPARAM virtualKey);
void OnWindowChar(WPARAM character);
