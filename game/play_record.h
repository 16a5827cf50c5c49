// The game's own frame update run away from the game, on copies of the figure and the
// level (level mode's reach and replay, editor/level_reach.h and editor/level_replay.h),
// and the record of the last seconds of play that the replay plays again: per pass the
// keys the key table ran in play, the mouse's aim and the pass's length, with the figure
// as it stood at the start of the first pass kept.
#pragma once
#include <cstdint>
#include <vector>

#include "figure/records.h"

struct Level;

// The globals the game's step reads and writes beside the figure: the walk, the jump, the
// thrust.
struct PlayGlobals {
    int moveDir = 0;
    unsigned char jumping = 0, onGround = 0, jumpKeyHeld = 0, charging = 0, leftButtonDown = 0;
};

// The figure with its slots and hit boxes, and the globals beside it.
struct FigureCopy {
    FigureCopy() = default;
    FigureCopy(const FigureCopy& other) { *this = other; }
    FigureCopy& operator=(const FigureCopy& other);

    bool valid = false;  // false: there was no figure
    VectorMan man = {};
    // The running keys by id: an edit to a list puts its keys in a new array, so a run
    // played again later finds them by id, never through the pointers taken here.
    int keyIds[MAX_FRAME_KEYS] = {};
    std::vector<ManPart> parts;
    std::vector<HitBox> boxes;
    PlayGlobals globals;
};
// The player's figure and its globals as they stand now.
FigureCopy CopyOfFigure();

// One key-table row run in play: its source (input/key_table.h's KeySource) and code, and
// how long the key or button had been held, which a thrust's release reads.
struct PlayKey {
    int source;
    uintptr_t code;  // WPARAM
    float held;
};
struct PlayPass {
    float seconds = 0.0f;
    std::vector<PlayKey> keys;  // in the order they ran, before the pass's step
    long aim = 0;               // the mouse's vertical motion, which aims the held item
};

// How much play the record keeps.
const float PLAY_RECORD_SECONDS = 10.0f;
struct PlayRecord {
    FigureCopy start;  // the figure at the start of the first pass
    std::vector<PlayPass> passes;
    // Where the figure stood as each pass began, and after the last: the run as played.
    std::vector<FigureCopy> figures;
};

// The input layer's notes, as a pass goes: a key-table row ran (in play), the poll is done
// with its aim and length (the step follows). A pass out of play ends the record's stretch:
// the next pass in play starts a new one.
void NotePlayKey(int source, uintptr_t code, float held);
void NotePlayPass(float seconds, long aim);
// The last stretch of play, at most PLAY_RECORD_SECONDS long; empty passes when there was none.
PlayRecord LastPlay();
void ForgetPlay();

// The game's globals swapped for copies while it lives: the figure, the level (the caller's
// copy, which the runs may change: pushed pieces), play mode; all put back at its end.
class Sandbox {
public:
    Sandbox(const FigureCopy& start, Level* level);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // The figure as it now stands in the sandbox.
    VectorMan& Man() { return figure_.man; }
    FigureCopy Figure() const;
    // Puts the figure back to start.
    void Restart(const FigureCopy& start);
    // One pass of play: its keys through the key table (the input layer's hook), its aim,
    // then the game's step.
    void Play(const PlayPass& pass);
    // The game's step alone (the caller ran the actions it wanted).
    void Step(float seconds);

private:
    void Load(const FigureCopy& from);
    FigureCopy figure_;
    FigureCopy saved_;
    VectorMan* savedMan_;
    Level* savedLevel_;
    int savedMode_;
    float savedCameraDistance_;
    int savedSelected_;
};
