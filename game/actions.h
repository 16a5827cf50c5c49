// The game actions shared by the frame, the window-message keys and the input handlers.
#pragma once
#include "figure/records.h"

const float WALK_SPEED = 500.0f;
const float AIR_WALK_SPEED = 200.0f;
const float JUMP_IMPULSE = 800.0f;

enum WalkDirection { WALK_LEFT, WALK_RIGHT };

int StopAnimation();
HRESULT AddFrames(VectorMan* man, AnimFrame* frame);
// Frame n of g_frames, or null when the animation file did not define it.
AnimFrame* FrameAt(int n);
void Jump();
void StartWalk(WalkDirection direction);
void StopWalk(WalkDirection direction);
void ToggleHeldItem();
void ResetFigure();
void BeginThrust();
void ReleaseThrust(float heldSeconds);
