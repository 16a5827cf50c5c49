#include "export/export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>

#include "export/capture.h"
#include "export/gif_file.h"
#include "export/sheet_file.h"

namespace {

// Each file is written under this suffix first and renamed into place once whole, so a
// failed export leaves no half-written file and an old one stays as it was.
const char PART_SUFFIX[] = ".part";

bool EndsWith(const std::string& text, const char* ending)
{
    const size_t n = std::strlen(ending);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[text.size() - n + i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != ending[i]) return false;
    }
    return true;
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Asked before the frame is drawn, so a path that cannot be written is said at once.
bool CanWrite(const std::string& path, std::string& error)
{
    const std::string part = path + PART_SUFFIX;
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    std::remove(part.c_str());
    return true;
}

void RemoveParts(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) std::remove((path + PART_SUFFIX).c_str());
}

// Every file's part renamed into place, or none left behind at all.
bool PutInPlace(const std::vector<std::string>& paths, std::string& error)
{
    for (const std::string& path : paths) {
        // The library's rename, since the C one on Windows will not replace a file that is
        // there already, which is every export after the first.
        std::error_code failure;
        std::filesystem::rename(path + PART_SUFFIX, path, failure);
        if (failure) {
            error = "cannot write " + path + ": " + failure.message();
            RemoveParts(paths);
            return false;
        }
    }
    return true;
}

}  // namespace

std::string SheetJsonPath(const std::string& pngPath)
{
    const size_t dot = pngPath.find_last_of('.');
    const size_t slash = pngPath.find_last_of("/\\");
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? pngPath.substr(0, dot) : pngPath) + ".json";
}

bool ExportFrame(int frame, const ExportOptions& options, const std::string& outPath, ExportResult& result)
{
    result = ExportResult();
    const bool gif = EndsWith(outPath, ".gif");
    if (!gif && !EndsWith(outPath, ".png")) {
        result.error = outPath + ": the name must end in .gif or .png";
        return false;
    }
    std::vector<std::string> paths{outPath};
    if (!gif) paths.push_back(SheetJsonPath(outPath));
    for (const std::string& path : paths)
        if (!CanWrite(path, result.error)) return false;

    FrameCapture capture;
    if (!CaptureFrame(frame, options, capture, result.error)) return false;

    std::string why;
    std::string failed = outPath;
    bool written = false;
    if (gif) {
        written = WriteAnimatedGif(outPath + PART_SUFFIX, capture.pictures,
                                   PictureDurations(int(capture.pictures.size()), capture.fps, 100), why);
    } else {
        written = WriteSheetPng(outPath + PART_SUFFIX, capture, why);
        if (written) {
            failed = paths[1];
            written = WriteSheetJson(paths[1] + PART_SUFFIX, frame, BaseName(outPath), capture, why);
        }
    }
    if (!written) {
        RemoveParts(paths);
        result.error = "cannot write " + failed + ": " + why;
        return false;
    }
    if (!PutInPlace(paths, result.error)) return false;

    result.files = paths;
    result.pictures = int(capture.pictures.size());
    const std::vector<int> durations = PictureDurations(result.pictures, capture.fps, 1000);
    result.durationMs = std::accumulate(durations.begin(), durations.end(), 0);
    result.width = capture.pictures[0].width;
    result.height = capture.pictures[0].height;
    return true;
}
