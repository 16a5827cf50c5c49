// Poses the figure from the data files alone (as the game would read them) and
// draws the poses side by side, so a misplaced joint point or offset shows at once.
#include "art.h"
#include "figure_layout.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "figure/data_file_names.h"

namespace {

struct Affine {
    // Row-vector convention: p' = (x*a + y*c + tx, x*b + y*d + ty).
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    Vec2 Apply(Vec2 p) const { return {p.x * a + p.y * c + tx, p.x * b + p.y * d + ty}; }
};

Affine Then(const Affine& m, const Affine& n)  // m first, then n
{
    Affine r;
    r.a = m.a * n.a + m.b * n.c;
    r.b = m.a * n.b + m.b * n.d;
    r.c = m.c * n.a + m.d * n.c;
    r.d = m.c * n.b + m.d * n.d;
    r.tx = m.tx * n.a + m.ty * n.c + n.tx;
    r.ty = m.tx * n.b + m.ty * n.d + n.ty;
    return r;
}

Affine Translate(double x, double y)
{
    Affine m;
    m.tx = x;
    m.ty = y;
    return m;
}

Affine Rotate(double degrees)
{
    double r = degrees * 0.0174532924;
    Affine m;
    m.a = std::cos(r);
    m.b = std::sin(r);
    m.c = -std::sin(r);
    m.d = std::cos(r);
    return m;
}

Affine Inverse(const Affine& m)
{
    double det = m.a * m.d - m.b * m.c;
    Affine r;
    r.a = m.d / det;
    r.b = -m.b / det;
    r.c = -m.c / det;
    r.d = m.a / det;
    r.tx = -(m.tx * r.a + m.ty * r.c);
    r.ty = -(m.tx * r.b + m.ty * r.d);
    return r;
}

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    double xoffset = 0, yoffset = 0;
    std::vector<Vec2> points;
};

struct Slot {
    int image = -1, layer = 3, rootpart = -1, rootpoint = -1;
};

struct Key {
    int dest = 0;
    int changeSlot = -1, changeImage = -1;
    std::vector<int> show, hide;
};

struct Data {
    std::vector<Image> images;
    std::vector<Slot> slots;
    std::vector<std::map<int, std::vector<Key>>> frames;  // frame -> slot -> keys
};

std::vector<int> Ints(const std::string& s)
{
    std::vector<int> out;
    size_t pos = 0;
    while (pos <= s.size()) {
        size_t comma = s.find(',', pos);
        std::string item = s.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        if (!item.empty()) out.push_back(std::atoi(item.c_str()));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return out;
}

template <typename Handler>
bool ReadPairs(const std::string& path, Handler handle)
{
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        handle(line.substr(0, eq), line.substr(eq + 1));
    }
    return true;
}

bool Load(const std::string& dir, Data& data)
{
    int part = 0;
    bool ok = ReadPairs(dir + "/" + PARTS_DATA_FILE, [&](const std::string& k, const std::string& v) {
        if (k == "numparts") data.images.assign(std::atoi(v.c_str()), Image{});
        if (part < 0 || part >= static_cast<int>(data.images.size())) return;
        Image& im = data.images[part];
        if (k == "part") part = std::atoi(v.c_str());
        else if (k == "texture") ReadPng(dir + "/" + v, im.w, im.h, im.rgba);
        else if (k == "xoffset") im.xoffset = std::atof(v.c_str());
        else if (k == "yoffset") im.yoffset = std::atof(v.c_str());
        else if (k == "points") {
            std::vector<int> n = Ints(v);
            for (size_t i = 0; i + 1 < n.size(); i += 2) im.points.push_back({double(n[i]), double(n[i + 1])});
        }
    });
    int slot = 0;
    ok = ok && ReadPairs(dir + "/" + FIGURE_DATA_FILE, [&](const std::string& k, const std::string& v) {
        int n = std::atoi(v.c_str());
        if (k == "numparts") data.slots.assign(n, Slot{});
        else if (k == "part") slot = n;
        else if (slot < 0 || slot >= static_cast<int>(data.slots.size())) return;
        else if (k == "vecpartnum") data.slots[slot].image = n;
        else if (k == "layer") data.slots[slot].layer = n;
        else if (k == "rootpart") data.slots[slot].rootpart = n;
        else if (k == "rootpoint") data.slots[slot].rootpoint = n;
    });
    int frame = 0, list = 0, key = 0;
    ok = ok && ReadPairs(dir + "/" + ANIM_DATA_FILE, [&](const std::string& k, const std::string& v) {
        int n = std::atoi(v.c_str());
        if (k == "numframes") data.frames.assign(n, {});
        else if (k == "frame") frame = n;
        else if (k == "key_part") list = n;
        else if (k == "numkeys") data.frames.at(frame)[list].assign(n, Key{});
        else if (k == "key") key = n;
        else if (k == "key_destangle") data.frames.at(frame)[list].at(key).dest = n;
        else if (k == "changepart") {
            std::vector<int> c = Ints(v);
            data.frames.at(frame)[list].at(key).changeSlot = c.at(0);
            data.frames.at(frame)[list].at(key).changeImage = c.at(1);
        } else if (k == "part_visible") data.frames.at(frame)[list].at(key).show = Ints(v);
        else if (k == "part_invisible") data.frames.at(frame)[list].at(key).hide = Ints(v);
    });
    return ok;
}

