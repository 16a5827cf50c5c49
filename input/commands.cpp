#include "input/commands.h"

#include <dinput.h>

#include "editor/editor.h"
#include "game/actions.h"
#include "game/state.h"
#include "input/key_state.h"
#include "base/log.h"

void OnKeyChange(unsigned char key, bool down)
{
    switch (key) {
    case DIK_LEFT:
        // The pivot edit of mode 2 comes after the walk's hit-box mirroring, as it always has.
        if (down) {
            StartWalk(WALK_LEFT);
            NudgePivotSideways(-1.0f);
        } else {
            StopWalk(WALK_LEFT);
        }
        break;
    case DIK_RIGHT:
        if (down) {
            StartWalk(WALK_RIGHT);
            NudgePivotSideways(1.0f);
        } else
            StopWalk(WALK_RIGHT);
        break;
    case DIK_NEXT:
        WriteLog(down ? "PAGEDOWN DOWN" : "PAGEDOWN UP");
        break;
    default:
        break;
    }
}

void OnMouseButton(unsigned char button, bool down)
{
    if (button != 0) return;
    if (down)
        BeginThrust();
    else
        ReleaseThrust(g_mouseButtons[0].heldTime);
}
