// Figure mode on a figure of two slots made for the test, seen through a view where a pixel
// is a unit of the world: a slot built from a new image saves as one block in each file and
// undoes back to the files' bytes; joints move their slots, and hanging a slot elsewhere
// keeps it where it stands.
#include <gtest/gtest.h>

#include <d3dx8.h>

#include <string>

#include "animation/figure_pose.h"
#include "data_files_support.h"
#include "editor/editor.h"
#include "editor/edits.h"
#include "editor/figure_mode.h"
#include "editor/tool.h"
#include "figure/figure_file.h"
#include "figure/figure_save.h"
#include "figure/parts_file.h"
#include "figure/anim_file.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/state.h"
#include "graphics/scene_view.h"

namespace {

const char PARTS[] =
    "// images\n"
    "numparts=2\n"
    "part=0\n"
    "texture=body.bmp\n"
    "numpoints=1\n"
    "points=0,20\n"
    "part=1\n"
    "texture=head.bmp\n"
    "yoffset=8.0\n";

const char FIGURE[] =
    "// a body and a head on its neck\n"
    "numparts=2\n"
    "part=0\n"
    "vecpartnum=0\n"
    "layer=3\n"
    "part=1\n"
    "vecpartnum=1\n"
    "layer=2\n"
    "rootpart=0\n"
    "rootpoint=0\n";

// Where the figure stands (a new figure's place) and where its head's centre is: on the
// body's joint, then up by the head's offset.
const float FIGURE_X = 250.0f, FIGURE_Y = 900.0f;
const float HEAD_X = FIGURE_X, HEAD_Y = FIGURE_Y + 20.0f + 8.0f;
const float RIGHT_ANGLE = 1.5707963f;

class FigureMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
        ASSERT_TRUE(OpenImageDevice());
        WriteBmp("body.bmp", 20, 40);
        WriteBmp("head.bmp", 16, 16);
        // The image reader goes by a file's bytes, so a bitmap stands in for a new PNG.
        WriteBmp("hat.png", 12, 8);
        WriteWholeFile("vecparts.dat", PARTS);
        WriteWholeFile("vecman.dat", FIGURE);
        LoadVectorParts();
        InitVectorMan();
        // Looking at the figure from 240 units with a right angle of view on 480 rows.
        const D3DXVECTOR3 eye(FIGURE_X, FIGURE_Y, -240.0f), at(FIGURE_X, FIGURE_Y, 0.0f), up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&scene.view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&scene.projection, RIGHT_ANGLE, 640.0f / 480.0f, 1.0f, 1000.0f);
        scene.viewport = {0, 0, 640, 480, 0.0f, 1.0f};
        EnterEditMode(EDIT_FIGURE);
    }
    void TearDown() override
    {
        EnterEditMode(EDIT_PLAY);
        ForgetEdits();
        FreeFigure(g_vectorMan);
        g_vectorMan = nullptr;
    }
    void Step()
    {
        CurrentTool().step(0.0f);
        PickInPass(scene, g_vectorMan);
    }
    void PointAt(float x, float y)
    {
        D3DXVECTOR3 screen;
        const D3DXVECTOR3 world(x, y, 0.0f);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        D3DXVec3Project(&screen, &world, &scene.viewport, &scene.projection, &scene.view, &identity);
        g_cursorPos.x = static_cast<LONG>(screen.x + 0.5f);
        g_cursorPos.y = static_cast<LONG>(screen.y + 0.5f);
    }
    void DragFrom(int button, float x, float y, float toX, float toY)
    {
        PointAt(x, y);
        PressFigureButton(button);
        Step();
        PointAt(toX, toY);
        Step();
        ReleaseFigureButton(button);
    }
    void Click(float x, float y) { DragFrom(FIGURE_PICK_BUTTON, x, y, x, y); }
    // Where a slot's image centre stands in the world.
    D3DXVECTOR2 Centre(int slot)
    {
        const std::vector<D3DXMATRIX> worlds = SlotWorldMatrices(*g_vectorMan, FigureMatrix(*g_vectorMan));
        return D3DXVECTOR2(worlds[slot]._41, worlds[slot]._42);
    }

    ScopedTempDir dir;
    SceneView scene;
};

}  // namespace

