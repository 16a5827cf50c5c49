// Files written whole or not at all. A file is written under a temporary name beside where
// it goes and moved into place in one step, so a reader finds either the old file or the
// new one. The temporary is created exclusively under a name nobody else chose: a file or
// link planted under any fixed name is never opened, followed or overwritten. Moving into
// place replaces a link at the path itself, never what it names; a caller saving a data
// file the player keeps as a link writes to WriteTarget(path) instead, so the link stays
// a link and the file it names gets the new bytes.
#pragma once
#include <cstdio>
#include <string>

// Where writes to path land: its final target where path is a link (a relative link taken
// from the link's own folder), otherwise path itself.
std::string WriteTarget(const std::string& path);

// A new empty file beside path, opened for binary writing, made for this call alone;
// temporary receives its name. Null (why set) when none could be created.
std::FILE* CreateTemporaryBeside(const std::string& path, std::string& temporary, std::string& why);

// Moves temporary onto path in one step, replacing what is there. On failure why is set,
// the temporary is removed and path is as it was.
bool MoveIntoPlace(const std::string& temporary, const std::string& path, std::string& why);

// Writes text as path atomically. On failure why names the cause and
// the file is as it was.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& why);
