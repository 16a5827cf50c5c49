// Draws every bundled image and writes the figure's data files, byte-identical on every run.
#include "art.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: vantrel-art OUTDIR RESOURCESDIR [PREVIEW.png]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    std::string out = argv[1];
    std::string res = argv[2];
    // The preview belongs with the documentation, beside (not inside) the data.
    std::string preview = argc == 4 ? std::string(argv[3])
                                    : (fs::path(out).parent_path() / "docs" / "figure-preview.png").string();
    std::error_code ec;
    fs::create_directories(out, ec);
    fs::create_directories(res, ec);
    fs::create_directories(fs::path(preview).parent_path(), ec);
    if (!WriteIcons(res)) {
        std::fprintf(stderr, "vantrel-art: cannot write icons to %s\n", res.c_str());
        return 1;
    }
    if (!WriteImages(out) || !WriteDataFiles(out) || !WriteFont(out)) {
        std::fprintf(stderr, "vantrel-art: cannot write the game data to %s\n", out.c_str());
        return 1;
    }
    if (!WritePreview(out, preview)) {
        std::fprintf(stderr, "vantrel-art: cannot write the preview %s\n", preview.c_str());
        return 1;
    }
    return 0;
}