struct Pose {
    std::vector<double> angle, y;
    std::vector<int> image;
    std::vector<bool> visible;
};

Pose RestPose(const Data& data)
{
    Pose p;
    size_t n = data.slots.size();
    p.angle.assign(n, 0);
    p.y.assign(n, 0);
    p.visible.assign(n, true);
    for (const Slot& s : data.slots) p.image.push_back(s.image);
    for (size_t i : {6, 7})
        if (i < n) p.visible[i] = false;
    return p;
}

// The pose reached when every list of the frame has finished its key number upTo.
Pose PoseAfter(const Data& data, int frame, int upTo)
{
    Pose p = RestPose(data);
    for (const auto& [slot, keys] : data.frames.at(frame)) {
        for (int j = 0; j <= upTo && j < static_cast<int>(keys.size()); ++j) {
            const Key& k = keys[j];
            p.angle.at(slot) = k.dest;
            if (k.changeSlot >= 0) p.image.at(k.changeSlot) = k.changeImage;
            for (int s : k.show) p.visible.at(s) = true;
            for (int s : k.hide) p.visible.at(s) = false;
        }
    }
    return p;
}

class Picture {
public:
    Picture(int w, int h) : w_(w), h_(h), rgb_(size_t(w) * h * 4, 255)
    {
        for (size_t i = 0; i < rgb_.size(); i += 4) {
            rgb_[i] = 0;
            rgb_[i + 1] = 128;
            rgb_[i + 2] = 128;
        }
    }

    // Draws an image under matrix m into the panel whose top-left pixel shows worldTopLeft.
    void Draw(const Image& im, const Affine& m, int px0, int py0, int pw, int ph, Vec2 worldTopLeft,
              double scale)
    {
        if (im.rgba.empty()) return;
        Affine inv = Inverse(m);
        for (int py = py0; py < py0 + ph; ++py) {
            for (int px = px0; px < px0 + pw; ++px) {
                Vec2 world{worldTopLeft.x + (px - px0 + 0.5) / scale,
                           worldTopLeft.y - (py - py0 + 0.5) / scale};
                Vec2 uv = inv.Apply(world);
                int tx = static_cast<int>(std::floor(uv.x + im.w / 2.0));
                int ty = static_cast<int>(std::floor(im.h / 2.0 - uv.y));
                if (tx < 0 || ty < 0 || tx >= im.w || ty >= im.h) continue;
                const uint8_t* t = &im.rgba[(size_t(ty) * im.w + tx) * 4];
                if (t[3] == 0) continue;
                uint8_t* o = &rgb_[(size_t(py) * w_ + px) * 4];
                o[0] = t[0];
                o[1] = t[1];
                o[2] = t[2];
            }
        }
    }

    void Dot(int px, int py, uint8_t r, uint8_t g, uint8_t b)
    {
        if (px < 0 || py < 0 || px >= w_ || py >= h_) return;
        uint8_t* o = &rgb_[(size_t(py) * w_ + px) * 4];
        o[0] = r;
        o[1] = g;
        o[2] = b;
    }

    bool Save(const std::string& path) const { return WritePng(path, w_, h_, rgb_); }

private:
    int w_, h_;
    std::vector<uint8_t> rgb_;
};

}  // namespace

