// Placeholder until the drift exists.
#include "motion/camera.h"

CameraDriftState CameraDrift{};
void StartCamera() {}
void StepCamera() {}
