// The saves under random edits: the bundled data is read, the input is played as a sequence
// of the editor's edits (pivot nudges, key angles, keys inserted and deleted, a key's image
// change, loop and visibility, level pieces moved, copied, deleted and flagged, the
// figure's slots changed and added, its boxes moved, its images' joints added and moved,
// undo and redo), and then:
//   - undoing the whole sequence gives back the documents as read, with nothing to save
//     and every file byte for byte as it was;
//   - redoing it and saving writes files that read back as the edited documents, with
//     nothing left unsaved;
//   - every line the edits had no reason to touch is still there, in its order;
//   - undoing the whole sequence after that save and saving again gives back every file
//     byte for byte.
// Any breach aborts, which libFuzzer reports with the input.
#include <d3d8.h>
#include <stand_in.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/log.h"
#include "editor/edits.h"
#include "editor/level_mode.h"
#include "figure/anim_save.h"
#include "figure/data_files.h"
#include "figure/data_save.h"
#include "figure/figure_save.h"
#include "figure/parts_file.h"
#include "figure/parts_save.h"
#include "figure/key_edit.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "game/state.h"
#include "graphics/device.h"
#include "level/level.h"
#include "level/level_file.h"
#include "memory/memory_device.h"

namespace {

const char* const SAVED_FILES[] = {"vecparts.dat", "vecman.dat", "vecanim.dat", "veclevel.dat"};
const size_t MOST_EDITS = 48;

char s_workDir[] = "/tmp/vantrel-fuzz-saves-XXXXXX";
char s_startDir[4096];
IDirect3D8* s_d3d = nullptr;
IDirect3DDevice8* s_device = nullptr;
std::vector<std::string> s_original;  // SAVED_FILES as bundled

void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_saves: %s\n", what);
    std::abort();
}

// The input read a byte at a time; zeros once it runs out.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool Done() const { return at >= size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int Signed() { return static_cast<int8_t>(Byte()); }
};

// What the files say, as text, to compare documents by.
struct Documents {
    std::vector<std::string> parts;
    std::vector<std::string> slots;
    std::vector<std::string> keys;
    std::string level;
    bool operator==(const Documents& o) const
    {
        return parts == o.parts && slots == o.slots && keys == o.keys && level == o.level;
    }
};

Documents Take(const VectorPart* parts, int numParts, const FigureSetup& figure, const AnimFrame* frames, int numFrames,
               const std::vector<std::string>& names, const Level* level)
{
    Documents d;
    for (int i = 0; parts && i < numParts; ++i) {
        std::string text = ShortestDecimal(parts[i].xoffset) + "," + ShortestDecimal(parts[i].yoffset) + ":";
        for (const auto& [x, y] : ShapeOf(parts[i]).points) text += std::to_string(x) + "," + std::to_string(y) + ",";
        d.parts.push_back(text);
    }
    for (const SlotSetup& s : figure.slots)
        d.slots.push_back(std::to_string(s.vecpartnum) + "," + std::to_string(s.layer) + "," + std::to_string(s.rootpart) +
                          "," + std::to_string(s.rootpoint));
    for (const HitBox& b : figure.hitBoxes)
        d.slots.push_back(std::to_string(std::lround(b.centerX)) + "," + std::to_string(std::lround(b.centerY)) + "," +
                          std::to_string(std::lround(b.halfWidth)) + "," + std::to_string(std::lround(b.halfHeight)));
    for (int f = 0; frames && f < numFrames; ++f) {
        d.keys.push_back("frame " + std::to_string(f) + " " + std::to_string(frames[f].numparts) + ": " +
                         (static_cast<size_t>(f) < names.size() ? names[static_cast<size_t>(f)] : std::string()));
        for (int list = 0; list < MAX_FRAME_KEYS; ++list) {
            for (const AnimKey* k = frames[f].keys[list]; k; k = k->next) {
                std::string text = std::to_string(f) + "/" + std::to_string(list) + ":";
                for (KeyField field : {KeyField::DEST, KeyField::SPEED, KeyField::USE_START, KeyField::START,
                                       KeyField::LOOP, KeyField::USE_CHANGE, KeyField::EASE}) {
                    text += KeyFieldText(*k, field) + ",";
                }
                // What a line without its switch says means nothing to the game.
                text += k->useChangePart ? KeyFieldText(*k, KeyField::CHANGE) : std::string("-");
                text += k->hasVisibleList ? "," + KeyFieldText(*k, KeyField::VISIBLE) : std::string(",-");
                text += k->hasInvisibleList ? "," + KeyFieldText(*k, KeyField::INVISIBLE) : std::string(",-");
                d.keys.push_back(text);
            }
        }
    }
    if (level) d.level = LevelText(*level);
    return d;
}