bool WritePreview(const std::string& dataDir, const std::string& previewPath)
{
    Data data;
    if (!Load(dataDir, data)) return false;

    struct Panel {
        Pose pose;
        bool boxes;
    };
    std::vector<Panel> panels;
    panels.push_back({RestPose(data), true});
    panels.push_back({PoseAfter(data, 2, 0), false});   // walk, front leg forward
    panels.push_back({PoseAfter(data, 2, 1), false});   // walk, the other stride
    panels.push_back({PoseAfter(data, 0, 1), false});   // punch landing
    panels.push_back({PoseAfter(data, 1, 1), false});   // kick
    panels.push_back({PoseAfter(data, 3, 0), false});   // jump
    panels.push_back({PoseAfter(data, 4, 1), false});   // spear taken
    Pose thrust = PoseAfter(data, 4, 1);
    thrust.y.at(6) = -50;
    panels.push_back({thrust, false});

    const double scale = 2;
    const Vec2 topLeft{-60, 130};
    const int pw = 520, ph = 460, columns = 4;
    int rows = (static_cast<int>(panels.size()) + columns - 1) / columns;
    // Below the poses, one screen of the level at its own size, to judge the colours together.
    const int sceneW = 640, sceneH = 480, sceneScale = 2;
    const int sceneTop = ph * rows;
    Picture pic(pw * columns, sceneTop + sceneH * sceneScale);

    for (size_t pi = 0; pi < panels.size(); ++pi) {
        int px0 = static_cast<int>(pi % columns) * pw, py0 = static_cast<int>(pi / columns) * ph;
        const Pose& pose = panels[pi].pose;
        if (data.images.size() > 9) {
            const Image& floor = data.images[9];
            for (double x = -50; x <= 250; x += 100)
                pic.Draw(floor, Translate(x, -83 - floor.h / 2.0), px0, py0, pw, ph, topLeft, scale);
        }
        std::vector<Affine> world(data.slots.size());
        for (size_t i = 0; i < data.slots.size(); ++i) {
            const Slot& s = data.slots[i];
            const Image& im = data.images.at(pose.image[i]);
            Affine jp;
            if (s.rootpart >= 0) {
                Vec2 p = data.images.at(s.rootpart).points.at(s.rootpoint);
                jp = Translate(p.x, p.y);
            }
            Affine local = Then(Then(Then(Translate(0, pose.y[i]), Translate(im.xoffset, im.yoffset)),
                                     Rotate(pose.angle[i])),
                                jp);
            world[i] = s.rootpart >= 0 ? Then(local, world.at(s.rootpart)) : local;
        }
        for (int layer = 6; layer >= 1; --layer) {
            for (size_t i = 0; i < data.slots.size(); ++i) {
                if (data.slots[i].layer != layer || !pose.visible[i]) continue;
                pic.Draw(data.images.at(pose.image[i]), world[i], px0, py0, pw, ph, topLeft, scale);
            }
        }
        if (panels[pi].boxes) {
            // The hit boxes the figure file gives, as thin outlines, to check they fit the body.
            for (const body::HitBoxDef& box : body::kHitBoxes) {
                const double b[4] = {double(box.centreX), double(box.centreY), double(box.halfWidth),
                                     double(box.halfHeight)};
                double l = b[0] - b[2], r = b[0] + b[2], t = b[1] + b[3], bo = b[1] - b[3];
                auto toPx = [&](double x, double y) {
                    return std::pair<int, int>(px0 + int((x - topLeft.x) * scale),
                                               py0 + int((topLeft.y - y) * scale));
                };
                for (double x = l; x <= r; x += 0.5) {
                    auto [ax, ay] = toPx(x, t);
                    auto [bx, by] = toPx(x, bo);
                    pic.Dot(ax, ay, 255, 255, 0);
                    pic.Dot(bx, by, 255, 255, 0);
                }
                for (double y = bo; y <= t; y += 0.5) {
                    auto [ax, ay] = toPx(l, y);
                    auto [bx, by] = toPx(r, y);
                    pic.Dot(ax, ay, 255, 255, 0);
                    pic.Dot(bx, by, 255, 255, 0);
                }
            }
        }
    }
    if (data.images.size() > 11) {
        // The pieces of the level's end cell, where the game starts.
        struct Piece { double x, y; int image; };
        const Piece pieces[] = {{170, 147, 11}, {470, 147, 11}, {70, 0, 9},   {170, 0, 9},
                                {270, 0, 9},    {370, 0, 9},    {470, 0, 9},  {570, 0, 9},
                                {20, 340, 10},  {70, 340, 10},  {500, 130, 10}, {635, 260, 10},
                                {320, 320, 10}};
        const Vec2 sceneTopLeft{0, sceneH - 20.0};
        int sx = (pw * columns - sceneW * sceneScale) / 2;
        for (const Piece& p : pieces)
            pic.Draw(data.images[p.image], Translate(p.x, p.y), sx, sceneTop, sceneW * sceneScale,
                     sceneH * sceneScale, sceneTopLeft, sceneScale);
        const Pose rest = RestPose(data);
        std::vector<Affine> world(data.slots.size());
        const double standY = data.images[9].h / 2.0 + 83;
        for (size_t i = 0; i < data.slots.size(); ++i) {
            const Slot& s = data.slots[i];
            const Image& im = data.images.at(rest.image[i]);
            Affine jp;
            if (s.rootpart >= 0) {
                Vec2 p = data.images.at(s.rootpart).points.at(s.rootpoint);
                jp = Translate(p.x, p.y);
            }
            Affine local = Then(Translate(im.xoffset, im.yoffset), jp);
            world[i] = s.rootpart >= 0 ? Then(local, world.at(s.rootpart))
                                       : Then(local, Translate(250, standY));
        }
        for (int layer = 6; layer >= 1; --layer)
            for (size_t i = 0; i < data.slots.size(); ++i)
                if (data.slots[i].layer == layer && rest.visible[i])
                    pic.Draw(data.images.at(rest.image[i]), world[i], sx, sceneTop,
                             sceneW * sceneScale, sceneH * sceneScale, sceneTopLeft, sceneScale);
    }
    return pic.Save(previewPath);
}
