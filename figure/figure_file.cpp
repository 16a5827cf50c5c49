#include "figure/figure_file.h"

#include "figure/data_reader.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "base/log.h"

namespace {

int s_currentSlot = 0;

void SetNumParts(VectorMan& man, long n)
{
    // The figure's current-key table has one entry per slot, so no more slots than that.
    if (n < 0 || n > MAX_FRAME_KEYS) {
        LogRefusedKey("numparts", "count out of range");
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

ManPart* CurrentSlot()
{
    VectorMan& man = *g_vectorMan;
    if (s_currentSlot < 0 || s_currentSlot >= man.numparts) return nullptr;
    return &man.parts[s_currentSlot];
}

int Integer(const char* value)
{
    return static_cast<int>(ParseInteger(value));
}

// Every key of the file; a part line chooses the slot the lines after it write.
const DataKey<ManPart> FIGURE_KEYS[] = {
    {"numparts", [](const char* v) { SetNumParts(*g_vectorMan, ParseInteger(v)); }, nullptr},
    {"part", [](const char* v) { s_currentSlot = Integer(v); }, nullptr},
    {"vecpartnum", nullptr, [](ManPart& slot, const char* v) { slot.vecpartnum = Integer(v); }},
    {"layer", nullptr, [](ManPart& slot, const char* v) { slot.layer = Integer(v); }},
    {"rootpart", nullptr, [](ManPart& slot, const char* v) { slot.rootpart = Integer(v); }},
    {"rootpoint", nullptr, [](ManPart& slot, const char* v) { slot.rootpoint = Integer(v); }},
};

bool HandleFigureKey(const char* key, const char* value)
{
    return ApplyDataKey(FIGURE_KEYS, key, value, CurrentSlot, "no such slot");
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
