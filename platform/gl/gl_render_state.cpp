// Direct3D's fixed-function state onto OpenGL.
#include "gl/gl_render_state.h"

namespace {

GLenum BlendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

GLenum CompareFunc(DWORD func)
{
    switch (func) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLint AddressMode(DWORD mode)
{
    switch (mode) {
    case 2: return GL_MIRRORED_REPEAT;
    case 3: return GL_CLAMP_TO_EDGE;
    // OpenGL ES 3.0 has no border colour; the edge is the nearest it offers.
    case 4: return kGles ? GL_CLAMP_TO_EDGE : GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

}  // namespace

void GlApplyRasterState(const GlRasterState& state)
{
    if (state.zEnable) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareFunc(state.zFunc));
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(state.zWriteEnable ? GL_TRUE : GL_FALSE);
    if (state.alphaBlendEnable) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactor(state.srcBlend), BlendFactor(state.destBlend));
    } else {
        glDisable(GL_BLEND);
    }
    if (state.cullMode == D3DCULL_CW || state.cullMode == D3DCULL_CCW) {
        // The platform's front faces are clockwise on screen; the framebuffer is upside
        // down for OpenGL, which sees them counter-clockwise.
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(state.cullMode == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    } else {
        glDisable(GL_CULL_FACE);
    }
#ifndef VANTREL_GLES
    // OpenGL ES fills every polygon.
    glPolygonMode(GL_FRONT_AND_BACK, state.fillMode == D3DFILL_WIREFRAME ? GL_LINE
                                     : state.fillMode == D3DFILL_POINT   ? GL_POINT
                                                                         : GL_FILL);
#endif
}

void GlApplySampling(const GlSamplingState& state, GLint applied[4])
{
    const bool linearMag = state.magFilter >= D3DTEXF_LINEAR;
    const bool linearMin = state.minFilter >= D3DTEXF_LINEAR;
    GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    if (state.mipFilter == D3DTEXF_POINT) minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (state.mipFilter >= D3DTEXF_LINEAR) minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    const GLint wanted[4] = {linearMag ? GL_LINEAR : GL_NEAREST, minFilter, AddressMode(state.addressU),
                             AddressMode(state.addressV)};
    const GLenum names[4] = {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
    for (int i = 0; i < 4; ++i) {
        if (applied[i] == wanted[i]) continue;
        glTexParameteri(GL_TEXTURE_2D, names[i], wanted[i]);
        applied[i] = wanted[i];
    }
}

bool GlPrimitiveMode(D3DPRIMITIVETYPE type, GLenum& mode)
{
    switch (type) {
    case D3DPT_POINTLIST: mode = GL_POINTS; return true;
    case D3DPT_LINELIST: mode = GL_LINES; return true;
    case D3DPT_LINESTRIP: mode = GL_LINE_STRIP; return true;
    case D3DPT_TRIANGLELIST: mode = GL_TRIANGLES; return true;
    case D3DPT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP; return true;
    case D3DPT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN; return true;
    default: return false;
    }
}

void GlMultiply(D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    a = r;
}

void GlEdgeDrawer::Draw(GLenum mode, UINT first, UINT vertices)
{
    indices_.clear();
    const UINT triangles = mode == GL_TRIANGLES ? vertices / 3 : (vertices >= 3 ? vertices - 2 : 0);
    for (UINT t = 0; t < triangles; ++t) {
        GLuint a = first + t, b = first + t + 1, c = first + t + 2;
        if (mode == GL_TRIANGLES) a = first + 3 * t, b = a + 1, c = a + 2;
        if (mode == GL_TRIANGLE_FAN) a = first;
        const GLuint edges[6] = {a, b, b, c, c, a};
        indices_.insert(indices_.end(), edges, edges + 6);
    }
    if (indices_.empty()) return;
    if (!buffer_) glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices_.size() * sizeof(GLuint)), indices_.data(),
                 GL_STREAM_DRAW);
    glDrawElements(GL_LINES, static_cast<GLsizei>(indices_.size()), GL_UNSIGNED_INT, nullptr);
}

void GlEdgeDrawer::Release()
{
    if (buffer_) glDeleteBuffers(1, &buffer_);
    buffer_ = 0;
}
