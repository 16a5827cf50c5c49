// vantrel-export run as a user runs it, on a small chain figure made here, and the export
// inside a running game.
#include <gtest/gtest.h>
#include <gif_lib.h>
#include <stand_in.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "data_files_support.h"
#include "export/export.h"
#include "export/output_files.h"
#include "game/actions.h"
#include "game/state.h"
#include "graphics/device_setup.h"
#include "platform/d3dx/image_decode.h"
#include "tools/dump.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

// The part textures keep 5 bits a channel: the shown slots' colours pass through unchanged.
const uint32_t kColours[13] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x808080,
                               0x804000, 0x400080, 0x008040, 0xC0C0C0, 0x404040, 0xFFFFFF};
const int kVisibleSlots = 6;  // 6 and 7 start hidden

// Thirteen solid images hanging in one chain; frame 0 turns slot 1 to 30 degrees in three
// steps of a quarter second (ending at the fourth) and swings slot 2 out and back in six,
// a looping list; frame 1 has no keys. At 4 pictures a second the frame is six pictures.
void WriteChainFigure(const std::string& folder)
{
    fs::create_directories(folder);
    std::string parts = "numparts=13\n", figure = "numparts=8\n";
    for (int i = 0; i < 13; ++i) {
        const std::string image = "c" + std::to_string(i) + ".bmp";
        WriteBmp(folder + "/" + image, 8, 12, [i](int, int) { return kColours[i]; });
        parts += "part=" + std::to_string(i) + "\ntexture=" + image + "\nnumpoints=2\npoints=0,6,0,-6\n";
    }
    for (int i = 0; i < 8; ++i) {
        figure += "part=" + std::to_string(i) + "\nvecpartnum=" + std::to_string(i) + "\n";
        if (i > 0) figure += "rootpart=" + std::to_string(i - 1) + "\nrootpoint=1\n";
    }
    std::string anim = "numframes=6\n// the test swing\nframe=0\nframe_numparts=6\n"
                       "key_part=1\nnumkeys=1\nkey=0\nuse_startangle=1\nkey_startangle=0\nkey_destangle=30\n"
                       "key_rotspeed=40\n"
                       "key_part=2\nnumkeys=2\nkey=0\nuse_startangle=1\nkey_startangle=0\nkey_destangle=20\n"
                       "key_rotspeed=40\nkey=1\nkey_destangle=0\nkey_rotspeed=-40\nloopkeys=1\n"
                       "frame=1\nframe_numparts=6\n";
    for (int f = 2; f < 6; ++f)
        anim += "frame=" + std::to_string(f) + "\nframe_numparts=6\nkey_part=0\nnumkeys=1\nkey=0\nkey_rotspeed=5\n";
    anim += "use_changepart=1\nchangepart=3,6\npart_visible=6,7\n";
    WriteWholeFile(folder + "/vecparts.dat", parts);
    WriteWholeFile(folder + "/vecman.dat", figure);
    WriteWholeFile(folder + "/vecanim.dat", anim);
}

struct ExportRun {
    int exitCode;
    std::string out, err;
};

// The program in data/, as a user starts it there.
ExportRun Export(const std::string& arguments, const std::string& environment = "")
{
    ExportRun run;
    run.exitCode = RunCommand("cd data && " + environment + " '" VANTREL_EXPORT_PATH "' " + arguments +
                              " >../out.txt 2>../err.txt");
    run.out = ReadWholeFile("out.txt");
    run.err = ReadWholeFile("err.txt");
    return run;
}

// A GIF as its viewer shows it: each picture in ARGB, 0 where transparent.
struct Gif {
    bool loops = false;
    int width = 0, height = 0;
    std::vector<int> delays;
    std::vector<std::vector<uint32_t>> pictures;
};

bool LoopsForever(const ExtensionBlock* blocks, int count)
{
    for (int i = 0; i + 1 < count; ++i)
        if (blocks[i].Function == APPLICATION_EXT_FUNC_CODE && blocks[i].ByteCount == 11 &&
            std::memcmp(blocks[i].Bytes, "NETSCAPE2.0", 11) == 0 && blocks[i + 1].ByteCount == 3 &&
            blocks[i + 1].Bytes[0] == 1 && blocks[i + 1].Bytes[1] == 0 && blocks[i + 1].Bytes[2] == 0)
            return true;
    return false;
}

