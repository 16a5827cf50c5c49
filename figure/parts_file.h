// vecparts.dat: the part images and their geometry. A reading of the file builds the parts
// it gives in its own array (each image loaded through g_device as its texture line is
// read) and the file's record for the save, touching none of the game's records; the loader
// installs what it read (figure/data_files.h).
#pragma once
#include <vector>

#include "figure/data_reader.h"
#include "figure/parts_save.h"
#include "figure/records.h"
#include "graphics/draw_helpers.h"

// What the parts reader logs when it has read the file.
const char* const PARTS_DONE_LINE = "Parts Data file done";

// What one reading of the parts file gives; the caller owns parts (delete[]).
struct PartsDocument {
    VectorPart* parts = nullptr;
    int numParts = 0;
    PartsFileRecord record;
};

class PartsReading : public DataFileReading {
public:
    // Starts from the parts given, which it takes over: a file without a numparts line
    // addresses them.
    explicit PartsReading(VectorPart* parts = nullptr, int numParts = 0);
    ~PartsReading() override;
    PartsReading(const PartsReading&) = delete;
    PartsReading& operator=(const PartsReading&) = delete;

    bool Key(int line, const char* key, const char* value) override;

    // What the lines read so far built: part index (null when there is none) and the part
    // the next lines address.
    const VectorPart* Part(int index) const;
    int CurrentPart() const { return current_; }

    // Hands over what was read, with the record of fileName's text as it is now.
    PartsDocument Finish(const char* fileName);

    // The reading's own keys (numparts, part, texture, numpoints).
    void SetNumParts(long n);
    void SetCurrentPart(int index) { current_ = index; }
    void SetTexture(const char* fileName);
    void SetNumPoints(long n);

private:
    VectorPart* Current();
    VectorPart* parts_;
    int numParts_;
    int current_ = 0;
    long pointsInUse_ = 0;  // keeps many modest numpoints lines from adding up without bound
    PartsFileRecord record_;
};

// Reads fileName into a new document.
PartsDocument ReadPartsFile(const char* fileName);

// Reads vecparts.dat over the loaded parts into g_parts and g_partsFileRecord.
int LoadVectorParts();

void SetPartTexture(int index, VectorPart& part, const char* fileName);

// A new part for the image fileName after the parts of g_parts, which grows by one (the
// parts before it keep their index, images and buffers); its index, or -1 when the image
// does not load, g_parts then as it was.
int AppendPart(const char* fileName);
// Takes the last part of g_parts away, with its image.
void DropLastPart();

// Sets the joints of a part.
void SetPartPoints(VectorPart& part, const std::vector<PartPoint>& points);
std::vector<PartPoint> PartPoints(const VectorPart& part);
// Writes the four vertices of a centred w x h quad with the given texture extent.
void FillQuadVertices(QuadVertex* vertices, int width, int height, float uMax, float vMax, DWORD colour);
