#include "editor/editor_state.h"

#include "level/level_file.h"

EditorState g_editor;

void LevelDeleter::operator()(Level* level) const
{
    DeleteLevel(level);
}
