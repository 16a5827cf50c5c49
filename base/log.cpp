#include "base/log.h"

#include <fstream>

void ResetLog()
{
    std::ofstream file(LOG_FILE, std::ios::out | std::ios::trunc);
}

void WriteLog(const char* message)
{
    // Opened and closed per line so every line is on disk even if the game dies right after.
    std::ofstream file(LOG_FILE, std::ios::out | std::ios::app);
    file << (message ? message : "") << std::endl;
}
