// Helpers shared by the tests.
#pragma once
#include <string>

// Makes a fresh empty directory the working directory for one test, and goes back
// (removing it) at the end.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);
// Copies every regular file of a directory into the working directory.
void CopyDirectoryFiles(const std::string& from);
// Runs a command line through the shell; returns its exit code.
int RunCommand(const std::string& commandLine);

// A fresh start on the in-memory device: the game state reset, the device's default
// configuration and no failures asked for, its call record and the log emptied.
void StartOnMemoryDevice();
// A 640 x 480 memory device as g_d3d and g_device, with the texture limits it reports taken
// as the ones the parts reader cuts images by: images then load as in the game. False
// when the device cannot be made.
bool OpenImageDevice();
