// A frame as the OpenGL device records it between two drawings: its clears and draws, each
// draw with the whole state it was asked under and its vertices copied into one stream in
// one layout (the transform carried by every vertex), so the frame can be drawn later,
// batched, with the very arithmetic an immediate draw would have done. The recording also
// answers what drawing it may leave out: whether its depth test can change no pixel, and
// whether it is the same picture as another recording whatever was drawn before it.
// Recordings compare bit for bit, so nothing here may hold padding or pointers but
// `textures`, which the comparison leaves out (a texture's version names it instead).
#pragma once
#include <d3d8.h>

#include <cstdint>
#include <vector>

#include "gl/gl_render_state.h"

class GlTexture;

// One vertex as every draw of a recording feeds it to the shader.
struct GlFrameVertex {
    float position[4];  // x, y, z, and rhw where the vertex is already transformed, else 1
    uint8_t colour[4];  // the platform's byte order, blue first
    float uv[2];
    float matrix[16];  // world * view * projection, row-vector form; zero where pretransformed
};

// Where every fragment of a depth-tested draw lies, bit for bit, when that is one depth for
// the whole draw: the inputs the vertex shader computes depth from.
struct GlDepthKey {
    DWORD pretransformed;
    float z;                 // the vertices' own z, alike for all of them
    float zRow[2], wRow[2];  // the transform's z and w terms for the vertex z and the constant
    float minZ, maxZ;        // the viewport's depth range
};

// Everything a draw is drawn with, as OpenGL will be given it.
struct GlDrawState {
    GlRasterState raster;
    DWORD program;  // FragmentKey::Packed
    DWORD alphaRef;
    DWORD texture;                     // GL name, 0 for none
    DWORD textureVersion[2];           // GlTexture::Version, low word first
    GlSamplingState sampling;
    D3DVIEWPORT8 viewport;
    DWORD pretransformed;
};

struct GlFrameCommand {
    enum Kind : DWORD { CLEAR, DRAW };
    DWORD kind;
    // CLEAR: the Clear call's flags, colour and depth, scissored to viewport.
    DWORD clearFlags;
    D3DCOLOR colour;
    float clearZ;
    // DRAW: mode is the OpenGL primitive, over vertices [first, first + count) of the stream.
    GlDrawState state;
    DWORD mode, first, count;
};

class GlFrameRecording {
public:
    // What the depth buffer is known to hold when the recording starts, from the frames the
    // device drew before it without their depth test: every value either clear or, where
    // something wrote, the one depth named by key.
    struct DepthKnowledge {
        bool known = false;
        float clear = 1.0f;
        bool written = false;
        GlDepthKey key = {};
    };

    // Empty, starting from what the device knows of its depth buffer; the target is
    // width x height pixels.
    void Begin(const DepthKnowledge& depth, UINT width, UINT height);
    bool Empty() const { return commands.empty(); }

    void AddClear(DWORD flags, D3DCOLOR colour, float z, const D3DVIEWPORT8& viewport);
    // A draw over the last `count` vertices appended to `vertices`; texture is the one its
    // state names, or null.
    void AddDraw(const GlDrawState& state, GlTexture* texture, DWORD mode, DWORD count);

    // Whether the depth buffer can be left out: every depth-tested draw lies at one depth
    // that its test passes against the cleared value and against itself, so no test fails
    // and the picture is that of the draws in their order.
    bool DepthFlat() const { return usesDepth_ && flat_; }
    // Whether it clears or tests depth at all.
    bool UsesDepth() const { return usesDepth_; }
    // Whether it tests depth before clearing all of it (or clears only part): its depth
    // then depends on what was drawn before.
    bool ReadsEarlierDepth() const { return usesDepth_ && (readsEarlier_ || !fullDepthClear_); }
    // The depth knowledge after it, drawn without its depth buffer.
    DepthKnowledge DepthAfter() const { return depth_; }
    // Whether its picture owes nothing to what was drawn before: it starts by clearing the
    // whole colour buffer, and its depth tests cannot come out otherwise.
    bool SelfContained() const;
    // The same commands over the same vertices and texture contents.
    bool SamePicture(const GlFrameRecording& other) const;

    std::vector<GlFrameCommand> commands;
    std::vector<GlFrameVertex> vertices;
    // Not compared: the texture each command samples (null for none), and each texture
    // any command samples, once.
    std::vector<GlTexture*> commandTextures;
    std::vector<GlTexture*> textures;

private:
    bool FullTarget(const D3DVIEWPORT8& viewport) const;
    void NoteDepthDraw(const GlDrawState& state, DWORD first, DWORD count);

    UINT width_ = 0, height_ = 0;
    DepthKnowledge depth_;
    bool usesDepth_ = false, flat_ = true, readsEarlier_ = false, fullDepthClear_ = false;
    bool colourClearedFirst_ = false;
};
