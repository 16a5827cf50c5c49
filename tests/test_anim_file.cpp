#include <gtest/gtest.h>

#include <utility>

#include "data_files_support.h"
#include "figure/anim_file.h"
#include "figure/data_reader.h"
#include "figure/key_edit.h"
#include "figure/records.h"
#include "game/state.h"
#include "base/log.h"

namespace {

class AnimFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGameState();
        ResetLog();
    }
    void Load(const std::string& content)
    {
        WriteWholeFile("vecanim.dat", content);
        LoadVectorAnim();
    }
    ScopedTempDir dir;
};

const char* const EXAMPLE =
    "// animations\nnumframes=2\nframe=0\nframe_numparts=6\nkey_part=0\nnumkeys=2\nkey=0\n"
    "use_startangle=1\nkey_startangle=0\nkey_destangle=30\nkey_rotspeed=90\nkey=1\nkey_destangle=0\n"
    "key_rotspeed=-90\nloopkeys=1\nframe=1\nframe_numparts=6\nkey_part=2\nnumkeys=1\nkey=0\n"
    "key_destangle=90\nkey_rotspeed=180\nuse_changepart=1\nchangepart=3,7\npart_visible=6,7\n"
    "move_ymin=0\nmove_ymax=50\nmove_yvel=100\nmove_yloop=1\n";

}  // namespace

TEST(KeyList, RecordsAreZeroedAndLinked)
{
    AnimKey* one = NewKeyList(1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->next, nullptr);
    EXPECT_EQ(one->prev, nullptr);
    EXPECT_EQ(one->first, one);
    AnimKey* three = NewKeyList(3);
    EXPECT_EQ(three[0].next, &three[1]);
    EXPECT_EQ(three[2].prev, &three[1]);
    EXPECT_EQ(three[2].next, nullptr);
    EXPECT_EQ(three[2].first, &three[0]);
    EXPECT_EQ(three[1].rotSpeed, 0.0f);
    EXPECT_EQ(NewKeyList(0), nullptr);
    EXPECT_EQ(NewKeyList(-5), nullptr);
    delete[] one;
    delete[] three;
}

TEST_F(AnimFile, ExampleFileBuildsBothFrames)
{
    Load(EXAMPLE);
    ASSERT_EQ(g_numFrames, 2);
    const AnimFrame& swing = g_frames[0];
    EXPECT_EQ(swing.numparts, 6);
    ASSERT_NE(swing.keys[0], nullptr);
    for (int k = 1; k < MAX_FRAME_KEYS; ++k) EXPECT_EQ(swing.keys[k], nullptr);
    const AnimKey& a = swing.keys[0][0];
    EXPECT_TRUE(a.useStartAngle);
    EXPECT_EQ(a.destAngle, 30.0f);
    EXPECT_EQ(a.rotSpeed, 90.0f);
    const AnimKey& b = *a.next;
    EXPECT_EQ(b.destAngle, 0.0f);
    EXPECT_EQ(b.rotSpeed, -90.0f);
    EXPECT_TRUE(b.loopKeys);
    EXPECT_FALSE(b.useStartAngle);

    const AnimKey& c = g_frames[1].keys[2][0];
    EXPECT_EQ(c.destAngle, 90.0f);
    EXPECT_TRUE(c.useChangePart);
    EXPECT_EQ(c.changePartSlot, 3);
    EXPECT_EQ(c.changePartVecPart, 7);
    EXPECT_TRUE(c.hasVisibleList);
    EXPECT_EQ(c.visibleParts[0], 6);
    EXPECT_EQ(c.visibleParts[1], 7);
    EXPECT_EQ(c.visibleParts[2], -1);
    EXPECT_EQ(c.visibleParts[4], -1);
    EXPECT_FALSE(c.hasInvisibleList);
    EXPECT_TRUE(c.moveY);
    EXPECT_FALSE(c.moveX);
    EXPECT_EQ(c.yMax, 50.0f);
    EXPECT_EQ(c.yVel, 100.0f);
    EXPECT_TRUE(c.yLoop);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Animation Data file done"});
}

