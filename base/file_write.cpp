#include "base/file_write.h"

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

// Links pointing at links are followed this far; a loop ends here and writes the link.
const int MAX_LINK_HOPS = 40;
// Names tried before giving up: only a folder filling with planted names runs out.
const int TEMPORARY_TRIES = 64;
const char TEMPORARY_MARK[] = ".saving-";

int OpenExclusive(const std::string& name)
{
#ifdef _WIN32
    return _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    int flags = O_WRONLY | O_CREAT | O_EXCL;
#ifdef O_CLOEXEC
    flags |= O_CLOEXEC;
#endif
#ifdef O_NOFOLLOW
    flags |= O_NOFOLLOW;
#endif
    return open(name.c_str(), flags, 0666);
#endif
}

std::FILE* OpenStream(int descriptor)
{
#ifdef _WIN32
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file) _close(descriptor);
#else
    std::FILE* file = fdopen(descriptor, "wb");
    if (!file) close(descriptor);
#endif
    return file;
}

}  // namespace

std::string WriteTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path at = path;
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error)) || error) return at.string();
        fs::path next = fs::read_symlink(at, error);
        if (error) return at.string();
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return path;
}

std::FILE* CreateTemporaryBeside(const std::string& path, std::string& temporary, std::string& why)
{
    // Unpredictable names, so another program cannot plant the next one in advance; the
    // counter keeps two saves of one run apart even where the device gives no entropy.
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    int lastError = 0;
    for (int attempt = 0; attempt < TEMPORARY_TRIES; ++attempt) {
        const std::string name = path + TEMPORARY_MARK + std::to_string(device()) + "-" +
                                 std::to_string(counter.fetch_add(1));
        const int descriptor = OpenExclusive(name);
        if (descriptor < 0) {
            lastError = errno;
            if (lastError == EEXIST) continue;
            break;
        }
        if (std::FILE* file = OpenStream(descriptor)) {
            temporary = name;
            return file;
        }
        lastError = errno;
        std::remove(name.c_str());
        break;
    }
    why = std::strerror(lastError ? lastError : EEXIST);
    return nullptr;
}

bool MoveIntoPlace(const std::string& temporary, const std::string& path, std::string& why)
{
#ifdef _WIN32
    const bool moved = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved) why = "the file could not be replaced (error " + std::to_string(GetLastError()) + ")";
#else
    const bool moved = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!moved) why = std::strerror(errno);
#endif
    if (!moved) std::remove(temporary.c_str());
    return moved;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& why)
{
    std::string temporary;
    std::FILE* file = CreateTemporaryBeside(path, temporary, why);
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    if (!written) why = std::strerror(errno);
    if (std::fclose(file) != 0 && written) {
        why = std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    if (!written) {
        std::remove(temporary.c_str());
        return false;
    }
    return MoveIntoPlace(temporary, path, why);
}
