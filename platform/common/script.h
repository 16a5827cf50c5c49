// The scripted pass both platform layers run: passes are counted by the main loop's
// PeekMessageA calls, the clock is virtual, and the runner's hooks run around each pass.
// Each layer supplies how the system's own input is dropped and resets its queue when a
// script starts; the rest (stand_in.h's scripted-mode calls) lives here once.
#pragma once
#include <windows.h>

#include <stand_in.h>

// Begins one pass: runs the previous pass's after-pass hook, drops the system's input,
// then either fills msg with WM_QUIT (true: the script has run its passes) or runs the
// before-pass hook (false: the layer goes on to its queue).
bool ScriptBeginPass(LPMSG msg, void (*dropSystemInput)());
// The virtual tick count of the current pass; meaningful only while scripted.
DWORD ScriptTickCount();

// Defined by each layer: clears what its queue holds when a script starts.
void ScriptStarting();
