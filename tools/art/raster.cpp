#include "raster.h"

#include <algorithm>
#include <cmath>

Rgb Shade(Rgb c, double t)
{
    auto mix = [t](uint8_t v) {
        double out = t >= 0 ? v + (255 - v) * t : v * (1 + t);
        return static_cast<uint8_t>(std::lround(std::clamp(out, 0.0, 255.0)));
    };
    return {mix(c.r), mix(c.g), mix(c.b)};
}

Canvas::Canvas(int width, int height, int supersample)
    : width_(width), height_(height), ss_(supersample),
      colour_(static_cast<size_t>(width) * height * supersample * supersample, Rgb{0, 0, 0}),
      covered_(colour_.size(), 0)
{
}

void Canvas::FillRegion(double x0, double y0, double x1, double y1,
                        const std::function<bool(double, double)>& inside, Rgb colour)
{
    const int sw = width_ * ss_;
    const int sh = height_ * ss_;
    int sx0 = std::max(0, static_cast<int>(std::floor(x0 * ss_)) - 1);
    int sy0 = std::max(0, static_cast<int>(std::floor(y0 * ss_)) - 1);
    int sx1 = std::min(sw - 1, static_cast<int>(std::ceil(x1 * ss_)) + 1);
    int sy1 = std::min(sh - 1, static_cast<int>(std::ceil(y1 * ss_)) + 1);
    for (int sy = sy0; sy <= sy1; ++sy) {
        double y = (sy + 0.5) / ss_;
        for (int sx = sx0; sx <= sx1; ++sx) {
            double x = (sx + 0.5) / ss_;
            if (inside(x, y)) {
                size_t i = static_cast<size_t>(sy) * sw + sx;
                colour_[i] = colour;
                covered_[i] = 1;
            }
        }
    }
}

bool InsidePolygon(const std::vector<Vec2>& pts, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
        const Vec2& a = pts[i];
        const Vec2& b = pts[j];
        if ((a.y > y) != (b.y > y)) {
            double cx = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x < cx) in = !in;
        }
    }
    return in;
}

double SegmentDistance(Vec2 a, Vec2 b, double x, double y)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    double px = a.x + t * dx - x, py = a.y + t * dy - y;
    return std::sqrt(px * px + py * py);
}

void Canvas::FillPolygon(const std::vector<Vec2>& pts, Rgb colour)
{
    if (pts.size() < 3) return;
    double x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
    for (const Vec2& p : pts) {
        x0 = std::min(x0, p.x); x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y); y1 = std::max(y1, p.y);
    }
    FillRegion(x0, y0, x1, y1, [&](double x, double y) { return InsidePolygon(pts, x, y); },
               colour);
}

void Canvas::StrokePolyline(const std::vector<Vec2>& pts, double width, Rgb colour, bool closed)
{
    size_t n = pts.size();
    if (n < 2) return;
    size_t segs = closed ? n : n - 1;
    for (size_t i = 0; i < segs; ++i) FillCapsule(pts[i], pts[(i + 1) % n], width / 2, colour);
}

void Canvas::FillEllipse(double cx, double cy, double rx, double ry, Rgb colour)
{
    if (rx <= 0 || ry <= 0) return;
    FillRegion(cx - rx, cy - ry, cx + rx, cy + ry,
               [=](double x, double y) {
                   double u = (x - cx) / rx, v = (y - cy) / ry;
                   return u * u + v * v <= 1.0;
               },
               colour);
}

void Canvas::FillCapsule(Vec2 a, Vec2 b, double radius, Rgb colour)
{
    if (radius <= 0) return;
    FillRegion(std::min(a.x, b.x) - radius, std::min(a.y, b.y) - radius,
               std::max(a.x, b.x) + radius, std::max(a.y, b.y) + radius,
               [=](double x, double y) { return SegmentDistance(a, b, x, y) <= radius; }, colour);
}

void Canvas::FillRoundRect(double x0, double y0, double x1, double y1, double radius, Rgb colour)
{
    if (x1 <= x0 || y1 <= y0) return;
    radius = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
    FillRegion(x0, y0, x1, y1,
               [=](double x, double y) {
                   if (x < x0 || x > x1 || y < y0 || y > y1) return false;
                   double dx = std::max({x0 + radius - x, 0.0, x - (x1 - radius)});
                   double dy = std::max({y0 + radius - y, 0.0, y - (y1 - radius)});
                   return dx * dx + dy * dy <= radius * radius;
               },
               colour);
}

void Canvas::Ellipse(double cx, double cy, double rx, double ry, Rgb fill, Rgb line, double lw)
{
    FillEllipse(cx, cy, rx, ry, line);
    FillEllipse(cx, cy, rx - lw, ry - lw, fill);
}

void Canvas::Capsule(Vec2 a, Vec2 b, double radius, Rgb fill, Rgb line, double lw)
{
    FillCapsule(a, b, radius, line);
    FillCapsule(a, b, radius - lw, fill);
}

void Canvas::RoundRect(double x0, double y0, double x1, double y1, double radius, Rgb fill,
                       Rgb line, double lw)
{
    FillRoundRect(x0, y0, x1, y1, radius, line);
    FillRoundRect(x0 + lw, y0 + lw, x1 - lw, y1 - lw, std::max(0.0, radius - lw), fill);
}

void Canvas::Polygon(const std::vector<Vec2>& pts, Rgb fill, Rgb line, double lw)
{
    FillPolygon(pts, fill);
    StrokePolyline(pts, lw, line, true);
}

std::vector<uint8_t> Canvas::Resolve() const
{
    std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * 4, 0);
    const int sw = width_ * ss_;
    const int half = (ss_ * ss_ + 1) / 2;
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            int count = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < ss_; ++sy) {
                for (int sx = 0; sx < ss_; ++sx) {
                    size_t i = static_cast<size_t>(py * ss_ + sy) * sw + (px * ss_ + sx);
                    if (!covered_[i]) continue;
                    ++count;
                    r += colour_[i].r; g += colour_[i].g; b += colour_[i].b;
                }
            }
            if (count < half) continue;
            uint8_t* o = &out[(static_cast<size_t>(py) * width_ + px) * 4];
            o[0] = static_cast<uint8_t>((r + count / 2) / count);
            o[1] = static_cast<uint8_t>((g + count / 2) / count);
            o[2] = static_cast<uint8_t>((b + count / 2) / count);
            o[3] = 255;
        }
    }
    return out;
}
