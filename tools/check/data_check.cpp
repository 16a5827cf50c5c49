#include "tools/check/data_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "base/log.h"
#include "figure/data_files.h"

namespace {

// What a reading may leave behind in the directory: the readers create missing data files
// and the loaders write the log.
const char* const WRITTEN_FILES[] = {PARTS_DATA_FILE, FIGURE_DATA_FILE, ANIM_DATA_FILE, LOG_FILE};

// Works inside a data directory and leaves it as it was: the readers create missing
// files and the loaders write log.log there.
class ScopedDataDirectory {
public:
    explicit ScopedDataDirectory(const std::string& dir)
    {
        char previous[4096];
        if (!getcwd(previous, sizeof previous) || chdir(dir.c_str()) != 0) return;
        previous_ = previous;
        entered_ = true;
        for (const char* name : WRITTEN_FILES) {
            struct stat info;
            if (stat(name, &info) == 0) existed_.push_back(name);
        }
        if (Existed(LOG_FILE)) {
            std::ifstream in(LOG_FILE, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            log_ = text.str();
        }
    }
    ~ScopedDataDirectory()
    {
        if (!entered_) return;
        for (const char* name : WRITTEN_FILES) {
            if (!Existed(name)) std::remove(name);
        }
        if (Existed(LOG_FILE)) std::ofstream(LOG_FILE, std::ios::binary | std::ios::trunc) << log_;
        if (chdir(previous_.c_str()) != 0) std::perror(previous_.c_str());
    }
    bool Entered() const { return entered_; }
    bool Existed(const std::string& name) const
    {
        for (const std::string& e : existed_) {
            if (e == name) return true;
        }
        return false;
    }

private:
    bool entered_ = false;
    std::string previous_;
    std::vector<std::string> existed_;
    std::string log_;
};

}  // namespace

std::vector<std::string> CheckDataDirectory(const std::string& dir)
{
    std::vector<std::string> breaches;
    ScopedDataDirectory inside(dir);
    if (!inside.Entered()) return {dir + ":0: cannot enter the directory"};
    for (const DataProblem& problem : LoadDataFiles().problems) breaches.push_back(problem.text);
    return breaches;
}
