// The files one export writes, replaced together or not at all. Each is written under a
// temporary name beside where it goes (base/file_write.h: made for this export alone, so a
// file or link planted under any name is never opened or followed), and they are moved into
// place only once every one is whole; a failure anywhere, the last move included, leaves
// every old file as it was and no temporary behind. A path that is a link is written
// through to the file it names, as the game's own saves are.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

class OutputFiles {
public:
    OutputFiles() = default;
    // Removes whatever temporaries were not put in place, also on the way out of an exception.
    ~OutputFiles();
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // A temporary for each path, asked before anything is drawn so a path that cannot be
    // written is said at once. False with "cannot write PATH: why" (a folder at a path among
    // the causes), and none made.
    bool Open(const std::vector<std::string>& paths, std::string& error);
    // Where the i-th file's bytes go until PutInPlace.
    std::FILE* File(size_t i) const { return files_[i].file; }

    // Closes the temporaries and moves them all into place. False with "cannot write PATH:
    // why", every path then holding what it held before.
    bool PutInPlace(std::string& error);

private:
    struct Entry {
        std::string path;       // as the caller named it, for messages
        std::string target;     // where the bytes land (WriteTarget)
        std::string temporary;  // beside target
        std::FILE* file = nullptr;
    };
    bool Close(std::string& error);
    void RemoveTemporaries();
    std::vector<Entry> files_;
};
