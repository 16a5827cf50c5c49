#include "editor/level_reach.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <set>
#include <utility>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "editor/editor_state.h"
#include "editor/level_mode.h"
#include "game/actions.h"
#include "game/figure_access.h"
#include "game/play_record.h"
#include "game/state.h"
#include "level/level.h"
#include "level/level_file.h"

namespace {

// Play's pass when no play was recorded: the runner's and a 60 Hz display's.
const float DEFAULT_PASS_SECONDS = 0.016f;
const float JUMP_SECONDS = 3.0f;      // a jump or a fall that has not landed by then never will
const float WALK_SECONDS = 4.0f;      // a walk goes on at most this long
const float SPOT_SPACING = 64.0f;     // a walk leaves a standing place this often
const float SAME_SPOT_X = 32.0f;      // standing places closer than this are one
const float SAME_SPOT_Y = 4.0f;
const float TOUCHING = 0.5f;          // a box's bottom this near a piece's top stands on it
const float STALLED = 0.01f;          // a walk that moves less than this in a pass is blocked
const int STALLED_PASSES = 4;
// A walking jump's length is the walk key's held time in the air: it is let go after every
// LET_GO_EVERY steps up to LET_GO_STEPS (about the time of a jump's flight), or never.
const int LET_GO_EVERY = 8;
const int LET_GO_STEPS = 48;

const DWORD REGION_COLOUR = 0x402080FFu;
const DWORD LANDABLE_COLOUR = 0x7000E000u;
const DWORD UNREACHABLE_COLOUR = 0x80FF2020u;

LevelReachState& Reach()
{
    return g_editor.level.reach;
}

struct PieceBox {
    float left, right, top, bottom;
};

PieceBox BoxOf(const ManPart& piece, int column, int row)
{
    unsigned int width = 0, height = 0;
    ImageSize(piece.vecpartnum, &width, &height);
    const float x = piece.x + static_cast<float>(SCREEN_CELL_WIDTH * column);
    const float y = piece.y + static_cast<float>(SCREEN_CELL_HEIGHT * row);
    return {x - 0.5f * static_cast<float>(width), x + 0.5f * static_cast<float>(width),
            y + 0.5f * static_cast<float>(height), y - 0.5f * static_cast<float>(height)};
}

bool Collides(const ManPart& piece)
{
    return piece.solid || piece.movable;
}

// The search: the bounds it keeps to, the region found, the places stood on and the
// pieces landed on.
class Search {
public:
    Search(const LevelNeighbourhood& bounds, float passSeconds) : bounds_(bounds), pass_(passSeconds)
    {
        left_ = static_cast<float>(SCREEN_CELL_WIDTH * bounds.firstColumn);
        bottom_ = static_cast<float>(SCREEN_CELL_HEIGHT * bounds.firstRow);
        right_ = static_cast<float>(SCREEN_CELL_WIDTH * (bounds.lastColumn + 1));
        top_ = static_cast<float>(SCREEN_CELL_HEIGHT * (bounds.lastRow + 1));
        across_ = static_cast<int>((right_ - left_) / REACH_CELL);
        up_ = static_cast<int>((top_ - bottom_) / REACH_CELL);
        covered_.assign(static_cast<size_t>(across_) * static_cast<size_t>(up_), 0);
    }

    void Run(Sandbox& sandbox, const FigureCopy& start);
    void Report(LevelReachState& reach) const;

private:
    bool Inside(const VectorMan& man) const
    {
        return man.x >= left_ && man.x < right_ && man.y >= bottom_ && man.y < top_;
    }
    bool Budget() const { return passes_ < MAX_REACH_PASSES; }
    // One step of the game; the hit boxes mark the region and a landing its piece.
    void Step(Sandbox& sandbox);
    void Mark(const VectorMan& man);
    void NoteLanding(const VectorMan& man);
    // A place stood on: new ones are searched from later.
    void Stand(const FigureCopy& figure);
    // From a place: the jump (walking -1, 0 or +1) until it lands; the walk until it
    // stalls, leaves the bounds or meets a place already known.
    // A walking jump lets go of the walk key after letGo steps in the air (-1: never).
    void Jump(Sandbox& sandbox, const FigureCopy& from, int walking, int letGo);
    void Walk(Sandbox& sandbox, const FigureCopy& from, int way);
    // Runs until the figure stands again after leaving the ground; false when it never does.
    // Before each step, beforeStep(steps so far).
    template <typename Before>
    bool Land(Sandbox& sandbox, float seconds, Before beforeStep);
    bool Land(Sandbox& sandbox, float seconds)
    {
        return Land(sandbox, seconds, [](int) {});
    }

