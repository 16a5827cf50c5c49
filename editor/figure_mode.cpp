#include "editor/figure_mode.h"

#include <d3dx8.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "animation/figure_pose.h"
#include "base/screen_message.h"
#include "editor/edits.h"
#include "editor/editor_state.h"
#include "editor/overlays.h"
#include "editor/tool.h"
#include "figure/anim_save.h"
#include "figure/figure_file.h"
#include "figure/figure_save.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/state.h"
#include "graphics/text.h"
#include "level/level.h"

namespace {

// How near the cursor must come to a joint or a box's handle to take it, in pixels.
const float JOINT_PICK_PIXELS = 8.0f;
const float HANDLE_PICK_PIXELS = 6.0f;
// Offsets go in tenths, as the arrow keys of the pivot editor move them.
const float TENTHS = 10.0f;
// A box is never sized to nothing: the file refuses a half size below 1.
const float SMALLEST_HALF_SIZE = 1.0f;
// The most slots a figure may have: one running key each.
const int MOST_SLOTS = MAX_FRAME_KEYS;
const char* const IMAGE_EXTENSIONS[] = {".png", ".jpg", ".jpeg"};

using Drag = FigureToolState::Drag;
using Action = FigureToolState::Action;

FigureToolState& State()
{
    return g_editor.figure;
}

int SlotCount()
{
    return static_cast<int>(g_figureSetup.slots.size());
}

// A figure that is not the setup's (one built by hand, none read) is left alone: a change
// of the setup would remake its slots.
bool InFigureMode()
{
    return g_editMode == EDIT_FIGURE && g_vectorMan && g_vectorMan->parts && SlotCount() == g_vectorMan->numparts &&
           static_cast<int>(g_figureSetup.hitBoxes.size()) == g_vectorMan->numHitBoxes;
}

// The picked slot's setup; null when no slot of the setup is picked.
const SlotSetup* Picked()
{
    if (g_selectedPart < 0 || g_selectedPart >= SlotCount() || g_selectedPart >= g_vectorMan->numparts) return nullptr;
    return &g_figureSetup.slots[g_selectedPart];
}

float InTenths(float value)
{
    return std::round(value * TENTHS) / TENTHS;
}

std::vector<D3DXMATRIX> Worlds()
{
    return SlotWorldMatrices(*g_vectorMan, FigureMatrix(*g_vectorMan));
}

// The frame a slot's image offset moves in: the slot's world without that offset.
D3DXMATRIX OffsetFrame(int slot, const std::vector<D3DXMATRIX>& worlds)
{
    const VectorPart* image = PartAt(g_vectorMan->parts[slot].vecpartnum);
    D3DXMATRIX back, frame;
    D3DXMatrixTranslation(&back, image ? -image->xoffset : 0.0f, image ? -image->yoffset : 0.0f, 0.0f);
    D3DXMatrixMultiply(&frame, &back, &worlds[slot]);
    return frame;
}

// The frame a slot's children hang in; the figure's own for the origin (-1).
D3DXMATRIX HangingFrame(int parent, const std::vector<D3DXMATRIX>& worlds)
{
    return parent >= 0 && parent < static_cast<int>(worlds.size()) ? worlds[parent] : FigureMatrix(*g_vectorMan);
}

float Distance(const D3DXVECTOR3& screen)
{
    const float dx = screen.x - static_cast<float>(g_cursorPos.x), dy = screen.y - static_cast<float>(g_cursorPos.y);
    return std::sqrt(dx * dx + dy * dy);
}

// The joint of slot's own image nearest the cursor on screen, -1 for none; pixels says how near.
int NearestJoint(const SceneView& scene, int slot, const std::vector<D3DXMATRIX>& worlds, float& pixels)
{
    const VectorPart* joints = PartAt(slot);
    int nearest = -1;
    pixels = 0.0f;
    for (int i = 0; joints && joints->points && i < joints->numpoints; ++i) {
        const float d = Distance(ScreenPoint(scene, worlds[slot], static_cast<float>(joints->points[i].x),
                                             static_cast<float>(joints->points[i].y)));
        if (nearest < 0 || d < pixels) {
            nearest = i;
            pixels = d;
        }
    }
    return nearest;
}

std::string ImageName(int index)
{
    const VectorPart* image = PartAt(index);
    if (!image || !image->textureFile) return "image " + std::to_string(index);
    // Not yet in the parts file: a save adds it.
    const bool saved = static_cast<size_t>(index) < g_partsFileRecord.shapes.size();
    return (saved ? "" : "new: ") + std::string(image->textureFile);
}

bool ShownElsewhere(int image, int slot)
{
    for (int i = 0; i < SlotCount(); ++i)
        if (i != slot && g_figureSetup.slots[i].vecpartnum == image) return true;
    for (int c = 0; g_level && c < LEVEL_COLUMNS * LEVEL_ROWS; ++c) {
        const LevelCell* cell = g_level->slots[c];
        for (int p = 0; cell && p < cell->count && p < MAX_CELL_PIECES; ++p)
            if (cell->pieces[p] && cell->pieces[p]->vecpartnum == image) return true;
    }
    return false;
}

// The setup with the picked slot changed by change, as one step.
template <typename Change>
void ChangePicked(Change change)
{
    if (!InFigureMode() || !Picked()) return;
    FigureSetup after = g_figureSetup;
    change(after.slots[g_selectedPart]);
    SetFigureSetup(after);
}

// Hangs the picked slot from joint `joint` of `parent` (-1 the figure's origin), keeping its
// image's centre where it is on screen.
void HangPicked(int parent, int joint)
{
    const int slot = g_selectedPart;
    const std::vector<D3DXMATRIX> worlds = Worlds();
    D3DXMATRIX onJoint, frame;
    const VectorPart* joints = PartAt(parent);
    const bool hasJoint = parent >= 0 && joints && joints->points && joint >= 0 && joint < joints->numpoints;
    D3DXMatrixTranslation(&onJoint, hasJoint ? static_cast<float>(joints->points[joint].x) : 0.0f,
                          hasJoint ? static_cast<float>(joints->points[joint].y) : 0.0f, 0.0f);
    const D3DXMATRIX hanging = HangingFrame(parent, worlds);
    D3DXMatrixMultiply(&frame, &onJoint, &hanging);
    // Where the image's centre stands now, as a point of the frame it will hang in.
    D3DXMATRIX inverse;
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    D3DXVECTOR4 centre, there;
    D3DXVec3Transform(&centre, &origin, &worlds[slot]);
    const bool invertible = D3DXMatrixInverse(&inverse, nullptr, &frame) != nullptr;
    const D3DXVECTOR3 world(centre.x, centre.y, centre.z);
    D3DXVec3Transform(&there, &world, &inverse);

    BeginEditGroup();
    ChangePicked([parent, joint](SlotSetup& s) {
        s.rootpart = parent;
        s.rootpoint = joint;
    });
    VectorPart* image = PartAt(g_figureSetup.slots[slot].vecpartnum);
    if (image && invertible && std::isfinite(there.x) && std::isfinite(there.y)) {
        const float fromX = image->xoffset, fromY = image->yoffset;
        image->xoffset = InTenths(there.x);
        image->yoffset = InTenths(there.y);
        RecordOffsetMove(g_figureSetup.slots[slot].vecpartnum, fromX, fromY);
    }
    EndEditGroup();
}

// Whether `slot` hangs, through its parents, from `ancestor`.
bool HangsBelow(int slot, int ancestor)
{
    for (int at = slot, steps = 0; at >= 0 && at < SlotCount() && steps <= SlotCount(); ++steps) {
        at = g_figureSetup.slots[at].rootpart;
        if (at == ancestor) return true;
    }
    return false;
}

void StartLeftDrag(const SceneView& scene, const std::vector<D3DXMATRIX>& worlds)
{
    FigureToolState& s = State();
    const VectorMan& man = *g_vectorMan;
    float x = 0.0f, y = 0.0f;
    // A box's handles first: they lie over the images.
    if (CursorOnGround(scene, x, y)) {
        D3DXMATRIX figure;
        D3DXMatrixTranslation(&figure, man.x, man.y, man.z);
        for (int b = 0; man.hitBoxes && b < man.numHitBoxes; ++b) {
            const HitBox& box = man.hitBoxes[b];
            Drag found = Drag::NONE;
            if (Distance(ScreenPoint(scene, figure, box.centerX, box.centerY)) <= HANDLE_PICK_PIXELS) found = Drag::BOX_MIDDLE;
            for (float sx : {-1.0f, 1.0f})
                for (float sy : {-1.0f, 1.0f})
                    if (Distance(ScreenPoint(scene, figure, box.centerX + sx * box.halfWidth,
                                             box.centerY + sy * box.halfHeight)) <= HANDLE_PICK_PIXELS)
                        found = Drag::BOX_CORNER;
            if (found == Drag::NONE) continue;
            const float mirror = man.hitBoxesMirrored ? -1.0f : 1.0f;
            s.drag = found;
            s.box = b;
            s.boxesBefore = g_figureSetup.hitBoxes;
            s.grabX = mirror * (x - man.x) - g_figureSetup.hitBoxes[b].centerX;
            s.grabY = (y - man.y) - g_figureSetup.hitBoxes[b].centerY;
            return;
        }
    }
    // Then the frontmost slot under the cursor, as the figure is drawn.
    int picked = -1;
    for (int slot : DrawOrder(man, man.numparts)) {
        const VectorPart* image = PartAt(man.parts[slot].vecpartnum);
        if (image && CursorOverImage(scene, *image, worlds[slot])) picked = slot;
    }
    if (picked < 0 || picked >= SlotCount()) return;
    g_selectedPart = picked;
    VectorPart* image = PartAt(man.parts[picked].vecpartnum);
    if (!image || !CursorInFrame(scene, OffsetFrame(picked, worlds), x, y)) return;
    s.drag = Drag::IMAGE;
    s.image = man.parts[picked].vecpartnum;
    s.fromX = image->xoffset;
    s.fromY = image->yoffset;
    s.grabX = x - image->xoffset;
    s.grabY = y - image->yoffset;
}

void StartJointDrag(const SceneView& scene, const std::vector<D3DXMATRIX>& worlds)
{
    FigureToolState& s = State();
    if (!Picked()) return;
    float pixels = 0.0f, x = 0.0f, y = 0.0f;
    const int joint = NearestJoint(scene, g_selectedPart, worlds, pixels);
    if (joint < 0 || pixels > JOINT_PICK_PIXELS || !CursorInFrame(scene, worlds[g_selectedPart], x, y)) return;
    const VectorPart* joints = PartAt(g_selectedPart);
    s.drag = Drag::JOINT;
    s.image = g_selectedPart;
    s.joint = joint;
    s.jointsBefore = PartPoints(*joints);
    s.grabX = x - static_cast<float>(joints->points[joint].x);
    s.grabY = y - static_cast<float>(joints->points[joint].y);
}

void DragTo(const SceneView& scene, const std::vector<D3DXMATRIX>& worlds)
{
    FigureToolState& s = State();
    float x = 0.0f, y = 0.0f;
    if (s.drag == Drag::IMAGE) {
        VectorPart* image = PartAt(s.image);
        if (!image || g_selectedPart < 0 || !CursorInFrame(scene, OffsetFrame(g_selectedPart, worlds), x, y)) return;
        image->xoffset = InTenths(x - s.grabX);
        image->yoffset = InTenths(y - s.grabY);
    } else if (s.drag == Drag::JOINT) {
        VectorPart* joints = PartAt(s.image);
        if (!joints || s.joint >= joints->numpoints || !CursorInFrame(scene, worlds[s.image], x, y)) return;
        joints->points[s.joint].x = static_cast<int>(std::lround(x - s.grabX));
        joints->points[s.joint].y = static_cast<int>(std::lround(y - s.grabY));
    } else if (s.box >= 0 && s.box < static_cast<int>(g_figureSetup.hitBoxes.size()) && CursorOnGround(scene, x, y)) {
        const VectorMan& man = *g_vectorMan;
        const float rx = (man.hitBoxesMirrored ? -1.0f : 1.0f) * (x - man.x), ry = y - man.y;
        HitBox& box = g_figureSetup.hitBoxes[s.box];
        if (s.drag == Drag::BOX_MIDDLE) {
            box.centerX = std::round(rx - s.grabX);
            box.centerY = std::round(ry - s.grabY);
        } else {
            box.halfWidth = std::max(SMALLEST_HALF_SIZE, std::round(std::fabs(rx - box.centerX)));
            box.halfHeight = std::max(SMALLEST_HALF_SIZE, std::round(std::fabs(ry - box.centerY)));
        }
        ApplySetup(*g_vectorMan, g_figureSetup);
    }
}

// The drag in progress becomes one step of the history.
void FinishDrag()
{
    FigureToolState& s = State();
    const Drag drag = std::exchange(s.drag, Drag::NONE);
    if (drag == Drag::IMAGE) {
        RecordOffsetMove(s.image, s.fromX, s.fromY);
    } else if (drag == Drag::JOINT) {
        if (VectorPart* joints = PartAt(s.image)) {
            const std::vector<PartPoint> after = PartPoints(*joints);
            SetPartPoints(*joints, s.jointsBefore);
            SetImageJoints(s.image, after);
        }
    } else if (drag == Drag::BOX_MIDDLE || drag == Drag::BOX_CORNER) {
        const FigureSetup after = g_figureSetup;
        g_figureSetup.hitBoxes = s.boxesBefore;
        SetFigureSetup(after);
    }
}

void AddJointAtCursor(const SceneView& scene, const std::vector<D3DXMATRIX>& worlds)
{
    const int slot = g_selectedPart;
    VectorPart* joints = PartAt(slot);
    if (!joints) {
        PostScreenMessage("slot " + std::to_string(slot) + " takes its joints from image " + std::to_string(slot) +
                          ", which does not exist");
        return;
    }
    float x = 0.0f, y = 0.0f;
    if (!CursorInFrame(scene, worlds[slot], x, y)) return;
    std::vector<PartPoint> after = PartPoints(*joints);
    after.push_back({static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))});
    SetImageJoints(slot, after);
}

