// Checks of the bundled game data that the art program writes: the faults
// that would only show in the running game as a broken or spinning figure.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support.h"

namespace {

namespace fs = std::filesystem;

struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
    bool Opaque(int x, int y) const { return rgba[(size_t(y) * w + x) * 4 + 3] != 0; }
};

bool LoadPicture(const std::string& path, Picture& pic)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    pic.rgba.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, pic.rgba.data(), 0, nullptr)) return false;
    pic.w = static_cast<int>(image.width);
    pic.h = static_cast<int>(image.height);
    return true;
}

std::vector<int> Ints(const std::string& text)
{
    std::vector<int> out;
    size_t pos = 0;
    while (true) {
        size_t comma = text.find(',', pos);
        std::string item = text.substr(pos, comma == std::string::npos ? comma : comma - pos);
        if (!item.empty()) out.push_back(std::atoi(item.c_str()));
        if (comma == std::string::npos) return out;
        pos = comma + 1;
    }
}

// key=value lines in file order, comments and blank lines dropped.
std::vector<std::pair<std::string, std::string>> Pairs(const std::string& path)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        size_t eq = line.find('=');
        if (eq != std::string::npos) out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return out;
}

struct Part {
    std::string texture;
    std::vector<int> points;  // x0,y0,x1,y1,...
    int numpoints = 0;
    double xoffset = 0, yoffset = 0;
};

struct Slot {
    int image = -1, layer = 3, rootpart = -1, rootpoint = -1;
};

struct Key {
    bool useStart = false;
    int start = 0, dest = 0, speed = 0;
    bool loop = false, moveY = false, yLoop = false;
    std::vector<int> change, show, hide;
};

struct Bundle {
    std::vector<Part> parts;
    std::vector<Slot> slots;
    std::vector<std::vector<int>> hitBoxes;             // number, centre x, y, half sizes
    std::vector<int> frameSlots;                        // frame_numparts per frame
    std::vector<std::map<int, std::vector<Key>>> frames;  // frame -> slot -> keys
};

Bundle ReadBundle(const std::string& dir)
{
    Bundle b;
    int part = 0;
    for (const auto& [k, v] : Pairs(dir + "/vecparts.dat")) {
        if (k == "numparts") b.parts.resize(std::atoi(v.c_str()));
        else if (k == "part") part = std::atoi(v.c_str());
        else if (k == "texture") b.parts.at(part).texture = v;
        else if (k == "numpoints") b.parts.at(part).numpoints = std::atoi(v.c_str());
        else if (k == "points") b.parts.at(part).points = Ints(v);
        else if (k == "xoffset") b.parts.at(part).xoffset = std::atof(v.c_str());
        else if (k == "yoffset") b.parts.at(part).yoffset = std::atof(v.c_str());
        else ADD_FAILURE() << "vecparts.dat: unknown key " << k;
    }
    int slot = 0;
    for (const auto& [k, v] : Pairs(dir + "/vecman.dat")) {
        int n = std::atoi(v.c_str());
        if (k == "numparts") b.slots.resize(n);
        else if (k == "part") slot = n;
        else if (k == "vecpartnum") b.slots.at(slot).image = n;
        else if (k == "layer") b.slots.at(slot).layer = n;
        else if (k == "rootpart") b.slots.at(slot).rootpart = n;
        else if (k == "rootpoint") b.slots.at(slot).rootpoint = n;
        else if (k == "hitbox") b.hitBoxes.push_back(Ints(v));
        else ADD_FAILURE() << "vecman.dat: unknown key " << k;
    }
    int frame = 0, list = 0, key = 0;
    for (const auto& [k, v] : Pairs(dir + "/vecanim.dat")) {
        int n = std::atoi(v.c_str());
        auto K = [&]() -> Key& { return b.frames.at(frame).at(list).at(key); };
        if (k == "numframes") {
            b.frames.resize(n);
            b.frameSlots.assign(n, 0);
        } else if (k == "frame") frame = n;
        else if (k == "frame_numparts") b.frameSlots.at(frame) = n;
        else if (k == "key_part") list = n;
        else if (k == "numkeys") b.frames.at(frame)[list].assign(n, Key{});
        else if (k == "key") key = n;
        else if (k == "use_startangle") K().useStart = n != 0;
        else if (k == "key_startangle") K().start = n;
        else if (k == "key_destangle") K().dest = n;
        else if (k == "key_rotspeed") K().speed = n;
        else if (k == "loopkeys") K().loop = n != 0;
        else if (k == "use_changepart") continue;
        else if (k == "changepart") K().change = Ints(v);
        else if (k == "part_visible") K().show = Ints(v);
        else if (k == "part_invisible") K().hide = Ints(v);
        else if (k == "move_ymin" || k == "move_ymax" || k == "move_yvel") K().moveY = true;
        else if (k == "move_yloop") K().yLoop = K().moveY = true;
        else ADD_FAILURE() << "vecanim.dat: unknown key " << k;
    }
    return b;
}

