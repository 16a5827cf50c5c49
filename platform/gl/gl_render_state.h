// The fixed-function state the game sets, put into OpenGL: depth, blending, culling and
// fill; the sampling of a texture; the primitive types; the product of the transforms; and
// wireframe where OpenGL ES has no polygon mode. Each takes the values the device core
// holds and touches only OpenGL, so the device decides when, and these decide how.
#pragma once
#include <d3d8.h>

#include <vector>

#include "gl/gl_api.h"

// The render states that shape rasterising, as the device core holds them.
struct GlRasterState {
    DWORD zEnable, zFunc, zWriteEnable;
    DWORD alphaBlendEnable, srcBlend, destBlend;
    DWORD cullMode, fillMode;
};
// Lighting is not reproduced: the game keeps it off and draws with vertex colours.
void GlApplyRasterState(const GlRasterState& state);

// A texture stage's sampling states.
struct GlSamplingState {
    DWORD magFilter, minFilter, mipFilter, addressU, addressV;
};
// Sets the bound 2D texture's filters and wrapping where they differ from applied, the
// values last given to that texture, which it updates: each change costs the texture a
// revalidation in the driver.
void GlApplySampling(const GlSamplingState& state, GLint applied[4]);

// The OpenGL primitive of a Direct3D one; false for a type there is none for.
bool GlPrimitiveMode(D3DPRIMITIVETYPE type, GLenum& mode);

// a = a * b for the platform's row-vector matrices.
void GlMultiply(D3DMATRIX& a, const D3DMATRIX& b);

// Wireframe where there is no polygon mode (OpenGL ES): each triangle's three edges as
// lines, an edge two triangles share drawn by both as the polygon mode would. The index
// buffer is made on first use; Release needs the context current.
class GlEdgeDrawer {
public:
    // mode is GL_TRIANGLES, GL_TRIANGLE_STRIP or GL_TRIANGLE_FAN over the bound vertices.
    void Draw(GLenum mode, UINT first, UINT vertices);
    void Release();

private:
    GLuint buffer_ = 0;
    std::vector<GLuint> indices_;
};
