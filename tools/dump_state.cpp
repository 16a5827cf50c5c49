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
    DumpJson json = DumpJson::object();
    json["pass"] = pass;
    json["tick"] = static_cast<int64_t>(tick);
    json["globals"] = DumpGlobals();
    json["figure"] = DumpFigure();
    json["parts"] = DumpParts();
    json["frames"] = DumpFrames();
    json["level"] = DumpLevel();
    json["process"] = DumpProcess();
    json["levelTool"] = DumpLevelTool();
    return DumpText(json);
}

std::string DumpText(const DumpJson& value)
{
    // Compact, ASCII only; non-finite floats are written as null.
    return value.dump(-1, ' ', true);
}

DumpJson DumpString(const char* text)
{
    if (!text) return nullptr;
    std::string utf8;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x80) {
            utf8 += static_cast<char>(*p);
        } else {
            utf8 += static_cast<char>(0xC0 | (*p >> 6));
            utf8 += static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    return utf8;
}

DumpJson DumpProcess()
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
    DumpJson json = DumpJson::object();
    json["vmRssKiB"] = rss;
    json["vmHwmKiB"] = hwm;
    return json;
}

static DumpJson DumpKeyState(const KeyState& state)
{
    DumpJson json = DumpJson::object();
    json["lastState"] = static_cast<int>(state.lastState);
    json["heldTime"] = state.heldTime;
    json["changed"] = state.changed != 0;
    json["down"] = state.down != 0;
    return json;
}

DumpJson DumpGlobals()
{
    DumpJson json = DumpJson::object();
    json["g_screenWidth"] = g_screenWidth;
    json["g_screenHeight"] = g_screenHeight;
    json["g_maxTextureWidth"] = static_cast<int64_t>(g_maxTextureWidth);
    json["g_maxTextureHeight"] = static_cast<int64_t>(g_maxTextureHeight);
    json["g_mouseX"] = g_mouseX;
    json["g_mouseY"] = g_mouseY;
    json["g_cursorPos"] = {{"x", static_cast<int>(g_cursorPos.x)}, {"y", static_cast<int>(g_cursorPos.y)}};
    json["g_lastTick"] = static_cast<int64_t>(g_lastTick);
    json["g_cameraX"] = g_cameraX;
    json["g_cameraY"] = g_cameraY;
    json["g_cameraDistance"] = g_cameraDistance;
    json["g_cameraPitch"] = g_cameraPitch;
    json["g_cameraYaw"] = g_cameraYaw;
    json["g_cameraFollows"] = g_cameraFollows != 0;
    json["g_showHitBoxes"] = g_showHitBoxes != 0;
    json["g_editMode"] = g_editMode;
    json["g_selectedPart"] = g_selectedPart;
    json["g_leftButtonDown"] = g_leftButtonDown != 0;
    json["g_moveDir"] = g_moveDir;
    json["g_jumping"] = g_jumping != 0;
    json["g_onGround"] = g_onGround != 0;
    json["g_jumpKeyHeld"] = g_jumpKeyHeld != 0;
    json["g_charging"] = g_charging != 0;
    json["g_editsUnsaved"] = g_editsUnsaved;
    json["screenMessage"] = DumpString(CurrentScreenMessage().c_str());
    json["statusLine"] = DumpString(StatusLineText().c_str());
    json["g_poseFrame"] = g_poseFrame;
    json["g_poseKey"] = g_poseKey;
    json["g_posePlaying"] = g_posePlaying;
    json["g_poseLooping"] = g_poseLooping;
    json["g_posePlaybackRate"] = g_posePlaybackRate;
    json["g_numParts"] = g_numParts;
    json["g_numFrames"] = g_numFrames;

    DumpJson keys = DumpJson::object();
    keys["LEFT"] = DumpKeyState(g_keyStates[DIK_LEFT]);
    keys["RIGHT"] = DumpKeyState(g_keyStates[DIK_RIGHT]);
    keys["UP"] = DumpKeyState(g_keyStates[DIK_UP]);
    keys["DOWN"] = DumpKeyState(g_keyStates[DIK_DOWN]);
    keys["NEXT"] = DumpKeyState(g_keyStates[DIK_NEXT]);
    json["g_keyStates"] = keys;
    DumpJson buttons = DumpJson::array();
    for (const KeyState& button : g_mouseButtons) buttons.push_back(DumpKeyState(button));
    json["g_mouseButtons"] = buttons;
    return json;
}

// A piece level mode names: its id, the slot it is seen in and where it stands in its cell.
static DumpJson DumpPick(const LevelPick& pick)
{
    DumpJson json = DumpJson::object();
    json["id"] = pick.id;
    json["column"] = pick.column;
    json["row"] = pick.row;
    const LevelCell* cell = g_level ? g_level->CellAt(pick.column, pick.row) : nullptr;
    for (int i = 0; cell && i < cell->count && i < MAX_CELL_PIECES; ++i) {
        if (!cell->pieces[i] || cell->pieces[i]->id != pick.id) continue;
        json["x"] = cell->pieces[i]->x;
        json["y"] = cell->pieces[i]->y;
    }
    return json;
}

DumpJson DumpLevelTool()
{
    const LevelToolState& state = g_editor.level;
    const auto picks = [](const std::vector<LevelPick>& list) {
        DumpJson array = DumpJson::array();
        for (const LevelPick& pick : list) array.push_back(DumpPick(pick));
        return array;
    };
    DumpJson json = DumpJson::object();
    json["selection"] = picks(state.selection);
    json["clipboard"] = static_cast<int>(state.clipboard.size());
    json["grid"] = state.grid;
    const LevelReachState& reach = state.reach;
    DumpJson reachJson = DumpJson::object();
    reachJson["shown"] = reach.shown;
    reachJson["spots"] = reach.spots;
    reachJson["passes"] = reach.passes;
    reachJson["milliseconds"] = reach.milliseconds;
    reachJson["regionBoxes"] = static_cast<int>(reach.region.size());
    reachJson["landable"] = picks(reach.landable);
    reachJson["unreachable"] = picks(reach.unreachable);
    json["reach"] = reachJson;
    const LevelReplayState& replay = state.replay;
    const auto path = [](const LevelReplayState::Path& points) {
        DumpJson array = DumpJson::array();
        for (const auto& [x, y] : points) array.push_back(DumpJson::array({x, y}));
        return array;
    };
    DumpJson replayJson = DumpJson::object();
    replayJson["shown"] = replay.shown;
    replayJson["passes"] = static_cast<int>(replay.play.passes.size());
    replayJson["edited"] = replay.replayedOn != replay.levelText;
    replayJson["played"] = path(replay.played);
    replayJson["replayed"] = path(replay.replayed);
    json["replay"] = replayJson;
    return json;
}
