// The figure's images: hips, torso, head, arms, legs, the punch flash and the spear.
#include "art.h"
#include "figure_layout.h"
#include "palette.h"

#include <cmath>

namespace {

using namespace body;
constexpr double kLw = kLineWidth;
constexpr double kPi = 3.14159265358979323846;

// Limbs are described around their own pivot; this shifts them into the rest frame.
struct Local {
    Vec2 pivot;
    Vec2 operator()(double x, double y) const { return {pivot.x + x, pivot.y + y}; }
};

// The region x > at (shadow side of a part lit from the front-top).
Sdf RightOf(double at) { return HalfPlane({at, 0}, {-1, 0}); }
Sdf LeftOf(double at) { return HalfPlane({at, 0}, {1, 0}); }
Sdf Above(double at) { return HalfPlane({0, at}, {0, -1}); }
Sdf Below(double at) { return HalfPlane({0, at}, {0, 1}); }

void DrawHips(Sheet& s)
{
    Sdf seat = Box(-12, -9, 18, 11, 6);
    s.Outlined(seat, pal::kTrousers, pal::kInk, kLw);
    s.Band(seat, Below(-3), Shade(pal::kTrousers, -0.25), kLw);
    s.Band(seat, Box(-14, 4, 20, 9.5), pal::kBelt, kLw);
    s.Line({-11, 4}, {17, 4}, 0.8, pal::kInk);
    s.Outlined(Box(11, 2.5, 17, 10.5, 1.2), pal::kBuckle, pal::kInk, 1.0);
    s.Paint(Box(13, 5, 15, 8), pal::kBelt);
}

void DrawTorso(Sheet& s)
{
    Sdf shirt = Union(Box(-13, 0, 15, 57, 9), EllipseShape({7, 40}, 12, 14));
    s.Outlined(shirt, pal::kShirt, pal::kInk, kLw);
    s.Band(shirt, LeftOf(-6), Shade(pal::kShirt, -0.25), kLw);
    s.Band(shirt, Below(12), Shade(pal::kShirt, -0.18), kLw);
    s.Band(shirt, Box(-20, 33, 30, 39), pal::kWhite, kLw);
    s.Band(shirt, Intersect(Box(-20, 33, 30, 39), LeftOf(-6)), Shade(pal::kWhite, -0.2), kLw);
    s.Band(shirt, EllipseShape({12, 47}, 4.5, 3.5), Shade(pal::kShirt, 0.25), kLw);
    // Open collar: the neck shows in a V.
    Sdf vee = PolygonShape({{0, 62}, {11, 62}, {6.5, 49}});
    s.Band(shirt, vee, pal::kSkin, kLw);
    s.Line({0.6, 57}, {6.5, 49.5}, 1.0, pal::kInk);
    s.Line({6.5, 49.5}, {10.6, 56}, 1.0, pal::kInk);
}

void DrawHead(Sheet& s)
{
    Sdf neck = CapsuleShape({5, 55}, {6, 64}, 5);
    s.Outlined(neck, pal::kSkin, pal::kInk, kLw);
    s.Band(neck, LeftOf(3), Shade(pal::kSkin, -0.2), kLw);

    Sdf skull = Circle({6, 73}, 12.6);
    Sdf face = Union(Union(skull, EllipseShape({11, 68.5}, 8.5, 8)),
                     EllipseShape({19.3, 72.5}, 2.8, 2.4));
    s.Outlined(face, pal::kSkin, pal::kInk, kLw);
    s.Band(face, Circle({13, 67.5}, 2.2), Shade(pal::kShirt, 0.55), kLw);

    // Hair covers the crown and the back of the head; the hairline rises
    // towards the brow so the eye stays clear.
    Sdf crown = HalfPlane({0, 74}, {7, -17});
    Sdf back = Intersect(LeftOf(2), Above(64));
    Sdf hair = Intersect(Grow(skull, 1.0), Union(crown, back));
    s.Outlined(hair, pal::kHair, pal::kInk, kLw);
    s.Band(hair, Intersect(EllipseShape({8, 84.5}, 5, 2.2), Above(82.5)), Rgb{146, 92, 52}, kLw);
    s.Band(hair, LeftOf(-2), Shade(pal::kHair, -0.25), kLw);
    // A fringe tuft over the brow.
    Sdf tuft = PolygonShape({{10, 84}, {19.5, 79}, {15, 80.5}, {12, 77.5}});
    s.Outlined(Intersect(tuft, Grow(skull, 1.0)), pal::kHair, pal::kInk, 1.0);

    Sdf ear = EllipseShape({3.5, 71}, 2.8, 3.8);
    s.Outlined(ear, Shade(pal::kSkin, -0.1), pal::kInk, 1.0);
    s.Paint(EllipseShape({14.8, 74}, 1.4, 2.2), pal::kInk);
    s.Line({12.6, 77.6}, {17.4, 78.2}, 1.3, pal::kHair);
    s.Line({15.6, 64.6}, {18.6, 65.6}, 1.0, Shade(pal::kSkin, -0.45));
}

enum class Hand { Open, Grip };

void DrawArm(Sheet& s, Vec2 shoulder, bool back, Hand hand)
{
    Local L{shoulder};
    double dim = back ? -0.22 : 0.0;
    Rgb skin = Shade(pal::kSkin, dim);
    Rgb shirt = Shade(pal::kShirt, dim);
    Sdf arm = TaperShape(L(0, -6), L(0, -45), 5.2, 4.4);
    s.Outlined(arm, skin, pal::kInk, kLw);
    s.Band(arm, RightOf(shoulder.x + 1.8), Shade(skin, -0.2), kLw);
    Sdf sleeve = TaperShape(L(0, 0), L(0, -19), 7.3, 6.6);
    s.Outlined(sleeve, shirt, pal::kInk, kLw);
    s.Band(sleeve, RightOf(shoulder.x + 2.5), Shade(shirt, -0.22), kLw);
    s.Band(sleeve, Below(shoulder.y - 16), Shade(shirt, -0.3), kLw);

    Vec2 palm = L(0, -kHandDrop);
    if (hand == Hand::Open) {
        Sdf h = Union(EllipseShape(L(0, -kHandDrop), 5.6, 6.8),
                      CapsuleShape(L(3.2, -47), L(5, -52.5), 2.2));
        s.Outlined(h, skin, pal::kInk, kLw);
        s.Band(h, RightOf(shoulder.x + 2), Shade(skin, -0.2), kLw);
        s.Line(L(-1.5, -55.5), L(2, -57), 0.7, Shade(skin, -0.4));
    } else {
        // A closed fist: fingers wrap across the shaft, thumb over the front.
        Sdf fist = EllipseShape({palm.x, palm.y + 0.5}, 6.8, 7.0);
        s.Outlined(fist, skin, pal::kInk, kLw);
        s.Band(fist, RightOf(shoulder.x + 2.5), Shade(skin, -0.2), kLw);
        for (double y : {-49.0, -52.0, -55.0})
            s.Line(L(-4.5, y), L(3, y), 0.7, Shade(skin, -0.45));
        Sdf thumb = CapsuleShape(L(3.8, -47.5), L(3.8, -54), 2.1);
        s.Outlined(thumb, Shade(skin, 0.1), pal::kInk, 1.0);
    }
}

void DrawLeg(Sheet& s, Vec2 hip, bool back)
{
    Local L{hip};
    double dim = back ? -0.22 : 0.0;
    Rgb cloth = Shade(pal::kTrousers, dim);
    Rgb leather = Shade(pal::kBoot, dim);
    Sdf leg = Union(TaperShape(L(0, 1.5), L(1, -40), 8.4, 7.2),
                    TaperShape(L(1, -40), L(0, -66), 7.2, 6.0));
    s.Outlined(leg, cloth, pal::kInk, kLw);
    s.Band(leg, RightOf(hip.x + 3), Shade(cloth, -0.25), kLw);
    s.Band(leg, Intersect(LeftOf(hip.x - 3.5), Below(hip.y - 6)), Shade(cloth, 0.15), kLw);
    s.Line(L(3.5, -37.5), L(6.8, -42), 0.9, pal::kInk);

    Sdf boot = Intersect(Union(Box(hip.x - 7, kSole, hip.x + 8, hip.y - 62, 4),
                               EllipseShape(L(9, kSole + 6.5), 9, 6.5)),
                         Above(kSole));
    s.Outlined(boot, leather, pal::kInk, kLw);
    s.Band(boot, Below(kSole + 2.8), Shade(leather, -0.45), kLw);
    s.Band(boot, Intersect(Above(hip.y - 67.5), Below(hip.y - 64)), Shade(leather, 0.2), kLw);
    s.Band(boot, Intersect(EllipseShape(L(10, kSole + 8.5), 5, 2.2), RightOf(hip.x + 5)),
           Shade(leather, 0.3), kLw);
    s.Line(L(-7, kSole + 2.8), L(17.5, kSole + 2.8), 0.8, pal::kInk);
}

void DrawFlash(Sheet& s, Vec2 hand)
{
    Vec2 c{hand.x, hand.y - 12};
    auto star = [&](double outer, double inner) {
        std::vector<Vec2> pts;
        for (int i = 0; i < 16; ++i) {
            double a = (i * 22.5 + 11.25) * kPi / 180;
            double r = i % 2 ? inner : outer;
            pts.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
        }
        return PolygonShape(pts);
    };
    Rgb orange{240, 120, 30};
    s.Outlined(star(15.5, 7), pal::kFlash, orange, 1.4);
    s.Paint(star(8, 3.6), pal::kWhite);
}

void DrawSpear(Sheet& s, Vec2 grip)
{
    Local L{grip};
    Sdf shaft = CapsuleShape(L(0, 48), L(0, -54), 2.6);
    s.Outlined(shaft, pal::kWood, pal::kInk, 1.0);
    s.Band(shaft, RightOf(grip.x + 0.6), Shade(pal::kWood, -0.25), 1.0);
    s.Outlined(Box(grip.x - 3, grip.y + 46, grip.x + 3, grip.y + 51.5, 1.2), pal::kSteel,
               pal::kInk, 1.0);
    s.Outlined(Box(grip.x - 3, grip.y - 50, grip.x + 3, grip.y - 45, 0.8), pal::kShirt, pal::kInk,
               0.9);
    Sdf head = PolygonShape({L(0, -71.5), L(-5.6, -62), L(-3.4, -56), L(3.4, -56),
                             L(5.6, -62)});
    s.Outlined(head, pal::kSteel, pal::kInk, 1.0);
    s.Band(head, LeftOf(grip.x), Shade(pal::kSteel, 0.45), 1.0);
    s.Line(L(0, -57.5), L(0, -68.5), 0.8, Shade(pal::kSteel, -0.35));
    s.Outlined(Box(grip.x - 3.4, grip.y - 57, grip.x + 3.4, grip.y - 51, 1), pal::kBuckle,
               pal::kInk, 1.0);
}

}  // namespace

