#include "gl/gl_frame_player.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "gl/gl_objects.h"

namespace {

// The shader's vertex inputs (gl_shaders), fed from the recording's one vertex layout.
enum VertexAttribute : GLuint { POSITION, COLOUR, UV, MATRIX_ROW0 };
constexpr GLuint kMatrixRows = 4;

bool TrianglePrimitive(DWORD mode)
{
    return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN;
}

}  // namespace

void GlFramePlayer::Create()
{
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &streamBuffer_);
    glGenBuffers(1, &indexBuffer_);
    SetUpStream();
}

void GlFramePlayer::Release()
{
    const GLuint buffers[2] = {streamBuffer_, indexBuffer_};
    glDeleteBuffers(2, buffers);
    edges_.Release();
    glDeleteVertexArrays(1, &vao_);
    programs_.Clear();
}

void GlFramePlayer::SetTarget(bool fromBottom, UINT height)
{
    fromBottom_ = fromBottom;
    height_ = height;
    appliedViewport_.Width = ~DWORD(0);
}

// The stream's one vertex layout, bound to the vertex array once.
void GlFramePlayer::SetUpStream()
{
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_);
    const GLsizei stride = sizeof(GlFrameVertex);
    glEnableVertexAttribArray(POSITION);
    glVertexAttribPointer(POSITION, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(GlFrameVertex, position)));
    glEnableVertexAttribArray(COLOUR);
    // Desktop OpenGL takes the bytes blue first as they lie; the ES shader swaps them.
    glVertexAttribPointer(COLOUR, kGles ? 4 : GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<const void*>(offsetof(GlFrameVertex, colour)));
    glEnableVertexAttribArray(UV);
    glVertexAttribPointer(UV, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offsetof(GlFrameVertex, uv)));
    for (GLuint row = 0; row < kMatrixRows; ++row) {
        glEnableVertexAttribArray(MATRIX_ROW0 + row);
        glVertexAttribPointer(MATRIX_ROW0 + row, 4, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offsetof(GlFrameVertex, matrix) + row * 4 * sizeof(float)));
    }
}

void GlFramePlayer::Play(const GlFrameRecording& frame, DepthPlay depth)
{
    const std::vector<GlFrameCommand>& commands = frame.commands;
    calls_.clear();
    indices_.clear();
    for (size_t i = 0; i < commands.size();) {
        const GlFrameCommand& command = commands[i];
        if (!Batchable(command)) {
            calls_.push_back({i, false, 0, 0});
            ++i;
            continue;
        }
        const size_t firstIndex = indices_.size();
        size_t next = i;
        while (next < commands.size() && Batchable(commands[next]) &&
               std::memcmp(&commands[next].state, &command.state, sizeof command.state) == 0)
            AppendTriangles(commands[next++]);
        calls_.push_back({i, true, firstIndex, indices_.size() - firstIndex});
        i = next;
    }

    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(frame.vertices.size() * sizeof(GlFrameVertex)),
                 frame.vertices.data(), GL_STREAM_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    if (!indices_.empty())
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices_.size() * sizeof(GLuint)),
                     indices_.data(), GL_STREAM_DRAW);
    if (depth == DepthPlay::ONLY) glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    bool rasterKnown = false;
    GlRasterState applied = {};
    for (const Call& call : calls_) {
        const GlFrameCommand& command = commands[call.command];
        if (command.kind == GlFrameCommand::CLEAR) {
            // The clear's depth mask is raster state the next draw must set again.
            if (PlayClear(command, depth)) rasterKnown = false;
            continue;
        }
        GlRasterState raster = command.state.raster;
        if (depth == DepthPlay::NONE) raster.zEnable = raster.zWriteEnable = 0;
        if (!rasterKnown || std::memcmp(&raster, &applied, sizeof raster) != 0) {
            GlApplyRasterState(raster);
            applied = raster;
            rasterKnown = true;
        }
        ApplyDrawState(command.state, frame.commandTextures[call.command]);
        if (call.indexed) {
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(call.indices), GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(call.firstIndex * sizeof(GLuint)));
            continue;
        }
        GLenum mode = command.mode;
        const DWORD fill = command.state.raster.fillMode;
        if (kGles && TrianglePrimitive(mode) && fill == D3DFILL_WIREFRAME) {
            edges_.Draw(mode, command.first, command.count);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
            continue;
        }
        if (kGles && TrianglePrimitive(mode) && fill == D3DFILL_POINT) mode = GL_POINTS;
        glDrawArrays(mode, static_cast<GLint>(command.first), static_cast<GLsizei>(command.count));
    }
    if (depth == DepthPlay::ONLY) glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// Filled triangles only: lines and points, and polygons drawn as outlines, keep the