void RemoveJointAtCursor(const SceneView& scene, const std::vector<D3DXMATRIX>& worlds)
{
    const int slot = g_selectedPart;
    float pixels = 0.0f;
    const int joint = NearestJoint(scene, slot, worlds, pixels);
    if (joint < 0) {
        PostScreenMessage("slot " + std::to_string(slot) + " has no joints");
        return;
    }
    for (int i = 0; i < SlotCount(); ++i) {
        const SlotSetup& child = g_figureSetup.slots[i];
        if (child.rootpart == slot && child.rootpoint == joint) {
            PostScreenMessage("slot " + std::to_string(i) + " hangs from joint " + std::to_string(joint) + ": not removed");
            return;
        }
    }
    std::vector<PartPoint> after = PartPoints(*PartAt(slot));
    after.erase(after.begin() + joint);
    // The slots on the joints after it keep their joints, now numbered one less.
    FigureSetup setup = g_figureSetup;
    for (SlotSetup& child : setup.slots)
        if (child.rootpart == slot && child.rootpoint > joint) --child.rootpoint;
    BeginEditGroup();
    SetImageJoints(slot, after);
    SetFigureSetup(setup);
    EndEditGroup();
}

void InsertAtCursor(const SceneView& scene, const std::vector<D3DXMATRIX>& worlds)
{
    if (SlotCount() >= MOST_SLOTS) {
        PostScreenMessage("A figure has at most " + std::to_string(MOST_SLOTS) + " slots");
        return;
    }
    const int parent = g_selectedPart;
    float pixels = 0.0f;
    const SlotSetup& from = g_figureSetup.slots[parent];
    FigureSetup after = g_figureSetup;
    after.slots.push_back({from.vecpartnum, std::max(FRONT_LAYER, from.layer - 1), parent,
                           NearestJoint(scene, parent, worlds, pixels), NewSlotId()});
    SetFigureSetup(after);
    g_selectedPart = SlotCount() - 1;
}

