// The dance: forward frames fly every object one step along its turning heading and record
// the frame in the history; rewind frames replay the record backwards, newest row first.
#include "motion/dance.h"

#include <cmath>
#include <cstring>

#include "core/engine_table.h"
#include "core/motion_history.h"
#include "platform/random.h"

DanceState Dance{};
Quaternion currentQuaternion{1, 0, 0, 0};
Vec3f rotatedVector{};

namespace {

constexpr int32_t fullSpeed = 100;               // speed at which speedFactor is 1
constexpr float degreesToRadians = 0.0174533f;   // the rounded factor the motion was tuned with
constexpr float fullTurn = 360;
constexpr float objectRateDivisor = 100;         // object i turns i / 100 degrees per frame, less the offset
constexpr int32_t turnRateTenths = 40;           // turnRateX: -2.0 to 2.0 by tenths
constexpr int32_t turnOffsetTenths = 80;         // turnOffsetY and Z: -4.0 to 4.0 by tenths

// Row r of the history: the records of objects 1..N for frame r of the cycle.
ObjectState* HistoryRow(int32_t row) { return MotionHistory + size_t(row) * size_t(ObjectTotal); }

void ForwardFrame() {
    Dance.speedFactor = float(Dance.speed) / fullSpeed;
    const float speedFactor = Dance.speedFactor;
    const float stepAlongHeading = -Dance.stepLength * speedFactor;
    const float turnX = Dance.turnRateX * speedFactor;
    const float offsetY = Dance.turnOffsetY, offsetZ = Dance.turnOffsetZ;
    const ObjectState* previous = HistoryRow(Dance.frameIndex - 1);
    ObjectState* current = HistoryRow(Dance.frameIndex);

    // The table's entries, taken once: the calls below cannot change them.
    const ZelvaroEngine& engine = *Engine;
    auto moveEntity = engine.MoveEntity;
    auto rotateEntity = engine.RotateEntity;
    auto entityX = engine.EntityX, entityY = engine.EntityY, entityZ = engine.EntityZ;

    float sumX = lookAt.x, sumY = lookAt.y, sumZ = lookAt.z;
    const int32_t total = ObjectTotal;
    for (int32_t i = 1; i <= total; ++i) {
        const ObjectState& p = previous[i - 1];
        ObjectState& c = current[i - 1];
        const float objectRate = float(i) / objectRateDivisor;
        c.angleX = WrapAngle(p.angleX + turnX);
        c.angleY = WrapAngle(p.angleY + (objectRate - offsetY) * speedFactor);
        c.angleZ = WrapAngle(p.angleZ + (objectRate - offsetZ) * speedFactor);

        EulerToQuaternion(c.angleX * degreesToRadians, c.angleY * degreesToRadians,
                          c.angleZ * degreesToRadians);
        RotateByQuaternion(0, 0, stepAlongHeading); // the heading is the rotated -Z axis
        moveEntity(i, rotatedVector.x, rotatedVector.y, rotatedVector.z);
        rotateEntity(i, c.angleY, c.angleX, c.angleZ); // the engine takes Y's angle first

        c.x = entityX(i);
        c.y = entityY(i);
        c.z = entityZ(i);
        sumX += c.x, sumY += c.y, sumZ += c.z;
    }
    lookAt = Vec3f{sumX, sumY, sumZ};

    Dance.frameIndex += 1;
    if (Dance.frameIndex == flipFrame) Dance.speedTarget = -Dance.speedTarget; // start slowing down
    if (Dance.speedTarget > 0 && Dance.speed < Dance.speedTarget) Dance.speed += 1;
    if (Dance.speedTarget < 0 && Dance.speed > Dance.speedTarget) Dance.speed -= 1;
    if (Dance.speed == 0) {
        // Stopped: play the cycle back, then dance again the other way round.
        Dance.rewinding = true;
        Dance.speed = Dance.speedTarget;
    }
}

void RewindFrame() {
    Dance.frameIndex -= 1;
    const ObjectState* row = HistoryRow(Dance.frameIndex);

    const ZelvaroEngine& engine = *Engine;
    auto placeEntity = engine.MoveEntity2;
    auto rotateEntity = engine.RotateEntity2;

    float sumX = lookAt.x, sumY = lookAt.y, sumZ = lookAt.z;
    const int32_t total = ObjectTotal;
    for (int32_t i = 1; i <= total; ++i) {
        const ObjectState& r = row[i - 1];
        placeEntity(i, r.x, r.y, r.z, 0);
        rotateEntity(i, r.angleY, r.angleX, r.angleZ, 0);
        sumX += r.x, sumY += r.y, sumZ += r.z;
    }
    lookAt = Vec3f{sumX, sumY, sumZ};

    if (Dance.frameIndex == 1) { // back at the cycle's first frame
        Dance.rewinding = false;
        DrawTurnParameters();
    }
}

} // namespace

float WrapAngle(float a) {
    if (a < 0) {
        a += fullTurn;
        // A sliver below 0 rounds up to 360 itself, which is 0 again.
        return a < fullTurn ? a : 0;
    }
    if (a >= fullTurn) return a - fullTurn;
    return a;
}

void EulerToQuaternion(float ax, float ay, float az) {
    const float cx = std::cos(ax * 0.5f), sx = std::sin(ax * 0.5f);
    const float cy = std::cos(ay * 0.5f), sy = std::sin(ay * 0.5f);
    const float cz = std::cos(az * 0.5f), sz = std::sin(az * 0.5f);
    currentQuaternion.w = cz * cy * cx + sz * sy * sx;
    currentQuaternion.x = cz * cy * sx - sz * sy * cx;
    currentQuaternion.y = cz * sy * cx + sz * cy * sx;
    currentQuaternion.z = sz * cy * cx - cz * sy * sx;
}

void RotateByQuaternion(float vx, float vy, float vz) {
    const float w = currentQuaternion.w, x = currentQuaternion.x;
    const float y = currentQuaternion.y, z = currentQuaternion.z;
    rotatedVector.x = vx * (w * w + x * x - y * y - z * z) + 2 * vy * (x * y - w * z) + 2 * vz * (x * z + w * y);
    rotatedVector.y = 2 * vx * (x * y + w * z) + vy * (w * w - x * x + y * y - z * z) + 2 * vz * (y * z - w * x);
    rotatedVector.z = 2 * vx * (x * z - w * y) + 2 * vy * (y * z + w * x) + vz * (w * w - x * x - y * y + z * z);
}

void DrawTurnParameters() {
    // One statement per draw: the order of the draws is part of the motion.
    Dance.turnRateX = float(RandomInt(turnRateTenths) / 10.0 - turnRateTenths / 20);
    Dance.turnOffsetY = float(RandomInt(turnOffsetTenths) / 10.0 - turnOffsetTenths / 20);
    Dance.turnOffsetZ = float(RandomInt(turnOffsetTenths) / 10.0 - turnOffsetTenths / 20);
}

void StartDance() {
    Dance = DanceState{};
    Dance.speed = fullSpeed;
    Dance.speedTarget = fullSpeed;
    Dance.speedFactor = 1;
    Dance.stepLength = 0.3f;
    Dance.turnRateX = 1.0f;
    Dance.turnOffsetY = 2.5f;
    Dance.turnOffsetZ = 2.5f;
    Dance.frameIndex = 1;
    Dance.rewinding = false;
    // Row 0 holds the zero angles every forward phase starts from.
    std::memset(HistoryRow(0), 0, MotionHistoryRowSize);
}

void StepDance() {
    lookAt = Vec3f{0, 0, 0};
    if (Dance.rewinding)
        RewindFrame();
    else
        ForwardFrame();
}
