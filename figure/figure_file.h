// vecman.dat: the player figure. A reading of the file gives the setup it holds (each
// slot's image, layer and joint, and the hit boxes) and which slot or box each line
// addresses, touching nothing of the game; the figure that plays is built from the setup.
#pragma once
#include <vector>

#include "figure/data_reader.h"
#include "figure/figure_save.h"

// What the figure's reader logs when it has read the file, and once the figure is built.
const char* const FIGURE_DONE_LINE = "Data file done";
const char* const FIGURE_BUILT_LINE = "InitVectorMan done";

// A part line chooses the slot the lines after it write.
class FigureReading : public DataFileReading {
public:
    FigureReading();
    bool Key(int line, const char* key, const char* value) override;
    // The slot the next lines address.
    int CurrentSlot() const { return slot_; }
    // The record of fileName's text as it is now, tagged from what was read.
    FigureFileRecord Finish(const char* fileName) const;

    FigureSetup setup;  // what the lines read so far give

private:
    static int SlotSetup::*SlotField(const char* key);
    void SetNumParts(long n);
    void SetHitBox(const char* value);
    int slot_ = 0;
    std::vector<FigureFileRecord::Note> notes_;
};

// Reads fileName into a new record, its setup included.
FigureFileRecord ReadFigureFile(const char* fileName);

// A new player figure the setup describes, standing at the start (FreeFigure frees it).
VectorMan* BuildFigure(const FigureSetup& setup);

// Gives a figure in play the setup: slots added (shown, at rest) or taken away at the end,
// each slot's image, layer and joint, and the boxes; what a slot does as it plays stays.
void ApplySetup(VectorMan& man, const FigureSetup& setup);

// Reads vecman.dat into g_figureFileRecord and builds g_vectorMan from it.
int InitVectorMan();
