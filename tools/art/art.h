// The art program's pieces: each writes its files and reports success.
#pragma once
#include <string>

bool WriteIcons(const std::string& resourcesDir);
