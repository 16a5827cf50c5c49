// The per-pass update: timing, input, movement, collisions, animation, drawing.
#pragma once

const float GRAVITY = 2000.0f;
const float MAX_FALL_SPEED = 2000.0f;
const float STRIKE_PUSH = 10.0f;
const int STRIKE_INSET = 10;
const float EDGE_GAP = 1.0f;

// An axis-aligned box in world units, y up.
struct Box {
    float left;
    float right;
    float top;
    float bottom;
};

bool BoxesOverlap(const Box& a, const Box& b);
int UpdateFrame();
// The pass's step of the figure (g_vectorMan) by dt seconds: its motion, and in play the
// collisions with the level and the walk's landing; then its animation. UpdateFrame runs
// it unless the editor takes the pass; level mode's reach and replay run it on copies.
void StepFigure(float dt);