std::vector<ImageDef> FigureImages()
{
    std::vector<ImageDef> v;
    v.push_back({0, "hips.png", kHips, -13, -10, 19, 12, {kWaist, kBackHip, kFrontHip},
                 DrawHips});
    v.push_back({1, "torso.png", kWaist, -15, -2, 21, 60, {kBackShoulder, kFrontShoulder, kNeck},
                 DrawTorso});
    v.push_back({2, "arm_back.png", kBackShoulder, kBackShoulder.x - 9, kBackShoulder.y - 59,
                 kBackShoulder.x + 9, kBackShoulder.y + 7, {kBackHand},
                 [](Sheet& s) { DrawArm(s, kBackShoulder, true, Hand::Open); }});
    v.push_back({3, "arm_front.png", kFrontShoulder, kFrontShoulder.x - 9,
                 kFrontShoulder.y - 59, kFrontShoulder.x + 9, kFrontShoulder.y + 7,
                 {kFrontHand}, [](Sheet& s) { DrawArm(s, kFrontShoulder, false, Hand::Open); }});
    v.push_back({4, "leg_back.png", kBackHip, kBackHip.x - 9, kSole, kBackHip.x + 19,
                 kBackHip.y + 7, {}, [](Sheet& s) { DrawLeg(s, kBackHip, true); }});
    v.push_back({5, "leg_front.png", kFrontHip, kFrontHip.x - 9, kSole, kFrontHip.x + 19,
                 kFrontHip.y + 7, {}, [](Sheet& s) { DrawLeg(s, kFrontHip, false); }});
    // Same extent and hand point as image 3: the slot's children keep using image 3's
    // joint points while this one is shown.
    v.push_back({6, "arm_front_grip.png", kFrontShoulder, kFrontShoulder.x - 9,
                 kFrontShoulder.y - 59, kFrontShoulder.x + 9, kFrontShoulder.y + 7,
                 {kFrontHand}, [](Sheet& s) { DrawArm(s, kFrontShoulder, false, Hand::Grip); }});
    v.push_back({7, "punch_flash.png", kFrontHand, kFrontHand.x - 16, kFrontHand.y - 28,
                 kFrontHand.x + 16, kFrontHand.y + 4, {},
                 [](Sheet& s) { DrawFlash(s, kFrontHand); }});
    v.push_back({8, "head.png", kNeck, -9, 53, 23, 87, {}, DrawHead});
    // The shaft runs back past the grip, up the arm and short of the shoulder, so
    // that a full thrust (50 units out along the arm) still leaves it in the fist.
    v.push_back({13, "spear.png", kFrontHand, kFrontHand.x - 7, kFrontHand.y - 72,
                 kFrontHand.x + 7, kFrontHand.y + 52, {},
                 [](Sheet& s) { DrawSpear(s, kFrontHand); }});
    return v;
}