void HoldAtRest(float)
{
    if (!InFigureMode()) return;
    VectorMan& man = *g_vectorMan;
    for (AnimKey*& key : man.currentKeys) key = nullptr;
    man.xVelocity = man.yVelocity = man.zVelocity = man.zAngularVelocity = 0.0f;
    for (int i = 0; i < man.numparts; ++i) {
        ManPart& slot = man.parts[i];
        slot.angle = slot.angularVelocity = 0.0f;
        slot.x = slot.y = slot.xVelocity = slot.yVelocity = 0.0f;
        slot.visible = 1;
    }
}

void Enter()
{
    if (!g_vectorMan || !g_vectorMan->parts) return;
    FigureToolState& s = State();
    s.shownBefore.clear();
    for (int i = 0; i < g_vectorMan->numparts; ++i) s.shownBefore.push_back(g_vectorMan->parts[i].visible);
    // The slots show the images the setup gives them, whatever a key showed last.
    if (SlotCount() == g_vectorMan->numparts) ApplySetup(*g_vectorMan, g_figureSetup);
    HoldAtRest(0.0f);
}

void Leave()
{
    FinishDrag();
    State().pressDue = -1;
    State().actionDue = Action::NONE;
    VectorMan* man = g_vectorMan;
    const std::vector<unsigned char>& shown = State().shownBefore;
    for (int i = 0; man && man->parts && i < man->numparts && i < static_cast<int>(shown.size()); ++i)
        man->parts[i].visible = shown[i];
}

