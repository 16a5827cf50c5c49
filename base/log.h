// log.log: the one diagnostic channel, emptied at start, one line per message.
#pragma once

void ResetLog();
void WriteLog(const char* message);
