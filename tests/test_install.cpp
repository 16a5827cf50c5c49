// The installed game: the tree `cmake --install` makes, the player's data folder an installed
// game starts in, its --version and --help, and the Debian package's contents.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support.h"

namespace fs = std::filesystem;

namespace {

const char* const kVersion = "0.2.0";
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// Width and height from a PNG file's header chunk.
std::pair<int, int> PngSize(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    if (bytes.size() < 24) return {0, 0};
    auto word = [&](size_t at) {
        int value = 0;
        for (size_t i = 0; i < 4; ++i) value = value * 256 + static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return {word(16), word(20)};
}

// One install into a temporary prefix for the whole suite: it copies every program.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix_ = new ScopedTempDir();
        installed_ = RunCommand("cmake --install '" VANTREL_BINARY_DIR "' --prefix '" + prefix_->Path() +
                                "' >install.txt 2>&1") == 0;
    }
    static void TearDownTestSuite()
    {
        delete prefix_;
        prefix_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << "cmake --install failed"; }

    static std::string Prefix() { return prefix_->Path(); }
    static std::string Game() { return "'" + Prefix() + "/bin/vantrel'"; }

    // Starts the installed game in `folder` with the player's folders given by `environment`;
    // the device is made to fail, so the game ends right after it has written its log.
    static int StartIn(const std::string& folder, const std::string& environment)
    {
        return RunCommand("cd '" + folder + "' && env -u XDG_DATA_HOME " + environment +
                          " VANTREL_D3D=memory VANTREL_FAIL=createdevice " + Game() + " 2>stderr.txt");
    }

    static ScopedTempDir* prefix_;
    static bool installed_;
    ScopedTempDir dir;
};

ScopedTempDir* Installed::prefix_ = nullptr;
bool Installed::installed_ = false;

TEST_F(Installed, TreeHoldsProgramsDataDesktopEntryIconsAndManual)
{
    for (const char* program : {"vantrel", "vantrel-replay", "vantrel-check", "vantrel-export"}) {
        const fs::path path = Prefix() + "/bin/" + program;
        EXPECT_TRUE(fs::is_regular_file(path)) << program;
        EXPECT_NE(fs::status(path).permissions() & fs::perms::owner_exec, fs::perms::none) << program;
    }
    size_t dataFiles = 0;
    for (const auto& entry : fs::directory_iterator(VANTREL_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".log") continue;
        EXPECT_EQ(ReadWholeFile(entry.path().string()), ReadWholeFile(Prefix() + "/share/vantrel/" + name)) << name;
        ++dataFiles;
    }
    EXPECT_GE(dataFiles, 20u);
    // The installed data passes the game's own checks.
    EXPECT_EQ(RunCommand("'" + Prefix() + "/bin/vantrel-check' '" + Prefix() + "/share/vantrel' >check.txt"), 0)
        << ReadWholeFile("check.txt");

    const std::string desktop = Prefix() + "/share/applications/vantrel.desktop";
    EXPECT_EQ(RunCommand("desktop-file-validate '" + desktop + "' >validate.txt 2>&1"), 0)
        << ReadWholeFile("validate.txt");
    EXPECT_NE(ReadWholeFile(desktop).find("\nExec=vantrel\n"), std::string::npos);
    for (int size : kIconSizes) {
        const std::string icon = Prefix() + "/share/icons/hicolor/" + std::to_string(size) + "x" +
                                 std::to_string(size) + "/apps/vantrel.png";
        EXPECT_EQ(PngSize(icon), std::make_pair(size, size)) << icon;
    }
    const std::string manual = ReadWholeFile(Prefix() + "/share/man/man6/vantrel.6");
    EXPECT_NE(manual.find(std::string("vantrel ") + kVersion), std::string::npos);
    EXPECT_NE(manual.find("XDG_DATA_HOME"), std::string::npos);
}

TEST_F(Installed, VersionAndHelpAnswerWithoutStartingTheGame)
{
    ASSERT_EQ(RunCommand(Game() + " --version >version.txt"), 0);
    EXPECT_EQ(ReadWholeFile("version.txt"), std::string("vantrel ") + kVersion + "\n");
    ASSERT_EQ(RunCommand(Game() + " /640 --help >help.txt"), 0);
    const std::string help = ReadWholeFile("help.txt");
    for (const char* mentioned : {"/640", "VANTREL_D3D", "VANTREL_WINDOWED", "VANTREL_MAX_TEXTURE", "VANTREL_FAIL",
                                  "XDG_DATA_HOME", "~/.local/share/vantrel", "log.log"})
        EXPECT_NE(help.find(mentioned), std::string::npos) << mentioned;
    EXPECT_FALSE(fs::exists("log.log")) << "the game did not start";
}

