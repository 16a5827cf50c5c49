// vantrel-export: one animation frame of the data in the working directory as an animated
// GIF or a PNG sheet with its JSON, or every frame in one sheet (export/export.h), drawn
// headless: on Linux through the stand-in's OpenGL device, on Windows through the
// platform's Direct3D into a window that is never shown.
#include <d3d8.h>
#include <stand_in.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>

#include "base/log.h"
#include "export/export.h"
#include "graphics/device.h"
#include "graphics/scene_resources.h"
#include "figure/data_files.h"
#include "tools/check/data_check.h"

namespace {

const int EXIT_BAD_INPUT = 2;
const int EXIT_NO_DEVICE = 1;

const char USAGE[] =
    "usage: vantrel-export [--frame N | --all] [--fps F] [--scale S] [--size WxH] [--trim]\n"
    "                      [--json array|hash] OUT.gif|OUT.png\n"
    "Run in a data folder. Plays animation frame N (default 0) from rest at F pictures a\n"
    "second (default 30, at most 50) and writes the figure alone, centred, on a transparent\n"
    "background: OUT.gif an animated GIF that loops, OUT.png a sheet of the pictures with\n"
    "OUT.json beside it, in the layout sprite packers write and game frameworks read, each\n"
    "frame a tag named from its comment. --all puts every frame of the animation file into\n"
    "the one sheet (a GIF is one movement). --scale S draws S picture pixels per image pixel\n"
    "(0.125 to 8, default 1); --size WxH sets the picture's size (default: fits the figure).\n"
    "A sheet's own: --trim cuts each picture to its pixels; --json hash writes `frames` as\n"
    "an object keyed by the pictures' names instead of an array.\n";

int Usage()
{
    std::fputs(USAGE, stderr);
    return EXIT_BAD_INPUT;
}

bool ParseInt(const char* text, long low, long high, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

bool ParseSize(const char* text, unsigned& width, unsigned& height)
{
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    const std::string w(text, x);
    long wide = 0, high = 0;
    if (!ParseInt(w.c_str(), 1, 1L << 30, wide) || !ParseInt(x + 1, 1, 1L << 30, high)) return false;
    width = unsigned(wide);
    height = unsigned(high);
    return true;
}

struct Arguments {
    int frame = 0;
    bool frameGiven = false;
    bool all = false;
    bool sheetOptions = false;  // --trim or --json
    ExportOptions options;
    std::string out;
};

// False for anything that is not the command line above; the message is the usage.
bool ParseArguments(int argc, char** argv, Arguments& args)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (arg == "--frame" && hasValue) {
            if (!ParseInt(argv[++i], 0, 1L << 30, number)) return false;
            args.frame = int(number);
            args.frameGiven = true;
        } else if (arg == "--all") {
            args.all = true;
        } else if (arg == "--trim") {
            args.options.trim = true;
            args.sheetOptions = true;
        } else if (arg == "--json" && hasValue) {
            const std::string form = argv[++i];
            if (form != "array" && form != "hash") return false;
            args.options.json = form == "hash" ? SheetJsonForm::Hash : SheetJsonForm::Array;
            args.sheetOptions = true;
        } else if (arg == "--fps" && hasValue) {
            if (!ParseInt(argv[++i], 1, MAX_EXPORT_FPS, number)) return false;
            args.options.fps = int(number);
        } else if (arg == "--scale" && hasValue) {
            char* end = nullptr;
            const char* text = argv[++i];
            const double scale = std::strtod(text, &end);
            if (end == text || *end != '\0' || !(scale >= MIN_EXPORT_SCALE && scale <= MAX_EXPORT_SCALE)) return false;
            args.options.scale = float(scale);
        } else if (arg == "--size" && hasValue) {
            if (!ParseSize(argv[++i], args.options.width, args.options.height)) return false;
        } else if (args.out.empty() && !arg.empty() && arg[0] != '-') {
            args.out = arg;
        } else {
            return false;
        }
    }
    return !args.out.empty() && !(args.all && args.frameGiven);
}

