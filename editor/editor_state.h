// Everything the editor holds from one pass to the next, in one record: each tool's own
// state, the pose timeline as last laid out and the help panel's page. Forgetting the
// editor (a new game, records read anew) is one assignment, so nothing can be left out:
// `g_editor = EditorState();`. The history of edits is the documents' (editor/edits.h).
// The names the dumps and tests know (g_poseFrame and the like) refer into this record.
#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/timeline.h"
#include "figure/records.h"
#include "game/play_record.h"

struct Level;
struct LevelDeleter {
    void operator()(Level* level) const;
};

// Level mode: a piece of the selection, by its id and the slot (column, row) it was picked
// in: in a cell several slots share, the slot says where in the world it is seen.
struct LevelPick {
    int id = 0;
    int column = -1, row = -1;
};

// Level mode's `r`: what the figure can reach, as last worked out (editor/level_reach.h).
struct LevelReachState {
    bool shown = false;
    std::string levelText;  // the level it was worked out for (LevelText): another is an edit
    std::vector<LevelPick> landable;     // pieces the figure can land on, by the slot seen in
    std::vector<LevelPick> unreachable;  // solid pieces on screen it lands on from nowhere reached
    // The region its hit boxes reach: rows of REACH_CELL squares, as world boxes.
    struct Box {
        float left, bottom, right, top;
    };
    std::vector<Box> region;
    int spots = 0;   // standing places the search started runs from
    int passes = 0;  // game steps it ran
    double milliseconds = 0.0;
};

// Level mode's `y`: the last run of play, drawn as played and as played again on the edited
// level (editor/level_replay.h).
struct LevelReplayState {
    bool shown = false;
    PlayRecord play;             // the run, taken at `y`
    std::string levelText;       // the level at `y`: any other is an edit
    std::string replayedOn;      // the level the replayed path was worked out on
    typedef std::vector<std::pair<float, float>> Path;
    Path played, replayed;       // the figure's place as each pass began, and at the end
    std::vector<FigureCopy> playedFigures, replayedFigures;  // every REPLAY_FIGURE_SECONDS
    double milliseconds = 0.0;
};

// Level mode: the selection, the drag or box in progress, what Ctrl+C copied, and what
// the reach and the replay last found (editor/level_reach.h, editor/level_replay.h).
struct LevelToolState {
    std::vector<LevelPick> selection;  // in the order picked; the last is the one described
    bool pickDue = false;
    bool pasteDue = false;  // Ctrl+V waits for the next step, which knows the cursor
    bool dragging = false;
    bool shiftHeld = false;  // a click adds a piece to the selection or takes it out
    int grabbed = -1;        // the selection's entry the drag holds by the cursor
    float grabX = 0.0f, grabY = 0.0f;           // cursor minus that piece's centre, in the world
    std::vector<std::pair<float, float>> dragFrom;  // the selection's centres as the drag found them
    bool boxing = false;                        // a drag begun on no piece: the box it draws
    float boxX0 = 0.0f, boxY0 = 0.0f, boxX1 = 0.0f, boxY1 = 0.0f;
    std::vector<ManPart> clipboard;  // copies; x and y relative to the first one's centre
    std::unique_ptr<Level, LevelDeleter> beforeDrag;  // the level as the drag found it, for its step
    bool moved = false;
    unsigned char followed = 1;  // the camera's following before the mode
    int grid = 1;                // units a drag snaps to and Control+arrows move by; 1: off
    LevelReachState reach;
    LevelReplayState replay;
};

// Pose mode: what is chosen and played, and the figure at rest it is posed from.
struct PoseToolState {
    int frame = 0;  // 0 and 0 the first time, then where left
    int key = 0;
    bool showsNextKey = false;
    bool playing = false;
    bool looping = false;
    float playbackRate = 1.0f;
    // The slots as they stand with no frame run: images and visibility as on entering the
    // mode, every angle, offset and motion at zero.
    std::vector<ManPart> rest;
    bool buttonWasDown = false;
    float playedSeconds = 0.0f;
    // A drag turning the picked slot's key: the slot, the key's angles and the next key's
    // as the press found them (for the one step it makes), how far the cursor has turned
    // about the pivot and where it was last, in degrees.
    bool dragging = false;
    bool dragWasDown = false;
    int dragSlot = -1;
    float destAtPress = 0.0f;
    float turned = 0.0f;
    float lastCursorAngle = 0.0f;
    std::vector<std::pair<int, std::pair<float, float>>> anglesAtPress;  // key id -> dest, speed
    // `r`: the chosen frame's name being typed, shown in place of its name until Enter.
    bool renaming = false;
    std::string newName;
    // `c`: the pose copied, slot -> destination angle; `m` mirrors it, `p` pastes it.
    std::vector<std::pair<int, float>> copiedPose;
};

// Figure mode: the press the next step resolves, the drag in progress and what it found.
struct FigureToolState {
    enum class Drag { NONE, IMAGE, JOINT, BOX_MIDDLE, BOX_CORNER };
    // What a key asked that needs the cursor in the scene: done in the next step.
    enum class Action { NONE, ADD_JOINT, REMOVE_JOINT, INSERT_SLOT };
    int pressDue = -1;  // the mouse button pressed since the last step, -1 none
    Action actionDue = Action::NONE;
    Drag drag = Drag::NONE;
    int image = -1;                  // the image whose offsets or joints the drag moves
    int joint = -1;                  // the joint it moves
    int box = -1;                    // the hit box it moves or sizes
    float grabX = 0.0f, grabY = 0.0f;  // cursor minus what is dragged, in its own frame
    float fromX = 0.0f, fromY = 0.0f;  // the offsets as the drag found them
    std::vector<PartPoint> jointsBefore;
    std::vector<HitBox> boxesBefore;
    // Which slots were shown on entering the mode: all are shown while it lasts.
    std::vector<unsigned char> shownBefore;
};

// The timeline strip as last drawn, so a click meets what the player sees.
struct TimelineLayout {
    std::vector<TimelineMark> marks;
    float top = 0.0f, bottom = 0.0f;
};

struct HelpState {
    bool shown = false;  // starts hidden
    size_t page = 0;     // the page shown while it is
};

struct EditorState {
    // Control is held: a pose drag snaps, the arrows move the picked piece in level mode.
    bool controlHeld = false;
    // The draw-list entry of the figure's slot the pass's step found under the cursor, -1
    // for none: the drawing outlines it.
    int figurePick = -1;
    LevelToolState level;
    PoseToolState pose;
    FigureToolState figure;
    TimelineLayout timeline;
    HelpState help;
};
extern EditorState g_editor;
