#include "export/export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <numeric>

#include "export/capture.h"
#include "export/gif_file.h"
#include "export/output_files.h"
#include "export/sheet_file.h"
#include "figure/records.h"

namespace {

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

// A writer's failure said as the file it could not write, as every failure to write is.
class WritingTo : public PictureSink {
public:
    WritingTo(PictureSink& writer, const std::string& path) : writer_(writer), path_(path) {}
    bool Begin(const FrameLayout& layout, std::string& error) override
    {
        return Said(writer_.Begin(layout, error), error);
    }
    bool Add(const Picture& picture, std::string& error) override { return Said(writer_.Add(picture, error), error); }

private:
    bool Said(bool done, std::string& error) const
    {
        if (!done) error = "cannot write " + path_ + ": " + error;
        return done;
    }
    PictureSink& writer_;
    const std::string& path_;
};

bool WriteText(std::FILE* file, const std::string& text, std::string& error)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) return true;
    error = std::strerror(errno ? errno : EIO);
    return false;
}

// Plays each of frames and writes outPath (all = every frame of the file, those without
// keys left out).
bool Export(const std::vector<int>& frames, bool all, const ExportOptions& options, const std::string& outPath,
            ExportResult& result)
{
    const bool gif = EndsWith(outPath, ".gif");
    if (!gif && !EndsWith(outPath, ".png")) {
        result.error = outPath + ": the name must end in .gif or .png";
        return false;
    }
    if (gif && all) {
        result.error = outPath + ": a GIF is one movement; every frame goes into a .png sheet";
        return false;
    }
    std::vector<int> played;
    for (int frame : frames) {
        if (all && !FrameDrivesKeys(frame)) result.leftOut.push_back(frame);
        else played.push_back(frame);
    }
    if (played.empty()) {
        result.error = "no frame of the animation file drives any keys";
        return false;
    }
    std::vector<std::string> paths{outPath};
    if (!gif) paths.push_back(SheetJsonPath(outPath));
    OutputFiles files;
    if (!files.Open(paths, result.error)) return false;

    FrameLayout layout;
    std::string why;
    bool written = false;
    if (gif) {
        GifWriter writer(files.File(0));
        WritingTo to(writer, outPath);
        written = CaptureFrame(played[0], options, to, result.error);
        if (written && !writer.Finish(why)) {
            result.error = "cannot write " + outPath + ": " + why;
            written = false;
        }
        layout = writer.Layout();
        result.pictures = int(layout.pictures);
        result.movements = 1;
        const std::vector<int> durations = PictureDurations(result.pictures, layout.fps, 1000);
        result.durationMs = std::accumulate(durations.begin(), durations.end(), 0);
    } else {
        // A sheet of an asked size is weighed before anything is drawn, and is said at
        // once; one fitted to the figure is weighed as each movement's extent is known.
        if (options.width != 0) {
            size_t pictures = 0;
            for (int frame : played) {
                size_t count = 0;
                if (!CountPictures(frame, options, count, result.error)) return false;
                pictures += count;
            }
            if (!SheetFits(pictures, options.width, options.height, why)) {
                result.error = "cannot write " + outPath + ": " + why;
                return false;
            }
        }
        SheetWriter writer(options.trim);
        WritingTo to(writer, outPath);
        written = true;
        for (size_t i = 0; written && i < played.size(); ++i) {
            writer.NextMovement(played[i]);
            written = CaptureFrame(played[i], options, to, result.error);
        }
        if (written && !writer.Pack(why)) {
            result.error = "cannot write " + outPath + ": " + why;
            written = false;
        }
        if (written && !writer.WritePng(files.File(0), why)) {
            result.error = "cannot write " + outPath + ": " + why;
            written = false;
        }
        if (written && !WriteText(files.File(1), writer.Json(options.json, BaseName(outPath)), why)) {
            result.error = "cannot write " + paths[1] + ": " + why;
            written = false;
        }
        if (written) {
            layout = writer.Layout(0);
            result.pictures = int(writer.Pictures());
            result.movements = int(writer.Movements());
            for (size_t m = 0; m < writer.Movements(); ++m) {
                const FrameLayout& each = writer.Layout(m);
                const std::vector<int> durations = PictureDurations(int(each.pictures), each.fps, 1000);
                result.durationMs += std::accumulate(durations.begin(), durations.end(), 0);
            }
            result.sheetWidth = writer.Width();
            result.sheetHeight = writer.Height();
        }
    }
    if (!written || !files.PutInPlace(result.error)) return false;

    result.files = paths;
    result.width = layout.width;
    result.height = layout.height;
    return true;
}

// The export, its results cleared first, with a shortage of memory said as its error.
bool Guarded(const std::vector<int>& frames, bool all, const ExportOptions& options, const std::string& outPath,
             ExportResult& result, const std::string& what)
{
    result = ExportResult();
    try {
        if (Export(frames, all, options, outPath, result)) return true;
        // Only a whole export's results stand.
        const std::string error = result.error;
        result = ExportResult();
        result.error = error;
        return false;
    } catch (const std::bad_alloc&) {
        // The pictures, the sheet and the device's read-backs are bounded, but the memory a
        // machine lends may still fall short; the game and the files stay as they were.
        result = ExportResult();
        result.error = "not enough memory to export " + what + " as " + outPath;
        return false;
    }
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
    return Guarded({frame}, false, options, outPath, result, "frame " + std::to_string(frame));
}

bool ExportAllFrames(const ExportOptions& options, const std::string& outPath, ExportResult& result)
{
    std::vector<int> frames;
    for (int frame = 0; frame < g_numFrames; ++frame) frames.push_back(frame);
    return Guarded(frames, true, options, outPath, result, "every frame");
}
