#include "figure/figure_file.h"

#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/figure_save.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "base/log.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

int s_currentSlot = 0;

// The figure's two boxes for collisions, upper body and legs, as centre and half sizes from
// the figure's origin. The file may fit them to its images; these stand where it does not.
const int FIGURE_HIT_BOXES = 2;
const HitBox DEFAULT_HIT_BOXES[FIGURE_HIT_BOXES] = {{5.0f, 40.0f, 25.0f, 46.0f}, {20.0f, -43.0f, 36.0f, 40.0f}};
HitBox s_hitBoxes[FIGURE_HIT_BOXES];

// hitbox=N,centreX,centreY,halfWidth,halfHeight
void SetHitBox(const char* value)
{
    long items[5];
    if (ParseList(value, items, 5) < 5 || items[0] < 0 || items[0] >= FIGURE_HIT_BOXES || items[3] <= 0 ||
        items[4] <= 0) {
        LogRefusedKey("hitbox", "needs a box number 0 or 1, a centre and two half sizes above 0");
        return;
    }
    s_hitBoxes[items[0]] = {static_cast<float>(items[1]), static_cast<float>(items[2]), static_cast<float>(items[3]),
                            static_cast<float>(items[4])};
}

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
    {"hitbox", SetHitBox, nullptr},
};

bool HandleFigureKey(const char* key, const char* value)
{
    const bool recognised = ApplyDataKey(FIGURE_KEYS, key, value, CurrentSlot, "no such slot");
    // Which slot or box each line addresses, so a save can change it in place.
    if (recognised && value) {
        LineOwner owner{SLOT_RECORD, s_currentSlot};
        if (std::strcmp(key, "numparts") == 0) owner = {FIGURE_RECORD, 0};
        if (std::strcmp(key, "hitbox") == 0) owner = {HITBOX_RECORD, static_cast<int>(ParseInteger(value))};
        NoteFigureLine(owner, key, CurrentDataLine());
    }
    return recognised;
}

}  // namespace

int InitVectorMan()
{
    g_vectorMan = new VectorMan();
    g_figureFileRecord = FigureFileRecord();
    s_currentSlot = 0;
    std::copy(std::begin(DEFAULT_HIT_BOXES), std::end(DEFAULT_HIT_BOXES), s_hitBoxes);
    ReadDataFile(FIGURE_DATA_FILE, HandleFigureKey, "Data file done");

    VectorMan& man = *g_vectorMan;
    man.x = 250.0f;
    man.y = 900.0f;
    man.z = 0.0f;
    man.zAngle = 0.0f;
    man.zAngularVelocity = 0.0f;
    man.maxKeys = MAXKEYS;
    man.numHitBoxes = FIGURE_HIT_BOXES;
    man.hitBoxes = new HitBox[FIGURE_HIT_BOXES];
    std::copy(std::begin(s_hitBoxes), std::end(s_hitBoxes), man.hitBoxes);
    FinishFigureRecord(man);
    // The item and the flash wait hidden for the animation to show them (when the file has them).
    for (int i = FIRST_HIDDEN_SLOT; i <= LAST_HIDDEN_SLOT && i < man.numparts; ++i) man.parts[i].visible = 0;
    WriteLog("InitVectorMan done");
    return 0;
}
