#include "export/output_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/file_write.h"

namespace fs = std::filesystem;

namespace {

// The file now at target moved to a name beside it made for this alone, so it can be put back;
// aside stays empty where there is no file to keep.
bool MoveAside(const std::string& target, std::string& aside, std::string& why)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(target, error))) return true;
    std::string name;
    std::FILE* reserved = CreateTemporaryBeside(target, name, why);
    if (!reserved) return false;
    std::fclose(reserved);
    // The library's rename, as it replaces the name just reserved on Windows too.
    fs::rename(target, name, error);
    if (error) {
        why = error.message();
        std::remove(name.c_str());
        return false;
    }
    aside = name;
    return true;
}

}  // namespace

OutputFiles::~OutputFiles() { RemoveTemporaries(); }

void OutputFiles::RemoveTemporaries()
{
    for (Entry& f : files_) {
        if (f.file) std::fclose(f.file);
        f.file = nullptr;
        if (!f.temporary.empty()) std::remove(f.temporary.c_str());
        f.temporary.clear();
    }
}

bool OutputFiles::Open(const std::vector<std::string>& paths, std::string& error)
{
    RemoveTemporaries();
    files_.clear();
    files_.reserve(paths.size());
    for (const std::string& path : paths) {
        Entry f;
        f.path = path;
        f.target = WriteTarget(path);
        std::string why;
        std::error_code ignored;
        if (fs::is_directory(f.target, ignored))
            why = std::strerror(EISDIR);
        else
            f.file = CreateTemporaryBeside(f.target, f.temporary, why);
        if (!f.file) {
            error = "cannot write " + path + ": " + why;
            RemoveTemporaries();
            files_.clear();
            return false;
        }
        files_.push_back(f);
    }
    return true;
}

bool OutputFiles::Close(std::string& error)
{
    bool closed = true;
    for (Entry& f : files_) {
        const bool flushed = std::fflush(f.file) == 0 && !std::ferror(f.file);
        int cause = flushed ? 0 : (errno ? errno : EIO);
        if (std::fclose(f.file) != 0 && flushed) cause = errno ? errno : EIO;
        f.file = nullptr;
        if (cause && closed) {
            error = "cannot write " + f.path + ": " + std::strerror(cause);
            closed = false;
        }
    }
    return closed;
}

bool OutputFiles::PutInPlace(std::string& error)
{
    if (!Close(error)) {
        RemoveTemporaries();
        return false;
    }
    // A move can fail after another has been made (a folder made at the last path since
    // Open, a file there the folder's rules keep from being replaced), which would leave a
    // new sheet beside an old JSON. Checking every path first cannot rule that out, so each
    // file but the last has its old version moved aside first, to be put back should a later
    // move fail; the last one's failed move leaves its path as it was by itself. Between
    // its two moves a path holds nothing for a moment: a reader then finds no file there,
    // never a half-written or mismatched one.
    std::vector<std::string> aside(files_.size());
    for (size_t i = 0; i < files_.size(); ++i) {
        Entry& f = files_[i];
        std::string why;
        bool moved = i + 1 == files_.size() || MoveAside(f.target, aside[i], why);
        if (moved) {
            moved = MoveIntoPlace(f.temporary, f.target, why);
            f.temporary.clear();  // in place, or removed by the move that failed
        }
        if (moved) continue;
        error = "cannot write " + f.path + ": " + why;
        for (size_t j = 0; j <= i; ++j) {
            std::error_code failed;
            if (!aside[j].empty())
                fs::rename(aside[j], files_[j].target, failed);
            else if (j < i)
                fs::remove(files_[j].target, failed);  // new, where there was no file before
            if (failed) {
                error += "; " + files_[j].path + " could not be put back (" + failed.message() + ")";
                if (!aside[j].empty()) error += ", its old file is " + aside[j];
            }
        }
        RemoveTemporaries();
        return false;
    }
    for (const std::string& old : aside)
        if (!old.empty()) std::remove(old.c_str());
    return true;
}