Documents InUse()
{
    std::vector<std::string> names;
    for (int f = 0; f < g_numFrames; ++f) names.push_back(MemoryFrameName(f));
    return Take(g_parts, g_numParts, g_figureSetup, g_frames, g_numFrames, names, g_level);
}

std::vector<int> AllKeys()
{
    std::vector<int> ids;
    for (int f = 0; f < g_numFrames; ++f)
        for (int list = 0; list < MAX_FRAME_KEYS; ++list) {
            const std::vector<int> keys = KeyIds(f, list);
            ids.insert(ids.end(), keys.begin(), keys.end());
        }
    return ids;
}

// A piece of the level by number, with the slot of its cell; false when there is none.
bool PieceAt(unsigned number, int& slot, int& index)
{
    std::vector<std::pair<int, int>> pieces;
    std::set<const LevelCell*> seen;
    for (int s = 0; s < LEVEL_COLUMNS * LEVEL_ROWS; ++s) {
        const LevelCell* cell = g_level->slots[s];
        if (!cell || !seen.insert(cell).second) continue;
        for (int i = 0; i < cell->count; ++i) pieces.push_back({s, i});
    }
    if (pieces.empty()) return false;
    slot = pieces[number % pieces.size()].first;
    index = pieces[number % pieces.size()].second;
    return true;
}

void EditLevel(Input& in, bool& removed)
{
    int slot = 0, index = 0;
    if (!g_level || !PieceAt(in.Byte(), slot, index)) return;
    Level* before = CopyLevel(*g_level);
    LevelCell& cell = *g_level->slots[slot];
    ManPart* piece = cell.pieces[index];
    switch (in.Byte() % 5) {
    case 0:
        piece->x += static_cast<float>(in.Signed());
        piece->y += static_cast<float>(in.Signed()) / 4.0f;
        break;
    case 1: {  // into another cell, made where there is none
        LevelCell*& to = g_level->slots[in.Byte() % (LEVEL_COLUMNS * LEVEL_ROWS)];
        if (to == &cell || (to && to->count >= MAX_CELL_PIECES)) break;
        if (!to) to = new LevelCell();
        for (int i = index; i + 1 < cell.count; ++i) cell.pieces[i] = cell.pieces[i + 1];
        --cell.count;
        to->pieces[to->count++] = piece;
        removed = true;
        break;
    }
    case 2:
        if (cell.count >= MAX_CELL_PIECES) break;
        cell.pieces[cell.count] = new ManPart(*piece);
        cell.pieces[cell.count]->id = NewPieceId();
        cell.pieces[cell.count++]->x += 32.0f;
        break;
    case 3:
        for (int i = index; i + 1 < cell.count; ++i) cell.pieces[i] = cell.pieces[i + 1];
        --cell.count;
        delete piece;
        removed = true;
        break;
    default:
        piece->solid = !piece->solid;
        piece->layer = 1 + in.Byte() % 6;
        break;
    }
    RecordLevelStep(before);
}

void EditKeys(Input& in, bool& removed)
{
    const std::vector<int> keys = AllKeys();
    if (keys.empty()) return;
    const int id = keys[in.Byte() % keys.size()];
    AnimKey* key = KeyById(id);
    if (!key) return;
    switch (in.Byte() % 5) {
    case 0:
        SetKeyAngles({{id, static_cast<float>(in.Signed() * 2), static_cast<float>((in.Signed() | 1) * 10)}});
        break;
    case 1: {
        AnimKey values = AnimKey();
        values.destAngle = static_cast<float>(in.Signed());
        values.rotSpeed = static_cast<float>((in.Signed() | 1) * 20);
        (in.Byte() & 1) ? InsertKeyAfter(id, values) : InsertKeyBefore(id, values);
        break;
    }
    case 2:
        if (DeleteKey(id)) removed = true;
        break;
    case 3: {
        AnimKey ends = *key;
        ends.useChangePart = !ends.useChangePart;
        ends.changePartSlot = in.Byte() % 8;
        ends.changePartVecPart = in.Byte() % (g_numParts > 0 ? g_numParts : 1);
        ends.loopKeys = in.Byte() & 1;
        SetKeyEnds({ends});
        break;
    }
    default: {
        AnimKey ends = *key;
        ends.hasVisibleList = !ends.hasVisibleList;
        for (int& entry : ends.visibleParts) entry = -1;
        ends.visibleParts[0] = in.Byte() % 8;
        SetKeyEnds({ends});
        break;
    }
    }
}

