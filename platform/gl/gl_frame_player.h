// Drawing a recorded frame (gl/gl_frame.h) with the fewest calls: consecutive filled
// triangles of one state become one indexed call over the frame's one vertex stream, any
// other draw keeps a call of its own, and the depth may be drawn as recorded, left out (a
// frame whose depth tests cannot fail) or drawn alone (catching up on frames drawn without
// it). The player owns the stream's vertex array and buffers, the shader programs, the
// edge drawer OpenGL ES needs for outlines and the viewport last applied; it draws into
// whatever framebuffer is bound. Create and Release run while the device's context is current.
#pragma once
#include <d3d8.h>

#include <cstddef>
#include <vector>

#include "gl/gl_api.h"
#include "gl/gl_frame.h"
#include "gl/gl_render_state.h"
#include "gl/gl_shaders.h"

class GlTexture;

// What of a recording's depth to draw: as recorded, none (its tests cannot fail), or only
// depth (catching up on a frame drawn without it).
enum class DepthPlay { AS_RECORDED, NONE, ONLY };

class GlFramePlayer {
public:
    void Create();
    void Release();
    // The target drawn into: where its rows count from the bottom (a window, turned upright
    // by the clip control), a viewport's rows are counted from its height. The viewport is
    // applied again at the next draw.
    void SetTarget(bool fromBottom, UINT height);
    void Play(const GlFrameRecording& frame, DepthPlay depth);

private:
    struct Call {
        size_t command;
        bool indexed;
        size_t firstIndex, indices;
    };
    void SetUpStream();
    static bool Batchable(const GlFrameCommand& command);
    void AppendTriangles(const GlFrameCommand& command);
    bool PlayClear(const GlFrameCommand& command, DepthPlay depth);
    void ApplyDrawState(const GlDrawState& state, GlTexture* texture);
    void ApplyViewport(const D3DVIEWPORT8& viewport);

    GlProgramCache programs_;
    GLuint vao_ = 0, streamBuffer_ = 0, indexBuffer_ = 0;
    std::vector<Call> calls_;
    std::vector<GLuint> indices_;
    GlEdgeDrawer edges_;
    bool fromBottom_ = false;
    UINT height_ = 1;
    D3DVIEWPORT8 appliedViewport_ = {};
};
