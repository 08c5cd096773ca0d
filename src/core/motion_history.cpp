#include "core/motion_history.h"

#include <cmath>
#include <cstdlib>

int32_t ObjectTotal = 0;
ObjectState* MotionHistory = nullptr;
size_t MotionHistoryRowSize = 0;

int32_t ObjectTotalFor(int32_t objectCount) {
    // Only a hand-edited file goes past 0..4; beyond that the history could not be held.
    if (objectCount < 0) objectCount = 0;
    if (objectCount > 4) objectCount = 4;
    return static_cast<int32_t>(std::lround(std::pow(2.0f, static_cast<float>(objectCount + 7))));
}

bool AllocateMotionHistory(int32_t objectTotal) {
    FreeMotionHistory();
    ObjectTotal = objectTotal;
    MotionHistoryRowSize = sizeof(ObjectState) * static_cast<size_t>(objectTotal);
    MotionHistory = static_cast<ObjectState*>(std::calloc(historyRows, MotionHistoryRowSize));
    return MotionHistory != nullptr;
}

void FreeMotionHistory() {
    std::free(MotionHistory);
    MotionHistory = nullptr;
}
