// What the scene set-up gives its start values and the drawing reads: the camera, the
// display switches, the game cursor and the frame clock. The keys, the input and the
// frame update change them; nothing here draws.
#pragma once
#include <windows.h>

extern float g_cameraX;         // view translation; the negated figure position while following
extern float g_cameraY;
extern float g_cameraDistance;  // how far in front of the eye the plane z = 0 lies
extern float g_cameraPitch;     // degrees about x
extern float g_cameraYaw;       // degrees about y
extern unsigned char g_cameraFollows;
extern unsigned char g_showHitBoxes;  // outlines the figure's hit boxes and the level's cells
extern int g_mouseX;  // game cursor, back-buffer pixels
extern int g_mouseY;
extern DWORD g_lastTick;  // tick count of the previous frame, ms

// Puts the camera and the game cursor where a game starts; the switches and the clock
// are not touched.
void SetStartView();
