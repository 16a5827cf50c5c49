#include "tools/dump.h"

#include <cstdio>
#include <cstring>

#include "base/screen_message.h"
#include "editor/editor_state.h"
#include "editor/pose.h"
#include "editor/status_line.h"
#include "game/state.h"
#include "input/key_state.h"

std::string DumpState(int pass, uint32_t tick)
{
    JsonWriter json;
    json.BeginObject();
    json.Member("pass", pass);
    json.Member("tick", static_cast<int64_t>(tick));
    json.Key("globals");
    DumpGlobals(json);
    json.Key("figure");
    DumpFigure(json);
    json.Key("parts");
    DumpParts(json);
    json.Key("frames");
    DumpFrames(json);
    json.Key("level");
    DumpLevel(json);
    json.Key("process");
    DumpProcess(json);
    json.Key("levelTool");
    DumpLevelTool(json);
    json.EndObject();
    return json.Text();
}

void DumpProcess(JsonWriter& json)
{
    // Resident and peak resident size, so long runs can show they do not grow.
    int64_t rss = -1, hwm = -1;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            long long value = 0;
            if (std::sscanf(line, "VmRSS: %lld", &value) == 1) rss = value;
            if (std::sscanf(line, "VmHWM: %lld", &value) == 1) hwm = value;
        }
        std::fclose(status);
    }
    json.BeginObject();
    json.Member("vmRssKiB", rss);
    json.Member("vmHwmKiB", hwm);
    json.EndObject();
}

static void DumpKeyState(JsonWriter& json, const char* name, const KeyState& state)
{
    json.Key(name);
    json.BeginObject();
    json.Member("lastState", static_cast<int>(state.lastState));
    json.Member("heldTime", state.heldTime);
    json.MemberBool("changed", state.changed != 0);
    json.MemberBool("down", state.down != 0);
    json.EndObject();
}

void DumpGlobals(JsonWriter& json)
{
    json.BeginObject();
    json.Member("g_screenWidth", g_screenWidth);
    json.Member("g_screenHeight", g_screenHeight);
    json.Member("g_maxTextureWidth", static_cast<int64_t>(g_maxTextureWidth));
    json.Member("g_maxTextureHeight", static_cast<int64_t>(g_maxTextureHeight));
    json.Member("g_mouseX", g_mouseX);
    json.Member("g_mouseY", g_mouseY);
    json.Key("g_cursorPos");
    json.BeginObject();
    json.Member("x", static_cast<int>(g_cursorPos.x));
    json.Member("y", static_cast<int>(g_cursorPos.y));
    json.EndObject();
    json.Member("g_lastTick", static_cast<int64_t>(g_lastTick));
    json.Member("g_cameraX", g_cameraX);
    json.Member("g_cameraY", g_cameraY);
    json.Member("g_cameraDistance", g_cameraDistance);
    json.Member("g_cameraPitch", g_cameraPitch);
    json.Member("g_cameraYaw", g_cameraYaw);
    json.MemberBool("g_cameraFollows", g_cameraFollows != 0);
    json.MemberBool("g_showHitBoxes", g_showHitBoxes != 0);
    json.Member("g_editMode", g_editMode);
    json.Member("g_selectedPart", g_selectedPart);
    json.MemberBool("g_leftButtonDown", g_leftButtonDown != 0);
    json.Member("g_moveDir", g_moveDir);
    json.MemberBool("g_jumping", g_jumping != 0);
    json.MemberBool("g_onGround", g_onGround != 0);
    json.MemberBool("g_jumpKeyHeld", g_jumpKeyHeld != 0);
    json.MemberBool("g_charging", g_charging != 0);
    json.MemberBool("g_editsUnsaved", g_editsUnsaved);
    json.Member("screenMessage", CurrentScreenMessage().c_str());
    json.Member("statusLine", StatusLineText().c_str());
    json.Member("g_poseFrame", g_poseFrame);
    json.Member("g_poseKey", g_poseKey);
    json.MemberBool("g_posePlaying", g_posePlaying);
    json.MemberBool("g_poseLooping", g_poseLooping);
    json.Member("g_posePlaybackRate", g_posePlaybackRate);
    json.Member("g_numParts", g_numParts);
    json.Member("g_numFrames", g_numFrames);

    json.Key("g_keyStates");
    json.BeginObject();
    DumpKeyState(json, "LEFT", g_keyStates[DIK_LEFT]);
    DumpKeyState(json, "RIGHT", g_keyStates[DIK_RIGHT]);
    DumpKeyState(json, "UP", g_keyStates[DIK_UP]);
    DumpKeyState(json, "DOWN", g_keyStates[DIK_DOWN]);
    DumpKeyState(json, "NEXT", g_keyStates[DIK_NEXT]);
    json.EndObject();
    json.Key("g_mouseButtons");
    json.BeginArray();
    for (const KeyState& button : g_mouseButtons) {
        json.BeginObject();
        json.Member("lastState", static_cast<int>(button.lastState));
        json.Member("heldTime", button.heldTime);
        json.MemberBool("changed", button.changed != 0);
        json.MemberBool("down", button.down != 0);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

// A piece level mode names: its id, the slot it is seen in and where it stands in its cell.
static void DumpPick(JsonWriter& json, const LevelPick& pick)
{
    json.BeginObject();
    json.Member("id", pick.id);
    json.Member("column", pick.column);
    json.Member("row", pick.row);
    const LevelCell* cell = g_level ? g_level->CellAt(pick.column, pick.row) : nullptr;
    for (int i = 0; cell && i < cell->count && i < MAX_CELL_PIECES; ++i) {
        if (!cell->pieces[i] || cell->pieces[i]->id != pick.id) continue;
        json.Member("x", cell->pieces[i]->x);
        json.Member("y", cell->pieces[i]->y);
    }
    json.EndObject();
}

void DumpLevelTool(JsonWriter& json)
{
    const LevelToolState& state = g_editor.level;
    json.BeginObject();
    json.Key("selection");
    json.BeginArray();
    for (const LevelPick& pick : state.selection) DumpPick(json, pick);
    json.EndArray();
    json.Member("clipboard", static_cast<int>(state.clipboard.size()));
    json.Member("grid", state.grid);
    const LevelReachState& reach = state.reach;
    json.Key("reach");
    json.BeginObject();
    json.MemberBool("shown", reach.shown);
    json.Member("spots", reach.spots);
    json.Member("passes", reach.passes);
    json.Key("milliseconds");
    json.Float(reach.milliseconds);
    json.Member("regionBoxes", static_cast<int>(reach.region.size()));
    const auto picks = [&json](const char* name, const std::vector<LevelPick>& list) {
        json.Key(name);
        json.BeginArray();
        for (const LevelPick& pick : list) DumpPick(json, pick);
        json.EndArray();
    };
    picks("landable", reach.landable);
    picks("unreachable", reach.unreachable);
    json.EndObject();
    const LevelReplayState& replay = state.replay;
    json.Key("replay");
    json.BeginObject();
    json.MemberBool("shown", replay.shown);
    json.Member("passes", static_cast<int>(replay.play.passes.size()));
    json.MemberBool("edited", replay.replayedOn != replay.levelText);
    const auto path = [&json](const char* name, const LevelReplayState::Path& points) {
        json.Key(name);
        json.BeginArray();
        for (const auto& [x, y] : points) {
            json.BeginArray();
            json.Float(x);
            json.Float(y);
            json.EndArray();
        }
        json.EndArray();
    };
    path("played", replay.played);
    path("replayed", replay.replayed);
    json.EndObject();
    json.EndObject();
}
