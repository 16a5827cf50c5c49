// Text on screen, in back-buffer pixels: one monospaced font (an atlas image and its
// metrics file, both made by the art program) drawn through the device as textured quads,
// so every back-end and the Windows build show the same pixels. Without a loaded font
// nothing is drawn and every call is a no-op: a missing font costs the text, not the game.
#pragma once
#include <d3d8.h>

// The font's metrics file, read from the working directory beside the other data files.
const char* const FONT_FILE = "font.dat";

// Reads the metrics file and loads its atlas on g_device, replacing any font loaded
// before. False, with one log line, when the file, the atlas or the device is missing or
// the metrics do not fit the atlas.
bool LoadFont(const char* metricsFile);
// Drops the font without releasing it: the device it lived on may be gone (tests start
// many games in one process).
void ForgetFont();
// Releases the font's texture and forgets it, where its device is known to be alive.
void ReleaseFont();
bool FontLoaded();
// The atlas image the loaded font was read from; empty without a font.
const char* FontImageFile();

// One line's height and one character's advance; 0 without a font.
int TextLineHeight();
int TextAdvance();

// A pass of screen-space drawing inside BeginScene and EndScene: on construction it keeps
// the transforms and states the scene relies on and sets pixel coordinates, no depth test;
// on destruction it puts them back. Inactive (draws nothing, changes nothing) without a
// font or a device.
class ScreenTextPass {
public:
    explicit ScreenTextPass(IDirect3DDevice8* device);
    ~ScreenTextPass();
    ScreenTextPass(const ScreenTextPass&) = delete;
    ScreenTextPass& operator=(const ScreenTextPass&) = delete;

    bool Active() const { return device_ != nullptr; }
    // An untextured rectangle, for a backing strip behind text.
    void FillStrip(float left, float top, float width, float height, DWORD colour);
    // One line of text, its cells' top-left corner at (left, top); characters the font
    // does not hold take their place as blanks. Returns the width drawn, in pixels.
    float DrawString(float left, float top, const char* text, DWORD colour);

private:
    void DrawQuad(float left, float top, float width, float height, float u0, float v0, float u1, float v1,
                  DWORD colour);

    IDirect3DDevice8* device_ = nullptr;
    D3DMATRIX world_ = {}, view_ = {}, projection_ = {};
    DWORD zEnable_ = 0;
    DWORD fillMode_ = 0;
    IDirect3DBaseTexture8* texture_ = nullptr;
};