void Pick(const SceneView& scene)
{
    if (!InFigureMode()) return;
    FigureToolState& s = State();
    const std::vector<D3DXMATRIX> worlds = Worlds();
    const Action action = std::exchange(s.actionDue, Action::NONE);
    if (action != Action::NONE && Picked()) {
        if (action == Action::ADD_JOINT) AddJointAtCursor(scene, worlds);
        else if (action == Action::REMOVE_JOINT) RemoveJointAtCursor(scene, worlds);
        else InsertAtCursor(scene, worlds);
        return;
    }
    const int press = std::exchange(s.pressDue, -1);
    if (press == FIGURE_PICK_BUTTON) StartLeftDrag(scene, worlds);
    else if (press == FIGURE_JOINT_BUTTON) StartJointDrag(scene, worlds);
    else if (s.drag != Drag::NONE) DragTo(scene, worlds);
}

void DrawMarks(IDirect3DDevice8* device)
{
    if (!InFigureMode() || !device) return;
    const VectorMan& man = *g_vectorMan;
    // The boxes show in this mode whether Tab shows them or not, with their handles.
    if (!g_showHitBoxes) DrawHitBoxes(device, man);
    D3DXMATRIX figure;
    D3DXMatrixTranslation(&figure, man.x, man.y, man.z);
    device->SetTransform(D3DTS_WORLD, &figure);
    for (int b = 0; man.hitBoxes && b < man.numHitBoxes; ++b) {
        const HitBox& box = man.hitBoxes[b];
        DrawPointMark(device, box.centerX, box.centerY, false);
        for (float sx : {-1.0f, 1.0f})
            for (float sy : {-1.0f, 1.0f})
                DrawPointMark(device, box.centerX + sx * box.halfWidth, box.centerY + sy * box.halfHeight, false);
    }
    const SlotSetup* picked = Picked();
    if (!picked) return;
    const std::vector<D3DXMATRIX> worlds = Worlds();
    if (const VectorPart* joints = PartAt(g_selectedPart)) {
        device->SetTransform(D3DTS_WORLD, &worlds[g_selectedPart]);
        for (int i = 0; joints->points && i < joints->numpoints; ++i)
            DrawPointMark(device, static_cast<float>(joints->points[i].x), static_cast<float>(joints->points[i].y), false);
    }
    const VectorPart* hanging = PartAt(picked->rootpart);
    if (hanging && hanging->points && picked->rootpoint >= 0 && picked->rootpoint < hanging->numpoints &&
        picked->rootpart < static_cast<int>(worlds.size())) {
        device->SetTransform(D3DTS_WORLD, &worlds[picked->rootpart]);
        const PartPoint& at = hanging->points[picked->rootpoint];
        DrawPointMark(device, static_cast<float>(at.x), static_cast<float>(at.y), true);
    }
}

