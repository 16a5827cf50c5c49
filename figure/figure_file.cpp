#include "figure/figure_file.h"

#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/figure_save.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "base/log.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

// The figure's two boxes for collisions, upper body and legs, as centre and half sizes from
// the figure's origin. The file may fit them to its images; these stand where it does not.
const int FIGURE_HIT_BOXES = 2;
const HitBox DEFAULT_HIT_BOXES[FIGURE_HIT_BOXES] = {{5.0f, 40.0f, 25.0f, 46.0f}, {20.0f, -43.0f, 36.0f, 40.0f}};
const int HIT_BOX_ITEMS = 5;  // hitbox=N,centreX,centreY,halfWidth,halfHeight
// Where a new figure stands: above the level's first floor.
const float START_X = 250.0f;
const float START_Y = 900.0f;
// What a slot is before the file says anything of it.
const SlotSetup UNSAID_SLOT = {-1, DEFAULT_LAYER, -1, -1, 0};

int Integer(const char* value)
{
    return static_cast<int>(ParseInteger(value));
}

}  // namespace

FigureReading::FigureReading()
{
    setup.hitBoxes.assign(std::begin(DEFAULT_HIT_BOXES), std::end(DEFAULT_HIT_BOXES));
}

bool FigureReading::Key(int line, const char* key, const char* value)
{
    LineOwner owner{SLOT_RECORD, 0};
    if (std::strcmp(key, "numparts") == 0) {
        owner = {FIGURE_RECORD, 0};
        if (value) SetNumParts(ParseInteger(value));
    } else if (std::strcmp(key, "part") == 0) {
        if (value) slot_ = Integer(value);
    } else if (std::strcmp(key, "hitbox") == 0) {
        // The box the line names, for the save; SetHitBox says what is wrong with the line.
        owner = {HITBOX_RECORD, value ? static_cast<int>(std::strtol(value, nullptr, 10)) : 0};
        if (value) SetHitBox(value);
    } else if (int SlotSetup::*field = SlotField(key)) {
        SlotSetup* slot = slot_ >= 0 && slot_ < static_cast<int>(setup.slots.size()) ? &setup.slots[slot_] : nullptr;
        if (value && slot) slot->*field = Integer(value);
        else if (value) LogRefusedKey(key, "no such slot");
    } else {
        return false;
    }
    // Which slot or box each line addresses, so a save can change it in place.
    if (value) {
        if (owner.kind == SLOT_RECORD) owner.id = slot_;
        notes_.push_back({line, owner, key});
    }
    return true;
}

int SlotSetup::*FigureReading::SlotField(const char* key)
{
    if (std::strcmp(key, "vecpartnum") == 0) return &SlotSetup::vecpartnum;
    if (std::strcmp(key, "layer") == 0) return &SlotSetup::layer;
    if (std::strcmp(key, "rootpart") == 0) return &SlotSetup::rootpart;
    if (std::strcmp(key, "rootpoint") == 0) return &SlotSetup::rootpoint;
    return nullptr;
}

void FigureReading::SetNumParts(long n)
{
    // The figure's current-key table has one entry per slot, so no more slots than that.
    if (n < 0 || n > MAX_FRAME_KEYS) {
        LogRefusedKey("numparts", "count out of range");
        return;
    }
    setup.slots.assign(static_cast<size_t>(n), UNSAID_SLOT);
    for (SlotSetup& slot : setup.slots) slot.id = NewSlotId();
}

void FigureReading::SetHitBox(const char* value)
{
    long items[HIT_BOX_ITEMS];
    if (ParseList(value, items, HIT_BOX_ITEMS) < HIT_BOX_ITEMS || items[0] < 0 || items[0] >= FIGURE_HIT_BOXES ||
        items[3] <= 0 || items[4] <= 0) {
        LogRefusedKey("hitbox", "needs a box number 0 or 1, a centre and two half sizes above 0");
        return;
    }
    setup.hitBoxes[items[0]] = {static_cast<float>(items[1]), static_cast<float>(items[2]),
                                static_cast<float>(items[3]), static_cast<float>(items[4])};
}

FigureFileRecord FigureReading::Finish(const char* fileName) const
{
    return FigureRecordOf(fileName, notes_, setup);
}

FigureFileRecord ReadFigureFile(const char* fileName)
{
    FigureReading reading;
    ReadDataFile(fileName, reading, FIGURE_DONE_LINE);
    return reading.Finish(fileName);
}

VectorMan* BuildFigure(const FigureSetup& setup)
{
    VectorMan* built = new VectorMan();
    VectorMan& man = *built;
    man.numparts = static_cast<int>(setup.slots.size());
    man.parts = man.numparts > 0 ? new ManPart[man.numparts]() : nullptr;
    for (int i = 0; i < man.numparts; ++i) {
        ManPart& slot = man.parts[i];
        const SlotSetup& said = setup.slots[i];
        slot.visible = 1;
        slot.vecpartnum = said.vecpartnum;
        slot.layer = said.layer;
        slot.rootpart = said.rootpart;
        slot.rootpoint = said.rootpoint;
    }
    man.x = START_X;
    man.y = START_Y;
    man.maxKeys = MAXKEYS;
    man.numHitBoxes = static_cast<int>(setup.hitBoxes.size());
    man.hitBoxes = new HitBox[setup.hitBoxes.size()];
    std::copy(setup.hitBoxes.begin(), setup.hitBoxes.end(), man.hitBoxes);
    // The item and the flash wait hidden for the animation to show them (when the file has them).
    for (int i = FIRST_HIDDEN_SLOT; i <= LAST_HIDDEN_SLOT && i < man.numparts; ++i) man.parts[i].visible = 0;
    return built;
}

void ApplySetup(VectorMan& man, const FigureSetup& setup)
{
    const int count = static_cast<int>(setup.slots.size());
    if (count != man.numparts) {
        ManPart* slots = count > 0 ? new ManPart[count]() : nullptr;
        for (int i = 0; i < count; ++i) {
            // A slot the figure had keeps how it plays; a new one starts shown, at rest.
            if (man.parts && i < man.numparts) slots[i] = man.parts[i];
            else slots[i].visible = 1;
        }
        delete[] man.parts;
        man.parts = slots;
        man.numparts = count;
        // A slot that went takes its running key with it.
        for (int i = count; i < MAX_FRAME_KEYS; ++i) man.currentKeys[i] = nullptr;
    }
    for (int i = 0; i < count; ++i) {
        ManPart& slot = man.parts[i];
        const SlotSetup& said = setup.slots[i];
        slot.vecpartnum = said.vecpartnum;
        slot.layer = said.layer;
        slot.rootpart = said.rootpart;
        slot.rootpoint = said.rootpoint;
    }
    if (static_cast<int>(setup.hitBoxes.size()) != man.numHitBoxes) {
        delete[] man.hitBoxes;
        man.numHitBoxes = static_cast<int>(setup.hitBoxes.size());
        man.hitBoxes = new HitBox[setup.hitBoxes.size()];
    }
    std::copy(setup.hitBoxes.begin(), setup.hitBoxes.end(), man.hitBoxes);
    if (man.hitBoxesMirrored)
        for (int i = 0; i < man.numHitBoxes; ++i) man.hitBoxes[i].centerX = -man.hitBoxes[i].centerX;
}

int InitVectorMan()
{
    g_figureFileRecord = ReadFigureFile(FIGURE_DATA_FILE);
    g_figureSetup = g_figureFileRecord.setup;
    g_vectorMan = BuildFigure(g_figureFileRecord.setup);
    WriteLog(FIGURE_BUILT_LINE);
    return 0;
}
