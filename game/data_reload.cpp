#include "game/data_reload.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "figure/anim_save.h"
#include "figure/data_files.h"
#include "figure/figure_save.h"
#include "figure/key_edit.h"
#include "figure/parts_save.h"
#include "figure/records.h"
#include "game/figure_access.h"
#include "game/pass_hooks.h"
#include "game/play_record.h"
#include "level/level.h"

namespace {

struct Stamp {
    bool exists = false;
    std::uintmax_t size = 0;
    long long written = 0;
    bool operator==(const Stamp& o) const { return exists == o.exists && size == o.size && written == o.written; }
};
typedef std::map<std::string, Stamp> Stamps;

bool s_watching = false;
DWORD s_lastLook = 0;
Stamps s_stamps;       // of the files behind the records in use
Stamps s_heldStamps;   // of a change not taken in while pivot edits are unsaved

Stamp StampOf(const std::string& name)
{
    Stamp stamp;
    std::error_code error;
    const std::filesystem::path path(name);
    stamp.size = std::filesystem::file_size(path, error);
    if (error) return Stamp();
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) return Stamp();
    stamp.exists = true;
    stamp.written = static_cast<long long>(written.time_since_epoch().count());
    return stamp;
}

// The data files and every image the parts in use name.
Stamps StampAll()
{
    Stamps stamps;
    for (const char* name : DATA_FILES) stamps[name] = StampOf(name);
    for (int i = 0; i < g_numParts; ++i) {
        const char* image = g_parts[i].textureFile;
        if (image && !stamps.count(image)) stamps[image] = StampOf(image);
    }
    return stamps;
}

// The records the game used before a reload, as the carrying over reads them.
typedef DataRecords Records;

// Points a slot at the first key of the list it was running, in the new frames; what
// AddFrames does for one list.
void RestartList(VectorMan& man, int slot, const AnimKey* running, const Records& old)
{
    for (int f = 0; f < old.numFrames && f < g_numFrames; ++f) {
        for (int list = 0; list < MAX_FRAME_KEYS; ++list) {
            if (old.frames[f].keys[list] != running->first) continue;
            AnimKey* k = g_frames[f].keys[list];
            if (!k || g_frames[f].numparts != man.maxKeys) return;
            man.currentKeys[slot] = k;
            man.playback[slot].turned = 0.0f;
            if (k->moveY && slot < man.numparts) {
                ManPart& s = man.parts[slot];
                s.yMax = k->yMax;
                s.yMin = k->yMin;
                s.yVelocity = k->yVel;
                s.yBounce = k->yLoop;
            }
            return;
        }
    }
}

// The animation file is the one the old lists were read from, so those lists are its keys
// with the edits in memory: they replace the new ones whole, with the ids the history and
// the saver know them by, and so does what the saver knows of the file.
void CarryKeyLists(const Records& old)
{
    for (int f = 0; f < g_numFrames && f < old.numFrames; ++f) {
        for (int list = 0; list < MAX_FRAME_KEYS; ++list) {
            delete[] g_frames[f].keys[list];
            g_frames[f].keys[list] = CopyKeyList(old.frames[f].keys[list]);
        }
    }
    g_animFileRecord = old.animFile;
}

// The new records take over what the game did with the old ones.
void CarryOver(const Records& old, bool sameEditedFiles)
{
    // First, so the running keys are restarted in the lists that stay.
    if (sameEditedFiles) CarryKeyLists(old);
    VectorMan& man = *g_vectorMan;
    if (const VectorMan* was = old.man) {
        man.x = was->x;
        man.y = was->y;
        man.z = was->z;
        man.xVelocity = was->xVelocity;
        man.yVelocity = was->yVelocity;
        man.zVelocity = was->zVelocity;
        man.zAngle = was->zAngle;
        man.zAngularVelocity = was->zAngularVelocity;
        man.yAngle = was->yAngle;
        // The boxes are kept turned to the facing; the new ones face right.
        if (man.yAngle == 180.0f) MirrorHitBoxes(man);
        for (int i = 0; i < MAX_FRAME_KEYS && i < man.maxKeys; ++i) {
            if (const AnimKey* running = was->currentKeys[i]) RestartList(man, i, running, old);
        }
    }
    if (sameEditedFiles) {
        // Only an image changed: the offsets and keys in memory, edited
        // or not, are still the ones to show, and the history still applies to them.
        for (int i = 0; i < g_numParts && i < old.numParts; ++i) {
            g_parts[i].xoffset = old.parts[i].xoffset;
            g_parts[i].yoffset = old.parts[i].yoffset;
        }
    }
    // The kept run's figures point into the old key lists.
    ForgetPlay();
    if (Hooks().recordsReplaced) Hooks().recordsReplaced(sameEditedFiles);
}

using Names = std::vector<std::string>;