TEST_F(AnimFile, ValuesAndListsFollowTheirParsers)
{
    Load("numframes=1\nnumkeys=2\nkey_rotspeed=45.9\npart_visible=1,2,3,4,5,6,7\npart_visible=6\n"
         "part_invisible=8,9,10,11,12,13\nmove_xmin=-2.5\nmove_xloop=1\nkey=1\nmove_ymin=3\n");
    const AnimKey& k = g_frames[0].keys[0][0];
    EXPECT_EQ(k.rotSpeed, 45.0f);
    // A second list replaces the whole first one.
    EXPECT_EQ(k.visibleParts[0], 6);
    EXPECT_EQ(k.visibleParts[1], -1);
    EXPECT_EQ(k.invisibleParts[4], 12);
    EXPECT_TRUE(k.moveX);
    EXPECT_EQ(k.xMin, -2.5f);
    EXPECT_TRUE(k.xLoop);
    EXPECT_FALSE(k.moveY);
    EXPECT_TRUE(k.next->moveY);
    EXPECT_EQ(k.next->yMin, 3.0f);
    // No frame_numparts line: the frame keeps 0 and is refused when started.
    EXPECT_EQ(g_frames[0].numparts, 0);
}

TEST_F(AnimFile, SecondNumkeysReplacesTheList)
{
    Load("numframes=1\nkey_part=4\nnumkeys=3\nkey=2\nkey_destangle=10\nnumkeys=1\nkey=0\nkey_destangle=20\n");
    AnimKey* list = g_frames[0].keys[4];
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->next, nullptr);
    EXPECT_EQ(list->destAngle, 20.0f);
}

TEST_F(AnimFile, LinesOutsideTheRecordsAreIgnored)
{
    Load("frame_numparts=6\nnumkeys=2\nkey_destangle=5\n"                   // before numframes
         "numframes=-3\nnumframes=2147483647\nnumframes=2\n"                 // absurd counts
         "frame=2\nframe_numparts=6\nnumkeys=1\nframe=-1\nnumkeys=1\n"       // no such frame
         "frame=1\nkey_part=32\nnumkeys=1\nkey_part=-1\nnumkeys=1\n"         // no such list
         "key_part=0\nkey_destangle=1\nnumkeys=0\nkey_destangle=1\n"         // no list, empty list
         "key_part=1\nnumkeys=2147483647\nnumkeys=2\nkey=2\nkey_destangle=1\n" // key past the list
         "key=-1\nloopkeys=1\nkey=1\nchangepart=4\nchangepart\nkey_rotspeed=\nkey_destangle=33\n");
    ASSERT_EQ(g_numFrames, 2);
    EXPECT_EQ(g_frames[0].numparts, 0);
    EXPECT_EQ(g_frames[1].keys[0], nullptr);
    AnimKey* list = g_frames[1].keys[1];
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list[1].destAngle, 33.0f);
    EXPECT_EQ(list[1].rotSpeed, 0.0f);
    EXPECT_FALSE(list[1].loopKeys);
    // A changepart with one item changes nothing.
    EXPECT_EQ(list[1].changePartSlot, 0);
    EXPECT_EQ(list[1].changePartVecPart, 0);
    for (int k = 2; k < MAX_FRAME_KEYS; ++k) EXPECT_EQ(g_frames[1].keys[k], nullptr);
    EXPECT_TRUE(LogHas("numframes: count out of range"));
    EXPECT_TRUE(LogHas("numkeys: count out of range"));
    EXPECT_TRUE(LogHas("key_destangle: no such key"));
    EXPECT_TRUE(LogHas("changepart: needs a slot and an image"));
}

TEST_F(AnimFile, MissingFileIsLeftBehindEmptyWithNoFrames)
{
    LoadVectorAnim();
    EXPECT_EQ(g_frames, nullptr);
    EXPECT_EQ(g_numFrames, 0);
    EXPECT_EQ(ReadWholeFile("vecanim.dat"), "");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Animation Data file done"});
}

TEST_F(AnimFile, KeysOfAllListsTogetherAreBounded)
{
    std::string text = "numframes=2\n";
    for (int f = 0; f < 2; ++f) {
        for (int k = 0; k < 10; ++k)
            text += "frame=" + std::to_string(f) + "\nkey_part=" + std::to_string(k) + "\nnumkeys=4096\n";
    }
    Load(text);
    EXPECT_NE(g_frames[1].keys[5], nullptr);
    EXPECT_EQ(g_frames[1].keys[6], nullptr);
    EXPECT_TRUE(LogHas("numkeys: too many keys in all"));
}

