#include "game/actions.h"

#include "base/log.h"
#include "game/modes.h"
#include "figure/roles.h"
#include "game/figure_access.h"
#include "game/state.h"

#include <cmath>

static const float THRUST_PER_SECOND = -750.0f;
static const float THRUST_BASE = -500.0f;
static const float THRUST_LIMIT = 2000.0f;
static const float THRUST_REACH = -50.0f;

AnimFrame* FrameAt(int n)
{
    if (!g_frames || n < 0 || n >= g_numFrames) {
        static bool logged = false;
        if (!logged) {
            logged = true;
            WriteLog("Animation frame missing: its action does nothing");
        }
        return nullptr;
    }
    return &g_frames[n];
}

// The slots that key lists can drive: currentKeys has room for no more.
static int DrivenSlots(const VectorMan& man)
{
    if (man.maxKeys < 0) return 0;
    return man.maxKeys < MAX_FRAME_KEYS ? man.maxKeys : MAX_FRAME_KEYS;
}

int StopAnimation()
{
    if (g_vectorMan) StopAnimation(*g_vectorMan);
    return 0;
}

void StopAnimation(VectorMan& figure)
{
    VectorMan* man = &figure;
    for (int i = 0; i < DrivenSlots(*man); ++i) man->currentKeys[i] = nullptr;
    for (int i = 0; man->parts && i < man->numparts; ++i) {
        ManPart& s = man->parts[i];
        s.angle = 0.0f;
        s.angularVelocity = 0.0f;
        s.y = 0.0f;
        s.x = 0.0f;
        s.yVelocity = 0.0f;
        s.xVelocity = 0.0f;
    }
}

HRESULT AddFrames(VectorMan* man, AnimFrame* frame)
{
    if (!man || !frame) return E_FAIL;
    if (man->maxKeys != frame->numparts) {
        WriteLog("MAXKEYS doesn't match during AddFrames");
        return E_FAIL;
    }
    for (int i = 0; i < DrivenSlots(*man); ++i) {
        AnimKey* k = frame->keys[i];
        if (!k) continue;
        man->currentKeys[i] = k;
        man->playback[i].turned = 0.0f;
        if (k->moveY && man->parts && i < man->numparts) {
            ManPart& s = man->parts[i];
            s.yMax = k->yMax;
            s.yMin = k->yMin;
            s.yVelocity = k->yVel;
            s.yBounce = k->yLoop;
        }
    }
    return S_OK;
}

void Jump()
{
    if (g_vectorMan && g_onGround && !g_jumpKeyHeld) {
        g_jumping = 1;
        StopAnimation();
        if (AnimFrame* frame = FrameAt(JUMP_FRAME)) AddFrames(g_vectorMan, frame);
        g_vectorMan->yVelocity += JUMP_IMPULSE;
    }
    g_jumpKeyHeld = 1;
}

void FaceHitBoxes(WalkDirection direction)
{
    VectorMan* man = g_vectorMan;
    if (!man) return;
    if (man->yAngle == (direction == WALK_LEFT ? 0.0f : 180.0f)) MirrorHitBoxes(*man);
}

void StartWalk(WalkDirection direction)
{
    VectorMan* man = g_vectorMan;
    if (!man) return;
    const bool left = direction == WALK_LEFT;
    // The boxes belong to the facing the figure is about to take, even when it does not walk.
    FaceHitBoxes(direction);
    const int walking = left ? MOVE_LEFT : MOVE_RIGHT;
    if (g_moveDir == walking || !PhysicsRuns()) return;
    man->yAngle = left ? 180.0f : 0.0f;
    const float sign = left ? -1.0f : 1.0f;
    if (g_onGround) {
        g_moveDir = walking;
        man->xVelocity = sign * WALK_SPEED;
        if (!g_jumping) {
            if (AnimFrame* frame = FrameAt(WALK_FRAME)) AddFrames(man, frame);
        }
    } else {
        g_moveDir = left ? MOVE_LEFT_AIR : MOVE_RIGHT_AIR;
        man->xVelocity = sign * AIR_WALK_SPEED;
        if (left) {
            if (AnimFrame* frame = FrameAt(JUMP_FRAME)) AddFrames(man, frame);
        }
    }
}

void StopWalk(WalkDirection direction)
{
    VectorMan* man = g_vectorMan;
    if (!man) return;
    const bool walkingThatWay = direction == WALK_LEFT ? g_moveDir < MOVE_STILL : g_moveDir > MOVE_STILL;
    if (!walkingThatWay) return;
    g_moveDir = MOVE_STILL;
    man->xVelocity = 0.0f;
    if (!g_jumping) StopAnimation();
    if (ManPart* body = SlotAt(BODY_SLOT)) {
        body->yVelocity = 0.0f;
        body->y = 0.0f;
    }
}

void ToggleHeldItem()
{
    ManPart* holder = SlotAt(HOLDING_SLOT);
    ManPart* item = SlotAt(ITEM_SLOT);
    if (!holder || !item) return;
    const bool take = holder->vecpartnum == EMPTY_HAND_IMAGE;
    if (AnimFrame* frame = FrameAt(take ? TAKE_ITEM_FRAME : PUT_AWAY_FRAME)) AddFrames(g_vectorMan, frame);
    holder->angularVelocity = 0.0f;
    item->tracked = take ? 1 : 0;
}

void ResetFigure()
{
    VectorMan* man = g_vectorMan;
    if (!man) return;
    if (man->yAngle == 180.0f) MirrorHitBoxes(*man);
    man->x = 320.0f;
    man->y = 640.0f;
    man->yVelocity = 0.0f;
    man->xVelocity = 0.0f;
    man->zAngularVelocity = 0.0f;
    man->zAngle = 0.0f;
    man->yAngle = 0.0f;
    for (int i = FIRST_LIMB_SLOT; i <= LAST_LIMB_SLOT; ++i) {
        if (ManPart* s = SlotAt(i)) {
            s->angle = 0.0f;
            s->angularVelocity = 0.0f;
        }
    }
}

void BeginThrust()
{
    g_leftButtonDown = 1;
    ManPart* holder = SlotAt(HOLDING_SLOT);
    ManPart* item = SlotAt(ITEM_SLOT);
    if (holder && item && holder->vecpartnum == GRIP_IMAGE && item->yVelocity == 0.0f) g_charging = 1;
}

void ReleaseThrust(float heldSeconds)
{
    g_leftButtonDown = 0;
    ManPart* holder = SlotAt(HOLDING_SLOT);
    ManPart* item = SlotAt(ITEM_SLOT);
    if (!holder || !item || holder->vecpartnum != GRIP_IMAGE || !g_charging) return;
    g_charging = 0;
    const float v = heldSeconds * THRUST_PER_SECOND + THRUST_BASE;
    item->yVelocity = v;
    // Truncated, so a value just past the limit still counts as within it.
    const double truncated = std::trunc(static_cast<double>(v));
    if (std::fabs(truncated) > THRUST_LIMIT) item->yVelocity = -THRUST_LIMIT;
    item->yMax = 0.0f;
    item->yMin = THRUST_REACH;
}
