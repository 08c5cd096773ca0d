// Placeholder until the dance exists.
#include "motion/dance.h"
#include "motion/camera.h"

DanceState Dance{};
Vec3f lookAt{};
void StartDance() {}
void StepDance() { lookAt = Vec3f{}; }
