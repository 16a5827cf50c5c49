// vecanim.dat: the animation frames. A reading of the file builds the frames it gives in
// its own array, with the file's record for the save (what every line did, each list's key
// ids), touching none of the game's records; the loader installs what it read
// (figure/data_files.h).
#pragma once
#include <string>
#include <vector>

#include "figure/anim_save.h"
#include "figure/data_reader.h"
#include "figure/records.h"

// The file's names of the easings (key_ease=), by KeyEase.
const char* const KEY_EASE_NAMES[EASE_COUNT] = {"linear", "in", "out", "inout", "step"};
// The easing a key_ease value names; EASE_COUNT for none.
int KeyEaseNamed(const char* value);

// What the animation reader logs when it has read the file.
const char* const ANIM_DONE_LINE = "Animation Data file done";

// What one reading of the animation file gives; the caller owns frames (FreeFrames).
struct AnimDocument {
    AnimFrame* frames = nullptr;
    int numFrames = 0;
    AnimFileRecord record;
};

class AnimReading : public DataFileReading {
public:
    // Starts from the frames given, which it takes over: a file without a numframes line
    // addresses them.
    explicit AnimReading(AnimFrame* frames = nullptr, int numFrames = 0);
    ~AnimReading() override;
    AnimReading(const AnimReading&) = delete;
    AnimReading& operator=(const AnimReading&) = delete;

    bool Key(int line, const char* key, const char* value) override;

    // What the lines read so far built: frame f (null when there is none) and the key the
    // next key lines write (null when the frame, list or key does not exist).
    const AnimFrame* Frame(int frame) const;
    AnimKey* CurrentKey() const;
    // How many key-list links the reading followed: the keys it started from, counted
    // once, and nothing per line, so a file's cost grows with its length alone.
    long LinksFollowed() const { return linksFollowed_; }

    // Hands over what was read, with the record of fileName's text as it is now (none for
    // null).
    AnimDocument Finish(const char* fileName);

    // The reading's own keys: numframes, frame_numparts, numkeys, and frame, key_part and
    // key, which choose (kind FRAME, LIST or SELECT) what the lines after them address.
    void SetNumFrames(long n);
    void SetFrameParts(int count);
    void SetNumKeys(long n);
    void Choose(AnimLineKind kind, int index);

private:
    AnimFrame* CurrentFrame();
    int& ListLength(int list);
    AnimFrame* frames_;
    int numFrames_;
    int frame_ = 0, list_ = 0, key_ = 0;
    long keysInUse_ = 0;  // keeps many modest numkeys lines from adding up without bound
    // The length of every key list, frame by frame: a key line finds its record in its
    // list's array at once, where walking the links from the start made a long file cost
    // the square of its length.
    std::vector<int> listLengths_;
    long linksFollowed_ = 0;
    AnimLineKind made_ = AnimLineKind::OTHER;  // what the line being read chose or made
    AnimFileRecord record_;
};

// Reads fileName into a new document.
AnimDocument ReadAnimFile(const char* fileName);

// Reads text as the file would be read, logging nothing.
AnimDocument ReadAnimText(const std::string& text);

// Reads vecanim.dat over the loaded frames into g_frames and g_animFileRecord.
int LoadVectorAnim();
