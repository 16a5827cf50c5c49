#include "animation/key_pose.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "animation/step.h"

namespace {

const float FULL_TURN = 360.0f;
const float HALF_TURN = 180.0f;

// +1 or -1: the shorter way from `from` to `to`; 0 where neither is shorter.
int ShortSide(float from, float to)
{
    float d = std::fmod(to - from, FULL_TURN);
    if (d < 0.0f) d += FULL_TURN;
    if (d == 0.0f || d == HALF_TURN) return 0;
    return d < HALF_TURN ? 1 : -1;
}

}  // namespace

int FrameKeyCount(int frame)
{
    if (!g_frames || frame < 0 || frame >= g_numFrames) return 0;
    int most = 0;
    for (int list = 0; list < MAX_FRAME_KEYS; ++list) most = std::max(most, KeyCount(g_frames[frame].keys[list]));
    return most;
}

int DrivenSlotCount(const VectorMan& man)
{
    return std::max(0, std::min(std::min(man.maxKeys, MAX_FRAME_KEYS), man.parts ? man.numparts : 0));
}

void PoseAtKey(VectorMan& man, const std::vector<ManPart>& rest, int frame, int key)
{
    if (!man.parts || rest.size() != static_cast<size_t>(man.numparts)) return;
    std::copy(rest.begin(), rest.end(), man.parts);
    if (key < 0) return;
    const int driven = DrivenSlotCount(man);
    // Key by key across the lists, as the keys end in time when they run side by side.
    for (int j = 0; j <= key; ++j)
        for (int list = 0; list < driven; ++list)
            if (const AnimKey* k = KeyAt(frame, list, j)) ApplyKeyEndActions(man, *k);
    for (int list = 0; list < driven; ++list) {
        const int count = KeyCount(KeyAt(frame, list, 0));
        if (count == 0) continue;
        man.parts[list].angle = WrappedAngle(KeyAt(frame, list, std::min(key, count - 1))->destAngle);
    }
}

float KeyStartAngle(int frame, int list, int key)
{
    const AnimKey* k = KeyAt(frame, list, key);
    if (k && k->useStartAngle) return k->startAngle;
    const AnimKey* previous = KeyAt(frame, list, key - 1);
    return previous ? WrappedAngle(previous->destAngle) : 0.0f;
}

float KeySeconds(int frame, int list, int key)
{
    const AnimKey* k = KeyAt(frame, list, key);
    if (!k) return 0.0f;
    if (k->rotSpeed == 0.0f) return std::numeric_limits<float>::infinity();
    return AngleToTurn(KeyStartAngle(frame, list, key), k->destAngle, k->rotSpeed) / std::fabs(k->rotSpeed);
}

float KeyStartSeconds(int frame, int list, int key)
{
    float seconds = 0.0f;
    for (int j = 0; j < key; ++j) seconds += KeySeconds(frame, list, j);
    return seconds;
}

float SpeedForShortSide(float oldFrom, float oldTo, float newFrom, float newTo, float speed)
{
    const int before = ShortSide(oldFrom, oldTo);
    const int after = ShortSide(newFrom, newTo);
    if (after == 0 || after == before || speed == 0.0f) return speed;
    return after > 0 ? std::fabs(speed) : -std::fabs(speed);
}

float DestForTurn(float from, float dest, float speed)
{
    const float candidates[] = {dest, dest + FULL_TURN, dest - FULL_TURN, dest + 2 * FULL_TURN, dest - 2 * FULL_TURN};
    for (float candidate : candidates) {
        const float turn = AngleToTurn(from, candidate, speed);
        if (turn >= 0.0f && turn < FULL_TURN) return candidate;
    }
    return dest;
}

bool KeptShortFrom(const AnimKey& next, float oldFrom, float newFrom, float& dest, float& speed)
{
    const float from = WrappedAngle(newFrom);
    speed = SpeedForShortSide(WrappedAngle(oldFrom), next.destAngle, from, next.destAngle, next.rotSpeed);
    dest = DestForTurn(from, next.destAngle, speed);
    return speed != next.rotSpeed || dest != next.destAngle;
}
