#include "animation/step.h"

#include "figure/records.h"


float AngleToTurn(float startAngle, float destAngle, float rotSpeed)
{
    if (rotSpeed > 0.0f) {
        float d = destAngle - startAngle;
        if (d < 0.0f) d += 360.0f;
        return d;
    }
    // Not reduced modulo 360: a downward turn to a smaller angle goes the long way round.
    const float d = destAngle <= 0.0f ? destAngle + 360.0f : destAngle;
    return 360.0f - d + startAngle;
}

float EasedShare(int ease, float share)
{
    if (share <= 0.0f) return 0.0f;
    if (share >= 1.0f) return 1.0f;
    const float rest = 1.0f - share;
    switch (ease) {
    case EASE_IN: return share * share * share;
    case EASE_OUT: return 1.0f - rest * rest * rest;
    case EASE_IN_OUT: return share * share * (3.0f - 2.0f * share);
    case EASE_STEP: return 0.0f;
    default: return share;
    }
}

static void ApplyVisibility(VectorMan& man, const int* list, unsigned char visible)
{
    for (int e = 0; e < MAX_PART_LIST; ++e) {
        const int slot = list[e];
        // Entries naming slots the figure lacks are ignored rather than written past the array.
        if (slot > -1 && slot < man.numparts) man.parts[slot].visible = visible;
    }
}

float WrappedAngle(float angle)
{
    if (angle > 359.0f) angle -= 360.0f;
    if (angle < 0.0f) angle += 360.0f;
    return angle;
}

// In the order the data relies on (invisible wins over visible).
void ApplyKeyEndActions(VectorMan& man, const AnimKey& k)
{
    if (k.useChangePart && k.changePartSlot >= 0 && k.changePartSlot < man.numparts &&
        PartAt(k.changePartVecPart)) {
        man.parts[k.changePartSlot].vecpartnum = k.changePartVecPart;
    }
    if (k.hasVisibleList) ApplyVisibility(man, k.visibleParts, 1);
    if (k.hasInvisibleList) ApplyVisibility(man, k.invisibleParts, 0);
}

static void EndKey(VectorMan& man, int i, const AnimKey& k)
{
    man.parts[i].angle = k.destAngle;
    man.playback[i].turned = 0.0f;
    ApplyKeyEndActions(man, k);
    man.currentKeys[i] = k.loopKeys ? k.first : k.next;
}

int VectorMan::StepAnimation(float seconds)
{
    if (!parts) return 0;
    for (int i = 0; i < numparts; ++i) {
        ManPart& slot = parts[i];
        const AnimKey* k = i < MAX_FRAME_KEYS ? currentKeys[i] : nullptr;
        if (k) {
            KeyPlayback& at = playback[i];
            if (at.turned == 0.0f) {
                if (k->useStartAngle) slot.angle = k->startAngle;
                at.startAngle = slot.angle;
            }
            const float step = seconds * k->rotSpeed;
            at.turned += step < 0.0f ? step * -1.0f : step;
            const float total = AngleToTurn(at.startAngle, k->destAngle, k->rotSpeed);
            if (at.turned > total) {
                EndKey(*this, i, *k);
            } else if (k->ease == EASE_LINEAR) {
                // Step by step, as the game always turned: linear keys stay exactly as they played.
                slot.angle += step;
            } else {
                const float direction = k->rotSpeed < 0.0f ? -1.0f : 1.0f;
                const float share = total > 0.0f ? at.turned / total : 1.0f;
                slot.angle = at.startAngle + direction * total * EasedShare(k->ease, share);
            }
        } else {
            slot.angle += seconds * slot.angularVelocity;
        }

        slot.angle = WrappedAngle(slot.angle);

        slot.x += seconds * slot.xVelocity;
        slot.y += seconds * slot.yVelocity;
        if (slot.y > slot.yMax) {
            slot.y = slot.yMax;
            slot.yVelocity = slot.yBounce ? -slot.yVelocity : 0.0f;
        }
        if (slot.y < slot.yMin) {
            slot.y = slot.yMin;
            slot.yVelocity = -slot.yVelocity;
        }
    }
    return 0;
}
