#include "base/log.h"

#include <fstream>

static const char kLogFile[] = "log.log";

void ResetLog()
{
    std::ofstream file(kLogFile, std::ios::out | std::ios::trunc);
}

void WriteLog(const char* message)
{
    // Opened and closed per line so every line is on disk even if the game dies right after.
    std::ofstream file(kLogFile, std::ios::out | std::ios::app);
    file << (message ? message : "") << std::endl;
}
