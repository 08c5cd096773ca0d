// The camera's drift: legs of driftPeriod frames toward points near object 1, eased velocity,
// always looking at the centroid of the swarm.
#pragma once
#include <cstdint>

constexpr int driftPeriod = 500;

struct Vec3f { float x, y, z; };
struct Vec3i { int32_t x, y, z; };

struct CameraDriftState {
    Vec3f cameraPos;
    Vec3f cameraVelocity;
    Vec3i driftTarget;
    Vec3f driftVelocity;
    int32_t driftFrame;
};

extern CameraDriftState CameraDrift;
extern Vec3f lookAt; // the frame's sum of object positions, filled by StepDance

float Ease(float target, float current, int weight);
// Reads camera 0's position and sets the first leg (after the scene is built).
void StartCamera();
void StepCamera();
