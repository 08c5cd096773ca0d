// The camera's drift: it glides in legs of driftPeriod frames toward integer points near
// object 1, its velocity eased between legs, and it looks at the centroid of the swarm.
#include "motion/camera.h"

#include <cmath>

#include "core/engine_table.h"
#include "core/motion_history.h"
#include "platform/random.h"

CameraDriftState CameraDrift{};
Vec3f lookAt{};

namespace {

constexpr int32_t fullWeight = 1000;       // Ease's weight for covering the whole gap
constexpr int32_t driftEasing = 500;       // each frame closes half the gap to the leg's velocity
constexpr int32_t targetSpread = 25;       // a new target lies within this of object 1, per axis
constexpr Vec3i firstTarget{1, -30, -8};
constexpr int referenceObject = 1;

float LegVelocity(int32_t target, float from) { return float((double(target) - from) / driftPeriod); }

// The target coordinate near an object coordinate that the caller has already read.
int32_t TargetNear(float objectCoordinate) {
    const int32_t draw = RandomInt(2 * targetSpread);
    return int32_t(std::nearbyint(double(objectCoordinate) - draw + targetSpread)); // halves to even
}

void SetLegVelocity() {
    CameraDriftState& d = CameraDrift;
    d.driftVelocity = Vec3f{LegVelocity(d.driftTarget.x, d.cameraPos.x), LegVelocity(d.driftTarget.y, d.cameraPos.y),
                            LegVelocity(d.driftTarget.z, d.cameraPos.z)};
}

} // namespace

float Ease(float target, float current, int weight) {
    if (weight > fullWeight) weight = fullWeight;
    const float difference = target - current; // single precision, rounded before the weighting
    return float(current + double(difference) * weight / fullWeight);
}

void StartCamera() {
    CameraDriftState& d = CameraDrift;
    d.cameraPos = Vec3f{Engine->CameraX(0), Engine->CameraY(0), Engine->CameraZ(0)};
    d.cameraVelocity = Vec3f{0, 0, 0};
    d.driftTarget = firstTarget;
    SetLegVelocity();
    d.driftFrame = 0;
}

void StepCamera() {
    CameraDriftState& d = CameraDrift;
    d.cameraVelocity.x = Ease(d.driftVelocity.x, d.cameraVelocity.x, driftEasing);
    d.cameraVelocity.y = Ease(d.driftVelocity.y, d.cameraVelocity.y, driftEasing);
    d.cameraVelocity.z = Ease(d.driftVelocity.z, d.cameraVelocity.z, driftEasing);
    d.cameraPos.x += d.cameraVelocity.x;
    d.cameraPos.y += d.cameraVelocity.y;
    d.cameraPos.z += d.cameraVelocity.z;
    Engine->MoveCamera2(0, d.cameraPos.x, d.cameraPos.y, d.cameraPos.z, 0);

    d.driftFrame += 1;
    if (d.driftFrame == driftPeriod) {
        // The new leg starts from where the camera has just been placed. Each axis reads
        // object 1 before drawing its own offset.
        d.driftTarget.x = TargetNear(Engine->EntityX(referenceObject));
        d.driftTarget.y = TargetNear(Engine->EntityY(referenceObject));
        d.driftTarget.z = TargetNear(Engine->EntityZ(referenceObject));
        SetLegVelocity();
        d.driftFrame = 0;
    }

    // StepDance has summed this frame's positions; their mean is the centre of the swarm.
    lookAt.x = lookAt.x / float(ObjectTotal);
    lookAt.y = lookAt.y / float(ObjectTotal);
    lookAt.z = lookAt.z / float(ObjectTotal);
    Engine->CameraLookAt(0, lookAt.x, lookAt.y, lookAt.z);
}
