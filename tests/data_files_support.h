// Helpers for the tests of the data files: the log as lines.
#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "support.h"

// The lines of log.log in the working directory.
inline std::vector<std::string> LogLines()
{
    std::istringstream text(ReadWholeFile("log.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

// Whether log.log holds exactly this line.
inline bool LogHas(const std::string& wanted)
{
    for (const std::string& line : LogLines()) {
        if (line == wanted) return true;
    }
    return false;
}