std::string Status()
{
    const SlotSetup* picked = Picked();
    if (!picked) return "no slot picked";
    std::string text = "slot " + std::to_string(g_selectedPart) + " " + ImageName(picked->vecpartnum);
    if (picked->rootpart < 0) text += " | on the figure's origin";
    else if (picked->rootpoint < 0) text += " | on slot " + std::to_string(picked->rootpart) + " at its pivot";
    else text += " | on slot " + std::to_string(picked->rootpart) + " joint " + std::to_string(picked->rootpoint);
    text += " | layer " + std::to_string(picked->layer);
    if (const VectorPart* image = PartAt(picked->vecpartnum)) {
        char pivot[64];
        std::snprintf(pivot, sizeof pivot, " | pivot %.1f %.1f", static_cast<double>(image->xoffset),
                      static_cast<double>(image->yoffset));
        text += pivot;
    }
    return text;
}

// A key that needs the cursor in the scene asks the next step for it.
void AskStep(Action action)
{
    if (InFigureMode() && Picked()) State().actionDue = action;
}

bool HasImageExtension(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* extension : IMAGE_EXTENSIONS) {
        const std::string end = extension;
        if (name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0) return true;
    }
    return false;
}

}  // namespace

void PressFigureButton(int button)
{
    if (!InFigureMode()) return;
    FinishDrag();
    State().pressDue = button;
}

