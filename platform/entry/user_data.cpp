#include "user_data.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

const char* const kDataMarkerFile = "vecparts.dat";

namespace {

const char* const kGameFolderName = "vantrel";
const char* const kDefaultDataHome = ".local/share";
const char* const kPartialSuffix = ".part";

bool HasMarker(const fs::path& folder)
{
    std::error_code ec;
    return fs::is_regular_file(folder / kDataMarkerFile, ec);
}

// Copies what the player's folder lacks, never replacing a file the player already has. The
// marker goes last and by rename, so a copy cut short is finished by the next start instead
// of being taken for a whole one.
bool FillFrom(const fs::path& installed, const fs::path& user, std::string& why)
{
    std::error_code ec;
    fs::create_directories(user, ec);
    if (ec) { why = "cannot create " + user.string() + ": " + ec.message(); return false; }
    for (fs::recursive_directory_iterator it(installed, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path relative = fs::relative(it->path(), installed, ec);
        if (ec) break;
        const fs::path target = user / relative;
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
        } else if (relative != kDataMarkerFile && !fs::exists(target, ec)) {
            fs::copy_file(it->path(), target, ec);
        }
        if (ec) { why = "cannot copy " + it->path().string() + " to " + target.string() + ": " + ec.message(); return false; }
    }
    if (ec) { why = "cannot read " + installed.string() + ": " + ec.message(); return false; }
    const fs::path partial = user / (std::string(kDataMarkerFile) + kPartialSuffix);
    fs::copy_file(installed / kDataMarkerFile, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(partial, user / kDataMarkerFile, ec);
    if (ec) { why = "cannot copy " + std::string(kDataMarkerFile) + " to " + user.string() + ": " + ec.message(); return false; }
    return true;
}

}  // namespace

std::string InstalledDataFolder(const std::string& executable)
{
    std::error_code ec;
    const fs::path program = fs::weakly_canonical(executable, ec);
    if (ec) return {};
    const fs::path folder = program.parent_path().parent_path() / "share" / kGameFolderName;
    return HasMarker(folder) ? folder.string() : std::string();
}

std::string UserDataFolder()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && fs::path(dataHome).is_absolute()) return (fs::path(dataHome) / kGameFolderName).string();
    const char* home = std::getenv("HOME");
    if (home && fs::path(home).is_absolute())
        return (fs::path(home) / kDefaultDataHome / kGameFolderName).string();
    return {};
}

DataFolderChoice EnterDataFolder(const std::string& executable)
{
    DataFolderChoice choice;
    if (HasMarker(fs::path("."))) return choice;
    const std::string installed = InstalledDataFolder(executable);
    if (installed.empty()) return choice;
    const std::string user = UserDataFolder();
    if (user.empty()) {
        choice.ok = false;
        choice.message = "neither XDG_DATA_HOME nor HOME names a folder for the game's data";
        return choice;
    }
    if (!HasMarker(user)) {
        if (!FillFrom(installed, user, choice.message)) { choice.ok = false; return choice; }
        choice.copied = true;
    }
    if (chdir(user.c_str()) != 0) {
        choice.ok = false;
        choice.message = "cannot enter " + user;
        return choice;
    }
    choice.folder = user;
    return choice;
}
