#include "art.h"
#include "palette.h"

// Icons are drawn without supersampling so they keep the crisp look of a
// small fixed palette at 16 and 32 pixels.
static std::vector<uint8_t> DrawIcon(int size)
{
    Canvas c(size, size, 1);
    double s = size / 32.0;
    auto P = [s](double x, double y) { return Vec2{x * s, y * s}; };
    const double lw = size >= 32 ? 1.0 : 0.0;
    // Legs, back one first.
    c.Capsule(P(13, 20), P(11, 29), 2.6 * s, Shade(pal::kTrousers, -0.3), pal::kInk, lw);
    c.Capsule(P(17, 20), P(20, 29), 2.6 * s, pal::kTrousers, pal::kInk, lw);
    c.FillRoundRect(8 * s, 28 * s, 14 * s, 31 * s, 1, pal::kBoot);
    c.FillRoundRect(18 * s, 28 * s, 24 * s, 31 * s, 1, pal::kBoot);
    // Back arm, torso, front arm reaching forward.
    c.Capsule(P(13, 11), P(10, 19), 2.2 * s, Shade(pal::kShirt, -0.3), pal::kInk, lw);
    c.RoundRect(10 * s, 9 * s, 21 * s, 21 * s, 3 * s, pal::kShirt, pal::kInk, lw);
    c.FillRoundRect(10.5 * s, 18 * s, 20.5 * s, 20 * s, 0, pal::kBelt);
    if (size >= 32) c.FillRoundRect(11 * s, 13 * s, 20 * s, 14.6 * s, 0, pal::kWhite);
    c.Capsule(P(17, 11), P(26, 14), 2.2 * s, Shade(pal::kShirt, 0.15), pal::kInk, lw);
    c.FillEllipse(27 * s, 14.5 * s, 2.2 * s, 2.2 * s, pal::kSkin);
    // Head with hair.
    c.Ellipse(16 * s, 5 * s, 4.6 * s, 4.6 * s, pal::kSkin, pal::kInk, lw);
    c.FillEllipse(15 * s, 2.6 * s, 4.4 * s, 2.4 * s, pal::kHair);
    c.FillEllipse(12.8 * s, 5 * s, 1.8 * s, 3 * s, pal::kHair);
    c.FillRoundRect(18 * s, 4 * s, 19.2 * s, 6 * s, 0, pal::kInk);
    return c.Resolve();
}

bool WriteIcons(const std::string& resourcesDir)
{
    return WritePng(resourcesDir + "/icon107.png", 32, 32, DrawIcon(32)) &&
           WritePng(resourcesDir + "/icon108.png", 16, 16, DrawIcon(16));
}