void ReleaseFigureButton(int)
{
    if (InFigureMode()) FinishDrag();
}

void AddFigureJoint()
{
    AskStep(Action::ADD_JOINT);
}

void RemoveFigureJoint()
{
    AskStep(Action::REMOVE_JOINT);
}

void InsertFigureSlot()
{
    AskStep(Action::INSERT_SLOT);
}

void HangFromNextJoint()
{
    const SlotSetup* picked = InFigureMode() ? Picked() : nullptr;
    if (!picked) return;
    const VectorPart* joints = PartAt(picked->rootpart);
    const int count = picked->rootpart >= 0 && joints && joints->points ? joints->numpoints : 0;
    if (count == 0) {
        PostScreenMessage(picked->rootpart < 0 ? std::string("slot " + std::to_string(g_selectedPart) +
                                                             " hangs from the figure's origin: k hangs it from a slot")
                                               : "slot " + std::to_string(picked->rootpart) + " has no joints");
        return;
    }
    HangPicked(picked->rootpart, (std::max(picked->rootpoint, -1) + 1) % count);
}

void HangFromNextSlot()
{
    const SlotSetup* picked = InFigureMode() ? Picked() : nullptr;
    if (!picked) return;
    const int slot = g_selectedPart;
    // The candidates in turn after the present parent: the slots, then the figure's origin.
    for (int step = 1; step <= SlotCount() + 1; ++step) {
        const int parent = (picked->rootpart + 1 + step + SlotCount() + 1) % (SlotCount() + 1) - 1;
        if (parent == slot || (parent >= 0 && HangsBelow(parent, slot))) continue;
        const VectorPart* joints = PartAt(parent);
        HangPicked(parent, parent >= 0 && joints && joints->numpoints > 0 ? 0 : -1);
        return;
    }
}

void ChangeFigureImage(int step)
{
    const SlotSetup* picked = InFigureMode() ? Picked() : nullptr;
    if (!picked) return;
    const int images = g_parts ? g_numParts : 0;
    const std::vector<std::string> offered = NewImageFiles();
    const int choices = images + static_cast<int>(offered.size());
    if (choices == 0) return;
    const int was = picked->vecpartnum;
    const int at = was >= 0 && was < images ? was : (step > 0 ? -1 : 0);
    const int next = ((at + step) % choices + choices) % choices;

    BeginEditGroup();
    int image = next;
    if (next >= images) {
        const std::string file = offered[next - images];
        image = AddImage(file.c_str());
        if (image < 0) {
            EndEditGroup();
            PostScreenMessage(file + " does not load");
            return;
        }
    }
    ChangePicked([image](SlotSetup& s) { s.vecpartnum = image; });
    // An image taken from the folder a moment ago and shown nowhere now goes again, so
    // looking through the images leaves no part behind.
    const bool unsaved = was >= static_cast<int>(g_partsFileRecord.shapes.size());
    if (was >= 0 && was == g_numParts - 1 && was != image && unsaved && !ShownElsewhere(was, -1)) RemoveLastImage();
    EndEditGroup();
}

void CycleFigureLayer()
{
    ChangePicked([](SlotSetup& s) { s.layer = LayerBehind(s.layer); });
}

