#include "art.h"
#include "palette.h"

#include <algorithm>
#include <filesystem>
#include <string>

// The drawing's own grid; every size scales it.
static const int kDrawnSize = 32;
// Larger icons are smoothed; the two window icons are not.
static const int kLargeSupersample = 4;
// The sizes desktops look for in the icon theme, smallest first.
static const int kThemeIconSizes[] = {16, 32, 48, 64, 128, 256};

// The window icons are drawn without supersampling so they keep the crisp look of a
// small fixed palette at 16 and 32 pixels; from there up outlines and corners grow with
// the icon, so a large one is the same picture rather than a thin-lined one.
static std::vector<uint8_t> DrawIcon(int size)
{
    Canvas c(size, size, size > kDrawnSize ? kLargeSupersample : 1);
    double s = size / static_cast<double>(kDrawnSize);
    auto P = [s](double x, double y) { return Vec2{x * s, y * s}; };
    const double lw = size >= kDrawnSize ? s : 0.0;
    const double bootCorner = std::max(1.0, s);
    // Legs, back one first.
    c.Capsule(P(13, 20), P(11, 29), 2.6 * s, Shade(pal::kTrousers, -0.3), pal::kInk, lw);
    c.Capsule(P(17, 20), P(20, 29), 2.6 * s, pal::kTrousers, pal::kInk, lw);
    c.FillRoundRect(8 * s, 28 * s, 14 * s, 31 * s, bootCorner, pal::kBoot);
    c.FillRoundRect(18 * s, 28 * s, 24 * s, 31 * s, bootCorner, pal::kBoot);
    // Back arm, torso, front arm reaching forward.
    c.Capsule(P(13, 11), P(10, 19), 2.2 * s, Shade(pal::kShirt, -0.3), pal::kInk, lw);
    c.RoundRect(10 * s, 9 * s, 21 * s, 21 * s, 3 * s, pal::kShirt, pal::kInk, lw);
    c.FillRoundRect(10.5 * s, 18 * s, 20.5 * s, 20 * s, 0, pal::kBelt);
    if (size >= kDrawnSize) c.FillRoundRect(11 * s, 13 * s, 20 * s, 14.6 * s, 0, pal::kWhite);
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
    if (!WritePng(resourcesDir + "/icon107.png", 32, 32, DrawIcon(32)) ||
        !WritePng(resourcesDir + "/icon108.png", 16, 16, DrawIcon(16)))
        return false;
    // The desktop's icons, installed into the icon theme by size.
    const std::string themeDir = resourcesDir + "/icons";
    std::error_code ec;
    std::filesystem::create_directories(themeDir, ec);
    for (int size : kThemeIconSizes) {
        if (!WritePng(themeDir + "/vantrel-" + std::to_string(size) + ".png", size, size, DrawIcon(size)))
            return false;
    }
    return true;
}