TEST_F(FigureMode, ASlotBuiltFromANewImageSavesAsOneBlockInEachFileAndUndoesToTheBytesRead)
{
    Click(HEAD_X, HEAD_Y);
    ASSERT_EQ(g_selectedPart, 1);
    InsertFigureSlot();
    Step();
    ASSERT_EQ(g_figureSetup.slots.size(), 3u);
    EXPECT_TRUE(g_figureSetup.slots[2] == (SlotSetup{1, 1, 1, -1})) << "the head's image, in front, at its pivot";
    EXPECT_EQ(g_selectedPart, 2);

    // The images in turn: the parts file's, then the folder's that no part names.
    EXPECT_EQ(NewImageFiles(), std::vector<std::string>{"hat.png"});
    ChangeFigureImage(1);
    ASSERT_EQ(g_numParts, 3);
    EXPECT_EQ(g_vectorMan->parts[2].vecpartnum, 2);
    EXPECT_EQ(CurrentTool().status(), "slot 2 new: hat.png | on slot 1 at its pivot | layer 1 | pivot 0.0 0.0");
    DragFrom(FIGURE_PICK_BUTTON, HEAD_X, HEAD_Y, HEAD_X + 3.0f, HEAD_Y + 5.0f);
    EXPECT_FLOAT_EQ(g_parts[2].xoffset, 3.0f);
    EXPECT_FLOAT_EQ(g_parts[2].yoffset, 5.0f);
    CycleFigureLayer();

    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecman.dat"),
              "// a body and a head on its neck\nnumparts=3\npart=0\nvecpartnum=0\nlayer=3\npart=1\nvecpartnum=1\n"
              "layer=2\nrootpart=0\nrootpoint=0\npart=2\nvecpartnum=2\nlayer=2\nrootpart=1\nrootpoint=-1\n");
    EXPECT_EQ(ReadWholeFile("vecparts.dat"),
              "// images\nnumparts=3\npart=0\ntexture=body.bmp\nnumpoints=1\npoints=0,20\npart=1\ntexture=head.bmp\n"
              "yoffset=8.0\npart=2\ntexture=hat.png\nxoffset=3\nyoffset=5\n");
    EXPECT_FALSE(g_editsUnsaved);

    // Every step back, one at a time: the layer, the drag, the image, the slot.
    int steps = 0;
    while (UndoEdit()) ++steps;
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(g_figureSetup.slots.size(), 2u);
    EXPECT_EQ(g_numParts, 2);
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecman.dat"), FIGURE);
    EXPECT_EQ(ReadWholeFile("vecparts.dat"), PARTS);
}

TEST_F(FigureMode, AJointMovesWhatHangsThereAndAHangingElsewhereKeepsTheSlotInPlace)
{
    Click(FIGURE_X, FIGURE_Y);
    ASSERT_EQ(g_selectedPart, 0);
    // The neck, dragged with the right button: the head goes with it.
    DragFrom(FIGURE_JOINT_BUTTON, FIGURE_X, FIGURE_Y + 20.0f, FIGURE_X + 5.0f, FIGURE_Y + 22.0f);
    EXPECT_EQ(g_parts[0].points[0].x, 5);
    EXPECT_EQ(g_parts[0].points[0].y, 22);
    EXPECT_FLOAT_EQ(Centre(1).x, HEAD_X + 5.0f);
    EXPECT_FLOAT_EQ(Centre(1).y, HEAD_Y + 2.0f);

    // The neck holds the head: it stays. A new joint goes where the cursor is.
    RemoveFigureJoint();
    Step();
    EXPECT_EQ(g_parts[0].numpoints, 1);
    PointAt(FIGURE_X - 10.0f, FIGURE_Y - 10.0f);
    AddFigureJoint();
    Step();
    ASSERT_EQ(g_parts[0].numpoints, 2);
    EXPECT_EQ(g_parts[0].points[1].x, -10);

    // The head onto that joint, then onto the figure's origin: it stays where it stands.
    Click(HEAD_X + 5.0f, HEAD_Y + 2.0f);
    ASSERT_EQ(g_selectedPart, 1);
    HangFromNextJoint();
    EXPECT_EQ(g_figureSetup.slots[1].rootpoint, 1);
    EXPECT_FLOAT_EQ(Centre(1).x, HEAD_X + 5.0f);
    EXPECT_FLOAT_EQ(Centre(1).y, HEAD_Y + 2.0f);
    HangFromNextSlot();
    EXPECT_EQ(g_figureSetup.slots[1].rootpart, -1);
    EXPECT_FLOAT_EQ(Centre(1).y, HEAD_Y + 2.0f);
    EXPECT_TRUE(UndoEdit());

    ASSERT_TRUE(SaveEdits());
    const std::string parts = ReadWholeFile("vecparts.dat");
    EXPECT_NE(parts.find("numpoints=2\npoints=5,22,-10,-10\npart=1\ntexture=head.bmp\nyoffset=40\nxoffset=15\n"),
              std::string::npos)
        << parts;
    EXPECT_NE(ReadWholeFile("vecman.dat").find("rootpart=0\nrootpoint=1\n"), std::string::npos);
}

