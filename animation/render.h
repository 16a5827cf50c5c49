// One whole frame: clear, camera, level, figure, the overlay's text (animation/figure_overlay.h),
// cursor, present.
#pragma once

const unsigned int CLEAR_COLOUR = 0xFF008080;

void RenderScene();