TEST_F(AnimFile, LongListsLoadInLinearTimeAndEveryKeyLandsInItsRecord)
{
    // Two long lists, every key written, the keys taken in a jumbled order.
    const int keys = 4000;
    std::string text = "numframes=1\nframe=0\n";
    for (int list = 0; list < 2; ++list) {
        text += "key_part=" + std::to_string(list) + "\nnumkeys=" + std::to_string(keys) + "\n";
        for (int i = 0; i < keys; ++i) {
            const int key = (i * 7919) % keys;
            text += "key=" + std::to_string(key) + "\nkey_destangle=" + std::to_string(key % 360) + "\n";
        }
    }
    text += "key=" + std::to_string(keys) + "\nkey_destangle=5\n";  // past the end: no record
    WriteWholeFile("vecanim.dat", text);
    {
        AnimReading reading;
        ReadDataFile("vecanim.dat", reading, nullptr);
        EXPECT_EQ(reading.LinksFollowed(), 0) << "no list is walked to find a key";
    }
    LoadVectorAnim();
    for (int list = 0; list < 2; ++list) {
        const AnimKey* key = g_frames[0].keys[list];
        for (int i = 0; key; ++i, key = key->next) ASSERT_EQ(key->destAngle, static_cast<float>(i % 360)) << i;
    }

    // Keys already in memory when a load begins are counted once, not per line.
    WriteWholeFile("vecanim.dat", "frame=0\nkey_part=1\nkey=3999\nkey_destangle=7\nkey=3998\nkey_destangle=8\n");
    AnimReading over(std::exchange(g_frames, nullptr), std::exchange(g_numFrames, 0));
    ReadDataFile("vecanim.dat", over, nullptr);
    EXPECT_EQ(over.LinksFollowed(), 2 * keys);
    EXPECT_EQ(over.Frame(0)->keys[1][3999].destAngle, 7.0f);
}

TEST_F(AnimFile, InsertedAndDeletedKeysKeepIdsLinksAndTheRunningKeys)
{
    Load("numframes=1\nkey_part=0\nnumkeys=3\nkey=2\nkey_destangle=30\nkey_part=1\nnumkeys=1\n");
    AnimKey* list = g_frames[0].keys[0];
    const int first = list[0].id, second = list[1].id, third = list[2].id;
    EXPECT_TRUE(first > 0 && second != first && third != second && third != first);
    VectorMan man = {};
    man.currentKeys[0] = &list[2];
    man.currentKeys[1] = &list[0];
    man.currentKeys[2] = g_frames[0].keys[1];
    g_vectorMan = &man;

    ASSERT_TRUE(RemoveKey(first));
    list = g_frames[0].keys[0];
    EXPECT_EQ(KeyIds(0, 0), (std::vector<int>{second, third}));
    EXPECT_EQ(list[0].next, &list[1]);
    EXPECT_EQ(list[1].prev, &list[0]);
    EXPECT_EQ(list[1].first, &list[0]);
    EXPECT_EQ(man.currentKeys[0], &list[1]) << "the same key, in the new array";
    EXPECT_EQ(man.currentKeys[1], nullptr) << "the deleted key runs no more";
    EXPECT_EQ(man.currentKeys[2], g_frames[0].keys[1]);
    KeyPlace place = {};
    ASSERT_NE(KeyById(third, &place), nullptr);
    EXPECT_EQ(place.index, 1);
    EXPECT_EQ(KeyById(first), nullptr);

    // Put back with its own id; a copy of a loaded key gets a fresh one.
    AnimKey back = {};
    back.id = first;
    ASSERT_NE(InsertKeyAt(0, 0, 0, back), nullptr);
    const AnimKey* copy = InsertKeyAt(0, 0, 3, *KeyById(third));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(KeyIds(0, 0), (std::vector<int>{first, second, third, copy->id}));
    EXPECT_EQ(copy->destAngle, 30.0f);
    EXPECT_EQ(copy->next, nullptr);
    EXPECT_EQ(copy->first, g_frames[0].keys[0]);
    EXPECT_EQ(man.currentKeys[0]->id, third);

    // Refused: past the end, no such list, a list's only key, an unknown id, a full list.
    EXPECT_EQ(InsertKeyAt(0, 0, 5, back), nullptr);
    EXPECT_EQ(InsertKeyAt(0, 2, 0, back), nullptr);
    EXPECT_FALSE(RemoveKey(g_frames[0].keys[1]->id));
    EXPECT_FALSE(RemoveKey(0));
    g_vectorMan = nullptr;
    Load("numframes=1\nnumkeys=" + std::to_string(MAX_DATA_COUNT) + "\n");
    EXPECT_EQ(InsertKeyAt(0, 0, 0, back), nullptr);
    EXPECT_EQ(KeyCount(g_frames[0].keys[0]), MAX_DATA_COUNT);
}