bool IsGif(const std::string& path)
{
    std::string ending = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    for (char& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".gif";
}

// The headless device, its back buffer the canvas the figure is drawn on.
class ExportDevice {
public:
    ~ExportDevice()
    {
        if (g_device) g_device->Release();
        if (g_d3d) g_d3d->Release();
        g_device = nullptr;
        g_d3d = nullptr;
#ifdef _WIN32
        if (window_) DestroyWindow(window_);
#endif
    }
    bool Open(std::string& error)
    {
#ifndef _WIN32
        // Only the OpenGL device draws; no display is needed or used unless one was chosen.
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
#endif
        PlatformSetDeviceBackend("opengl");
        g_d3d = Direct3DCreate8(D3D_SDK_VERSION);
        D3DCAPS8 caps;
        std::memset(&caps, 0, sizeof caps);
        if (!g_d3d || FAILED(g_d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps))) {
            error = "no OpenGL 3.3 device to draw with";
            return false;
        }
        maxWidth_ = caps.MaxTextureWidth;
        maxHeight_ = caps.MaxTextureHeight;
        return true;
    }
    unsigned MaxWidth() const { return maxWidth_; }
    unsigned MaxHeight() const { return maxHeight_; }
    bool Create(unsigned width, unsigned height, std::string& error)
    {
        D3DPRESENT_PARAMETERS parameters;
        std::memset(&parameters, 0, sizeof parameters);
        parameters.BackBufferWidth = width;
        parameters.BackBufferHeight = height;
        parameters.BackBufferCount = 1;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = D3DFMT_D16;
        HWND focus = nullptr;
#ifdef _WIN32
        // The platform's Direct3D draws windowed only into a window, and reads a back buffer
        // back only where it was made lockable; the window is never shown.
        D3DDISPLAYMODE mode;
        std::memset(&mode, 0, sizeof mode);
        window_ = CreateWindowExA(0, "STATIC", "vantrel-export", WS_POPUP, 0, 0, int(width), int(height), nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!window_ || FAILED(g_d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
            error = "no window or display mode to draw with";
            return false;
        }
        focus = window_;
        parameters.Windowed = TRUE;
        parameters.BackBufferFormat = mode.Format;
        parameters.hDeviceWindow = window_;
        parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
#endif
        if (FAILED(g_d3d->CreateDevice(0, D3DDEVTYPE_HAL, focus, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                       &g_device))) {
            g_device = nullptr;
            error = "no " + std::to_string(width) + "x" + std::to_string(height) + " OpenGL device to draw with";
            return false;
        }
        // The part builder cuts images by the texture limit; the fixed state reads the screen size.
        g_maxTextureWidth = maxWidth_;
        g_maxTextureHeight = maxHeight_;
        g_screenWidth = float(width);
        g_screenHeight = float(height);
        SetFixedDeviceState(g_device);
        return true;
    }

private:
    unsigned maxWidth_ = 0, maxHeight_ = 0;
#ifdef _WIN32
    HWND window_ = nullptr;
#endif
};

int Run(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(USAGE, stdout);
            return 0;
        }
    }
    Arguments args;
    if (!ParseArguments(argc, argv, args)) return Usage();
    if (IsGif(args.out) && (args.all || args.sheetOptions)) {
        std::fprintf(stderr, "vantrel-export: %s: %s\n", args.out.c_str(),
                     args.all ? "a GIF is one movement; --all writes every frame into a .png sheet"
                              : "--trim and --json are for a .png sheet");
        return EXIT_BAD_INPUT;
    }

    ExportDevice device;
    std::string error;
    if (!device.Open(error)) {
        std::fprintf(stderr, "vantrel-export: %s\n", error.c_str());
        return EXIT_NO_DEVICE;
    }
    const ExportOptions& options = args.options;
    if (options.width > device.MaxWidth() || options.height > device.MaxHeight()) {
        std::fprintf(stderr, "vantrel-export: --size %ux%u is beyond the texture limit %ux%u\n", options.width,
                     options.height, device.MaxWidth(), device.MaxHeight());
        return EXIT_BAD_INPUT;
    }
    unsigned width = 0, height = 0;
    ExportCanvasSize(options, width, height);
    if (!device.Create(std::min(width, device.MaxWidth()), std::min(height, device.MaxHeight()), error)) {
        std::fprintf(stderr, "vantrel-export: %s\n", error.c_str());
        return EXIT_NO_DEVICE;
    }

    // The game's readers under the checker's rules, the folder left as it was.
    const std::vector<std::string> problems = CheckDataDirectory(".");
    for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
    if (!problems.empty()) return EXIT_BAD_INPUT;
    // The checker reads apart from the globals; the drawing needs the records in place.
    // Reading logs what it finds, and an export leaves the folder as it was.
    std::error_code ignored;
    const bool hadLog = std::filesystem::exists(LOG_FILE, ignored);
    DataSet data = LoadDataFiles();
    const DataSet replaced = InstallDataSet(data);
    struct LogRemover {
        bool remove;
        ~LogRemover()
        {
            std::error_code failed;
            if (remove) std::filesystem::remove(LOG_FILE, failed);
        }
    } logRemover{!hadLog};

    ExportResult result;
    const bool done = args.all ? ExportAllFrames(options, args.out, result)
                               : ExportFrame(args.frame, options, args.out, result);
    if (!done) {
        std::fprintf(stderr, "vantrel-export: %s\n", result.error.c_str());
        return EXIT_BAD_INPUT;
    }
    std::string files;
    for (const std::string& file : result.files) files += (files.empty() ? "" : " and ") + file;
    if (args.all) {
        std::printf("%s: %d frames, %d pictures, %d ms, a %ux%u sheet\n", files.c_str(), result.movements,
                    result.pictures, result.durationMs, result.sheetWidth, result.sheetHeight);
        for (int frame : result.leftOut) std::printf("frame %d drives no keys: left out\n", frame);
    } else if (result.sheetWidth != 0) {
        std::printf("%s: frame %d, %d pictures of %ux%u, %d ms, a %ux%u sheet\n", files.c_str(), args.frame,
                    result.pictures, result.width, result.height, result.durationMs, result.sheetWidth,
                    result.sheetHeight);
    } else {
        std::printf("%s: frame %d, %d pictures of %ux%u, %d ms\n", files.c_str(), args.frame, result.pictures,
                    result.width, result.height, result.durationMs);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // The export bounds what it holds and says its own shortage; this is for whatever else
    // runs short (the data, the device), said in one line like every other failure.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("vantrel-export: out of memory\n", stderr);
        return EXIT_BAD_INPUT;
    }
}
