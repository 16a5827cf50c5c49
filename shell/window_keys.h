// Keys that arrive as window messages, handed to the key table (input/key_table.h).
#pragma once
#include <windows.h>

void OnWindowKeyDown(WPARAM virtualKey);
void OnWindowKeyUp(WPARAM virtualKey);
void OnWindowChar(WPARAM character);