// How far the game turns a key, by its rule (a clockwise key is measured from
// the start down through 0 to the destination plus a full turn, unless the
// destination is written as 0 or below).
double AngleToTurn(double start, double dest, double speed)
{
    if (speed > 0) {
        double d = dest - start;
        return d < 0 ? d + 360 : d;
    }
    double d = dest <= 0 ? dest + 360 : dest;
    return 360 - d + start;
}

double Wrap(double a)
{
    if (a > 359) a -= 360;
    if (a < 0) a += 360;
    return a;
}

const std::string kData = VANTREL_DATA_DIR;

}  // namespace

TEST(ArtData, EveryImageLoadsWithHardAlphaAndTheSizesTheLevelNeeds)
{
    Bundle b = ReadBundle(kData);
    ASSERT_GE(b.parts.size(), 14u);
    std::vector<Picture> pics(b.parts.size());
    for (size_t i = 0; i < b.parts.size(); ++i) {
        SCOPED_TRACE("part " + std::to_string(i) + " " + b.parts[i].texture);
        ASSERT_FALSE(b.parts[i].texture.empty());
        ASSERT_TRUE(LoadPicture(kData + "/" + b.parts[i].texture, pics[i]));
        // Textures keep one bit of alpha: anything in between would flip unpredictably.
        size_t opaque = 0;
        for (size_t p = 3; p < pics[i].rgba.size(); p += 4) {
            ASSERT_TRUE(pics[i].rgba[p] == 0 || pics[i].rgba[p] == 255);
            opaque += pics[i].rgba[p] == 255;
        }
        EXPECT_GT(opaque, 0u);
        EXPECT_EQ(b.parts[i].numpoints * 2, static_cast<int>(b.parts[i].points.size()));
    }
    // The level places floor tiles every 100 units and collides with the whole image.
    EXPECT_NEAR(pics[9].w, 100, 4);
    EXPECT_NEAR(pics[10].w, 50, 4);
    EXPECT_NEAR(pics[10].h, 50, 4);
    for (int i : {9, 10})
        for (int y = 0; y < pics[i].h; ++y)
            for (int x = 0; x < pics[i].w; ++x) ASSERT_TRUE(pics[i].Opaque(x, y)) << i;
    // The background piece stands on the floor: its foot meets the tile's top.
    EXPECT_NEAR(147 - pics[11].h / 2.0, pics[9].h / 2.0, 2);
    // The cursor's hot spot is its top-left pixel.
    EXPECT_TRUE(pics[12].Opaque(0, 0));
}

