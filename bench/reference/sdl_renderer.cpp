// The usual SDL way of drawing the game's first frame, to measure our device against:
// `sdl_renderer SCENE_FILE [FRAMES]` draws the quads bench_scene wrote (the game's own
// textures at the places the game puts them, alpha-blended) with SDL_Renderer into a
// 1024x768 window, then a frame that only clears and presents, and prints the mean wall
// time of each. A frame counts once finished: each ends with a one-pixel read. Stands apart
// from the game: it links SDL2 only.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Quad {
    SDL_Texture* texture;
    SDL_Vertex corners[4];
};

struct Scene {
    Uint32 clear = 0xff000000;
    std::vector<Quad> quads;
};

SDL_Color Colour(unsigned long argb)
{
    return {Uint8(argb >> 16), Uint8(argb >> 8), Uint8(argb), Uint8(argb >> 24)};
}

bool LoadScene(SDL_Renderer* renderer, const std::string& path, Scene& scene)
{
    std::ifstream in(path);
    if (!in) return false;
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    std::map<int, SDL_Texture*> textures;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "clear") {
            fields >> std::hex >> scene.clear;
        } else if (kind == "texture") {
            int id = 0, width = 0, height = 0;
            std::string file;
            fields >> id >> width >> height >> file;
            std::vector<char> pixels(size_t(width) * height * 4);
            std::ifstream raw(folder + file, std::ios::binary);
            if (!raw.read(pixels.data(), std::streamsize(pixels.size()))) return false;
            SDL_Texture* texture =
                SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, width, height);
            if (!texture) return false;
            SDL_UpdateTexture(texture, nullptr, pixels.data(), width * 4);
            SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
            textures[id] = texture;
        } else if (kind == "quad") {
            int id = -1;
            fields >> std::dec >> id;
            Quad quad = {id >= 0 ? textures[id] : nullptr, {}};
            for (SDL_Vertex& corner : quad.corners) {
                unsigned long argb = 0;
                fields >> std::dec >> corner.position.x >> corner.position.y >> corner.tex_coord.x >>
                    corner.tex_coord.y >> std::hex >> argb;
                corner.color = Colour(argb);
            }
            if (!fields) return false;
            scene.quads.push_back(quad);
        }
    }
    return !scene.quads.empty();
}

void Frame(SDL_Renderer* renderer, const Scene& scene, bool draw)
{
    static const int fan[6] = {0, 1, 2, 0, 2, 3};
    const SDL_Color clear = Colour(scene.clear);
    SDL_SetRenderDrawColor(renderer, clear.r, clear.g, clear.b, 255);
    SDL_RenderClear(renderer);
    if (draw)
        for (const Quad& quad : scene.quads) SDL_RenderGeometry(renderer, quad.texture, quad.corners, 4, fan, 6);
    SDL_RenderPresent(renderer);
    Uint32 pixel = 0;
    const SDL_Rect one = {0, 0, 1, 1};
    SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    // As the game's timed frames end: only once everything sent has been drawn.
    using FinishFunction = void (*)();
    static const auto finish = reinterpret_cast<FinishFunction>(SDL_GL_GetProcAddress("glFinish"));
    if (finish) finish();
}

double MillisecondsPerFrame(SDL_Renderer* renderer, const Scene& scene, bool draw, int frames)
{
    for (int i = 0; i < 20; ++i) Frame(renderer, scene, draw);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) Frame(renderer, scene, draw);
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / frames;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: sdl_renderer SCENE_FILE [FRAMES]\n");
        return 2;
    }
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 300;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Window* window = SDL_CreateWindow("sdl_renderer", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1024,
                                          768, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    Scene scene;
    if (!renderer || !LoadScene(renderer, argv[1], scene)) {
        std::fprintf(stderr, "sdl_renderer: %s\n", renderer ? "the scene did not load" : SDL_GetError());
        return 1;
    }
    SDL_RendererInfo info = {};
    SDL_GetRendererInfo(renderer, &info);
    const double sceneMs = MillisecondsPerFrame(renderer, scene, true, frames);
    const double emptyMs = MillisecondsPerFrame(renderer, scene, false, frames);
    std::printf("renderer %s\nquads %zu\nscene_ms %.4f\nempty_ms %.4f\n", info.name, scene.quads.size(), sceneMs,
                emptyMs);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