    LevelNeighbourhood bounds_;
    float pass_;
    float left_, bottom_, right_, top_;
    int across_, up_;
    std::vector<unsigned char> covered_;
    std::vector<FigureCopy> spots_;
    std::deque<size_t> waiting_;
    std::set<std::pair<int, std::pair<int, int>>> landed_;  // piece id, slot
    int passes_ = 0;
};

void Search::Mark(const VectorMan& man)
{
    for (int b = 0; man.hitBoxes && b < man.numHitBoxes; ++b) {
        const HitBox& box = man.hitBoxes[b];
        const int x0 = static_cast<int>(std::floor((man.x + box.centerX - box.halfWidth - left_) / REACH_CELL));
        const int x1 = static_cast<int>(std::floor((man.x + box.centerX + box.halfWidth - left_) / REACH_CELL));
        const int y0 = static_cast<int>(std::floor((man.y + box.centerY - box.halfHeight - bottom_) / REACH_CELL));
        const int y1 = static_cast<int>(std::floor((man.y + box.centerY + box.halfHeight - bottom_) / REACH_CELL));
        for (int y = std::max(0, y0); y <= std::min(up_ - 1, y1); ++y) {
            for (int x = std::max(0, x0); x <= std::min(across_ - 1, x1); ++x)
                covered_[static_cast<size_t>(y) * static_cast<size_t>(across_) + static_cast<size_t>(x)] = 1;
        }
    }
}

void Search::NoteLanding(const VectorMan& man)
{
    if (!g_onGround || !g_level) return;
    const LevelNeighbourhood n = GetLevelNeighbourhood(man.x, man.y);
    for (int column = n.firstColumn; column <= n.lastColumn; ++column) {
        for (int row = n.firstRow; row <= n.lastRow; ++row) {
            const LevelCell* cell = g_level->CellAt(column, row);
            for (int p = 0; cell && p < cell->count && p < MAX_CELL_PIECES; ++p) {
                const ManPart* piece = cell->pieces[p];
                if (!piece || !Collides(*piece)) continue;
                const PieceBox box = BoxOf(*piece, column, row);
                for (int b = 0; man.hitBoxes && b < man.numHitBoxes; ++b) {
                    const HitBox& hb = man.hitBoxes[b];
                    const float bottom = man.y + hb.centerY - hb.halfHeight;
                    const float l = man.x + hb.centerX - hb.halfWidth, r = man.x + hb.centerX + hb.halfWidth;
                    if (std::fabs(bottom - box.top) <= TOUCHING && r >= box.left && l <= box.right) {
                        landed_.insert({piece->id, {column, row}});
                        break;
                    }
                }
            }
        }
    }
}

void Search::Step(Sandbox& sandbox)
{
    sandbox.Step(pass_);
    ++passes_;
    Mark(sandbox.Man());
    NoteLanding(sandbox.Man());
}

void Search::Stand(const FigureCopy& figure)
{
    if (!figure.valid || !Inside(figure.man) || static_cast<int>(spots_.size()) >= MAX_REACH_SPOTS) return;
    for (const FigureCopy& known : spots_) {
        if (std::fabs(known.man.x - figure.man.x) < SAME_SPOT_X && std::fabs(known.man.y - figure.man.y) < SAME_SPOT_Y)
            return;
    }
    // It stands still there: no walk, no jump under way.
    FigureCopy standing = figure;
    standing.globals.moveDir = MOVE_STILL;
    standing.globals.jumping = 0;
    standing.globals.jumpKeyHeld = 0;
    standing.man.xVelocity = 0.0f;
    spots_.push_back(standing);
    waiting_.push_back(spots_.size() - 1);
}

template <typename Before>
bool Search::Land(Sandbox& sandbox, float seconds, Before beforeStep)
{
    bool left = !g_onGround;
    int steps = 0;
    for (float t = 0.0f; t < seconds && Budget(); t += pass_) {
        beforeStep(steps++);
        Step(sandbox);
        const VectorMan& man = sandbox.Man();
        if (!Inside(man)) return false;
        if (!g_onGround && man.y > 0.0f) {
            left = true;
        } else if (left && (g_onGround || man.y <= 0.0f) && man.yVelocity <= 0.0f) {
            return g_onGround;  // the ground of the world below the level is no place to stand
        }
    }
    return false;
}

void Search::Jump(Sandbox& sandbox, const FigureCopy& from, int walking, int letGo)
{
    sandbox.Restart(from);
    const WalkDirection way = walking < 0 ? WALK_LEFT : WALK_RIGHT;
    if (walking) StartWalk(way);
    ::Jump();
    Step(sandbox);
    g_jumpKeyHeld = 0;  // let go: holding it longer changes nothing
    const bool landed = Land(sandbox, JUMP_SECONDS, [walking, letGo, way](int steps) {
        if (walking && steps == letGo) StopWalk(way);
    });
    if (landed) Stand(sandbox.Figure());
}

void Search::Walk(Sandbox& sandbox, const FigureCopy& from, int way)
{
    sandbox.Restart(from);
    StartWalk(way < 0 ? WALK_LEFT : WALK_RIGHT);
    float lastX = sandbox.Man().x, sinceSpot = 0.0f;
    int stalled = 0;
    for (float t = 0.0f; t < WALK_SECONDS && Budget(); t += pass_) {
        Step(sandbox);
        const VectorMan& man = sandbox.Man();
        if (!Inside(man)) return;
        if (!g_onGround) {
            // Off an edge: where the fall ends is a place of its own, the walk held on or
            // let go of at once.
            const FigureCopy edge = sandbox.Figure();
            if (Land(sandbox, JUMP_SECONDS)) Stand(sandbox.Figure());
            sandbox.Restart(edge);
            StopWalk(way < 0 ? WALK_LEFT : WALK_RIGHT);
            if (Land(sandbox, JUMP_SECONDS)) Stand(sandbox.Figure());
            return;
        }
        stalled = std::fabs(man.x - lastX) < STALLED ? stalled + 1 : 0;
        if (stalled >= STALLED_PASSES) return;
        sinceSpot += std::fabs(man.x - lastX);
        lastX = man.x;
        if (sinceSpot >= SPOT_SPACING) {
            sinceSpot = 0.0f;
            const size_t before = spots_.size();
            Stand(sandbox.Figure());
            if (spots_.size() == before) return;  // known ground: the walk from there goes on
        }
    }
}

void Search::Run(Sandbox& sandbox, const FigureCopy& start)
{
    // Where it stood may be in the air: it falls first.
    sandbox.Restart(start);
    if (g_onGround) {
        Stand(start);
    } else if (Land(sandbox, JUMP_SECONDS)) {
        Stand(sandbox.Figure());
    }
    while (!waiting_.empty() && Budget()) {
        const FigureCopy from = spots_[waiting_.front()];
        waiting_.pop_front();
        Jump(sandbox, from, 0, -1);
        for (int walking = -1; walking <= 1; walking += 2) {
            Jump(sandbox, from, walking, -1);
            for (int letGo = 0; letGo < LET_GO_STEPS; letGo += LET_GO_EVERY) Jump(sandbox, from, walking, letGo);
        }
        Walk(sandbox, from, -1);
        Walk(sandbox, from, 1);
    }
}

void Search::Report(LevelReachState& reach) const
{
    reach.region.clear();
    for (int y = 0; y < up_; ++y) {
        for (int x = 0; x < across_;) {
            if (!covered_[static_cast<size_t>(y) * static_cast<size_t>(across_) + static_cast<size_t>(x)]) {
                ++x;
                continue;
            }
            int end = x;
            while (end < across_ && covered_[static_cast<size_t>(y) * static_cast<size_t>(across_) + static_cast<size_t>(end)])
                ++end;
            reach.region.push_back({left_ + REACH_CELL * static_cast<float>(x), bottom_ + REACH_CELL * static_cast<float>(y),
                                    left_ + REACH_CELL * static_cast<float>(end),
                                    bottom_ + REACH_CELL * static_cast<float>(y + 1)});
            x = end;
        }
    }
    reach.landable.clear();
    reach.unreachable.clear();
    for (const auto& [id, slot] : landed_) reach.landable.push_back({id, slot.first, slot.second});
    // The solid pieces of the cells drawn that nothing landed on.
    const LevelNeighbourhood shown = GetLevelNeighbourhood(g_cameraX, g_cameraY);
    for (int column = shown.firstColumn; column <= shown.lastColumn; ++column) {
        for (int row = shown.firstRow; row <= shown.lastRow; ++row) {
            const LevelCell* cell = g_level->CellAt(column, row);
            for (int p = 0; cell && p < cell->count && p < MAX_CELL_PIECES; ++p) {
                const ManPart* piece = cell->pieces[p];
                if (piece && Collides(*piece) && !landed_.count({piece->id, {column, row}}))
                    reach.unreachable.push_back({piece->id, column, row});
            }
        }
    }
    reach.spots = static_cast<int>(spots_.size());
    reach.passes = passes_;
}

float PassSeconds(const PlayRecord& play)
{
    if (play.passes.empty()) return DEFAULT_PASS_SECONDS;
    double total = 0.0;
    for (const PlayPass& pass : play.passes) total += pass.seconds;
    const float mean = static_cast<float>(total / static_cast<double>(play.passes.size()));
    return mean > 0.0f ? mean : DEFAULT_PASS_SECONDS;
}

}  // namespace