TEST(ArtData, FigureSlotsHangFromExistingJointsParentsFirst)
{
    Bundle b = ReadBundle(kData);
    ASSERT_GE(b.slots.size(), 8u);
    ASSERT_LE(b.slots.size(), 10u);
    for (size_t i = 0; i < b.slots.size(); ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        const Slot& s = b.slots[i];
        ASSERT_GE(s.image, 0);
        ASSERT_LT(s.image, static_cast<int>(b.parts.size()));
        EXPECT_GE(s.layer, 1);
        EXPECT_LE(s.layer, 6);
        if (s.rootpart < 0) continue;
        EXPECT_LT(s.rootpart, static_cast<int>(i));
        // The joints come from the image numbered like the parent slot.
        EXPECT_GE(s.rootpoint, 0);
        EXPECT_LT(s.rootpoint, b.parts.at(s.rootpart).numpoints);
    }
    EXPECT_EQ(3, b.slots[3].image);
    EXPECT_EQ(3, b.slots[6].rootpart);
    // Slot 3's children use image 3's joints even while it shows image 6, so
    // the two arm images must agree on where the hand is.
    EXPECT_EQ(b.parts[3].points, b.parts[6].points);
    EXPECT_EQ(b.parts[3].xoffset, b.parts[6].xoffset);
    EXPECT_EQ(b.parts[3].yoffset, b.parts[6].yoffset);
    Picture arm, grip;
    ASSERT_TRUE(LoadPicture(kData + "/" + b.parts[3].texture, arm));
    ASSERT_TRUE(LoadPicture(kData + "/" + b.parts[6].texture, grip));
    EXPECT_EQ(arm.w, grip.w);
    EXPECT_EQ(arm.h, grip.h);
}

TEST(ArtData, FigureAtRestStandsOnItsFeetAndReachesItsHead)
{
    Bundle b = ReadBundle(kData);
    // At rest every angle is 0, so each image centre is a sum of joint points and offsets.
    std::vector<double> cx(b.slots.size()), cy(b.slots.size());
    double lowest = 1e9, highest = -1e9, front = -1e9;
    for (size_t i = 0; i < b.slots.size(); ++i) {
        const Slot& s = b.slots[i];
        const Part& p = b.parts.at(s.image);
        double px = 0, py = 0;
        if (s.rootpart >= 0) {
            const Part& joints = b.parts.at(s.rootpart);
            px = cx[s.rootpart] + joints.points.at(s.rootpoint * 2);
            py = cy[s.rootpart] + joints.points.at(s.rootpoint * 2 + 1);
        }
        cx[i] = px + p.xoffset;
        cy[i] = py + p.yoffset;
        if (i == 6 || i == 7) continue;  // hidden at start
        Picture pic;
        ASSERT_TRUE(LoadPicture(kData + "/" + p.texture, pic));
        double top = cy[i] + pic.h / 2.0;
        for (int y = 0; y < pic.h; ++y)
            for (int x = 0; x < pic.w; ++x)
                if (pic.Opaque(x, y)) {
                    lowest = std::min(lowest, top - y - 1);
                    highest = std::max(highest, top - y);
                    front = std::max(front, cx[i] - pic.w / 2.0 + x + 1);
                }
    }
    // The lower hit box ends at -83 and the upper one at 86.
    EXPECT_NEAR(-83, lowest, 2);
    EXPECT_NEAR(86, highest, 3);
    // The boxes end where the body ends in front, both at the same x: a box reaching further
    // slips under what stops the other, and a jump there ends at once.
    ASSERT_EQ(b.hitBoxes.size(), 2u);
    for (const std::vector<int>& box : b.hitBoxes) {
        ASSERT_EQ(box.size(), 5u);
        EXPECT_NEAR(box[1] + box[3], front, 4) << "box " << box[0];
    }
    EXPECT_EQ(b.hitBoxes[0][1] + b.hitBoxes[0][3], b.hitBoxes[1][1] + b.hitBoxes[1][3]);
    EXPECT_EQ(b.hitBoxes[1][2] - b.hitBoxes[1][4], -83);
}