TEST_F(FigureMode, DeleteTakesASlotWithWhatHangsBelowItAndTheSlotsAfterItTakeTheirNumbers)
{
    // The game's eight slots, then three more, the last two hanging from the ninth.
    std::string figure = "numparts=11\n";
    for (int i = 0; i < 11; ++i)
        figure += "// slot " + std::to_string(i) + "\npart=" + std::to_string(i) + "\nvecpartnum=1\nrootpart=" +
                  std::to_string(i < 9 ? -1 : 8) + "\n";
    WriteWholeFile("vecman.dat", figure);
    // Lists for the first slot, the ninth's first child (which goes) and its second.
    const std::string anim = "numframes=1\nframe=0\nkey_part=0\nnumkeys=1\nkey=0\npart_visible=10,3\n"
                             "// the ninth's first child\nkey_part=9\nnumkeys=1\nkey=0\nkey_destangle=9\n"
                             "// and its second\nkey_part=10\nnumkeys=1\nkey=0\nkey_destangle=10\n";
    WriteWholeFile("vecanim.dat", anim);
    EnterEditMode(EDIT_PLAY);
    FreeFigure(g_vectorMan);
    InitVectorMan();
    LoadVectorAnim();
    EnterEditMode(EDIT_FIGURE);
    auto shown = [](int entry) { return g_frames[0].keys[0]->visibleParts[entry]; };

    g_selectedPart = LAST_HIDDEN_SLOT;
    DeleteFigureSlot();
    EXPECT_EQ(g_figureSetup.slots.size(), 11u) << "the flash has a role in the game";

    // Slot 9 goes with its comment and its list; slot 10 is slot 9 from now on, in the keys
    // and the lists too.
    g_selectedPart = 9;
    DeleteFigureSlot();
    ASSERT_EQ(g_figureSetup.slots.size(), 10u);
    EXPECT_EQ(g_figureSetup.slots[9].rootpart, 8);
    EXPECT_EQ(shown(0), 9);
    EXPECT_EQ(shown(1), 3);
    ASSERT_NE(g_frames[0].keys[9], nullptr);
    EXPECT_EQ(g_frames[0].keys[9]->destAngle, 10.0f);
    EXPECT_EQ(g_frames[0].keys[10], nullptr);
    ASSERT_TRUE(SaveEdits());
    std::string expected = figure;
    expected.replace(expected.find("numparts=11"), 11, "numparts=10");
    expected.erase(expected.find("// slot 9\n"), expected.find("// slot 10\n") - expected.find("// slot 9\n"));
    expected.replace(expected.find("part=10\n"), 8, "part=9\n");
    EXPECT_EQ(ReadWholeFile("vecman.dat"), expected);
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), "numframes=1\nframe=0\nkey_part=0\nnumkeys=1\nkey=0\npart_visible=9,3\n"
                                            "// and its second\nkey_part=9\nnumkeys=1\nkey=0\nkey_destangle=10\n");
    EXPECT_FALSE(g_editsUnsaved);

    // Undone and saved, both files are as read.
    ASSERT_TRUE(UndoEdit());
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecman.dat"), figure);
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), anim);

    // The ninth goes with both that hang from it, and no key names them.
    g_selectedPart = 8;
    DeleteFigureSlot();
    EXPECT_EQ(g_figureSetup.slots.size(), 8u);
    EXPECT_EQ(g_vectorMan->numparts, 8);
    EXPECT_EQ(shown(0), 3);
    EXPECT_EQ(shown(1), -1);
    ASSERT_TRUE(SaveEdits());
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), "numframes=1\nframe=0\nkey_part=0\nnumkeys=1\nkey=0\npart_visible=3\n");

    // A slot numbered anew takes the joint its child hangs on to the image of its new
    // number, so the child hangs where it hung.
    ForgetEdits();
    std::string parts = "numparts=12\n";
    for (int i = 0; i < 12; ++i)
        parts += "part=" + std::to_string(i) + "\ntexture=body.bmp\n" + (i == 10 ? "numpoints=1\npoints=3,4\n" : "");
    WriteWholeFile("vecparts.dat", parts);
    figure = "numparts=12\n";
    for (int i = 0; i < 12; ++i)
        figure += "part=" + std::to_string(i) + "\nvecpartnum=1\nrootpart=" + std::to_string(i == 11 ? 10 : -1) +
                  (i == 11 ? "\nrootpoint=0\n" : "\n");
    WriteWholeFile("vecman.dat", figure);
    EnterEditMode(EDIT_PLAY);
    FreeFigure(g_vectorMan);
    LoadVectorParts();
    InitVectorMan();
    EnterEditMode(EDIT_FIGURE);
    const D3DXVECTOR2 hung = Centre(11);
    g_selectedPart = 9;
    DeleteFigureSlot();
    ASSERT_EQ(g_figureSetup.slots.size(), 11u);
    EXPECT_EQ(g_figureSetup.slots[10].rootpart, 9);
    ASSERT_EQ(g_parts[9].numpoints, 1);
    EXPECT_EQ(g_parts[9].points[0].x, 3);
    EXPECT_EQ(Centre(10).x, hung.x);
    EXPECT_EQ(Centre(10).y, hung.y);
    ASSERT_TRUE(SaveEdits());
    EXPECT_NE(ReadWholeFile("vecparts.dat").find("part=9\ntexture=body.bmp\nnumpoints=1\npoints=3,4\n"), std::string::npos);
}