bool ReadGif(const std::string& path, Gif& gif)
{
    int error = 0;
    GifFileType* file = DGifOpenFileName(path.c_str(), &error);
    if (!file) return false;
    const bool read = DGifSlurp(file) == GIF_OK;
    gif.width = file->SWidth;
    gif.height = file->SHeight;
    gif.loops = LoopsForever(file->ExtensionBlocks, file->ExtensionBlockCount) ||
                (file->ImageCount > 0 &&
                 LoopsForever(file->SavedImages[0].ExtensionBlocks, file->SavedImages[0].ExtensionBlockCount));
    for (int i = 0; read && i < file->ImageCount; ++i) {
        const SavedImage& image = file->SavedImages[i];
        GraphicsControlBlock control = {};
        DGifSavedExtensionToGCB(file, i, &control);
        gif.delays.push_back(control.DelayTime);
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
        std::vector<uint32_t> picture(size_t(gif.width) * gif.height, 0);
        for (int y = 0; y < image.ImageDesc.Height; ++y)
            for (int x = 0; x < image.ImageDesc.Width; ++x) {
                const int index = image.RasterBits[y * image.ImageDesc.Width + x];
                if (index == control.TransparentColor || !map) continue;
                const GifColorType c = map->Colors[index];
                picture[size_t(image.ImageDesc.Top + y) * gif.width + image.ImageDesc.Left + x] =
                    0xFF000000u | uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
            }
        gif.pictures.push_back(picture);
    }
    DGifCloseFile(file, &error);
    return read;
}

// What a write left beside its files: the exporter's temporaries, and the fixed names it once used.
std::vector<std::string> Temporaries(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".saving-") != std::string::npos || name.find(".part") != std::string::npos)
            found.push_back(name);
    }
    return found;
}

class ExportTool : public ::testing::Test {
protected:
    void SetUp() override { WriteChainFigure("data"); }
    ScopedTempDir dir;
};

}  // namespace