TEST(ArtAnimation, FramesHaveTheirRolesAndEveryTurnGoesTheShortWay)
{
    Bundle b = ReadBundle(kData);
    ASSERT_GE(b.frames.size(), 6u);
    for (size_t f = 0; f < b.frames.size(); ++f) {
        EXPECT_EQ(6, b.frameSlots[f]) << "frame " << f;
        for (const auto& [slot, keys] : b.frames[f]) {
            EXPECT_LT(slot, 6);
            EXPECT_FALSE(keys.empty());
        }
    }
    // Where each frame's slots usually begin: at rest, except that putting the
    // spear away starts from wherever the arm was aimed.
    std::map<int, std::vector<double>> starts = {{5, {0, 45, 90, 135}}};
    for (size_t f = 0; f < b.frames.size(); ++f) {
        for (const auto& [slot, keys] : b.frames[f]) {
            std::vector<double> from = starts.count(f) ? starts[f] : std::vector<double>{0};
            for (double angle : from) {
                // Twice through, so a looping list is also checked on its way round.
                bool loops = keys.back().loop;
                size_t steps = loops ? keys.size() * 2 : keys.size();
                for (size_t n = 0; n < steps; ++n) {
                    const Key& k = keys[n % keys.size()];
                    double start = k.useStart ? Wrap(k.start) : angle;
                    double turn = AngleToTurn(start, k.dest, k.speed);
                    EXPECT_LE(turn, 180) << "frame " << f << " slot " << slot << " key "
                                         << n % keys.size() << " from " << start;
                    angle = Wrap(k.dest);
                }
            }
        }
    }

    // Walking bobs slot 1 from the first key of its list.
    ASSERT_TRUE(b.frames[2].count(1));
    EXPECT_TRUE(b.frames[2][1][0].moveY);
    EXPECT_TRUE(b.frames[2][1][0].yLoop);
    EXPECT_TRUE(b.frames[2].at(5).back().loop);

    // Taking the spear swaps slot 3 to image 6 and shows slot 6, arm forward;
    // putting it away reverses both, arm back down.
    auto lastOf = [&](int f) { return b.frames.at(f).at(3).back(); };
    auto changing = [&](int f) {
        for (const Key& k : b.frames.at(f).at(3))
            if (!k.change.empty()) return k;
        return Key{};
    };
    EXPECT_EQ((std::vector<int>{3, 6}), changing(4).change);
    EXPECT_EQ(std::vector<int>{6}, changing(4).show);
    EXPECT_NEAR(90, Wrap(lastOf(4).dest), 15);
    EXPECT_EQ((std::vector<int>{3, 3}), changing(5).change);
    EXPECT_EQ(std::vector<int>{6}, changing(5).hide);
    EXPECT_EQ(0, Wrap(lastOf(5).dest));

    // A punch shows its flash and hides it again before the list ends.
    bool shown = false, hidden = false;
    for (const Key& k : b.frames[0].at(3)) {
        shown = shown || k.show == std::vector<int>{7};
        hidden = shown && k.hide == std::vector<int>{7};
    }
    EXPECT_TRUE(hidden);
}

TEST(ArtTool, RegeneratesTheCommittedFilesByteForByte)
{
    ScopedTempDir dir;
    ASSERT_EQ(0, RunCommand(std::string("\"") + VANTREL_ART_PATH + "\" data res preview.png"));
    const std::string source = VANTREL_SOURCE_DIR;
    size_t compared = 0;
    for (const auto& [made, committed] :
         std::vector<std::pair<std::string, std::string>>{{"data", source + "/data"},
                                                          {"res", source + "/resources"}}) {
        for (const auto& entry : fs::recursive_directory_iterator(made)) {
            if (!entry.is_regular_file()) continue;
            std::string name = fs::relative(entry.path(), made).string();
            EXPECT_EQ(ReadWholeFile(entry.path().string()), ReadWholeFile(committed + "/" + name))
                << name << " differs from the committed copy: rerun vantrel-art";
            ++compared;
        }
    }
    EXPECT_EQ(ReadWholeFile("preview.png"), ReadWholeFile(source + "/docs/figure-preview.png"));
    EXPECT_GE(compared, 20u);
}
