// The level's images and the mouse cursor. Each is centred on its own origin,
// which is where the level places it.
#include "art.h"
#include "palette.h"

#include <cmath>

namespace {

Sdf Below(double at) { return HalfPlane({0, at}, {0, 1}); }
Sdf Above(double at) { return HalfPlane({0, at}, {0, -1}); }
Sdf RightOf(double at) { return HalfPlane({at, 0}, {-1, 0}); }

// The whole tile is solid ground for collisions, so it is drawn edge to edge.
void DrawFloor(Sheet& s)
{
    const Rgb stone{196, 160, 112};
    const Rgb grass{96, 176, 64};
    Sdf slab = Box(-50, -20, 50, 20);
    s.Outlined(slab, stone, pal::kInk, 1.4);
    s.Band(slab, Below(-13), Shade(stone, -0.25), 1.4);
    // Mortar joints, offset from row to row like laid bricks.
    Rgb mortar = Shade(stone, -0.45);
    s.Line({-50, -4}, {50, -4}, 1.0, mortar);
    s.Line({-18, 8}, {-18, -4}, 1.0, mortar);
    s.Line({26, 8}, {26, -4}, 1.0, mortar);
    s.Line({4, -4}, {4, -20}, 1.0, mortar);
    s.Line({-40, -4}, {-40, -20}, 1.0, mortar);
    s.Line({40, -4}, {40, -20}, 1.0, mortar);
    s.Paint(Intersect(Box(-48.6, -2.8, -19.2, 6.8), Above(4.5)), Shade(stone, 0.25));
    s.Paint(Intersect(Box(-16.8, -2.8, 24.8, 6.8), Above(4.5)), Shade(stone, 0.25));
    // Turf with a scalloped edge along the top.
    Sdf turf = Box(-52, 11, 52, 22);
    for (int i = 0; i < 9; ++i) turf = Union(turf, Circle({-48.0 + i * 12.0, 11}, 4.2));
    s.Band(slab, turf, Shade(grass, -0.35), 1.4);
    s.Band(slab, Grow(turf, -1.4), grass, 1.4);
    s.Band(slab, Above(16.5), Shade(grass, 0.3), 1.4);
}

void DrawCrate(Sheet& s)
{
    const Rgb wood = pal::kWood;
    Sdf crate = Box(-25, -25, 25, 25, 1);
    s.Outlined(crate, Shade(wood, 0.15), pal::kInk, 1.4);
    Sdf panel = Box(-18, -18, 18, 18);
    s.Outlined(panel, Shade(wood, -0.2), pal::kInk, 1.0);
    for (double y : {-6.0, 6.0}) s.Line({-18, y}, {18, y}, 0.8, Shade(wood, -0.45));
    Sdf brace = Intersect(PolygonShape({{-18, -18}, {-11, -18}, {18, 11}, {18, 18}, {11, 18},
                                        {-18, -11}}),
                          panel);
    s.Outlined(brace, wood, pal::kInk, 1.0);
    s.Band(crate, Intersect(Above(18.5), crate), Shade(wood, 0.35), 1.4);
    s.Band(crate, Intersect(RightOf(18.5), crate), Shade(wood, -0.1), 1.4);
    for (double x : {-21.5, 21.5})
        for (double y : {-21.5, 21.5}) s.Outlined(Circle({x, y}, 1.8), pal::kSteel, pal::kInk, 0.7);
}

void DrawTree(Sheet& s)
{
    const Rgb bark{120, 78, 48};
    Sdf trunk = Union(PolygonShape({{-17, -127}, {-9, -118}, {-8, -20}, {8, -20}, {9, -118},
                                    {17, -127}}),
                      Union(CapsuleShape({0, -60}, {-30, -18}, 4.5),
                            CapsuleShape({2, -45}, {32, -10}, 4.5)));
    s.Outlined(trunk, bark, pal::kInk, 1.5);
    s.Band(trunk, RightOf(2), Shade(bark, -0.3), 1.5);
    s.Line({-3, -110}, {-2, -80}, 1.0, Shade(bark, -0.45));
    s.Line({3, -70}, {4, -40}, 1.0, Shade(bark, -0.45));

    // Clumps from the back (top) to the front (bottom), each shaded on its own:
    // a dark crescent underneath and a light one on its upper left.
    struct Blob { double x, y, r; };
    const Blob blobs[] = {{0, 95, 30},   {-26, 70, 36}, {26, 74, 36}, {0, 40, 40},
                          {-42, 14, 32}, {42, 16, 32},  {-14, 2, 30}, {18, 4, 28}};
    const Rgb dark = Shade(pal::kLeaf, -0.3), light = Shade(pal::kLeaf, 0.25);
    for (const Blob& b : blobs) {
        Sdf c = Circle({b.x, b.y}, b.r);
        s.Outlined(c, pal::kLeaf, pal::kInk, 1.5);
        s.Band(c, Subtract(c, Circle({b.x + b.r * 0.15, b.y + b.r * 0.42}, b.r * 0.95)), dark, 1.5);
        s.Band(c, EllipseShape({b.x - b.r * 0.38, b.y + b.r * 0.42}, b.r * 0.24, b.r * 0.15),
               light, 1.5);
    }
}

// The arrow's tip is the hot spot, so it sits on the very first pixel.
void DrawCursor(Sheet& s)
{
    Sdf arrow = PolygonShape({{0.2, -0.2}, {0.2, -23.5}, {6, -18}, {10.2, -27.5}, {14.4, -25.6},
                              {10.2, -16.4}, {17.6, -16.4}});
    arrow = Union(arrow, Box(0, -1.3, 1.3, 0));
    s.Outlined(arrow, pal::kWhite, pal::kInk, 1.7);
    s.Band(arrow, RightOf(8), Shade(pal::kWhite, -0.15), 1.7);
}

}  // namespace

std::vector<ImageDef> SceneryImages()
{
    return {
        {9, "floor.png", {0, 0}, -50, -20, 50, 20, {}, DrawFloor},
        {10, "crate.png", {0, 0}, -25, -25, 25, 25, {}, DrawCrate},
        {11, "tree.png", {0, 0}, -75, -127, 75, 127, {}, DrawTree},
        {12, "cursor.png", {16, -16}, 0, -32, 32, 0, {}, DrawCursor},
    };
}
