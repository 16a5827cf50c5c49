// vecanim.dat: the animation frames.
#pragma once

int LoadVectorAnim();
