// Exporting animation frames as pictures: the figure alone, at rest, facing right, plays
// a frame on a virtual clock; each step is drawn through the game's own figure drawing,
// read back, and written as a looping animated GIF or as a PNG sheet with a JSON file
// beside it in the layout game frameworks read (export/sheet_file.h), which may hold every
// frame of the animation file, one tag each. What is exported is what the game draws,
// centred on a transparent background.
//
// What the caller provides: the loaded records (g_vectorMan, g_frames, and the animation
// file's record for the frame's name) and a device (g_device) in the game's fixed render
// state (graphics/scene_resources.h). The export draws into the device's back buffer, whose
// size bounds the canvas the figure is drawn on, and never presents: inside the game, call
// it between frames; the next frame clears and redraws the back buffer.
//
// What it gives back as it found it: the game's figure (the frame plays on a copy, so the
// pose, the current keys and every slot stay), the frame's key records, which the stepping
// writes into, and the viewport and the view, projection and world transforms.
//
// The figure is drawn through VectorMan::DrawFigure with whatever figure overlay is in
// force (animation/figure_overlay.h): a caller inside the editor empties it around the call
// so the pictures carry no marks (editor/pose_export.cpp).
#pragma once
#include <string>
#include <vector>

const int DEFAULT_EXPORT_FPS = 30;
// GIF delays are whole hundredths of a second, and viewers slow anything under two of
// them down to a tenth, so a faster rate would not play at its speed.
const int MAX_EXPORT_FPS = 50;
const float MIN_EXPORT_SCALE = 0.125f;
const float MAX_EXPORT_SCALE = 8.0f;
// A frame whose lists never all end (a key that never arrives) stops here.
const int MAX_EXPORT_SECONDS = 20;

// The two forms of a sheet's JSON (export/sheet_file.h): `frames` an array of named
// pictures, or an object keyed by their names.
enum class SheetJsonForm { Array, Hash };

struct ExportOptions {
    int fps = DEFAULT_EXPORT_FPS;  // pictures a second, 1 to MAX_EXPORT_FPS
    float scale = 1.0f;            // picture pixels per pixel of the figure's images
    // The picture's size; 0 for both: the smallest that holds the figure over the whole
    // frame, with a small transparent margin.
    unsigned width = 0;
    unsigned height = 0;
    // A sheet's only: each picture cut to the pixels it covers, and the form of its JSON.
    bool trim = false;
    SheetJsonForm json = SheetJsonForm::Array;
};

struct ExportResult {
    std::vector<std::string> files;  // the paths written, the picture first
    int pictures = 0;
    int durationMs = 0;  // the pictures' durations together
    unsigned width = 0;  // of one picture (of the first movement's, for several)
    unsigned height = 0;
    int movements = 0;        // animation frames in the file written
    std::vector<int> leftOut;  // frames of several asked for that drive no keys, so were not written
    unsigned sheetWidth = 0;  // of a sheet
    unsigned sheetHeight = 0;
    std::string error;  // one line, where the export failed
};

// Plays frame `frame` and writes outPath: a name ending in ".gif" gets an animated GIF, one
// ending in ".png" a sheet with its JSON (SheetJsonPath). The files are replaced together
// or not at all: when the export fails, whatever was at outPath and beside it stays as it
// was, and nothing new is left (export/output_files.h; a path that is a link is written
// through to the file it names). The frame ends when every key list it drives has run
// through (a looping list: once round), or after MAX_EXPORT_SECONDS. It is drawn twice,
// and a GIF's pictures written as they are drawn, so the memory it takes does not grow with
// its length; a sheet, held whole, is refused above MAX_SHEET_BYTES (export/sheet_file.h),
// and memory that still runs short is said as the error like any other failure.
bool ExportFrame(int frame, const ExportOptions& options, const std::string& outPath, ExportResult& result);

// Every frame of the animation file into one sheet (outPath ending in ".png"), one movement
// after another, each a tag of its own; frames that drive no keys are left out (said in
// result.leftOut). As ExportFrame otherwise; a GIF is one movement, so ".gif" is refused.
bool ExportAllFrames(const ExportOptions& options, const std::string& outPath, ExportResult& result);

// Where a sheet's JSON goes: "walk.png" gives "walk.json".
std::string SheetJsonPath(const std::string& pngPath);

// The back buffer a program made only to export should have for these options: room for
// the figure at the scale and for the asked size.
void ExportCanvasSize(const ExportOptions& options, unsigned& width, unsigned& height);