TEST_F(ExportTool, GifAndSheetHoldTheSamePicturesOfTheWholeFrameCentred)
{
    const ExportRun gifRun = Export("--fps 4 swing.gif");
    ASSERT_EQ(gifRun.exitCode, 0) << gifRun.err;
    const ExportRun sheetRun = Export("--fps 4 swing.png");
    ASSERT_EQ(sheetRun.exitCode, 0) << sheetRun.err;

    // Six pictures, the looping list counted once round; the delays make the frame's 1.5 s.
    Gif gif;
    ASSERT_TRUE(ReadGif("data/swing.gif", gif));
    EXPECT_TRUE(gif.loops);
    EXPECT_EQ(gif.delays, std::vector<int>(6, 25));

    // The sheet's JSON in the layout game frameworks read: six pictures named "0" to "5",
    // one tag (the frame's comment) over all of them, our extras under meta.
    const Json json = Json::parse(ReadWholeFile("data/swing.json"));
    const Json& meta = json.at("meta");
    EXPECT_EQ(meta.at("app"), "vantrel-export");
    EXPECT_EQ(meta.at("image"), "swing.png");
    EXPECT_EQ(meta.at("format"), "RGBA8888");
    EXPECT_EQ(meta.at("scale"), "1");
    EXPECT_EQ(meta.at("fps"), 4);
    EXPECT_EQ(meta.at("frameTags"), Json::parse(R"([{"name":"the test swing","from":0,"to":5,"direction":"forward"}])"));
    EXPECT_EQ(json.at("animations"), Json::parse(R"({"the test swing":["0","1","2","3","4","5"]})"));
    const Json& movement = meta.at("movements").at(0);
    EXPECT_EQ(movement.at("frame"), 0);
    EXPECT_EQ(movement.at("tag"), "the test swing");
    EXPECT_EQ(movement.at("duration"), 1500);
    EXPECT_GT(movement.at("origin").at("x").get<int>(), 0);

    // Every cell of the sheet is the GIF's picture, pixel for pixel.
    DecodedImage sheet;
    std::string error;
    ASSERT_TRUE(DecodeImageFile("data/swing.png", sheet, error)) << error;
    EXPECT_EQ(meta.at("size"), (Json{{"w", sheet.width}, {"h", sheet.height}}));
    const Json& frames = json.at("frames");
    ASSERT_EQ(frames.size(), gif.pictures.size());
    int left = gif.width, right = -1, top = gif.height, bottom = -1;
    for (size_t i = 0; i < gif.pictures.size(); ++i) {
        const Json& cell = frames.at(i);
        EXPECT_EQ(cell.at("filename"), std::to_string(i));
        EXPECT_EQ(cell.at("duration"), 250);
        EXPECT_EQ(cell.at("rotated"), false);
        EXPECT_EQ(cell.at("trimmed"), false);
        EXPECT_EQ(cell.at("sourceSize"), (Json{{"w", gif.width}, {"h", gif.height}}));
        EXPECT_EQ(cell.at("spriteSourceSize"), (Json{{"x", 0}, {"y", 0}, {"w", gif.width}, {"h", gif.height}}));
        const Json& rect = cell.at("frame");
        ASSERT_EQ(rect.at("w"), gif.width);
        ASSERT_EQ(rect.at("h"), gif.height);
        const size_t cellX = rect.at("x"), cellY = rect.at("y");
        size_t differing = 0;
        for (int y = 0; y < gif.height; ++y)
            for (int x = 0; x < gif.width; ++x) {
                const uint32_t drawn = gif.pictures[i][size_t(y) * gif.width + x];
                uint32_t inSheet = sheet.argb[(cellY + y) * sheet.width + cellX + x];
                if (!(inSheet >> 24)) inSheet = 0;
                differing += drawn != inSheet;
                if (drawn) left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                           bottom = std::max(bottom, y);
            }
        EXPECT_EQ(differing, 0u) << "picture " << i;
    }
    // Centred: what the figure covers over the frame has the same margin on either side.
    EXPECT_EQ(left, gif.width - 1 - right);
    EXPECT_EQ(top, gif.height - 1 - bottom);

    // The figure as the game draws it: the shown slots' colours and no hidden one's; it moves.
    std::set<uint32_t> colours;
    for (uint32_t p : gif.pictures[0])
        if (p) colours.insert(p & 0xFFFFFF);
    EXPECT_EQ(colours, std::set<uint32_t>(kColours, kColours + kVisibleSlots));
    EXPECT_NE(gif.pictures[0], gif.pictures[2]);

    // The data folder keeps only what was exported.
    for (const char* stray : {"data/log.log", "data/veclevel.dat"}) EXPECT_FALSE(fs::exists(stray)) << stray;
    EXPECT_EQ(Temporaries("data"), std::vector<std::string>{});
}

namespace {

// One picture of a sheet, cut out as ARGB (0 where transparent), by its JSON entry.
std::vector<uint32_t> Cell(const DecodedImage& sheet, const Json& entry)
{
    const Json& rect = entry.at("frame");
    const size_t x0 = rect.at("x"), y0 = rect.at("y"), w = rect.at("w"), h = rect.at("h");
    std::vector<uint32_t> cell;
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const uint32_t p = sheet.argb[(y0 + y) * sheet.width + x0 + x];
            cell.push_back(p >> 24 ? p : 0);
        }
    return cell;
}

// The untrimmed picture an entry stands for: its cell put back where spriteSourceSize says.
std::vector<uint32_t> Untrimmed(const DecodedImage& sheet, const Json& entry)
{
    const std::vector<uint32_t> cell = Cell(sheet, entry);
    const Json& at = entry.at("spriteSourceSize");
    const size_t sw = entry.at("sourceSize").at("w"), sh = entry.at("sourceSize").at("h");
    const size_t x0 = at.at("x"), y0 = at.at("y"), w = at.at("w"), h = at.at("h");
    std::vector<uint32_t> picture(sw * sh, 0);
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) picture[(y0 + y) * sw + x0 + x] = cell[y * w + x];
    return picture;
}

DecodedImage Sheet(const std::string& path)
{
    DecodedImage sheet;
    std::string error;
    EXPECT_TRUE(DecodeImageFile(path.c_str(), sheet, error)) << error;
    return sheet;
}

}  // namespace

