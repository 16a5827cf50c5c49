#include "figure/figure_file.h"

#include <cstdio>
#include <cstring>

#include "figure/data_reader.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "base/log.h"

namespace {

int s_currentSlot = 0;

void LogRefused(const char* key, const char* why)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s: %s", key, why);
    WriteLog(text);
}

void SetNumParts(VectorMan& man, long n)
{
    // The figure's current-key table has one entry per slot, so no more slots than that.
    if (n < 0 || n > MAX_FRAME_KEYS) {
        LogRefused("numparts", "count out of range");
        return;
    }
    delete[] man.parts;
    man.parts = n > 0 ? new ManPart[n]() : nullptr;
    man.numparts = static_cast<int>(n);
    for (int i = 0; i < man.numparts; ++i) {
        ManPart& slot = man.parts[i];
        slot.visible = 1;
        slot.rootpart = -1;
        slot.rootpoint = -1;
        slot.layer = DEFAULT_LAYER;
        slot.vecpartnum = -1;
    }
}

int ManPart::*SlotField(const char* key)
{
    if (std::strcmp(key, "vecpartnum") == 0) return &ManPart::vecpartnum;
    if (std::strcmp(key, "layer") == 0) return &ManPart::layer;
    if (std::strcmp(key, "rootpart") == 0) return &ManPart::rootpart;
    if (std::strcmp(key, "rootpoint") == 0) return &ManPart::rootpoint;
    return nullptr;
}

bool HandleFigureKey(const char* key, const char* value)
{
    VectorMan& man = *g_vectorMan;
    if (std::strcmp(key, "numparts") == 0) {
        if (value) SetNumParts(man, ParseInteger(value));
        return true;
    }
    if (std::strcmp(key, "part") == 0) {
        if (value) s_currentSlot = static_cast<int>(ParseInteger(value));
        return true;
    }

    int ManPart::*field = SlotField(key);
    if (!field) return false;
    if (!value) return true;
    if (s_currentSlot < 0 || s_currentSlot >= man.numparts) {
        LogRefused(key, "no such slot");
        return true;
    }
    man.parts[s_currentSlot].*field = static_cast<int>(ParseInteger(value));
    return true;
}

}  // namespace

int InitVectorMan()
{
    g_vectorMan = new VectorMan();
    s_currentSlot = 0;
    ReadDataFile("vecman.dat", HandleFigureKey, "Data file done");

    VectorMan& man = *g_vectorMan;
    man.x = 250.0f;
    man.y = 900.0f;
    man.z = 0.0f;
    man.zAngle = 0.0f;
    man.zAngularVelocity = 0.0f;
    man.maxKeys = MAXKEYS;
    man.numHitBoxes = 2;
    man.hitBoxes = new HitBox[2]{{5.0f, 40.0f, 25.0f, 46.0f}, {20.0f, -43.0f, 36.0f, 40.0f}};
    // The item and the flash wait hidden for the animation to show them (when the file has them).
    for (int i = FIRST_HIDDEN_SLOT; i <= LAST_HIDDEN_SLOT && i < man.numparts; ++i) man.parts[i].visible = 0;
    WriteLog("InitVectorMan done");
    return 0;
}
