#include "shell/window_keys.h"

#include "input/key_table.h"

void OnWindowKeyDown(WPARAM virtualKey)
{
    RunKeyCommand(WINDOW_KEY_DOWN, virtualKey);
}

void OnWindowKeyUp(WPARAM virtualKey)
{
    RunKeyCommand(WINDOW_KEY_UP, virtualKey);
}

void OnWindowChar(WPARAM character)
{
    RunKeyCommand(WINDOW_CHAR, character);
}
