// The game actions shared by the frame and the key table (input/key_table.h).
#pragma once
#include "figure/records.h"

const float WALK_SPEED = 500.0f;
const float AIR_WALK_SPEED = 200.0f;
const float JUMP_IMPULSE = 800.0f;

enum WalkDirection { WALK_LEFT, WALK_RIGHT };

// Values of g_moveDir: the sign is the direction; a walk begun in the air goes at the
// slower speed until the figure lands.
enum WalkState {
    MOVE_LEFT_AIR = -2,
    MOVE_LEFT = -1,
    MOVE_STILL = 0,
    MOVE_RIGHT = 1,
    MOVE_RIGHT_AIR = 2,
};
inline bool WalkBegunInAir(int moveDir)
{
    return moveDir == MOVE_LEFT_AIR || moveDir == MOVE_RIGHT_AIR;
}

// Every driven slot stops its key and every slot stands at rest: of the player figure, or
// of the figure given (the exporter's copy).
int StopAnimation();
void StopAnimation(VectorMan& man);
HRESULT AddFrames(VectorMan* man, AnimFrame* frame);
// Frame n of g_frames, or null when the animation file did not define it.
AnimFrame* FrameAt(int n);
void Jump();
// Mirrors the hit boxes to the facing a walk that way gives, where they face the other
// way; the figure itself does not turn. A walk key does this in every mode.
void FaceHitBoxes(WalkDirection direction);
// In play: turns, walks and starts the walk or jump frame; in the edit modes the boxes only.
void StartWalk(WalkDirection direction);
void StopWalk(WalkDirection direction);
void ToggleHeldItem();
void ResetFigure();
void BeginThrust();
void ReleaseThrust(float heldSeconds);
