// The game's step run on copies (the level tool's reach and replay) and the record of the
// last seconds of play, called directly on a small world.
#include <gtest/gtest.h>

#include "game/actions.h"
#include "game/play_record.h"
#include "game/state.h"
#include "level/level_file.h"
#include "play_world.h"

namespace {

const int FLOOR_IMAGE = 9;

class PlayRecordWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartPlayWorld();
        ForgetPlay();
        MakeParts(13);
        SetPartSize(FLOOR_IMAGE, 100, 40);  // world box x 270..370, y 560..600
        man = MakeFigure(8, 10.0f, 20.0f);
        MakeFrames();
        MakeLevel();
        floor = AddPiece(0, 1, 320.0f, 100.0f, FLOOR_IMAGE);
        man->x = 320.0f;
        man->y = 620.0f;
        g_onGround = 1;
    }
    void TearDown() override { ForgetPlay(); }
    VectorMan* man = nullptr;
    ManPart* floor = nullptr;
};

TEST_F(PlayRecordWorld, ASandboxPlaysOnCopiesAndPutsTheGameBackAsItWas)
{
    g_editMode = EDIT_LEVEL;
    Level* copy = CopyLevel(*g_level);
    {
        Sandbox sandbox(CopyOfFigure(), copy);
        EXPECT_EQ(g_editMode, EDIT_PLAY) << "the copy plays";
        StartWalk(WALK_RIGHT);
        Jump();
        for (int i = 0; i < 30; ++i) sandbox.Step(0.016f);
        EXPECT_GT(sandbox.Man().x, 320.0f);
        EXPECT_GT(sandbox.Man().y, 620.0f);
        EXPECT_NE(&sandbox.Man(), man);
        copy->slots[1]->pieces[0]->x = 0.0f;  // the copy's to change
    }
    DeleteLevel(copy);
    EXPECT_EQ(g_vectorMan, man);
    EXPECT_EQ(g_level->slots[1]->pieces[0], floor);
    EXPECT_EQ(floor->x, 320.0f);
    EXPECT_EQ(man->x, 320.0f);
    EXPECT_EQ(man->y, 620.0f);
    EXPECT_EQ(man->xVelocity, 0.0f);
    EXPECT_EQ(g_editMode, EDIT_LEVEL);
    EXPECT_EQ(g_moveDir, MOVE_STILL);
    EXPECT_TRUE(g_onGround);
    EXPECT_FALSE(g_jumping);
    EXPECT_FALSE(g_jumpKeyHeld);
}

TEST_F(PlayRecordWorld, TheRecordKeepsTheLastTenSecondsOfPlayAndStartsAgainAfterAPassOutOfIt)
{
    EXPECT_TRUE(LastPlay().passes.empty());
    for (int i = 0; i < 1000; ++i) {
        if (i == 10) NotePlayKey(1, 42, 0.0f);
        NotePlayPass(0.016f, i);
        man->x += 1.0f;  // the pass's step
    }
    PlayRecord play = LastPlay();
    ASSERT_EQ(play.passes.size(), 625u) << "10 s of 16 ms passes";
    EXPECT_EQ(play.passes.front().aim, 375);
    EXPECT_EQ(play.start.man.x, 320.0f + 375.0f) << "the figure as the first kept pass found it";
    EXPECT_EQ(play.figures.size(), 626u);
    EXPECT_EQ(play.figures.back().man.x, man->x);
    ASSERT_TRUE(play.start.valid);
    EXPECT_NE(play.start.man.parts, man->parts) << "a copy of its own";

    // A pass out of play: the next one in play begins a new stretch.
    g_editMode = EDIT_LEVEL;
    NotePlayPass(0.016f, 0);
    EXPECT_EQ(LastPlay().passes.size(), 625u) << "kept while out of play";
    g_editMode = EDIT_PLAY;
    NotePlayKey(1, 7, 0.0f);
    NotePlayPass(0.016f, 0);
    play = LastPlay();
    ASSERT_EQ(play.passes.size(), 1u);
    ASSERT_EQ(play.passes[0].keys.size(), 1u);
    EXPECT_EQ(play.passes[0].keys[0].code, 7u);
}

}  // namespace

namespace {

// An edit puts a list's keys in a new array: a figure kept from before finds its running
// key there by id, not in the array it was taken from.
TEST_F(PlayRecordWorld, AKeptFigureFindsItsRunningKeysByIdAfterTheirListMoved)
{
    AnimKey* was = GiveFrameKey(0, 2);
    was->id = 77;
    man->currentKeys[2] = was;
    const FigureCopy start = CopyOfFigure();
    AnimKey* now = GiveFrameKey(0, 2);
    now->id = 77;
    Level* copy = CopyLevel(*g_level);
    {
        Sandbox sandbox(start, copy);
        EXPECT_EQ(sandbox.Man().currentKeys[2], now);
    }
    DeleteLevel(copy);
}

}  // namespace
