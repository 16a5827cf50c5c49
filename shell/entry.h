// Program entry: start-up, the main loop and shut-down.
#pragma once
#include <windows.h>

// Releases the platform objects in order; null pointers are skipped.
void ShutDown();
