// The shader generator of the OpenGL back-end.
#include "gl/gl_shaders.h"

#include <SDL.h>

#include <string>

namespace {

// Desktop OpenGL 3.3 core or OpenGL ES 3.0 (WebGL 2): the same shaders after the header.
const char* const kShaderHeader = kGles ? "#version 300 es\nprecision highp float;\nprecision highp int;\n"
                                        : "#version 330 core\n";

const char* kVertexShader = R"(
layout(location = 0) in vec4 a_position;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in vec2 a_uv;
// World, view and projection by vertex, so draws under different transforms share a call.
layout(location = 3) in vec4 a_matrix0;
layout(location = 4) in vec4 a_matrix1;
layout(location = 5) in vec4 a_matrix2;
layout(location = 6) in vec4 a_matrix3;
uniform int u_pretransformed;
uniform vec4 u_viewport;
out vec4 v_colour;
out vec2 v_uv;
void main() {
    if (u_pretransformed != 0) {
        // Screen pixels of the viewport, top-left origin, depth 0..1.
        float x = (a_position.x - u_viewport.x) / u_viewport.z * 2.0 - 1.0;
        float y = 1.0 - (a_position.y - u_viewport.y) / u_viewport.w * 2.0;
        gl_Position = vec4(x, y, a_position.z * 2.0 - 1.0, 1.0);
    } else {
        vec4 p = mat4(a_matrix0, a_matrix1, a_matrix2, a_matrix3) * vec4(a_position.xyz, 1.0);
        p.z = p.z * 2.0 - p.w;  // depth 0..1 onto -1..1
        gl_Position = p;
    }
    // The framebuffer holds rows top first, as the platform's does, so OpenGL's rule for
    // pixels on an edge picks Direct3D's (top and left edges in). Direct3D puts pixel
    // centres on whole coordinates, OpenGL half a pixel further on: moving everything half
    // a pixel right and down covers, and samples, what Direct3D does.
    gl_Position.y = -gl_Position.y;
    gl_Position.xy += vec2(1.0 / u_viewport.z, 1.0 / u_viewport.w) * gl_Position.w;
    v_colour = COLOUR_ORDER(a_colour);
    v_uv = a_uv;
    POINT_SIZE;
}
)";

// Desktop OpenGL reads the vertex colour's bytes in the platform's order (blue first)
// itself; OpenGL ES reads them as they lie, so the shader turns them round. ES points
// have no size unless the shader gives one.
const char* const kVertexDefines = kGles ? "#define COLOUR_ORDER(c) (c).bgra\n#define POINT_SIZE gl_PointSize = 1.0\n"
                                         : "#define COLOUR_ORDER(c) (c)\n#define POINT_SIZE\n";

const char* StageExpression(int code)
{
    switch (code) {
    case 1: return "tex";
    case 2: return "v_colour * v_colour";
    case 3: return "tex * v_colour";
    case 4: return "tex * tex";
    default: return "v_colour";
    }
}

std::string FragmentShader(const FragmentKey& key)
{
    std::string source = std::string(kShaderHeader) + R"(
in vec4 v_colour;
in vec2 v_uv;
uniform sampler2D u_texture;
uniform int u_alphaRef;
out vec4 o_colour;
void main() {
)";
    source += key.texture ? "    vec4 tex = texture(u_texture, v_uv);\n" : "    vec4 tex = vec4(1.0);\n";
    source += std::string("    vec3 rgb = (") + StageExpression(key.colour) + ").rgb;\n";
    source += std::string("    float a = (") + StageExpression(key.alpha) + ").a;\n";
    static const char* const comparisons[] = {"", "false", "<", "==", "<=", ">", "!=", ">="};
    if (key.alphaTest == D3DCMP_NEVER) {
        source += "    discard;\n";
    } else if (key.alphaTest > D3DCMP_NEVER && key.alphaTest < D3DCMP_ALWAYS) {
        source += std::string("    if (!(int(floor(a * 255.0 + 0.5)) ") + comparisons[key.alphaTest] +
                  " u_alphaRef)) discard;\n";
    }
    source += "    o_colour = vec4(rgb, a);\n}\n";
    return source;
}

GLuint CompileProgram(const std::string& fragmentSource)
{
    auto compile = [](GLenum type, const std::string& source) {
        GLuint shader = glCreateShader(type);
        const char* text = source.c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024];
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            SDL_Log("shader: %s", log);
        }
        return shader;
    };
    GLuint vs = compile(GL_VERTEX_SHADER, std::string(kShaderHeader) + kVertexDefines + kVertexShader);
    GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentSource);
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

}  // namespace

int StageCode(DWORD op, DWORD arg1, DWORD arg2)
{
    const bool tex1 = (arg1 & 15) == D3DTA_TEXTURE, tex2 = (arg2 & 15) == D3DTA_TEXTURE;
    switch (op) {
    case D3DTOP_SELECTARG1: return tex1 ? 1 : 0;
    case D3DTOP_SELECTARG2: return tex2 ? 1 : 0;
    case D3DTOP_MODULATE: return 2 + (tex1 ? 1 : 0) + (tex2 ? 1 : 0);
    default: return 0;
    }
}

void GlProgramCache::Clear()
{
    for (const auto& program : programs_) glDeleteProgram(program.second.name);
    programs_.clear();
}

const GlProgram& GlProgramCache::For(const FragmentKey& key)
{
    auto found = programs_.find(key.Packed());
    if (found != programs_.end()) return found->second;
    GlProgram program;
    program.name = CompileProgram(FragmentShader(key));
    glUseProgram(program.name);
    glUniform1i(glGetUniformLocation(program.name, "u_texture"), 0);
    program.pretransformed = glGetUniformLocation(program.name, "u_pretransformed");
    program.viewport = glGetUniformLocation(program.name, "u_viewport");
    program.alphaRef = glGetUniformLocation(program.name, "u_alphaRef");
    return programs_[key.Packed()] = program;
}
