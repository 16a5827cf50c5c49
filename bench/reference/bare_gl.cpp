// The floor for start-up and memory: the least an SDL2 + OpenGL 3.3 core program does to
// show the game's window once. Opens a 1024x768 window with the attributes the game asks
// for, clears, presents, reads one pixel back (so the frame is finished) and exits. Stands
// apart from the game: it links SDL2 and libepoxy only.
// `ref_bare_gl quad` also draws one textured, blended, depth-tested quad through a shader
// that discards by alpha, as each of the game's sprites is drawn: the floor of any program
// that draws at all, since the software rasteriser compiles its shader code at the first draw.
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kTextureSize = 64;

const char* const kVertexSource = R"(#version 330 core
layout(location = 0) in vec2 a_position;
out vec2 v_uv;
void main() { v_uv = a_position * 0.5 + 0.5; gl_Position = vec4(a_position * 0.5, 0.5, 1.0); }
)";
const char* const kFragmentSource = R"(#version 330 core
in vec2 v_uv;
uniform sampler2D u_texture;
out vec4 o_colour;
void main() { vec4 c = texture(u_texture, v_uv); if (c.a < 0.5) discard; o_colour = c; }
)";

GLuint Shader(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

void DrawQuad()
{
    GLuint program = glCreateProgram();
    glAttachShader(program, Shader(GL_VERTEX_SHADER, kVertexSource));
    glAttachShader(program, Shader(GL_FRAGMENT_SHADER, kFragmentSource));
    glLinkProgram(program);
    glUseProgram(program);

    std::vector<unsigned char> pixels(size_t(kTextureSize) * kTextureSize * 4, 200);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    const float corners[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    GLuint vao = 0, buffer = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace

int main(int argc, char** argv)
{
    const bool quad = argc > 1 && std::strcmp(argv[1], "quad") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bare_gl: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1024, 768,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "bare_gl: %s\n", SDL_GetError());
        return 1;
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (quad) DrawQuad();
    SDL_GL_SwapWindow(window);
    unsigned char pixel[4] = {};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return pixel[3] == 255 ? 0 : 1;
}
