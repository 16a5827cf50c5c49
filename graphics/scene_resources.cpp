#include "graphics/scene_resources.h"

#include <windows.h>
#include <d3d8.h>
#include <d3dx8.h>

#include <map>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/screen_message.h"
#include "figure/data_files.h"
#include "graphics/device.h"
#include "graphics/scene_state.h"
#include "graphics/scene_view.h"
#include "graphics/text.h"
#include "level/level.h"

namespace {

// The start view frames the level's first floor with the figure above it.
const float START_CAMERA_X = -320.0f;
const float START_CAMERA_Y = -640.0f;
const float START_CAMERA_DISTANCE = 800.0f;


// Reads the figure and level files, saying what is missing or broken: every problem goes to the
// log, and the first file that has any is named on screen.
void LoadFigureData()
{
    DataSet data = LoadDataFiles();
    InstallDataSet(data);
    std::vector<std::string> notes;
    std::map<std::string, int> counts;
    for (const DataProblem& problem : data.problems) {
        if (problem.missing) {
            notes.push_back(problem.file + " missing: created empty");
            continue;
        }
        WriteLog(problem.text.c_str());
        ++counts[problem.file];
    }
    for (const char* name : DATA_FILES) {
        auto count = counts.find(name);
        if (count == counts.end()) continue;
        notes.push_back(std::string(name) + ": " + std::to_string(count->second) +
                        (count->second == 1 ? " problem" : " problems") + ", see log.log");
    }
    for (const std::string& note : notes) WriteLog(note.c_str());
    if (!notes.empty()) PostScreenMessage(notes.front());
}

}  // namespace

void SetFixedDeviceState(IDirect3DDevice8* device)
{
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    // The figure faces left by turning 180 degrees about y, which flips its winding.
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

    const D3DVIEWPORT8 viewport = SceneViewport();
    device->SetViewport(&viewport);
    const D3DXMATRIX projection = SceneProjection();
    device->SetTransform(D3DTS_PROJECTION, &projection);

    D3DXVECTOR3 eye(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 at(0.0f, 0.0f, 1.0f);
    D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    device->SetTransform(D3DTS_VIEW, &view);

    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    // The part textures carry 1-bit alpha: the test drops exactly the transparent texels,
    // so they neither colour the picture nor hide what lies behind them in depth.
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 2);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
}

float g_cameraX = START_CAMERA_X;
float g_cameraY = START_CAMERA_Y;
float g_cameraDistance = START_CAMERA_DISTANCE;
float g_cameraPitch = 0.0f;
float g_cameraYaw = 0.0f;
unsigned char g_cameraFollows = 1;
unsigned char g_showHitBoxes = 0;
int g_mouseX = 0;
int g_mouseY = 0;
DWORD g_lastTick = 0;

void SetStartView()
{
    g_cameraX = START_CAMERA_X;
    g_cameraY = START_CAMERA_Y;
    g_cameraDistance = START_CAMERA_DISTANCE;
    g_cameraPitch = 0.0f;
    g_cameraYaw = 0.0f;
    g_mouseX = 0;
    g_mouseY = 0;
}

void InitSceneResources()
{
    if (g_device) SetFixedDeviceState(g_device);

    // Each file refers to the parts by number, so the parts come first.
    LoadFigureData();
    // After the figure's files, whose log lines come first; the game runs on without it.
    LoadFont(FONT_FILE);

    SetStartView();
    // Taken last so the loading time does not count as the first frame's step.
    g_lastTick = GetTickCount();
}
