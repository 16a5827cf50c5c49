// The host-side helpers of the Windows job: the icon files made from the icon images for
// the resource compiler, and the screenshot comparison with its tolerance.
#include <gtest/gtest.h>

#include <string>

#include "support.h"
#include "tools/windows/image_compare.h"

namespace {

// Enough of a PNG for the icon builder, which reads only the size from the header chunk;
// padded to `bytes` so that sizes above 255 show the byte order of the directory.
std::string FakePng(unsigned width, unsigned height, size_t bytes)
{
    std::string png = "\x89PNG\r\n\x1a\n";
    png += std::string("\0\0\0\x0d", 4) + "IHDR";
    for (unsigned value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>((value >> shift) & 0xFF);
    }
    while (png.size() < bytes) png += static_cast<char>(png.size() & 0xFF);
    return png;
}

unsigned Word(const std::string& s, size_t at)
{
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}

unsigned Long(const std::string& s, size_t at) { return Word(s, at) | Word(s, at + 2) << 16; }

}  // namespace

TEST(WindowsIcons, DirectoryDescribesEachImageAndTheImagesFollowInOrder)
{
    ScopedTempDir dir;
    const std::string large = FakePng(32, 32, 300);
    const std::string small = FakePng(16, 16, 40);
    const std::string huge = FakePng(256, 256, 33);
    WriteWholeFile("large.png", large);
    WriteWholeFile("small.png", small);
    WriteWholeFile("huge.png", huge);
    ASSERT_EQ(RunCommand("sh " VANTREL_SOURCE_DIR "/tools/windows/png-to-ico.sh out.ico large.png small.png huge.png"),
              0);
    const std::string ico = ReadWholeFile("out.ico");
    ASSERT_EQ(ico.size(), 6 + 3 * 16 + large.size() + small.size() + huge.size());
    EXPECT_EQ(Word(ico, 0), 0u);  // reserved
    EXPECT_EQ(Word(ico, 2), 1u);  // an icon, not a cursor
    EXPECT_EQ(Word(ico, 4), 3u);

    const struct { unsigned side; const std::string* png; } expected[] = {{32, &large}, {16, &small}, {0, &huge}};
    size_t offset = 6 + 3 * 16;
    for (int i = 0; i < 3; ++i) {
        const size_t entry = 6 + 16 * i;
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<unsigned char>(ico[entry]), expected[i].side);  // 256 is written as 0
        EXPECT_EQ(static_cast<unsigned char>(ico[entry + 1]), expected[i].side);
        EXPECT_EQ(Word(ico, entry + 2), 0u);   // no palette, reserved
        EXPECT_EQ(Word(ico, entry + 4), 1u);   // planes
        EXPECT_EQ(Word(ico, entry + 6), 32u);  // bits per pixel
        EXPECT_EQ(Long(ico, entry + 8), expected[i].png->size());
        EXPECT_EQ(Long(ico, entry + 12), offset);
        EXPECT_EQ(ico.compare(offset, expected[i].png->size(), *expected[i].png), 0);
        offset += expected[i].png->size();
    }
}

TEST(WindowsIcons, MissingImageFailsWithoutLeavingAnIcon)
{
    ScopedTempDir dir;
    WriteWholeFile("large.png", FakePng(32, 32, 64));
    EXPECT_NE(RunCommand("sh " VANTREL_SOURCE_DIR "/tools/windows/png-to-ico.sh out.ico large.png absent.png "
                         "2>/dev/null"),
              0);
    EXPECT_EQ(RunCommand("test -e out.ico"), 1);
}

TEST(ScreenshotComparison, ToleranceBoundsEachChannelAndCountsPixels)
{
    RgbImage a;
    a.width = 3;
    a.height = 2;
    a.pixels.assign(3 * 2 * 3, 100);
    RgbImage b = a;
    EXPECT_EQ(CompareImages(a, b, 0).differing, 0u);

    b.pixels[0] = 102;      // pixel 0, red: exactly at a tolerance of 2
    b.pixels[3 + 2] = 97;   // pixel 1, blue: one beyond it, downwards
    b.pixels[15 + 1] = 0;   // pixel 5, green: far off
    const ImageDifference d = CompareImages(a, b, 2);
    EXPECT_TRUE(d.sameSize);
    EXPECT_EQ(d.differing, 2u);
    EXPECT_EQ(d.largest, 100);
    EXPECT_EQ(CompareImages(a, b, 0).differing, 3u);
    EXPECT_EQ(CompareImages(a, b, 100).differing, 0u);
}

TEST(ScreenshotComparison, DifferentSizesOrShortPixelDataNeverMatch)
{
    RgbImage a;
    a.width = 4;
    a.height = 2;
    a.pixels.assign(4 * 2 * 3, 0);
    RgbImage b = a;
    b.width = 2;
    b.height = 4;  // same pixel count, other shape
    EXPECT_FALSE(CompareImages(a, b, 255).sameSize);

    RgbImage shortData = a;
    shortData.pixels.resize(5);
    EXPECT_FALSE(CompareImages(a, shortData, 255).sameSize);
    EXPECT_FALSE(CompareImages(shortData, a, 255).sameSize);
}
