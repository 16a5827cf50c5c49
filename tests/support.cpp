#include "support.h"

#include <stand_in.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/log.h"
#include "editor/editor.h"
#include "game/state.h"
#include "input/input_devices.h"
#include "memory/memory_device.h"

namespace fs = std::filesystem;

namespace {
// The suite plays whole games without the shell: the hooks it would install, once.
[[maybe_unused]] const bool s_installed = [] {
    InstallInput();
    InstallEditor();
    return true;
}();
}  // namespace

ScopedTempDir::ScopedTempDir()
{
    previous_ = fs::current_path().string();
    std::string pattern = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    fs::current_path(path_);
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    // A test may have made the directory read-only.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void CopyDirectoryFiles(const std::string& from)
{
    for (const auto& entry : fs::directory_iterator(from)) {
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), entry.path().filename(), fs::copy_options::overwrite_existing);
    }
}

int RunCommand(const std::string& commandLine)
{
    const int status = std::system(commandLine.c_str());
    if (status == -1) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

bool OpenImageDevice()
{
    if (!CreateMemoryDevice(640, 480, &g_d3d, &g_device)) return false;
    D3DCAPS8 caps = {};
    g_device->GetDeviceCaps(&caps);
    g_maxTextureWidth = caps.MaxTextureWidth;
    g_maxTextureHeight = caps.MaxTextureHeight;
    return true;
}

void StartOnMemoryDevice()
{
    ResetGameState();
    PlatformSetDeviceBackend("memory");
    PlatformSetFailures(nullptr);
    MemoryResetConfig();
    MemoryDeviceClearRecord();
    ResetLog();
}
