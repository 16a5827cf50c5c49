// `e` in pose mode: the frame being posed, as the exporter writes it, into export/ of the
// data folder.
#include "editor/pose.h"

#include <cctype>
#include <filesystem>
#include <string>

#include <stand_in.h>

#include "animation/figure_overlay.h"
#include "base/log.h"
#include "base/screen_message.h"
#include "figure/anim_save.h"
#include "figure/key_edit.h"
#include "game/modes.h"

#include "export/export.h"

namespace {

const char EXPORT_FOLDER[] = "export";
const size_t MAX_NAME_LENGTH = 40;

}  // namespace

std::string PoseExportBase(int frame)
{
    // The frame's name as the file's: the comment above it, up to a colon, in lower-case
    // words joined by dashes, so any file system and any browser takes it as it is.
    std::string name;
    bool dash = false;
    for (char c : MemoryFrameName(frame)) {
        if (c == ':') break;
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (dash && !name.empty()) name += '-';
            dash = false;
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (name.size() >= MAX_NAME_LENGTH) break;
        } else {
            dash = true;
        }
    }
    std::string base = std::string(EXPORT_FOLDER) + "/" + std::to_string(frame);
    return name.empty() ? base : base + "-" + name;
}

void ExportPoseFrame()
{
    if (g_editMode != EDIT_POSE) return;
    std::error_code error;
    std::filesystem::create_directories(EXPORT_FOLDER, error);
    const std::string base = PoseExportBase(g_poseFrame);
    // The pictures are the game's figure alone: no marks, outlines or faint poses of the editor.
    const FigureOverlay overlay = Overlay();
    Overlay() = FigureOverlay();
    ExportResult gif, sheet;
    const bool done = ExportFrame(g_poseFrame, ExportOptions(), base + ".gif", gif) &&
                      ExportFrame(g_poseFrame, ExportOptions(), base + ".png", sheet);
    Overlay() = overlay;
    if (!done) {
        const std::string why = "Export failed: " + (gif.error.empty() ? sheet.error : gif.error);
        WriteLog(why.c_str());
        PostScreenMessage(why);
        return;
    }
    std::string files;
    for (const ExportResult* result : {&gif, &sheet}) {
        for (const std::string& file : result->files) {
            files += (files.empty() ? "" : ", ") + file;
            OfferDownload(file.c_str());
        }
    }
    const std::string said = "Exported " + files;
    WriteLog(said.c_str());
    PostScreenMessage(said);
}