// The animation's shape: a frame copied to the end with keys of its own, one the game does
// not start by number taken away, a frame named anew, a key eased.
void EditFrames(Input& in, bool& removed)
{
    FramesCopy frames = CopyFrames();
    if (frames.empty()) return;
    const size_t at = in.Byte() % frames.size();
    switch (in.Byte() % 4) {
    case 0: {
        FrameCopy copy = frames[at];
        for (std::vector<AnimKey>& list : copy.lists)
            for (AnimKey& key : list) key.id = NewKeyId();
        copy.name = "copy of " + copy.name;
        frames.push_back(copy);
        break;
    }
    case 1:
        if (at < static_cast<size_t>(MIN_FRAMES)) return;
        frames.erase(frames.begin() + static_cast<std::ptrdiff_t>(at));
        removed = true;
        break;
    case 2:
        frames[at].name = std::string(in.Byte() % 4, static_cast<char>('a' + in.Byte() % 26));
        removed = true;  // its comment line is written anew
        break;
    default: {
        const std::vector<int> keys = AllKeys();
        if (keys.empty()) return;
        AnimKey* key = KeyById(keys[in.Byte() % keys.size()]);
        if (!key) return;
        AnimKey ends = *key;
        ends.ease = static_cast<unsigned char>(in.Byte() % EASE_COUNT);
        SetKeyEnds({ends});
        return;
    }
    }
    SetFrames(frames);
}

// The figure's setup and its images' joints, kept to what the rules take: a layer drawn,
// an image that exists, a parent before its child, a joint its parent's image has.
void EditFigure(Input& in)
{
    if (g_figureSetup.slots.empty() || !g_parts) return;
    FigureSetup setup = g_figureSetup;
    const int count = static_cast<int>(setup.slots.size());
    SlotSetup& slot = setup.slots[in.Byte() % count];
    switch (in.Byte() % 6) {
    case 0: slot.layer = 1 + in.Byte() % 6; break;
    case 1: slot.vecpartnum = in.Byte() % g_numParts; break;
    case 2: {
        const VectorPart* joints = PartAt(slot.rootpart);
        slot.rootpoint = joints && joints->numpoints > 0 ? in.Byte() % joints->numpoints : -1;
        break;
    }
    case 3:
        if (count >= MAX_FRAME_KEYS) return;
        setup.slots.push_back({in.Byte() % g_numParts, 1 + in.Byte() % 6, in.Byte() % count, -1, NewSlotId()});
        break;
    case 4:
        if (!setup.hitBoxes.empty()) setup.hitBoxes[in.Byte() % setup.hitBoxes.size()].centerX += in.Signed();
        break;
    default: {
        const int image = in.Byte() % g_numParts;
        std::vector<PartPoint> joints = PartPoints(g_parts[image]);
        if (!joints.empty() && (in.Byte() & 1)) joints[in.Byte() % joints.size()].x += in.Signed();
        else joints.push_back({in.Signed(), in.Signed()});
        SetImageJoints(image, joints);
        return;
    }
    }
    SetFigureSetup(setup);
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (const Line& line : SplitLines(text)) lines.push_back(line.text + line.end);
    return lines;
}

// Whether a line is one a save may rewrite or take out: a value it writes, or, where
// records went, the comments and blanks that go with them.
bool MayChange(const std::string& line, bool removed)
{
    const size_t start = line.find_first_not_of('=');
    const size_t end = line.find('=', start);
    const std::string key = start == std::string::npos || end == std::string::npos ? "" : line.substr(start, end - start);
    static const std::set<std::string> written = {
        "xoffset", "yoffset", "numkeys", "key", "key_destangle", "key_rotspeed", "use_startangle",
        "key_startangle", "loopkeys", "use_changepart", "changepart", "part_visible", "part_invisible", "piece",
        "move_ymin", "move_ymax", "move_yvel", "move_yloop", "move_xmin", "move_xmax", "move_xvel", "move_xloop",
        "numparts", "numpoints", "points", "part", "vecpartnum", "layer", "rootpart", "rootpoint", "hitbox",
        "numframes", "key_ease"};
    if (written.count(key)) return true;
    return removed;  // a deleted key's block takes whatever stood inside it
}

