// log.log: the one diagnostic channel, emptied at start, one line per message.
#pragma once

// In the working directory.
inline constexpr char LOG_FILE[] = "log.log";

void ResetLog();
void WriteLog(const char* message);
