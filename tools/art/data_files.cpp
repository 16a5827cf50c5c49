// Writes the parts, figure, animation and level files from the image
// descriptions and the movement tables below.
#include "art.h"
#include "figure_layout.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "figure/data_file_names.h"

namespace {

struct SlotDef {
    int image;
    int layer;      // 1 front .. 6 back
    int rootpart;   // parent slot; its index also picks the image whose joints are used
    int rootpoint;
    const char* what;
};

// Back limbs sit behind the body and front limbs before it; the spear is
// held behind the fist so the fingers close over it.
const SlotDef kSlots[] = {
    {0, 3, -1, -1, "hips, hung from the figure's origin"},
    {1, 4, 0, 0, "torso, on the waist; bobs while walking"},
    {2, 6, 1, 0, "back arm, on the back shoulder"},
    {3, 1, 1, 1, "front arm, on the front shoulder; shows image 6 while holding the spear"},
    {4, 5, 0, 1, "back leg, on the back hip"},
    {5, 2, 0, 2, "front leg, on the front hip; kicks"},
    {13, 2, 3, 0, "spear, in the front hand; hidden until taken"},
    {7, 1, 3, 0, "punch flash at the front fist; hidden until a punch lands"},
    {8, 4, 1, 2, "head, on the neck"},
};

constexpr int kNoStart = 1000;

struct KeyDef {
    int dest = 0;
    int speed = 0;               // degrees per second; the sign is the direction
    int start = kNoStart;    // kNoStart: carry on from the slot's current angle
    bool loop = false;
    int changeSlot = -1, changeImage = -1;
    std::vector<int> show, hide;
};

struct ListDef {
    int slot;
    std::vector<KeyDef> keys;
    bool bob = false;   // the walk's up-and-down of the torso
};

struct FrameDef {
    const char* what;
    std::vector<ListDef> lists;
};

KeyDef Key(int dest, int speed)
{
    KeyDef k;
    k.dest = dest;
    k.speed = speed;
    return k;
}
KeyDef From(int start, int dest, int speed)
{
    KeyDef k = Key(dest, speed);
    k.start = start;
    return k;
}
KeyDef Loop(KeyDef k)
{
    k.loop = true;
    return k;
}

// The game measures a clockwise turn (negative speed) to a positive destination
// at or below its start as a full turn too long, so clockwise keys that pass
// downwards write their destination as 0 or below; counter-clockwise keys keep
// theirs in 0..359.
// A looping list comes back to its first key at the angle where it began, so
// that first key may pin its start without a visible jump.
std::vector<FrameDef> Frames()
{
    constexpr int kLeg = 25, kLegSpeed = 300;  // one stride: 100 degrees at 300/s
    constexpr int kArm = 20, kArmSpeed = 240;  // same timing as the legs
    std::vector<FrameDef> f;
    f.push_back({"punch with the front arm",
                 {{1, {From(0, -6, -60), Key(0, 24)}},
                  {2, {From(0, -30, -300), Key(0, 150)}},
                  {3, {From(0, -15, -200), Key(90, 1000), Key(93, 30), Key(0, -400)}}}});
    f[0].lists[2].keys[1].show = {7};
    f[0].lists[2].keys[3].hide = {7};

    f.push_back({"kick with the front leg",
                 {{1, {From(0, 8, 64), Key(0, -40)}},
                  {2, {From(0, 35, 280), Key(0, -140)}},
                  {5, {From(0, 80, 640), Key(84, 40), Key(0, -320)}}}});

    f.push_back({"walk: legs and arms swing in turn, the torso bobs",
                 {{1, {From(0, -3, -30)}, true},
                  {2, {From(0, kArm, kArmSpeed), Key(-kArm, -kArmSpeed), Loop(Key(0, kArmSpeed))}},
                  {3, {From(0, -kArm, -kArmSpeed), Key(kArm, kArmSpeed), Loop(Key(0, -kArmSpeed))}},
                  {4, {From(0, -kLeg, -kLegSpeed), Key(kLeg, kLegSpeed), Loop(Key(0, -kLegSpeed))}},
                  {5, {From(0, kLeg, kLegSpeed), Key(-kLeg, -kLegSpeed), Loop(Key(0, kLegSpeed))}}}});

    f.push_back({"jump: front knee up, arms flung",
                 {{1, {From(0, -5, -50)}},
                  {2, {From(0, -45, -450)}},
                  {3, {Key(150, 750)}},
                  {4, {From(0, -15, -300)}},
                  {5, {Key(45, 450)}}}});

    // Reach back, then bring the arm forward; the spear is in the hand when it arrives.
    f.push_back({"take the spear", {{3, {From(0, -30, -300), Key(90, 480)}}}});
    f[4].lists[0].keys[1].changeSlot = 3;
    f[4].lists[0].keys[1].changeImage = 6;
    f[4].lists[0].keys[1].show = {6};

    // The arm may be aimed anywhere; turning clockwise down and behind is the
    // short way from every forward or raised aim.
    f.push_back({"put the spear away", {{3, {Key(-30, -480), Key(0, 240)}}}});
    f[5].lists[0].keys[0].changeSlot = 3;
    f[5].lists[0].keys[0].changeImage = 3;
    f[5].lists[0].keys[0].hide = {6};
    return f;
}

std::string Number(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

std::string List(const std::vector<int>& items)
{
    std::string s;
    for (size_t i = 0; i < items.size(); ++i) s += (i ? "," : "") + std::to_string(items[i]);
    return s;
}

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::string PartsFile()
{
    std::ostringstream o;
    std::vector<ImageDef> images = AllImages();
    o << "// Images of the figure and the level. Joint points are measured from each\n"
         "// image's centre; the offsets place that centre relative to the pivot.\n"
         "// Generated by vantrel-art: change the drawing code and regenerate.\n";
    o << "numparts=" << images.size() << "\n";
    for (const ImageDef& d : images) {
        o << "part=" << d.index << "\n";
        o << "texture=" << d.file << "\n";
        if (!d.joints.empty()) {
            o << "numpoints=" << d.joints.size() << "\n";
            o << "points=";
            Vec2 c = d.Centre();
            for (size_t i = 0; i < d.joints.size(); ++i) {
                o << (i ? "," : "") << std::lround(d.joints[i].x - c.x) << ","
                  << std::lround(d.joints[i].y - c.y);
            }
            o << "\n";
        }
        o << "xoffset=" << Number(d.Offset().x) << "\n";
        o << "yoffset=" << Number(d.Offset().y) << "\n";
    }
    return o.str();
}

std::string FigureFile()
{
    std::ostringstream o;
    o << "// The player figure: one slot per line group, parents before children.\n"
         "// Generated by vantrel-art.\n";
    o << "numparts=" << std::size(kSlots) << "\n";
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        const SlotDef& s = kSlots[i];
        o << "// " << s.what << "\n";
        o << "part=" << i << "\n";
        o << "vecpartnum=" << s.image << "\n";
        o << "layer=" << s.layer << "\n";
        if (s.rootpart >= 0) {
            o << "rootpart=" << s.rootpart << "\n";
            o << "rootpoint=" << s.rootpoint << "\n";
        }
    }
    o << "// Hit boxes: number, centre x and y, half width and height, from the hips.\n";
    for (size_t i = 0; i < std::size(body::kHitBoxes); ++i) {
        const body::HitBoxDef& b = body::kHitBoxes[i];
        o << "hitbox=" << i << "," << b.centreX << "," << b.centreY << "," << b.halfWidth << "," << b.halfHeight
          << "\n";
    }
    return o.str();
}

std::string AnimationFile()
{
    std::vector<FrameDef> frames = Frames();
    std::ostringstream o;
    o << "// Animation frames: 0 punch, 1 kick, 2 walk, 3 jump, 4 take the spear,\n"
         "// 5 put it away. Generated by vantrel-art.\n";
    o << "numframes=" << frames.size() << "\n";
    for (size_t fi = 0; fi < frames.size(); ++fi) {
        o << "// " << frames[fi].what << "\n";
        o << "frame=" << fi << "\n";
        o << "frame_numparts=6\n";
        for (const ListDef& l : frames[fi].lists) {
            o << "key_part=" << l.slot << "\n";
            o << "numkeys=" << l.keys.size() << "\n";
            for (size_t ki = 0; ki < l.keys.size(); ++ki) {
                const KeyDef& k = l.keys[ki];
                o << "key=" << ki << "\n";
                if (k.start != kNoStart) {
                    o << "use_startangle=1\n";
                    o << "key_startangle=" << k.start << "\n";
                }
                o << "key_destangle=" << k.dest << "\n";
                o << "key_rotspeed=" << k.speed << "\n";
                if (k.changeSlot >= 0) {
                    o << "use_changepart=1\n";
                    o << "changepart=" << k.changeSlot << "," << k.changeImage << "\n";
                }
                if (!k.show.empty()) o << "part_visible=" << List(k.show) << "\n";
                if (!k.hide.empty()) o << "part_invisible=" << List(k.hide) << "\n";
                if (k.loop) o << "loopkeys=1\n";
                if (l.bob && ki == 0) {
                    o << "move_ymin=0.0\nmove_ymax=4.0\nmove_yvel=48.0\nmove_yloop=1\n";
                }
            }
        }
    }
    return o.str();
}

// The level's images by their number in the parts file.
const int kFloorImage = 9;
const int kCrateImage = 10;
const int kTreeImage = 11;

std::string LevelFile()
{
    std::ostringstream o;
    o << "// The level: a grid of 20 columns by 3 rows of screen-sized cells (640 x 480).\n"
         "//   cell=COLUMN,ROW               the cell the next pieces go into\n"
         "//   piece=IMAGE,X,Y,LAYER[,FLAGS] image number, centre in the cell, layer 1 (front)\n"
         "//                                 to 6 (back); s solid, m movable, p pushable\n"
         "//   same=COLUMN,ROW               this cell is that earlier cell, pieces and all\n"
         "// Pieces draw in the order written within each layer.\n"
         "\n"
         "// Below the start: one loose floor plank that a strike can push.\n"
         "cell=0,0\n"
      << "piece=" << kFloorImage << ",0,0,3,smp\n"
      << "// The end cell, where the game starts: its floor, crates to climb and push, trees behind.\n"
         "cell=0,1\n";
    for (int x = 70; x <= 570; x += 100) o << "piece=" << kFloorImage << "," << x << ",0,3,s\n";
    o << "piece=" << kCrateImage << ",20,340,3,s\n";
    const int crates[][2] = {{70, 340}, {500, 130}, {635, 260}, {320, 320}};
    for (const auto& c : crates) o << "piece=" << kCrateImage << "," << c[0] << "," << c[1] << ",3,smp\n";
    o << "piece=" << kTreeImage << ",170,147,6\n"
      << "piece=" << kTreeImage << ",470,147,6\n"
      << "// The floor between the ends: one cell that three columns share.\n"
         "cell=1,1\n";
    for (int x = 70; x <= 570; x += 100) o << "piece=" << kFloorImage << "," << x << ",0,3,s\n";
    o << "cell=2,1\nsame=1,1\ncell=3,1\nsame=1,1\n"
         "// The far end: the start's cell once more.\n"
         "cell=4,1\nsame=0,1\n";
    return o.str();
}

}  // namespace

bool WriteDataFiles(const std::string& outDir)
{
    const std::string dir = outDir + "/";
    return WriteText(dir + PARTS_DATA_FILE, PartsFile()) && WriteText(dir + FIGURE_DATA_FILE, FigureFile()) &&
           WriteText(dir + ANIM_DATA_FILE, AnimationFile()) &&
           WriteText(dir + LEVEL_DATA_FILE, LevelFile());
}
