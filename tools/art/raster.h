// Supersampled vector rasteriser for the game's art. Edges are smoothed between
// neighbouring colours only; coverage stays 1-bit because the game's textures
// use hard alpha.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

// Lighten (t > 0) or darken (t < 0) a colour by a fraction of the way to white or black.
Rgb Shade(Rgb c, double t);

struct Vec2 {
    double x, y;
};

class Canvas {
public:
    Canvas(int width, int height, int supersample = 4);
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Paints every sample whose centre (in pixel units) satisfies inside().
    // The box limits the scan; it is clipped to the canvas.
    void FillRegion(double x0, double y0, double x1, double y1,
                    const std::function<bool(double, double)>& inside, Rgb colour);

    void FillPolygon(const std::vector<Vec2>& pts, Rgb colour);
    void StrokePolyline(const std::vector<Vec2>& pts, double width, Rgb colour, bool closed);
    void FillEllipse(double cx, double cy, double rx, double ry, Rgb colour);
    void FillCapsule(Vec2 a, Vec2 b, double radius, Rgb colour);
    void FillRoundRect(double x0, double y0, double x1, double y1, double radius, Rgb colour);

    // Outlined shapes: the outline lies inside the given extent.
    void Ellipse(double cx, double cy, double rx, double ry, Rgb fill, Rgb line, double lw);
    void Capsule(Vec2 a, Vec2 b, double radius, Rgb fill, Rgb line, double lw);
    void RoundRect(double x0, double y0, double x1, double y1, double radius, Rgb fill,
                   Rgb line, double lw);
    void Polygon(const std::vector<Vec2>& pts, Rgb fill, Rgb line, double lw);

    // Downsampled RGBA, row-major, alpha either 0 or 255.
    std::vector<uint8_t> Resolve() const;

private:
    int width_, height_, ss_;
    std::vector<Rgb> colour_;
    std::vector<uint8_t> covered_;
};

bool InsidePolygon(const std::vector<Vec2>& pts, double x, double y);
double SegmentDistance(Vec2 a, Vec2 b, double x, double y);

// Writes 8-bit RGBA with fixed settings so identical pixels give identical bytes.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);
// Reads any PNG as 8-bit RGBA; false when the file is missing or not a PNG.
bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgba);
