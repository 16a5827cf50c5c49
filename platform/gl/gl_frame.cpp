// The OpenGL device's frame recording and what it tells about drawing it.
#include "gl/gl_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gl/gl_objects.h"

namespace {

// How far a draw's depth must lie from the cleared value before an ordered comparison is
// trusted to pass on the driver: a few steps of the coarsest (16-bit) depth buffer, where
// our estimate and the driver's single-precision arithmetic differ by a few ulps at most.
// The game's scene lies about 50 steps in front of the far plane.
constexpr float kDepthMargin = 4.0f / 65536.0f;

// The matrix of a row-vector transform as the shader reads it: element [row][column].
float At(const GlFrameVertex& vertex, int row, int column) { return vertex.matrix[row * 4 + column]; }

// The key of a draw whose fragments all lie at one depth, computed by the shader from the
// same inputs for every vertex; false where depth may vary across the draw.
bool OneDepth(const GlDrawState& state, const GlFrameVertex* vertices, DWORD count, GlDepthKey& key)
{
    if (count == 0) return false;
    const GlFrameVertex& first = vertices[0];
    key = {};
    key.pretransformed = state.pretransformed;
    key.z = first.position[2];
    key.minZ = state.viewport.MinZ;
    key.maxZ = state.viewport.MaxZ;
    if (!state.pretransformed) {
        // Depth and w may not depend on x and y at all: zero terms add nothing exactly,
        // whatever order the shader sums in.
        if (At(first, 0, 2) != 0.0f || At(first, 1, 2) != 0.0f || At(first, 0, 3) != 0.0f || At(first, 1, 3) != 0.0f)
            return false;
        key.zRow[0] = At(first, 2, 2), key.zRow[1] = At(first, 3, 2);
        key.wRow[0] = At(first, 2, 3), key.wRow[1] = At(first, 3, 3);
    }
    for (DWORD i = 0; i < count; ++i) {
        const GlFrameVertex& v = vertices[i];
        // A product with an infinite or undefined x or y is no longer zero.
        if (!std::isfinite(v.position[0]) || !std::isfinite(v.position[1])) return false;
        if (std::memcmp(&v.position[2], &key.z, sizeof key.z) != 0) return false;
        if (!state.pretransformed && std::memcmp(v.matrix, first.matrix, sizeof v.matrix) != 0) return false;
    }
    return true;
}

// The window depth the shader and the viewport give a key, as near as the CPU can say.
float WindowDepth(const GlDepthKey& key)
{
    double ndc = key.z * 2.0 - 1.0;
    if (!key.pretransformed) {
        const double z = double(key.zRow[0]) * key.z + key.zRow[1];
        const double w = double(key.wRow[0]) * key.z + key.wRow[1];
        if (!(w > 0.0)) return NAN;
        ndc = (z * 2.0 - w) / w;
    }
    return float(key.minZ + (ndc + 1.0) / 2.0 * (double(key.maxZ) - key.minZ));
}

}  // namespace

void GlFrameRecording::Begin(const DepthKnowledge& depth, UINT width, UINT height)
{
    commands.clear();
    vertices.clear();
    commandTextures.clear();
    textures.clear();
    width_ = width;
    height_ = height;
    depth_ = depth;
    usesDepth_ = readsEarlier_ = fullDepthClear_ = colourClearedFirst_ = false;
    flat_ = true;
}

bool GlFrameRecording::FullTarget(const D3DVIEWPORT8& viewport) const
{
    return viewport.X == 0 && viewport.Y == 0 && viewport.Width >= width_ && viewport.Height >= height_;
}

void GlFrameRecording::AddClear(DWORD flags, D3DCOLOR colour, float z, const D3DVIEWPORT8& viewport)
{
    if (commands.empty()) colourClearedFirst_ = (flags & D3DCLEAR_TARGET) && FullTarget(viewport);
    GlFrameCommand command = {};
    command.kind = GlFrameCommand::CLEAR;
    command.clearFlags = flags;
    command.colour = colour;
    command.clearZ = z;
    command.state.viewport = viewport;
    commands.push_back(command);
    commandTextures.push_back(nullptr);
    if (!(flags & D3DCLEAR_ZBUFFER)) return;
    usesDepth_ = true;
    if (FullTarget(viewport)) {
        fullDepthClear_ = true;
        depth_ = {true, z, false, {}};
    } else {
        depth_.known = false;
    }
}

void GlFrameRecording::AddDraw(const GlDrawState& state, GlTexture* texture, DWORD mode, DWORD count)
{
    GlFrameCommand command = {};
    command.kind = GlFrameCommand::DRAW;
    command.state = state;
    command.mode = mode;
    command.first = static_cast<DWORD>(vertices.size() - count);
    command.count = count;
    commands.push_back(command);
    commandTextures.push_back(texture);
    if (texture) {
        texture->inRecording = true;
        if (std::find(textures.begin(), textures.end(), texture) == textures.end()) textures.push_back(texture);
    }
    if (state.raster.zEnable) NoteDepthDraw(state, command.first, count);
}

void GlFrameRecording::NoteDepthDraw(const GlDrawState& state, DWORD first, DWORD count)
{
    usesDepth_ = true;
    if (!fullDepthClear_) readsEarlier_ = true;
    if (!flat_) return;
    GlDepthKey key;
    if (!depth_.known || !OneDepth(state, &vertices[first], count, key) ||
        (depth_.written && std::memcmp(&key, &depth_.key, sizeof key) != 0)) {
        flat_ = false;
        return;
    }
    const float depth = WindowDepth(key);
    const DWORD func = state.raster.zFunc;
    // Against itself the comparison is exact; against the cleared value only an ordered
    // one with room to spare, or none, is trusted.
    const bool passesItself = func == D3DCMP_LESSEQUAL || func == D3DCMP_GREATEREQUAL || func == D3DCMP_ALWAYS;
    const bool passesClear = func == D3DCMP_ALWAYS ||
                             (func == D3DCMP_LESSEQUAL && depth <= depth_.clear - kDepthMargin) ||
                             (func == D3DCMP_GREATEREQUAL && depth >= depth_.clear + kDepthMargin);
    if (!std::isfinite(depth) || !passesItself || !passesClear) {
        flat_ = false;
        return;
    }
    if (state.raster.zWriteEnable) {
        depth_.written = true;
        depth_.key = key;
    }
}

bool GlFrameRecording::SelfContained() const
{
    return colourClearedFirst_ && (!usesDepth_ || flat_ || !ReadsEarlierDepth());
}

bool GlFrameRecording::SamePicture(const GlFrameRecording& other) const
{
    if (commands.size() != other.commands.size() || vertices.size() != other.vertices.size()) return false;
    return (commands.empty() ||
            std::memcmp(commands.data(), other.commands.data(), commands.size() * sizeof(GlFrameCommand)) == 0) &&
           (vertices.empty() ||
            std::memcmp(vertices.data(), other.vertices.data(), vertices.size() * sizeof(GlFrameVertex)) == 0);
}