// The names as a message gives them: "a, b".
std::string Joined(const Names& names)
{
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

bool Named(const Names& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The files the editor writes whose bytes are not the ones the game read or saved; empty
// when they all hold what the game holds.
Names EditedFilesChangedOutside(bool withLevel = true)
{
    Names names;
    if (FileText(PARTS_DATA_FILE) != g_partsFileRecord.text) names.push_back(PARTS_DATA_FILE);
    if (FileText(ANIM_DATA_FILE) != g_animFileRecord.text) names.push_back(ANIM_DATA_FILE);
    if (withLevel && g_level && FileText(LEVEL_DATA_FILE) != g_level->fileText) names.push_back(LEVEL_DATA_FILE);
    return names;
}

// Whether the changed names are only files the editor writes (its own saves). The figure
// file is read anew when it changes outside, keys edited in memory riding over it, so it
// counts here only where it holds what the editor wrote.
bool OnlyEditedFiles(const Names& changed)
{
    for (const std::string& name : changed) {
        if (name == FIGURE_DATA_FILE && FileText(FIGURE_DATA_FILE) == g_figureFileRecord.text) continue;
        if (name != PARTS_DATA_FILE && name != ANIM_DATA_FILE && name != LEVEL_DATA_FILE) return false;
    }
    return true;
}

// The watched files whose stamps differ from the last look, sorted by name. An image the
// parts name only since the editor added it has not changed: it was not read for them.
Names ChangedNames(const Stamps& now)
{
    Names names;
    for (const auto& entry : now) {
        auto was = s_stamps.find(entry.first);
        if (was == s_stamps.end() || was->second == entry.second) continue;
        names.push_back(entry.first);
    }
    return names;
}

// keepLevel: the level file did not change, so the level in memory (pieces pushed in play,
// edits not saved yet) stays rather than the one just read.
bool Reload(const std::string& changed, bool keepLevel)
{
    // A level read anew is one the editor's history no longer applies to, like the others.
    const bool sameEditedFiles = EditedFilesChangedOutside(!keepLevel).empty();
    DataSet fresh = LoadDataFiles();
    const std::vector<DataProblem>& problems = fresh.problems;
    if (!problems.empty()) {
        WriteLog(("Data not reloaded (" + changed + "): " + std::to_string(problems.size()) +
                  (problems.size() == 1 ? " problem" : " problems")).c_str());
        for (const DataProblem& problem : problems) WriteLog(problem.text.c_str());
        PostScreenMessage(problems.front().text);
        return false;
    }
    {
        DataSet old = InstallDataSet(fresh);
        if (keepLevel) std::swap(g_level, old.records.level);
        CarryOver(old.records, sameEditedFiles);
    }
    const std::string done = "Data reloaded: " + changed;
    WriteLog(done.c_str());
    PostScreenMessage(done);
    return true;
}

}  // namespace

bool ReloadChangedDataFiles()
{
    const DWORD now = GetTickCount();
    if (!s_watching) {
        s_watching = true;
        s_lastLook = now;
        s_stamps = StampAll();
        return false;
    }
    if (now - s_lastLook < DATA_WATCH_MS) return false;
    s_lastLook = now;
    const Stamps stamps = StampAll();
    if (stamps == s_stamps) return false;

    const Names changedOutside = EditedFilesChangedOutside();
    const Names changed = ChangedNames(stamps);
    if (changedOutside.empty() && OnlyEditedFiles(changed)) {
        // The game's own save: the files hold what the game holds.
        s_stamps = stamps;
        return false;
    }
    // The figure's setup and its images' parts are not carried over a reading: edits to them
    // hold any reload back, as edits to a file changed outside do.
    const bool heldBack = !changedOutside.empty() || FigureSetupUnsaved() || PartShapesUnsaved();
    if (heldBack && DocumentsUnsaved()) {
        // Reading it would lose the edits; undoing them, or saving elsewhere, lets it in.
        if (!(stamps == s_heldStamps)) {
            s_heldStamps = stamps;
            const std::string why = Joined(changedOutside.empty() ? changed : changedOutside) +
                                    " changed on disk: not reloaded while edits are unsaved";
            WriteLog(why.c_str());
            PostScreenMessage(why);
        }
        return false;
    }
    Reload(Joined(changed), !Named(changed, LEVEL_DATA_FILE));
    // Taken after the reading: the readers create missing files, and the images to
    // watch are those of the records now in use.
    s_stamps = StampAll();
    s_heldStamps.clear();
    return true;
}

bool ReloadDataFiles()
{
    const bool swapped = Reload("on request", g_level && FileText(LEVEL_DATA_FILE) == g_level->fileText);
    s_stamps = StampAll();
    return swapped;
}

void ForgetDataWatch()
{
    s_watching = false;
    s_lastLook = 0;
    s_stamps.clear();
    s_heldStamps.clear();
}
