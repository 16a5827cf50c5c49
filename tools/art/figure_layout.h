// Joint positions of the figure at rest. Parents' joint points and their
// children's pivots both come from here, which is what keeps the joints aligned.
#pragma once
#include "raster.h"

namespace body {
constexpr Vec2 kHips{0, 0};
constexpr Vec2 kWaist{2, 8};
constexpr Vec2 kBackHip{-1, 0};
constexpr Vec2 kFrontHip{5, 0};
constexpr Vec2 kBackShoulder{0, 50};
constexpr Vec2 kFrontShoulder{5, 50};
constexpr Vec2 kNeck{5, 57};
constexpr double kHandDrop = 52;  // shoulder to the middle of the hand
constexpr Vec2 kBackHand{kBackShoulder.x, kBackShoulder.y - kHandDrop};
constexpr Vec2 kFrontHand{kFrontShoulder.x, kFrontShoulder.y - kHandDrop};
constexpr double kSole = -83;     // the lower hit box ends here
constexpr double kLineWidth = 1.3;

// The hit boxes (centre, half sizes) fitted to the body at rest: the upper one from the
// back of the shirt to the front of the arms, the lower one boot heel to toe. Both end at
// the same x in front, so no obstacle stops the upper box while the lower one has already
// slipped under it (or the other way round), which would end a jump at once.
struct HitBoxDef {
    int centreX, centreY, halfWidth, halfHeight;
};
constexpr HitBoxDef kHitBoxes[2] = {{4, 40, 20, 46}, {8, -43, 16, 40}};
}  // namespace body
