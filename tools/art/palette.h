// The figure's and the scene's colours, shared by every drawing so the art stays consistent.
#pragma once
#include "raster.h"

namespace pal {
constexpr Rgb kInk{26, 24, 38};          // outlines
constexpr Rgb kSkin{240, 190, 140};
constexpr Rgb kShirt{214, 72, 40};
constexpr Rgb kTrousers{44, 58, 104};
constexpr Rgb kBoot{70, 44, 30};
constexpr Rgb kHair{92, 52, 28};
constexpr Rgb kBelt{60, 40, 30};
constexpr Rgb kBuckle{236, 196, 70};
constexpr Rgb kSteel{200, 210, 220};
constexpr Rgb kWood{178, 118, 62};
constexpr Rgb kStone{150, 146, 136};
constexpr Rgb kLeaf{70, 150, 60};
constexpr Rgb kFlash{255, 236, 120};
constexpr Rgb kWhite{250, 250, 250};
}  // namespace pal