// Every line of before, in order, is in after, but those a save may change: the lines of
// before that a longest common run of lines leaves out must all be such lines.
void ExpectKept(const std::string& before, const std::string& after, bool removed)
{
    const std::vector<std::string> was = LinesOf(before), now = LinesOf(after);
    const size_t n = was.size(), m = now.size();
    std::vector<std::vector<unsigned>> common(n + 1, std::vector<unsigned>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            common[i][j] = was[i] == now[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    size_t i = 0, j = 0;
    while (i < n) {
        if (j < m && was[i] == now[j]) {
            ++i, ++j;
        } else if (j < m && common[i][j + 1] >= common[i + 1][j]) {
            ++j;
        } else {
            if (!MayChange(was[i], removed)) {
                std::fprintf(stderr, "lost: %s", was[i].c_str());
                Fail("a line the edits did not touch is gone");
            }
            ++i;
        }
    }
}

void WriteOriginals()
{
    for (size_t i = 0; i < s_original.size(); ++i) {
        std::FILE* file = std::fopen(SAVED_FILES[i], "wb");
        if (!file) Fail("cannot write the data");
        std::fwrite(s_original[i].data(), 1, s_original[i].size(), file);
        std::fclose(file);
        std::remove((std::string(SAVED_FILES[i]) + ".bak").c_str());
    }
}

void ExpectOriginals()
{
    for (size_t i = 0; i < s_original.size(); ++i)
        if (FileText(SAVED_FILES[i]) != s_original[i]) Fail("a file is not what it was");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!mkdtemp(s_workDir) || !getcwd(s_startDir, sizeof s_startDir)) std::abort();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(VANTREL_DATA_DIR, error))
        std::filesystem::copy(entry.path(), std::filesystem::path(s_workDir) / entry.path().filename(), error);
    for (const char* name : SAVED_FILES) s_original.push_back(FileText((std::string(s_workDir) + "/" + name).c_str()));
    if (!CreateMemoryDevice(1024, 768, &s_d3d, &s_device)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (chdir(s_workDir) != 0) std::abort();
    ResetGameState();
    ForgetEdits();
    g_d3d = s_d3d;
    g_device = s_device;
    D3DCAPS8 caps = {};
    s_device->GetDeviceCaps(&caps);
    g_maxTextureWidth = caps.MaxTextureWidth;
    g_maxTextureHeight = caps.MaxTextureHeight;
    ResetLog();
    WriteOriginals();
    {
        DataSet read = LoadDataFiles();
        for (const DataProblem& problem : read.problems) std::fprintf(stderr, "%s\n", problem.text.c_str());
        if (!read.problems.empty()) Fail("the bundled data does not read");
        DataSet old = InstallDataSet(read);
    }
    ForgetEdits();
    ForgetLevelPick();
    const Documents original = InUse();

    Input in{data, size};
    bool removed = false;
    for (size_t edit = 0; edit < MOST_EDITS && !in.Done(); ++edit) {
        switch (in.Byte() % 8) {
        case 0: NudgeOffset(in.Byte() % (g_numParts > 0 ? g_numParts : 1), in.Byte() & 1, (in.Byte() & 1) ? 1.0f : -1.0f); break;
        case 1:
        case 2: EditKeys(in, removed); break;
        case 3: EditLevel(in, removed); break;
        case 4: UndoEdit(); break;
        case 5: EditFigure(in); break;
        case 6: EditFrames(in, removed); break;
        default: RedoEdit(); break;
        }
    }
    const Documents edited = InUse();
    if ((edited == original) == g_editsUnsaved)
        Fail("the unsaved mark does not say whether the documents differ from the files");

    // Back through the whole history: what was read, nothing to save, the files untouched.
    size_t undone = 0;
    while (UndoEdit()) ++undone;
    if (!(InUse() == original)) Fail("undoing everything does not give back the documents as read");
    if (g_editsUnsaved || SaveEdits()) Fail("after undoing everything there is something to save");
    ExpectOriginals();
    for (size_t i = 0; i < undone; ++i)
        if (!RedoEdit()) Fail("a step cannot be redone");
    if (!(InUse() == edited)) Fail("redoing everything does not give back the edited documents");

    // Saved, the files read back as the documents are.
    if (g_editsUnsaved && !SaveEdits()) {
        std::fprintf(stderr, "%s\n", FileText("log.log").c_str());
        Fail("the save was refused");
    }
    if (g_editsUnsaved) Fail("something is unsaved after a save");
    {
        DataSet back = LoadDataFiles();
        for (const DataProblem& problem : back.problems) std::fprintf(stderr, "%s\n", problem.text.c_str());
        if (!back.problems.empty()) Fail("the saved data does not read");
        const DataRecords& r = back.records;
        std::vector<std::string> names;
        for (int f = 0; f < r.numFrames; ++f) names.push_back(FileFrameName(r.animFile, f));
        if (!(Take(r.parts, r.numParts, r.figureSetup, r.frames, r.numFrames, names, r.level) == edited))
            Fail("the saved files do not read back as the edited documents");
    }
    for (size_t i = 0; i < s_original.size(); ++i) ExpectKept(s_original[i], FileText(SAVED_FILES[i]), removed);

    // Undone past the save and saved again, the files are byte for byte as they were.
    while (UndoEdit()) {
    }
    if (!(InUse() == original)) Fail("undoing everything after a save does not give back the documents as read");
    if (g_editsUnsaved && !SaveEdits()) Fail("the save of the undone documents was refused");
    ExpectOriginals();

    // The records in use go with the history that points into them, so only real leaks show.
    ForgetEdits();
    {
        DataSet none;
        DataSet inUse = InstallDataSet(none);
    }
    if (chdir(s_startDir) != 0) std::abort();
    return 0;
}