void ComputeLevelReach()
{
    LevelReachState& reach = Reach();
    if (!g_level || !g_vectorMan) return;
    const auto began = std::chrono::steady_clock::now();
    reach.levelText = LevelText(*g_level);
    // Where it stood in play: the figure holds still in level mode.
    const FigureCopy start = CopyOfFigure();
    Search search(GetLevelNeighbourhood(start.man.x, start.man.y), PassSeconds(LastPlay()));
    Level* level = CopyLevel(*g_level);
    {
        Sandbox sandbox(start, level);
        search.Run(sandbox, start);
        // The level drawn is the one the pieces are named in.
        Level* copy = g_level;
        g_level = level;
        search.Report(reach);
        g_level = copy;
    }
    DeleteLevel(level);
    reach.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
    char line[160];
    std::snprintf(line, sizeof line, "Reach: %d places, %d steps, %d pieces landed on, %.1f ms", reach.spots,
                  reach.passes, static_cast<int>(reach.landable.size()), reach.milliseconds);
    WriteLog(line);
}

void ToggleLevelReach()
{
    LevelReachState& reach = Reach();
    reach.shown = !reach.shown;
    if (reach.shown) ComputeLevelReach();
}

void UpdateLevelReach()
{
    if (!Reach().shown || !g_level || g_editor.level.dragging) return;
    if (LevelText(*g_level) != Reach().levelText) ComputeLevelReach();
}