TEST_F(Installed, FirstStartCopiesTheDataForThePlayerLaterStartsKeepTheirEdits)
{
    fs::create_directories("empty");
    const std::string home = dir.Path() + "/home";
    const std::string user = home + "/.local/share/vantrel";

    // The device failure ends the run with code 1 after the log is written where it ran.
    EXPECT_EQ(StartIn("empty", "HOME='" + home + "'"), 1) << ReadWholeFile("empty/stderr.txt");
    EXPECT_EQ(ReadWholeFile(user + "/vecparts.dat"), ReadWholeFile(Prefix() + "/share/vantrel/vecparts.dat"));
    EXPECT_TRUE(fs::exists(user + "/font.png"));
    EXPECT_NE(ReadWholeFile(user + "/log.log").find("Error creating device"), std::string::npos);
    EXPECT_FALSE(fs::exists("empty/log.log"));
    EXPECT_FALSE(fs::exists(user + "/vecparts.dat.part"));

    // The player's saved edit and a file taken away both stay as they are on the next start.
    WriteWholeFile(user + "/vecparts.dat", ReadWholeFile(user + "/vecparts.dat") + "# edited\n");
    fs::remove(user + "/log.log");
    fs::remove(user + "/tree.png");
    EXPECT_EQ(StartIn("empty", "HOME='" + home + "'"), 1);
    EXPECT_NE(ReadWholeFile(user + "/vecparts.dat").find("# edited"), std::string::npos);
    EXPECT_FALSE(fs::exists(user + "/tree.png"));
    EXPECT_TRUE(fs::exists(user + "/log.log"));

    // XDG_DATA_HOME wins over HOME; a run inside a data folder stays there.
    EXPECT_EQ(StartIn("empty", "HOME='" + home + "' XDG_DATA_HOME='" + dir.Path() + "/xdg'"), 1);
    EXPECT_TRUE(fs::exists(dir.Path() + "/xdg/vantrel/vecparts.dat"));
    fs::create_directories("data");
    fs::copy(Prefix() + "/share/vantrel", "data", fs::copy_options::recursive);
    EXPECT_EQ(StartIn("data", "HOME='" + dir.Path() + "/elsewhere'"), 1);
    EXPECT_TRUE(fs::exists("data/log.log"));
    EXPECT_FALSE(fs::exists(dir.Path() + "/elsewhere"));

    // A player's folder that cannot be made is said so, and the game does not start.
    WriteWholeFile("not-a-folder", "");
    EXPECT_EQ(StartIn("empty", "XDG_DATA_HOME='" + dir.Path() + "/not-a-folder'"), 1);
    EXPECT_NE(ReadWholeFile("empty/stderr.txt").find("cannot create"), std::string::npos);
    EXPECT_FALSE(fs::exists("empty/log.log"));
}

TEST(DebianPackage, HoldsTheGameItsDataDesktopEntryAndIconsWithTheirDependencies)
{
    ScopedTempDir dir;
    ASSERT_EQ(RunCommand("cpack --config '" VANTREL_BINARY_DIR "/CPackConfig.cmake' -G DEB -B out >cpack.txt 2>&1"), 0)
        << ReadWholeFile("cpack.txt");
    std::string package;
    for (const auto& entry : fs::directory_iterator("out")) {
        if (entry.path().extension() == ".deb") package = entry.path().string();
    }
    ASSERT_NE(package.find(std::string("vantrel_") + kVersion + "_"), std::string::npos) << package;
    ASSERT_EQ(RunCommand("dpkg-deb -c '" + package + "' >files.txt && dpkg-deb -f '" + package +
                         "' Package Section Maintainer Depends >fields.txt"),
              0);
    const std::string files = ReadWholeFile("files.txt");
    for (const char* path : {"./usr/bin/vantrel\n", "./usr/bin/vantrel-replay\n", "./usr/bin/vantrel-export\n",
                             "./usr/share/vantrel/vecparts.dat\n",
                             "./usr/share/vantrel/font.png\n", "./usr/share/applications/vantrel.desktop\n",
                             "./usr/share/icons/hicolor/256x256/apps/vantrel.png\n",
                             "./usr/share/icons/hicolor/16x16/apps/vantrel.png\n", "./usr/share/man/man6/vantrel.6"})
        EXPECT_NE(files.find(path), std::string::npos) << path;
    const std::string fields = ReadWholeFile("fields.txt");
    EXPECT_NE(fields.find("Package: vantrel\n"), std::string::npos) << fields;
    EXPECT_NE(fields.find("Section: games\n"), std::string::npos) << fields;
    EXPECT_NE(fields.find("Maintainer: "), std::string::npos) << fields;
    EXPECT_NE(fields.find("libsdl2"), std::string::npos) << fields;
    EXPECT_NE(fields.find("libepoxy"), std::string::npos) << fields;
}

}  // namespace
