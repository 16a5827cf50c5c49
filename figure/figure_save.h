// The figure file, vecman.dat, as a document the editor can change and save: the figure's
// setup (each slot's image, layer and joint, and the hit boxes) as the file gives it, and
// the file's lines, each tagged with the slot or box it addresses. A save writes a setup
// back through the save engine, changing only the lines of what changed: a changed field
// in its own line, a field a slot has no line for after the slot's last line, new slots
// as blocks after the last slot, removed slots with their lines and the comments above
// them, numparts rewritten when the count changes; atomic, vecman.dat.bak kept, never
// over a file changed on disk since it was read.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "figure/data_save.h"
#include "figure/records.h"
#include "figure/save_engine.h"

// What the file says of one slot; the rest of a slot is the game's doing as it plays.
struct SlotSetup {
    int vecpartnum = -1;
    int layer = 0;
    int rootpart = -1;
    int rootpoint = -1;
    // Which slot this is however the slots are numbered: the reader gives each its own, the
    // editor gives a new slot one, and a save finds the slot's lines by it. 0 for none.
    int id = 0;
    // The same slot as far as the game can tell: every field but the id.
    bool operator==(const SlotSetup& o) const
    {
        return vecpartnum == o.vecpartnum && layer == o.layer && rootpart == o.rootpart && rootpoint == o.rootpoint;
    }
};

struct FigureSetup {
    std::vector<SlotSetup> slots;
    std::vector<HitBox> hitBoxes;
};

// The kinds of record that own the file's lines (figure/save_engine.h).
const int FIGURE_RECORD = 1;  // numparts (id 0)
const int SLOT_RECORD = 2;    // a slot's part= line and its fields, by slot number
const int HITBOX_RECORD = 3;  // a hitbox= line, by box number

struct FigureFileRecord {
    std::string text;               // the bytes read (or written by the last save)
    std::vector<TaggedLine> lines;  // text's lines, tagged
    FigureSetup setup;              // what text gives
    // The record as it was read, once a save has written over it: a save of the setup the
    // file gave writes the file as read, byte for byte.
    std::shared_ptr<const FigureFileRecord> asRead;
    struct Note {
        int line;
        LineOwner owner;
        std::string key;
    };
};
extern FigureFileRecord g_figureFileRecord;
// The figure's setup as the editor holds it: what the file gave, with the edits made since.
// The figure in play shows it (ApplySetup) but is not it: a key changes a slot's image as
// the figure plays.
extern FigureSetup g_figureSetup;

// The figure reader's part: once it has read fileName, the record of it, from the slot or
// box each key line it applied with a value addressed and the setup the file gives.
FigureFileRecord FigureRecordOf(const char* fileName, const std::vector<FigureFileRecord::Note>& notes,
                                const FigureSetup& setup);

// The setup of a figure as its file gives it (boxes as they stand facing right), its slots
// with the ids of g_figureSetup's at their numbers.
FigureSetup SetupOf(const VectorMan& man);
// Whether the file would give the same figure: boxes as the file spells them, in whole units,
// and the same slots under the same numbers.
bool SameSetup(const FigureSetup& a, const FigureSetup& b);
// An id no slot has had since the process started.
int NewSlotId();
// Whether g_figureSetup differs from what vecman.dat gives.
bool FigureSetupUnsaved();

// Writes setup into vecman.dat of the working directory. On failure why names the cause
// and the file is as it was.
SaveResult SaveFigureSetup(const FigureSetup& setup, std::string& why);
