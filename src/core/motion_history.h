// The swarm's size and its recorded motion: ObjectTotal objects, one row of ObjectState
// records per frame, historyRows rows.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int flipFrame = 2000;
constexpr int historyRows = flipFrame + 100; // headroom for the slow-down

struct ObjectState { // one object in one frame: 24 bytes
    float x, y, z;                // position after the frame's move, as the engine reports it
    float angleX, angleY, angleZ; // heading angles, degrees in [0, 360)
};
static_assert(sizeof(ObjectState) == 24, "the history's record is six floats");

extern int32_t ObjectTotal;           // N objects
extern ObjectState* MotionHistory;    // historyRows rows of N records, zero-filled
extern size_t MotionHistoryRowSize;   // bytes in one row: 24 x N

// ObjectTotal for an ObjectCount setting, after bringing it into 0..4.
int32_t ObjectTotalFor(int32_t objectCount);
// Sets ObjectTotal and obtains its zero-filled history of historyRows rows; false if it cannot.
bool AllocateMotionHistory(int32_t objectTotal);
// Frees the motion history (end of the run, preview close).
void FreeMotionHistory();
