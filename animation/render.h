// One whole frame: clear, camera, level, figure, the editor's text, cursor, present.
#pragma once

const unsigned int CLEAR_COLOUR = 0xFF008080;

void RenderScene();
