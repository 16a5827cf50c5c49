// Stepping the figure's key lists.
#pragma once

// Degrees a key turns in the direction of rotSpeed's sign.
float AngleToTurn(float startAngle, float destAngle, float rotSpeed);
