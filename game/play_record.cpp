#include "game/play_record.h"

#include <algorithm>
#include <deque>
#include <iterator>

#include "animation/figure_pose.h"
#include "game/frame.h"
#include "game/pass_hooks.h"
#include "game/state.h"
#include "graphics/scene_state.h"
#include "level/level.h"

namespace {

struct KeptPass {
    FigureCopy before;  // the figure as the pass found it
    PlayPass pass;
};

struct Recorder {
    std::deque<KeptPass> kept;
    double seconds = 0.0;  // of the kept passes together: a sum kept over hours of play
    bool started = false;  // the pass under way has its figure taken
    bool broken = false;   // a pass out of play came after the kept ones
    KeptPass pending;
};

const double ROUNDING_SECONDS = 1e-6;

// Sandboxes living: what they play is no play to keep.
int g_sandboxes = 0;

Recorder& Record()
{
    static Recorder recorder;
    return recorder;
}

// The figure as the pass under way found it, taken once, before its first key.
void StartPass()
{
    Recorder& r = Record();
    if (r.started) return;
    r.pending.before = CopyOfFigure();
    r.pending.pass = PlayPass();
    r.started = true;
}

void PutPlayGlobals(const PlayGlobals& globals)
{
    g_moveDir = globals.moveDir;
    g_jumping = globals.jumping;
    g_onGround = globals.onGround;
    g_jumpKeyHeld = globals.jumpKeyHeld;
    g_charging = globals.charging;
    g_leftButtonDown = globals.leftButtonDown;
}

}  // namespace

FigureCopy& FigureCopy::operator=(const FigureCopy& other)
{
    if (this == &other) return *this;
    valid = other.valid;
    man = other.man;
    std::copy(std::begin(other.keyIds), std::end(other.keyIds), keyIds);
    parts = other.parts;
    boxes = other.boxes;
    man.parts = parts.empty() ? nullptr : parts.data();
    man.hitBoxes = boxes.empty() ? nullptr : boxes.data();
    globals = other.globals;
    return *this;
}

FigureCopy CopyOfFigure()
{
    FigureCopy copy;
    if (!g_vectorMan) return copy;
    const VectorMan& man = *g_vectorMan;
    copy.valid = true;
    copy.man = man;
    for (int i = 0; i < MAX_FRAME_KEYS; ++i) copy.keyIds[i] = man.currentKeys[i] ? man.currentKeys[i]->id : 0;
    if (man.parts && man.numparts > 0) copy.parts.assign(man.parts, man.parts + man.numparts);
    if (man.hitBoxes && man.numHitBoxes > 0) copy.boxes.assign(man.hitBoxes, man.hitBoxes + man.numHitBoxes);
    copy.man.parts = copy.parts.empty() ? nullptr : copy.parts.data();
    copy.man.hitBoxes = copy.boxes.empty() ? nullptr : copy.boxes.data();
    copy.globals.moveDir = g_moveDir;
    copy.globals.jumping = g_jumping;
    copy.globals.onGround = g_onGround;
    copy.globals.jumpKeyHeld = g_jumpKeyHeld;
    copy.globals.charging = g_charging;
    copy.globals.leftButtonDown = g_leftButtonDown;
    return copy;
}

void NotePlayKey(int source, uintptr_t code, float held)
{
    if (g_sandboxes > 0) return;
    StartPass();
    Record().pending.pass.keys.push_back({source, code, held});
}

void NotePlayPass(float seconds, long aim)
{
    Recorder& r = Record();
    if (!PhysicsRuns()) {
        r.started = false;
        r.broken = true;
        return;
    }
    StartPass();
    r.started = false;
    if (!r.pending.before.valid) {
        r.broken = true;
        return;
    }
    if (r.broken) {
        r.kept.clear();
        r.seconds = 0.0;
        r.broken = false;
    }
    r.pending.pass.seconds = seconds;
    r.pending.pass.aim = aim;
    r.seconds += seconds;
    r.kept.push_back(std::move(r.pending));
    r.pending = KeptPass();
    // Passes of 16 ms make 10 s in 625 of them, give or take the sums' rounding.
    const double enough = static_cast<double>(PLAY_RECORD_SECONDS) - ROUNDING_SECONDS;
    while (r.kept.size() > 1 && r.seconds - static_cast<double>(r.kept.front().pass.seconds) >= enough) {
        r.seconds -= r.kept.front().pass.seconds;
        r.kept.pop_front();
    }
}

PlayRecord LastPlay()
{
    const Recorder& r = Record();
    PlayRecord record;
    if (r.kept.empty()) return record;
    record.start = r.kept.front().before;
    for (const KeptPass& kept : r.kept) {
        record.passes.push_back(kept.pass);
        record.figures.push_back(kept.before);
    }
    // The last pass's step is where the figure stands now: play has not gone on since.
    record.figures.push_back(CopyOfFigure());
    return record;
}

void ForgetPlay()
{
    Record() = Recorder();
}

Sandbox::Sandbox(const FigureCopy& start, Level* level)
    : saved_(CopyOfFigure()),
      savedMan_(g_vectorMan),
      savedLevel_(g_level),
      savedMode_(g_editMode),
      savedCameraDistance_(g_cameraDistance),
      savedSelected_(g_selectedPart)
{
    ++g_sandboxes;
    g_level = level;
    g_editMode = EDIT_PLAY;
    Load(start);
}

Sandbox::~Sandbox()
{
    g_vectorMan = savedMan_;
    g_level = savedLevel_;
    g_editMode = savedMode_;
    g_cameraDistance = savedCameraDistance_;
    g_selectedPart = savedSelected_;
    PutPlayGlobals(saved_.globals);
    --g_sandboxes;
}

void Sandbox::Load(const FigureCopy& from)
{
    figure_ = from;
    for (int i = 0; i < MAX_FRAME_KEYS; ++i) figure_.man.currentKeys[i] = KeyById(from.keyIds[i]);
    g_vectorMan = figure_.valid ? &figure_.man : nullptr;
    PutPlayGlobals(from.globals);
}

void Sandbox::Restart(const FigureCopy& start)
{
    Load(start);
}

FigureCopy Sandbox::Figure() const
{
    FigureCopy copy = CopyOfFigure();
    return copy;
}

void Sandbox::Play(const PlayPass& pass)
{
    if (Hooks().replayPass) Hooks().replayPass(pass);
    Step(pass.seconds);
}

void Sandbox::Step(float seconds)
{
    StepFigure(seconds);
    if (g_vectorMan) StoreTrackedPositions(*g_vectorMan);
}