// --all: every frame that plays, one after another in one sheet, one tag each named from
// the frame's comment (or its number), the tags covering the pictures in turn.
TEST_F(ExportTool, AllFramesGoIntoOneSheetWithATagPerFrame)
{
    ASSERT_EQ(Export("--fps 4 swing.png").exitCode, 0);
    const ExportRun run = Export("--fps 4 --all all.png");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("all.png and all.json: 5 frames, "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("frame 1 drives no keys: left out\n"), std::string::npos) << run.out;

    const Json json = Json::parse(ReadWholeFile("data/all.json"));
    const Json& tags = json.at("meta").at("frameTags");
    const std::vector<std::string> names{"the test swing", "frame 2", "frame 3", "frame 4", "frame 5"};
    ASSERT_EQ(tags.size(), names.size());
    size_t next = 0;
    for (size_t t = 0; t < tags.size(); ++t) {
        EXPECT_EQ(tags.at(t).at("name"), names[t]);
        EXPECT_EQ(tags.at(t).at("direction"), "forward");
        EXPECT_EQ(tags.at(t).at("from"), next);
        const size_t to = tags.at(t).at("to");
        ASSERT_GE(to, next);
        Json pictures = Json::array();
        for (size_t i = next; i <= to; ++i) pictures.push_back(std::to_string(i));
        EXPECT_EQ(json.at("animations").at(names[t]), pictures);
        EXPECT_EQ(json.at("meta").at("movements").at(t).at("frame"), t == 0 ? 0 : t + 1);
        next = to + 1;
    }
    ASSERT_EQ(json.at("frames").size(), next);

    // The first movement is the one-frame sheet's, picture for picture.
    const Json one = Json::parse(ReadWholeFile("data/swing.json"));
    const DecodedImage all = Sheet("data/all.png"), swing = Sheet("data/swing.png");
    ASSERT_EQ(tags.at(0).at("to"), 5);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(Untrimmed(all, json.at("frames").at(i)), Untrimmed(swing, one.at("frames").at(i))) << i;
    EXPECT_EQ(json.at("meta").at("size"), (Json{{"w", all.width}, {"h", all.height}}));

    // A tag is an animation's name in the readers: a comment used twice is told apart.
    std::string anim = ReadWholeFile("data/vecanim.dat");
    anim.replace(anim.find("frame=3\n"), 8, "// the test swing\nframe=3\n");
    WriteWholeFile("data/vecanim.dat", anim);
    ASSERT_EQ(Export("--fps 4 --all twice.png").exitCode, 0);
    const Json twice = Json::parse(ReadWholeFile("data/twice.json"));
    EXPECT_EQ(twice.at("meta").at("frameTags").at(2).at("name"), "the test swing (frame 3)");
    EXPECT_EQ(twice.at("animations").size(), names.size());

    // A GIF is one movement.
    const ExportRun gif = Export("--all all.gif");
    EXPECT_EQ(gif.exitCode, 2);
    EXPECT_EQ(gif.err, "vantrel-export: all.gif: a GIF is one movement; --all writes every frame into a .png sheet\n");
    EXPECT_FALSE(fs::exists("data/all.gif"));
    EXPECT_EQ(Export("--all --frame 2 two.png").exitCode, 2);
    EXPECT_FALSE(fs::exists("data/two.png"));
}