void DrawLevelReach(IDirect3DDevice8* device)
{
    const LevelReachState& reach = Reach();
    if (!reach.shown || !device || !g_level) return;
    for (const LevelReachState::Box& box : reach.region)
        DrawLevelRect(device, box.left, box.bottom, box.right, box.top, REGION_COLOUR, true);
    auto mark = [device](const LevelPick& pick, DWORD colour) {
        const LevelCell* cell = g_level->CellAt(pick.column, pick.row);
        for (int p = 0; cell && p < cell->count && p < MAX_CELL_PIECES; ++p) {
            const ManPart* piece = cell->pieces[p];
            if (!piece || piece->id != pick.id) continue;
            const PieceBox box = BoxOf(*piece, pick.column, pick.row);
            DrawLevelRect(device, box.left, box.bottom, box.right, box.top, colour, true);
            DrawLevelRect(device, box.left, box.bottom, box.right, box.top, colour | 0xFF000000u, false);
        }
    };
    for (const LevelPick& pick : reach.landable) mark(pick, LANDABLE_COLOUR);
    for (const LevelPick& pick : reach.unreachable) mark(pick, UNREACHABLE_COLOUR);
}

std::string LevelReachStatus()
{
    if (!Reach().shown) return std::string();
    // The time is in the log: a picture of the screen must come out the same every run.
    return " | reach " + std::to_string(Reach().landable.size()) + " landed on, " +
           std::to_string(Reach().unreachable.size()) + " not";
}
