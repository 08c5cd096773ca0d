// The dance: every object flies along a turning heading, every frame is recorded, and after
// flipFrame frames the swarm slows to a stop and replays its motion backwards.
#pragma once
#include <cstdint>

#include "core/motion_history.h"
#include "motion/camera.h"

struct DanceState {
    int32_t speed;       // -100..100
    int32_t speedTarget; // +100 or -100
    float speedFactor;
    float stepLength;
    float turnRateX;
    float turnOffsetY;
    float turnOffsetZ;
    int32_t frameIndex;  // frame of the cycle and row cursor of the history
    bool rewinding;
};

extern DanceState Dance;

struct Quaternion { float w, x, y, z; };

// Shared by the two rotation functions: EulerToQuaternion writes currentQuaternion,
// RotateByQuaternion reads it and writes rotatedVector.
extern Quaternion currentQuaternion;
extern Vec3f rotatedVector;

// Brings an angle that left [0, 360) by less than a turn back into it.
float WrapAngle(float a);
// Rotation about X by ax, then Y by ay, then Z by az (radians) into currentQuaternion.
void EulerToQuaternion(float ax, float ay, float az);
// Rotates the vector by currentQuaternion into rotatedVector.
void RotateByQuaternion(float vx, float vy, float vz);
// New turnRateX, turnOffsetY, turnOffsetZ, drawn in that order (end of every rewind).
void DrawTurnParameters();
// Sets the dance's start values and clears row 0 of the history (just before the first frame).
void StartDance();
// One forward or rewind frame for all objects; fills the camera's look-at sums.
void StepDance();
