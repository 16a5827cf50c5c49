// A long seeded random session through the runner. It takes minutes, so it runs only
// when VANTREL_SOAK is set (the CI script does so against the sanitizer build).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "support.h"

namespace {

// The number after "name": at or after from, or NaN when it is missing or null.
double NumberAfter(const std::string& json, const std::string& name, size_t from = 0)
{
    const size_t at = json.find("\"" + name + "\":", from);
    if (at == std::string::npos) return NAN;
    const char* start = json.c_str() + at + name.size() + 3;
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    return end == start ? NAN : value;
}

// Everything a player can do, at random, except quitting ('q', escape).
std::string RandomScript(int passes, unsigned seed)
{
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* keys[] = {"SPACE", "UP", "DOWN", "F1", "F2", "F3", "F5", "F12", "TAB"};
    const char chars[] = "+-=0123456789`asdfzxcvbnmhjkl";
    std::ostringstream s;
    for (int pass = 0; pass < passes; ++pass) {
        if (pick(3) != 0) continue;
        s << pass << ' ';
        switch (pick(10)) {
        case 0: s << "key " << (pick(2) ? "down " : "up ") << keys[pick(9)]; break;
        case 1: s << "char " << chars[pick(sizeof chars - 1)]; break;
        case 2: s << "dik " << (pick(2) ? "down " : "up ") << (pick(2) ? "0xCB" : "0xCD"); break;
        case 3: s << "mouse move " << pick(401) - 200 << ' ' << pick(401) - 200; break;
        // Big wheel turns carry the camera far away and through zero to negative distances.
        case 4: s << "mouse wheel " << (pick(2) ? 1 : -1) * pick(200000); break;
        case 5: s << "mouse " << (pick(2) ? "down " : "up ") << pick(3); break;
        case 6: s << "cursor " << pick(3000) - 1000 << ' ' << pick(3000) - 1000; break;
        case 7: s << "focus " << (pick(4) ? "gained" : "lost"); break;
        case 8: {
            const int code = pick(2) ? 9 : 32 + pick(90);
            s << "char code " << (code == 'q' ? 'p' : code);
            break;
        }
        default: {
            const int code = pick(256);
            s << "dik " << (pick(2) ? "down " : "up ") << (code == 1 ? 2 : code);  // 1 is escape
            break;
        }
        }
        s << '\n';
    }
    return s.str();
}

}  // namespace

TEST(Soak, HundredThousandRandomPassesStayFiniteAndDoNotGrow)
{
    const char* soak = std::getenv("VANTREL_SOAK");
    if (!soak || !*soak) GTEST_SKIP() << "set VANTREL_SOAK=1 to run the long session";
    const int passes = 100000;
    ScopedTempDir dir;
    CopyDirectoryFiles(VANTREL_DATA_DIR);
    // Focus first, so the devices are acquired; the dumps come after the named passes.
    std::string script = "0 focus gained\n" + RandomScript(passes, 20261208);
    script += "10000 dump early.json\n" + std::to_string(passes - 1) + " dump late.json\n";
    WriteWholeFile("script.txt", script);
    const int code = RunCommand("VANTREL_D3D=memory '" VANTREL_REPLAY_PATH "' --frames " + std::to_string(passes) +
                                " script.txt >stdout.txt 2>stderr.txt");
    ASSERT_EQ(code, 0) << ReadWholeFile("stderr.txt");

    const std::string early = ReadWholeFile("early.json"), late = ReadWholeFile("late.json");
    ASSERT_FALSE(late.empty());
    const size_t figure = late.find("\"figure\":");
    ASSERT_NE(figure, std::string::npos);
    for (const char* name : {"x", "y", "z", "xVelocity", "yVelocity", "yAngle", "zAngle"})
        EXPECT_TRUE(std::isfinite(NumberAfter(late, name, figure))) << name;

    const double before = NumberAfter(early, "vmHwmKiB"), after = NumberAfter(late, "vmHwmKiB");
    ASSERT_GT(before, 0);
    std::printf("peak resident at pass 10000: %.0f KiB, at pass %d: %.0f KiB\n", before, passes, after);
    EXPECT_LE(after - before, 1024.0);
}
