#include "shapes.h"

#include <algorithm>
#include <cmath>

static double Length(Vec2 v) { return std::sqrt(v.x * v.x + v.y * v.y); }

Sdf Circle(Vec2 c, double r)
{
    return [=](Vec2 p) { return Length({p.x - c.x, p.y - c.y}) - r; };
}

Sdf EllipseShape(Vec2 c, double rx, double ry)
{
    // Scaled distance: exact on circles and close enough on mild ellipses,
    // which is all the outlines need.
    double m = std::min(rx, ry);
    return [=](Vec2 p) {
        double u = (p.x - c.x) / rx, v = (p.y - c.y) / ry;
        return (std::sqrt(u * u + v * v) - 1.0) * m;
    };
}

Sdf CapsuleShape(Vec2 a, Vec2 b, double r)
{
    return [=](Vec2 p) { return SegmentDistance(a, b, p.x, p.y) - r; };
}

Sdf TaperShape(Vec2 a, Vec2 b, double ra, double rb)
{
    return [=](Vec2 p) {
        double dx = b.x - a.x, dy = b.y - a.y;
        double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        double r = ra + (rb - ra) * t;
        return Length({p.x - (a.x + t * dx), p.y - (a.y + t * dy)}) - r;
    };
}

Sdf Box(double x0, double y0, double x1, double y1, double radius)
{
    double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    double hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
    return [=](Vec2 p) {
        double qx = std::fabs(p.x - cx) - hx, qy = std::fabs(p.y - cy) - hy;
        double outside = Length({std::max(qx, 0.0), std::max(qy, 0.0)});
        return outside + std::min(std::max(qx, qy), 0.0) - radius;
    };
}

Sdf PolygonShape(std::vector<Vec2> pts)
{
    return [pts = std::move(pts)](Vec2 p) {
        double d = 1e9;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++)
            d = std::min(d, SegmentDistance(pts[j], pts[i], p.x, p.y));
        return InsidePolygon(pts, p.x, p.y) ? -d : d;
    };
}

Sdf HalfPlane(Vec2 origin, Vec2 normal)
{
    double len = Length(normal);
    Vec2 n{normal.x / len, normal.y / len};
    return [=](Vec2 p) { return (p.x - origin.x) * n.x + (p.y - origin.y) * n.y; };
}

Sdf Union(Sdf a, Sdf b)
{
    return [=](Vec2 p) { return std::min(a(p), b(p)); };
}

Sdf Intersect(Sdf a, Sdf b)
{
    return [=](Vec2 p) { return std::max(a(p), b(p)); };
}

Sdf Subtract(Sdf a, Sdf b)
{
    return [=](Vec2 p) { return std::max(a(p), -b(p)); };
}

Sdf Grow(Sdf a, double d)
{
    return [=](Vec2 p) { return a(p) - d; };
}

Sheet::Sheet(double x0, double y0, int width, int height, int supersample)
    : canvas_(width, height, supersample), x0_(x0), y1_(y0 + height)
{
}

void Sheet::Paint(const Sdf& shape, Rgb colour)
{
    canvas_.FillRegion(0, 0, canvas_.Width(), canvas_.Height(),
                       [&](double x, double y) { return shape({x + x0_, y1_ - y}) <= 0; },
                       colour);
}

void Sheet::Outlined(const Sdf& shape, Rgb fill, Rgb ink, double lw)
{
    Paint(shape, ink);
    Paint(Grow(shape, -lw), fill);
}

void Sheet::Band(const Sdf& shape, const Sdf& region, Rgb colour, double lw)
{
    Paint(Intersect(Grow(shape, -lw), region), colour);
}

void Sheet::Line(Vec2 a, Vec2 b, double width, Rgb colour)
{
    Paint(CapsuleShape(a, b, width / 2), colour);
}
