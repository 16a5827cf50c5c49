// Draws every bundled image and writes the figure's data files, byte-identical on every run.
#include "art.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vantrel-art OUTDIR RESOURCESDIR\n");
        return 2;
    }
    std::string out = argv[1];
    std::string res = argv[2];
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    std::filesystem::create_directories(res, ec);
    if (!WriteIcons(res)) {
        std::fprintf(stderr, "vantrel-art: cannot write icons to %s\n", res.c_str());
        return 1;
    }
    return 0;
}
