// A test that runs the whole game through the headless runner in a fresh folder holding a
// copy of the bundled data, and reads back what the run wrote there.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "support.h"
#include "tools/dump.h"

using Json = DumpJson;

// Public, so helpers outside a fixture can run the game for it.
class BundledDataRun : public ::testing::Test {
public:
    void SetUp() override { CopyDirectoryFiles(VANTREL_DATA_DIR); }

    // Runs the script for frames passes, its errors into stderr.txt; on the memory device
    // unless the test needs pixels; cmdline as the game's own command line.
    int Run(int frames, const std::string& script, bool pixels = false, const std::string& cmdline = "")
    {
        WriteWholeFile("script.txt", script);
        std::string command = pixels ? "" : "VANTREL_D3D=memory ";
        command += "'" VANTREL_REPLAY_PATH "' --frames " + std::to_string(frames);
        if (!cmdline.empty()) command += " --cmdline " + cmdline;
        return RunCommand(command + " script.txt 2>stderr.txt");
    }
    // A dump as nlohmann-json reads it; a member or item that is not there throws, which
    // fails the test.
    Json Dump(const std::string& name)
    {
        Json value = Json::parse(ReadWholeFile(name), nullptr, false);
        EXPECT_FALSE(value.is_discarded()) << name << " is not a readable dump";
        return value;
    }
    // text with the first from replaced by to; a from not there fails the test.
    static std::string Replaced(std::string text, const std::string& from, const std::string& to)
    {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    }

    ScopedTempDir dir;
};
