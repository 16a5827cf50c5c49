#include "game/figure_access.h"

ManPart* SlotAt(int index)
{
    VectorMan* man = g_vectorMan;
    if (!man || !man->parts || index < 0 || index >= man->numparts) return nullptr;
    return &man->parts[index];
}

void MirrorHitBoxes(VectorMan& man)
{
    if (!man.hitBoxes) return;
    for (int j = 0; j < man.numHitBoxes; ++j) man.hitBoxes[j].centerX = -man.hitBoxes[j].centerX;
    man.hitBoxesMirrored = !man.hitBoxesMirrored;
}

void ImageSize(int index, unsigned int* width, unsigned int* height)
{
    const VectorPart* part = PartAt(index);
    *width = part ? part->width : 0;
    *height = part ? part->height : 0;
}