// --trim: each picture cut to the pixels it covers, spriteSourceSize saying where it was;
// put back there, it is the untrimmed picture. The sheet gets smaller.
TEST_F(ExportTool, TrimCutsEachPictureToItsPixelsAndSaysWhereItWas)
{
    ASSERT_EQ(Export("--fps 4 --all full.png").exitCode, 0);
    const ExportRun run = Export("--fps 4 --all --trim trim.png");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json full = Json::parse(ReadWholeFile("data/full.json")), trim = Json::parse(ReadWholeFile("data/trim.json"));
    const DecodedImage fullSheet = Sheet("data/full.png"), trimSheet = Sheet("data/trim.png");
    ASSERT_EQ(trim.at("frames").size(), full.at("frames").size());
    EXPECT_EQ(trim.at("meta").at("frameTags"), full.at("meta").at("frameTags"));
    EXPECT_LT(uint64_t(trimSheet.width) * trimSheet.height, uint64_t(fullSheet.width) * fullSheet.height);
    for (size_t i = 0; i < trim.at("frames").size(); ++i) {
        const Json& cut = trim.at("frames").at(i);
        const Json& whole = full.at("frames").at(i);
        EXPECT_EQ(cut.at("sourceSize"), whole.at("sourceSize"));
        EXPECT_EQ(cut.at("duration"), whole.at("duration"));
        EXPECT_EQ(cut.at("trimmed"), true) << "the figure has a margin round it";
        EXPECT_EQ(cut.at("frame").at("w"), cut.at("spriteSourceSize").at("w"));
        EXPECT_EQ(cut.at("frame").at("h"), cut.at("spriteSourceSize").at("h"));
        EXPECT_EQ(Untrimmed(trimSheet, cut), Untrimmed(fullSheet, whole)) << "picture " << i;
        // Cut to its pixels: each edge of the cell has one that shows.
        const std::vector<uint32_t> cell = Cell(trimSheet, cut);
        const size_t w = cut.at("frame").at("w"), h = cut.at("frame").at("h");
        bool leftEdge = false, rightEdge = false, topEdge = false, bottomEdge = false;
        for (size_t y = 0; y < h; ++y) leftEdge |= cell[y * w] != 0, rightEdge |= cell[y * w + w - 1] != 0;
        for (size_t x = 0; x < w; ++x) topEdge |= cell[x] != 0, bottomEdge |= cell[(h - 1) * w + x] != 0;
        EXPECT_TRUE(leftEdge && rightEdge && topEdge && bottomEdge) << "picture " << i;
    }
}