void DeleteFigureSlot()
{
    const SlotSetup* picked = InFigureMode() ? Picked() : nullptr;
    if (!picked) return;
    const int slot = g_selectedPart, parent = picked->rootpart;
    std::vector<int> going;
    for (int i = 0; i < SlotCount(); ++i)
        if (i == slot || HangsBelow(i, slot)) going.push_back(i);
    for (int i : going) {
        // The game moves, shows and strikes with these by number.
        if (i <= LAST_HIDDEN_SLOT) {
            PostScreenMessage("slot " + std::to_string(i) + " has a fixed role in the game: not deleted");
            return;
        }
    }
    // The number each slot will have, -1 for those that go.
    std::vector<int> renumbered(static_cast<size_t>(SlotCount()), -1);
    for (int i = 0, next = 0; i < SlotCount(); ++i)
        if (std::find(going.begin(), going.end(), i) == going.end()) renumbered[i] = next++;
    // A slot's children hang from the joints of the image of its number, whatever image it
    // shows: numbered anew, it takes its children's joints along to the image of its new
    // number (the same points, after that image's own), so they hang where they hung.
    std::map<int, std::vector<PartPoint>> joints;  // image -> its joints after
    std::map<int, int> rehung;                     // slot -> the joint it hangs from after
    for (int c = 0; c < SlotCount(); ++c) {
        const SlotSetup& child = g_figureSetup.slots[c];
        const int parent = child.rootpart;
        if (renumbered[c] < 0 || parent < 0 || parent >= SlotCount() || renumbered[parent] == parent) continue;
        const VectorPart* from = PartAt(parent);
        if (!from || child.rootpoint < 0 || child.rootpoint >= from->numpoints) continue;
        const int image = renumbered[parent];
        const VectorPart* to = PartAt(image);
        if (!to) {
            PostScreenMessage("slot " + std::to_string(c) + " hangs on a joint of slot " + std::to_string(parent) +
                              ", and image " + std::to_string(image) + ", whose joints it would hang from as slot " +
                              std::to_string(image) + ", does not exist: not deleted");
            return;
        }
        const PartPoint point = PartPoints(*from)[static_cast<size_t>(child.rootpoint)];
        auto at = joints.find(image);
        if (at == joints.end()) at = joints.emplace(image, PartPoints(*to)).first;
        std::vector<PartPoint>& list = at->second;
        auto same = std::find_if(list.begin(), list.end(), [&](const PartPoint& p) { return p.x == point.x && p.y == point.y; });
        if (same == list.end()) same = list.insert(list.end(), point);
        rehung[c] = static_cast<int>(same - list.begin());
    }
    auto numberOf = [&renumbered](int s) { return s >= 0 && s < static_cast<int>(renumbered.size()) ? renumbered[s] : s; };
    // Each slot's key lists follow it to its number, those of the slots that go go with
    // them; the keys that name a slot name the number it will have, and none names a slot
    // that goes (what a key would give it means nothing now).
    FramesCopy frames = CopyFrames();
    for (FrameCopy& frame : frames) {
        FrameCopy moved;
        moved.name = frame.name;
        moved.numparts = frame.numparts;
        for (int i : going) moved.numparts -= i < frame.numparts ? 1 : 0;
        for (int l = 0; l < MAX_FRAME_KEYS; ++l) {
            const int to = numberOf(l);
            if (to >= 0) moved.lists[to] = frame.lists[l];
        }
        for (std::vector<AnimKey>& list : moved.lists) {
            for (AnimKey& key : list) {
                if (key.useChangePart && numberOf(key.changePartSlot) < 0) key.useChangePart = 0;
                else if (key.useChangePart) key.changePartSlot = numberOf(key.changePartSlot);
                for (int* entries : {key.visibleParts, key.invisibleParts}) {
                    for (int e = 0; e < MAX_PART_LIST; ++e)
                        if (entries[e] != -1) entries[e] = numberOf(entries[e]);
                    int* end = std::remove(entries, entries + MAX_PART_LIST, -1);
                    std::fill(end, entries + MAX_PART_LIST, -1);
                }
            }
        }
        frame = moved;
    }
    FigureSetup after;
    after.hitBoxes = g_figureSetup.hitBoxes;
    for (int i = 0; i < SlotCount(); ++i) {
        if (renumbered[i] < 0) continue;
        SlotSetup kept = g_figureSetup.slots[i];
        kept.rootpart = numberOf(kept.rootpart);
        if (rehung.count(i)) kept.rootpoint = rehung[i];
        after.slots.push_back(kept);
    }
    BeginEditGroup();
    for (const auto& [image, points] : joints) SetImageJoints(image, points);
    SetFigureSetup(after);
    SetFrames(frames);
    EndEditGroup();
    g_selectedPart = numberOf(parent);
}

std::vector<std::string> NewImageFiles()
{
    std::set<std::string> named;
    for (int i = 0; g_parts && i < g_numParts; ++i)
        if (g_parts[i].textureFile) named.insert(g_parts[i].textureFile);
    named.insert(FontImageFile());
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && HasImageExtension(name) && !named.count(name)) files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

extern const Tool FIGURE_TOOL;
const Tool FIGURE_TOOL = {EDIT_FIGURE, "figure", SlotPicking::OWN, true, Enter, Leave, HoldAtRest, Pick, DrawMarks, Status};