// primitive they were asked as.
bool GlFramePlayer::Batchable(const GlFrameCommand& command)
{
    return command.kind == GlFrameCommand::DRAW && TrianglePrimitive(command.mode) &&
           command.state.raster.fillMode == D3DFILL_SOLID;
}

// The triangles of a list, strip or fan, each with its vertices in the order the
// primitive itself hands them to the rasteriser, so each is rasterised and
// interpolated as before.
void GlFramePlayer::AppendTriangles(const GlFrameCommand& command)
{
    const GLuint first = command.first;
    if (command.mode == GL_TRIANGLES) {
        for (GLuint i = 0; i < command.count - command.count % 3; ++i) indices_.push_back(first + i);
        return;
    }
    for (GLuint t = 0; t + 3 <= command.count; ++t) {
        if (command.mode == GL_TRIANGLE_FAN) {
            indices_.insert(indices_.end(), {first, first + t + 1, first + t + 2});
        } else {
            // Every other triangle of a strip is turned round to keep its facing.
            const GLuint odd = t % 2;
            indices_.insert(indices_.end(), {first + t + odd, first + t + 1 - odd, first + t + 2});
        }
    }
}

// Returns whether it touched the depth mask.
bool GlFramePlayer::PlayClear(const GlFrameCommand& command, DepthPlay depth)
{
    ApplyViewport(command.state.viewport);
    GLbitfield mask = 0;
    const D3DCOLOR color = command.colour;
    if ((command.clearFlags & D3DCLEAR_TARGET) && depth != DepthPlay::ONLY) {
        glClearColor(((color >> 16) & 0xff) / 255.0f, ((color >> 8) & 0xff) / 255.0f, (color & 0xff) / 255.0f,
                     (color >> 24) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((command.clearFlags & D3DCLEAR_ZBUFFER) && depth != DepthPlay::NONE) {
        glDepthMask(GL_TRUE);
        GlClearDepth(command.clearZ);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (!mask) return false;
    glEnable(GL_SCISSOR_TEST);
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
    return (mask & GL_DEPTH_BUFFER_BIT) != 0;
}

void GlFramePlayer::ApplyDrawState(const GlDrawState& state, GlTexture* texture)
{
    ApplyViewport(state.viewport);
    const GlProgram& program = programs_.For(FragmentKey::Unpacked(static_cast<int>(state.program)));
    glUseProgram(program.name);
    glUniform1i(program.pretransformed, state.pretransformed ? 1 : 0);
    const D3DVIEWPORT8& viewport = state.viewport;
    glUniform4f(program.viewport, float(viewport.X), float(viewport.Y), float(std::max<DWORD>(1, viewport.Width)),
                float(std::max<DWORD>(1, viewport.Height)));
    glUniform1i(program.alphaRef, static_cast<GLint>(state.alphaRef));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture ? texture->Name() : 0);
    if (texture) GlApplySampling(state.sampling, texture->sampling);
}

void GlFramePlayer::ApplyViewport(const D3DVIEWPORT8& viewport)
{
    if (std::memcmp(&appliedViewport_, &viewport, sizeof viewport) == 0) return;
    appliedViewport_ = viewport;
    // The viewport and the framebuffer both count rows from the top; the window
    // counts them from the bottom, its picture turned upright by the clip control.
    const GLint y = fromBottom_ ? GLint(height_) - GLint(viewport.Y) - GLint(viewport.Height)
                            : static_cast<GLint>(viewport.Y);
    glViewport(static_cast<GLint>(viewport.X), y, static_cast<GLsizei>(viewport.Width),
               static_cast<GLsizei>(viewport.Height));
    glScissor(static_cast<GLint>(viewport.X), y, static_cast<GLsizei>(viewport.Width),
              static_cast<GLsizei>(viewport.Height));
    GlDepthRange(viewport.MinZ, viewport.MaxZ);
}
