// The shaders that reproduce the fixed-function state the game uses. One vertex shader
// serves every draw; a fragment shader is made for each combination of texture stage and
// alpha test, so a software rasteriser runs straight-line code per pixel instead of
// evaluating every possible operation behind uniform branches (which it cannot skip).
#pragma once
#include <d3d8.h>

#include <map>

#include "gl/gl_context.h"

// The fragment shader's inputs from the device state.
struct FragmentKey {
    bool texture;
    int colour, alpha;  // StageCode of the stage's result
    int alphaTest;      // comparison, 0 when the test is off or always passes
    int Packed() const { return (texture ? 1 : 0) | colour << 1 | alpha << 4 | alphaTest << 7; }
    static FragmentKey Unpacked(int packed)
    {
        return {(packed & 1) != 0, (packed >> 1) & 7, (packed >> 4) & 7, packed >> 7};
    }
};

// What a stage operation yields: 0 diffuse, 1 texture, 2..4 products of the two.
int StageCode(DWORD op, DWORD arg1, DWORD arg2);

struct GlProgram {
    GLuint name = 0;
    GLint pretransformed = -1, viewport = -1, alphaRef = -1;
};

// Programs by key, made on first use; they live as long as the cache (one device's).
class GlProgramCache {
public:
    GlProgramCache() = default;
    GlProgramCache(const GlProgramCache&) = delete;
    GlProgramCache& operator=(const GlProgramCache&) = delete;
    // Deletes the programs; the device's context must be current.
    void Clear();
    const GlProgram& For(const FragmentKey& key);

private:
    std::map<int, GlProgram> programs_;
};
