#include "game/frame.h"

#include <windows.h>

#include "animation/figure_pose.h"
#include "animation/render.h"
#include "game/data_reload.h"
#include "game/actions.h"
#include "game/figure_access.h"
#include "game/pass_hooks.h"
#include "game/state.h"
#include "figure/roles.h"
#include "level/level.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

bool BoxesOverlap(const Box& a, const Box& b)
{
    if (!(a.right >= b.left)) return false;
    if (!(a.left <= b.right)) return false;
    if (!(a.top >= b.bottom)) return false;
    if (!(a.bottom <= b.top)) return false;
    return true;
}

// A jump ends: walking goes on at ground speed with its own animation.
static void Land(VectorMan& man)
{
    g_jumping = 0;
    StopAnimation();
    if (g_moveDir == MOVE_STILL) return;
    if (WalkBegunInAir(g_moveDir)) {
        if (g_moveDir > MOVE_STILL) {
            man.xVelocity = WALK_SPEED;
            g_moveDir = MOVE_RIGHT;
        } else {
            man.xVelocity = -WALK_SPEED;
            g_moveDir = MOVE_LEFT;
        }
    }
    if (AnimFrame* frame = FrameAt(WALK_FRAME)) AddFrames(&man, frame);
}

static Box PieceBox(const ManPart& piece, int column, int row)
{
    unsigned int width = 0, height = 0;
    ImageSize(piece.vecpartnum, &width, &height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float cellX = static_cast<float>(SCREEN_CELL_WIDTH * column);
    const float cellY = static_cast<float>(SCREEN_CELL_HEIGHT * row);
    return {piece.x - 0.5f * w + cellX, piece.x + 0.5f * w + cellX, piece.y + 0.5f * h + cellY,
            piece.y - 0.5f * h + cellY};
}

// Tracked slots push the piece away from themselves while the held item moves; they use
// the pose of the previous frame.
static void StrikePiece(VectorMan& man, ManPart& piece, const Box& box)
{
    const ManPart* item = SlotAt(ITEM_SLOT);
    for (int i = 0; i < man.numparts; ++i) {
        const ManPart& s = man.parts[i];
        if (!s.tracked) continue;
        unsigned int width = 0, height = 0;
        ImageSize(s.vecpartnum, &width, &height);
        const unsigned int m = width > height ? width : height;
        const int half = static_cast<int>(m / 2) - STRIKE_INSET;
        const float h = static_cast<float>(half);
        const Box square = {s.worldX - h, s.worldX + h, s.worldY + h, s.worldY - h};
        if (BoxesOverlap(square, box) && item && item->yVelocity != 0.0f) {
            if (square.left <= box.left)
                piece.x += STRIKE_PUSH;
            else
                piece.x -= STRIKE_PUSH;
        }
    }
}

struct FigureBoxes {
    std::vector<Box> before, after, swept;
};

static void CollideWithPiece(VectorMan& man, const FigureBoxes& boxes, const Box& box, float centreX,
                             float centreY, bool& anyOverlap)
{
    const int count = static_cast<int>(boxes.before.size());
    for (int j = 0; j < count; ++j) {
        const Box& before = boxes.before[j];
        const Box& after = boxes.after[j];
        const Box& swept = boxes.swept[j];
        if (!BoxesOverlap(swept, box)) continue;
        const HitBox& hb = man.hitBoxes[j];
        const float cx = hb.centerX, cy = hb.centerY, hw = hb.halfWidth, hh = hb.halfHeight;
        anyOverlap = true;
        bool vertical = false;
        // Only a piece the box was already under can stop it from above: one beside it that
        // the box touches would otherwise end every jump made while pressing into it.
        const bool wasUnder = before.right >= box.left && before.left <= box.right;
        if (wasUnder && before.top <= box.bottom && after.top >= box.bottom) {
            man.y = box.bottom - (hh + cy);
            man.yVelocity = -man.yVelocity;
            vertical = true;
        }
        if (before.bottom >= box.top && after.bottom <= box.top) {
            man.y = hh - cy + box.top;
            man.yVelocity = 0.0f;
            g_onGround = 1;
            if (g_jumping) Land(man);
            vertical = true;
        }
        bool horizontal = false;
        if (!vertical) {
            if (before.left >= box.right && after.left <= box.right) {
                man.x = hw - cx + box.right + EDGE_GAP;
                horizontal = true;
            }
            if (before.right <= box.left && after.right >= box.left) {
                man.x = box.left - (hw + cx) - EDGE_GAP;
                horizontal = true;
            }
        }
        if (!vertical && !horizontal && swept.left <= centreX && centreX <= swept.right &&
            swept.bottom <= centreY && centreY <= swept.top) {
            if (man.yAngle == 0.0f)
                man.x = box.left - (hw + cx) - EDGE_GAP;
            else if (man.yAngle == 180.0f)
                man.x = hw - cx + box.right + EDGE_GAP;
        }
    }
}

static void CollisionStep(VectorMan& man, float dt, float oldX, float oldY, float newX, float newY)
{
    man.yVelocity = man.yVelocity - GRAVITY * dt;
    if (man.yVelocity < -MAX_FALL_SPEED) man.yVelocity = -MAX_FALL_SPEED;
    bool anyOverlap = false;

    // Kept between frames: the collision step runs every pass and the box count never changes.
    static FigureBoxes boxes;
    const int count = man.hitBoxes && man.numHitBoxes > 0 ? man.numHitBoxes : 0;
    boxes.before.resize(count);
    boxes.after.resize(count);
    boxes.swept.resize(count);
    for (int j = 0; j < count; ++j) {
        const HitBox& hb = man.hitBoxes[j];
        const Box b = {oldX + hb.centerX - hb.halfWidth, oldX + hb.centerX + hb.halfWidth,
                       oldY + hb.centerY + hb.halfHeight, oldY + hb.centerY - hb.halfHeight};
        const Box a = {newX + hb.centerX - hb.halfWidth, newX + hb.centerX + hb.halfWidth,
                       newY + hb.centerY + hb.halfHeight, newY + hb.centerY - hb.halfHeight};
        boxes.before[j] = b;
        boxes.after[j] = a;
        boxes.swept[j] = {std::min(b.left, a.left), std::max(b.right, a.right), std::max(b.top, a.top),
                          std::min(b.bottom, a.bottom)};
    }

    if (g_level) {
        const LevelNeighbourhood n = GetLevelNeighbourhood(man.x, man.y);
        for (int r = n.firstRow; r <= n.lastRow; ++r) {
            for (int c = n.firstColumn; c <= n.lastColumn; ++c) {
                if (c < 0 || c >= LEVEL_COLUMNS || r < 0 || r >= LEVEL_ROWS) continue;
                LevelCell* cell = g_level->slots[c * LEVEL_ROWS + r];
                if (!cell) continue;
                const int pieces = std::min(cell->count, MAX_CELL_PIECES);
                for (int p = 0; p < pieces; ++p) {
                    ManPart* piece = cell->pieces[p];
                    if (!piece || !(piece->solid || piece->movable)) continue;
                    const Box box = PieceBox(*piece, c, r);
                    const float centreX = piece->x + static_cast<float>(SCREEN_CELL_WIDTH * c);
                    const float centreY = piece->y + static_cast<float>(SCREEN_CELL_HEIGHT * r);
                    if (piece->movable || piece->pushable) StrikePiece(man, *piece, box);
                    CollideWithPiece(man, boxes, box, centreX, centreY, anyOverlap);
                }
            }
        }
    }
    if (!anyOverlap) g_onGround = 0;
}

void StepFigure(float dt)
{
    VectorMan* man = g_vectorMan;
    if (!man) return;
    const float oldX = man->x, oldY = man->y;
    man->zAngle += dt * man->zAngularVelocity;
    man->x += dt * man->xVelocity;
    man->y += dt * man->yVelocity;
    if (man->y < 0.0f) man->y = 0.0f;
    const float newX = man->x, newY = man->y;

    if (PhysicsRuns()) CollisionStep(*man, dt, oldX, oldY, newX, newY);
    if (g_onGround && WalkBegunInAir(g_moveDir)) man->xVelocity = 0.0f;
    man->StepAnimation(dt);
}

int UpdateFrame()
{
    const DWORD now = GetTickCount();
    const DWORD elapsed = now - g_lastTick;
    const float dt = static_cast<float>(elapsed) / 1000.0f;

    if (Hooks().pollInput) Hooks().pollInput(dt);

    GetCursorPos(&g_cursorPos);
    // Picking follows the cursor the player sees, which is the game's own.
    g_cursorPos.x = g_mouseX;
    g_cursorPos.y = g_mouseY;

    // In pose mode the editor takes the pass: the figure holds still, only its slots move.
    const bool stepped = Hooks().stepInstead && Hooks().stepInstead(dt);
    if (!stepped) StepFigure(dt);

    // The next pass's strikes read where the tracked slots stand in the pose drawn now.
    if (g_vectorMan) StoreTrackedPositions(*g_vectorMan);
    if (Hooks().afterStep) Hooks().afterStep();
    RenderScene();
    g_lastTick = now;
    // Taken again after a reload so the reading time does not count as the next step.
    if (ReloadChangedDataFiles()) g_lastTick = GetTickCount();
    return 0;
}
