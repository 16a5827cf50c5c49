#include "editor/level_replay.h"

#include <chrono>
#include <cstdio>

#include "animation/figure_pose.h"
#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor_state.h"
#include "editor/level_mode.h"
#include "game/play_record.h"
#include "game/state.h"
#include "level/level.h"
#include "level/level_file.h"

namespace {

const DWORD PLAYED_COLOUR = 0xFFFFFFFFu;
const DWORD REPLAYED_COLOUR = 0xFFFF40C0u;
const DWORD PLAYED_FIGURE_COLOUR = 0x50FFFFFFu;
const DWORD REPLAYED_FIGURE_COLOUR = 0x50FF40C0u;

LevelReplayState& Replay()
{
    return g_editor.level.replay;
}

float RunSeconds(const PlayRecord& play)
{
    float seconds = 0.0f;
    for (const PlayPass& pass : play.passes) seconds += pass.seconds;
    return seconds;
}

// A figure kept every REPLAY_FIGURE_SECONDS along the run, from its start.
class FigureEvery {
public:
    explicit FigureEvery(std::vector<FigureCopy>& into) : into_(into) { into_.clear(); }
    void Note(const FigureCopy& figure, float at)
    {
        if (at + 1e-4f < next_) return;
        into_.push_back(figure);
        next_ += REPLAY_FIGURE_SECONDS;
    }

private:
    std::vector<FigureCopy>& into_;
    float next_ = 0.0f;
};

void TakePlayedPath(LevelReplayState& replay)
{
    replay.played.clear();
    FigureEvery figures(replay.playedFigures);
    float at = 0.0f;
    for (size_t i = 0; i < replay.play.figures.size(); ++i) {
        const FigureCopy& figure = replay.play.figures[i];
        replay.played.emplace_back(figure.man.x, figure.man.y);
        figures.Note(figure, at);
        if (i < replay.play.passes.size()) at += replay.play.passes[i].seconds;
    }
}

// The same input from the same start, on a copy of the level as it is now.
void PlayAgain(LevelReplayState& replay)
{
    const auto began = std::chrono::steady_clock::now();
    replay.replayedOn = LevelText(*g_level);
    replay.replayed.clear();
    FigureEvery figures(replay.replayedFigures);
    Level* level = CopyLevel(*g_level);
    {
        Sandbox sandbox(replay.play.start, level);
        float at = 0.0f;
        for (const PlayPass& pass : replay.play.passes) {
            replay.replayed.emplace_back(sandbox.Man().x, sandbox.Man().y);
            figures.Note(sandbox.Figure(), at);
            sandbox.Play(pass);
            at += pass.seconds;
        }
        replay.replayed.emplace_back(sandbox.Man().x, sandbox.Man().y);
        figures.Note(sandbox.Figure(), at);
    }
    DeleteLevel(level);
    replay.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
}

void DrawFigures(IDirect3DDevice8* device, const std::vector<FigureCopy>& figures, DWORD colour)
{
    for (const FigureCopy& figure : figures) {
        const VectorMan& man = figure.man;
        if (!figure.valid || !man.parts) continue;
        const std::vector<D3DXMATRIX> worlds = SlotWorldMatrices(man, FigureMatrix(man));
        for (int i : DrawOrder(man, man.numparts)) {
            const VectorPart* image = PartAt(man.parts[i].vecpartnum);
            if (!image || !man.parts[i].visible) continue;
            device->SetTransform(D3DTS_WORLD, &worlds[static_cast<size_t>(i)]);
            DrawTinted(device, *image, colour);
        }
    }
}

bool Edited(const LevelReplayState& replay)
{
    return replay.replayedOn != replay.levelText;
}

}  // namespace

void ToggleLevelReplay()
{
    LevelReplayState& replay = Replay();
    if (replay.shown) {
        replay = LevelReplayState();
        return;
    }
    if (!g_level) return;
    replay.play = LastPlay();
    if (replay.play.passes.empty() || !replay.play.start.valid) {
        PostScreenMessage("No play to replay yet");
        return;
    }
    replay.shown = true;
    replay.levelText = LevelText(*g_level);
    TakePlayedPath(replay);
    PlayAgain(replay);
    char line[160];
    std::snprintf(line, sizeof line, "Replay: %d passes, %.1f s of play, played again in %.1f ms",
                  static_cast<int>(replay.play.passes.size()), static_cast<double>(RunSeconds(replay.play)), replay.milliseconds);
    WriteLog(line);
}

void UpdateLevelReplay()
{
    LevelReplayState& replay = Replay();
    if (!replay.shown || !g_level || g_editor.level.dragging) return;
    if (LevelText(*g_level) != replay.replayedOn) PlayAgain(replay);
}

void DrawLevelReplay(IDirect3DDevice8* device)
{
    const LevelReplayState& replay = Replay();
    if (!replay.shown || !device) return;
    // The new run under the old, so that where they part both show.
    if (Edited(replay)) {
        DrawFigures(device, replay.replayedFigures, REPLAYED_FIGURE_COLOUR);
        DrawLevelLines(device, replay.replayed, REPLAYED_COLOUR);
    }
    DrawFigures(device, replay.playedFigures, PLAYED_FIGURE_COLOUR);
    DrawLevelLines(device, replay.played, PLAYED_COLOUR);
}

std::string LevelReplayStatus()
{
    const LevelReplayState& replay = Replay();
    if (!replay.shown) return std::string();
    char text[64];
    std::snprintf(text, sizeof text, " | run %.1f s%s", static_cast<double>(RunSeconds(replay.play)),
                  Edited(replay) ? ", replayed" : "");
    return text;
}