// --json hash: `frames` an object keyed by the pictures' names, the rest as the array form.
TEST_F(ExportTool, TheHashFormKeysThePicturesByName)
{
    ASSERT_EQ(Export("--fps 4 array.png").exitCode, 0);
    ASSERT_EQ(Export("--fps 4 --json hash hash.png").exitCode, 0);
    EXPECT_EQ(ReadWholeFile("data/hash.png"), ReadWholeFile("data/array.png"));
    const Json array = Json::parse(ReadWholeFile("data/array.json")), hash = Json::parse(ReadWholeFile("data/hash.json"));
    ASSERT_TRUE(hash.at("frames").is_object());
    ASSERT_EQ(hash.at("frames").size(), array.at("frames").size());
    for (const Json& entry : array.at("frames")) {
        Json unnamed = entry;
        unnamed.erase("filename");
        EXPECT_EQ(hash.at("frames").at(entry.at("filename").get<std::string>()), unnamed);
    }
    EXPECT_EQ(hash.at("animations"), array.at("animations"));
    Json meta = hash.at("meta");
    meta["image"] = "array.png";
    EXPECT_EQ(meta, array.at("meta"));

    for (const char* gif : {"--trim t.gif", "--json hash h.gif"}) {
        const ExportRun run = Export(gif);
        EXPECT_EQ(run.exitCode, 2) << gif;
        EXPECT_NE(run.err.find("--trim and --json are for a .png sheet"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Export("--json tree t.png").exitCode, 2);
}

TEST_F(ExportTool, BadInputIsOneLineAndExitTwoAndWritesNothing)
{
    struct Case {
        const char* arguments;
        const char* environment;
        const char* said;
    } cases[] = {
        {"--frame 9 out.gif", "", "vantrel-export: no frame 9: the animation file has frames 0 to 5\n"},
        {"--frame 1 out.gif", "", "vantrel-export: frame 1 has no keys\n"},
        {"missing/out.gif", "", "vantrel-export: cannot write missing/out.gif: No such file or directory\n"},
        {"--size 100x40 out.gif", "VANTREL_MAX_TEXTURE=64",
         "vantrel-export: --size 100x40 is beyond the texture limit 64x64\n"},
        {"out.bmp", "", "vantrel-export: out.bmp: the name must end in .gif or .png\n"},
    };
    for (const Case& c : cases) {
        const ExportRun run = Export(c.arguments, c.environment);
        EXPECT_EQ(run.exitCode, 2) << c.arguments;
        EXPECT_EQ(run.err, c.said) << c.arguments;
    }
    // A data problem is said as the checker says it, at its line.
    WriteWholeFile("data/vecanim.dat", ReadWholeFile("data/vecanim.dat") + "key_rotspeed\nnonsense=1\n");
    const ExportRun broken = Export("out.png");
    EXPECT_EQ(broken.exitCode, 2);
    EXPECT_NE(broken.err.find("vecanim.dat:52: "), std::string::npos) << broken.err;
    for (const auto& entry : fs::directory_iterator("data"))
        EXPECT_EQ(entry.path().filename().string().find("out."), std::string::npos) << entry.path();
}

// A sheet and its JSON are one export: where either cannot be written, the old pair stays,
// whether that is known before the drawing or only at the last move.
TEST_F(ExportTool, APairIsReplacedWholeOrNotAtAll)
{
    ASSERT_EQ(Export("--fps 4 pair.png").exitCode, 0);
    const std::string oldSheet = ReadWholeFile("data/pair.png");
    fs::remove("data/pair.json");
    fs::create_directory("data/pair.json");
    const ExportRun run = Export("--fps 4 --scale 2 pair.png");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "vantrel-export: cannot write pair.json: Is a directory\n");
    EXPECT_EQ(ReadWholeFile("data/pair.png"), oldSheet);
    EXPECT_EQ(Temporaries("data"), std::vector<std::string>{});

    // The folder comes after the files were opened: the sheet already moved goes back, or
    // away where there was none before.
    for (const bool hadSheet : {true, false}) {
        fs::remove_all("late");
        fs::create_directory("late");
        if (hadSheet) WriteWholeFile("late/p.png", "old sheet");
        OutputFiles files;
        std::string error;
        ASSERT_TRUE(files.Open({"late/p.png", "late/p.json"}, error)) << error;
        std::fputs("new sheet", files.File(0));
        std::fputs("new json", files.File(1));
        fs::create_directory("late/p.json");
        EXPECT_FALSE(files.PutInPlace(error));
        EXPECT_EQ(error, "cannot write late/p.json: Is a directory");
        EXPECT_EQ(fs::exists("late/p.png") ? ReadWholeFile("late/p.png") : "none", hadSheet ? "old sheet" : "none");
        EXPECT_EQ(Temporaries("late"), std::vector<std::string>{});
    }
}

// The temporaries have names nobody can foresee: a link planted under the name the exporter
// once wrote through leads nowhere. A link given as the output is written through, the link
// kept, as the game's own saves do.
TEST_F(ExportTool, WritesThroughNoPlantedLinkButThroughTheLinkItIsGiven)
{
    WriteWholeFile("victim.txt", "keep");
    for (const char* planted : {"data/out.gif.part", "data/out.png.part", "data/out.json.part"})
        fs::create_symlink(fs::absolute("victim.txt"), planted);
    ASSERT_EQ(Export("--fps 4 out.gif").exitCode, 0);
    ASSERT_EQ(Export("--fps 4 out.png").exitCode, 0);
    EXPECT_EQ(ReadWholeFile("victim.txt"), "keep");
    EXPECT_TRUE(fs::is_symlink("data/out.gif.part"));

    WriteWholeFile("linked.gif", "old");
    fs::create_symlink(fs::absolute("linked.gif"), "data/link.gif");
    ASSERT_EQ(Export("--fps 4 link.gif").exitCode, 0);
    EXPECT_TRUE(fs::is_symlink("data/link.gif"));
    EXPECT_EQ(ReadWholeFile("linked.gif"), ReadWholeFile("data/out.gif"));
}

// A sheet of an asked size that would take more than a sheet may is refused before a
// picture is drawn, not after all of them are held.
TEST_F(ExportTool, ASheetTooLargeIsRefusedBeforeItIsDrawn)
{
    const ExportRun run = Export("--fps 50 --size 2560x2048 big.png");
    EXPECT_EQ(run.exitCode, 2);
    // 52 pictures: 7 rows of 8 cells of 20 MB.
    EXPECT_EQ(run.err,
              "vantrel-export: cannot write big.png: the sheet would take 1120 MB, more than the 1024 MB a sheet "
              "may take: fewer or smaller pictures fit\n");
    EXPECT_FALSE(fs::exists("data/big.png"));
    EXPECT_EQ(Temporaries("data"), std::vector<std::string>{});
}

// The editor exports from inside the game: the game goes on as if nothing had happened,
// and the file is the one the program makes.
TEST(ExportInGame, LeavesTheGameAsItFoundItAndWritesWhatTheProgramWrites)
{
    ScopedTempDir dir;
    WriteChainFigure("data");
    ASSERT_EQ(Export("--fps 4 program.gif").exitCode, 0);
    fs::current_path("data");
    ResetGameState();
    PlatformSetDeviceBackend("opengl");
    g_screenWidth = 320;
    g_screenHeight = 240;
    ASSERT_TRUE(SUCCEEDED(InitD3D(nullptr)) && g_device) << ReadWholeFile("log.log");

    // Mid-way through the same frame, moved and facing left.
    ASSERT_TRUE(SUCCEEDED(AddFrames(g_vectorMan, FrameAt(0))));
    g_vectorMan->StepAnimation(0.6f);
    g_vectorMan->x = 120.0f;
    g_vectorMan->yAngle = 180.0f;
    auto playState = [] {
        return DumpText(DumpJson::array({DumpFigure(), DumpFrames()}));
    };
    const std::string before = playState();
    D3DVIEWPORT8 viewport;
    g_device->GetViewport(&viewport);
    D3DMATRIX projection;
    g_device->GetTransform(D3DTS_PROJECTION, &projection);

    ExportOptions options;
    options.fps = 4;
    ExportResult result;
    EXPECT_TRUE(ExportFrame(0, options, "game.gif", result)) << result.error;
    EXPECT_EQ(result.files, std::vector<std::string>{"game.gif"});

    EXPECT_EQ(playState(), before);
    D3DVIEWPORT8 viewportAfter;
    g_device->GetViewport(&viewportAfter);
    D3DMATRIX projectionAfter;
    g_device->GetTransform(D3DTS_PROJECTION, &projectionAfter);
    EXPECT_EQ(std::memcmp(&viewport, &viewportAfter, sizeof viewport), 0);
    EXPECT_EQ(std::memcmp(&projection, &projectionAfter, sizeof projection), 0);
    EXPECT_EQ(ReadWholeFile("game.gif"), ReadWholeFile("program.gif"));

    g_device->Release();
    g_d3d->Release();
    g_device = nullptr;
    g_d3d = nullptr;
}

// `e` in pose mode, through the game as a player starts it: the frame being posed, as the
// program writes it, with neither the editor's marks nor its faint poses.
TEST(ExportInGame, EInPoseModeWritesWhatTheProgramWrites)
{
    ScopedTempDir dir;
    WriteChainFigure("data");
    ASSERT_EQ(Export("--frame 0 program.gif").exitCode, 0);
    ASSERT_EQ(Export("--frame 0 program.png").exitCode, 0);
    WriteWholeFile("data/script.txt", "0 press F4\n1 release F4\n5 char e\n");
    ASSERT_EQ(RunCommand("cd data && '" VANTREL_REPLAY_PATH "' --frames 8 script.txt 2>/dev/null"), 0);
    const std::string log = ReadWholeFile("data/log.log");
    const size_t said = log.find("Exported export/0");
    ASSERT_NE(said, std::string::npos) << log;
    std::string base = log.substr(said + std::string("Exported ").size());
    base = base.substr(0, base.find(".gif"));
    EXPECT_EQ(ReadWholeFile("data/" + base + ".gif"), ReadWholeFile("data/program.gif"));
    EXPECT_EQ(ReadWholeFile("data/" + base + ".png"), ReadWholeFile("data/program.png"));
    // The sheet's JSON names its own picture; the rest is the same.
    std::string json = ReadWholeFile("data/" + base + ".json");
    const std::string picture = base.substr(base.find('/') + 1) + ".png";
    ASSERT_NE(json.find(picture), std::string::npos) << json;
    json.replace(json.find(picture), picture.size(), "program.png");
    EXPECT_EQ(json, ReadWholeFile("data/program.json"));
}
