// The line of text the game shows on screen for a few seconds: what the player or the
// animator must know now (saved, save refused, a data file missing or broken, a reload
// problem). Any layer may post one; the editor's status line draws it. Time is the
// platform's tick count, so the runner's virtual clock decides when a message goes.
#pragma once
#include <string>

// How long a message stays, in milliseconds of the tick count.
const unsigned SCREEN_MESSAGE_MS = 4000;

// Shows text from now on, replacing any message still showing.
void PostScreenMessage(const std::string& text);
// The message showing at the current tick; empty when none is.
std::string CurrentScreenMessage();
// Forgets any message (a new run in the same process).
void ClearScreenMessage();
