// Shapes as signed distance functions in a drawing's own coordinates (y up),
// and a sheet that paints them onto a canvas. Negative distance = inside.
#pragma once
#include "raster.h"

#include <functional>

using Sdf = std::function<double(Vec2)>;

Sdf Circle(Vec2 c, double r);
Sdf EllipseShape(Vec2 c, double rx, double ry);   // distance is approximate, good for bands
Sdf CapsuleShape(Vec2 a, Vec2 b, double r);
Sdf TaperShape(Vec2 a, Vec2 b, double ra, double rb);  // capsule whose radius changes along it
Sdf Box(double x0, double y0, double x1, double y1, double radius = 0);
Sdf PolygonShape(std::vector<Vec2> pts);
// Negative on the side the normal points away from: dot(p - origin, normal) < 0.
Sdf HalfPlane(Vec2 origin, Vec2 normal);

Sdf Union(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Grow(Sdf a, double d);   // positive d enlarges the shape

// A canvas whose pixels cover [x0, x0 + width) x [y0, y0 + height) in drawing units, y up.
class Sheet {
public:
    Sheet(double x0, double y0, int width, int height, int supersample = 4);
    void Paint(const Sdf& shape, Rgb colour);
    // Ink outline of width lw inside the shape's edge, then the fill.
    void Outlined(const Sdf& shape, Rgb fill, Rgb ink, double lw);
    // Fills the part of shape (inset by lw) that also lies inside region: a shading band.
    void Band(const Sdf& shape, const Sdf& region, Rgb colour, double lw);
    void Line(Vec2 a, Vec2 b, double width, Rgb colour);
    int Width() const { return canvas_.Width(); }
    int Height() const { return canvas_.Height(); }
    std::vector<uint8_t> Resolve() const { return canvas_.Resolve(); }

private:
    Canvas canvas_;
    double x0_, y1_;
};
