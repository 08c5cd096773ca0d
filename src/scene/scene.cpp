// Placeholder until the scene exists: camera and light only.
#include "scene/scene.h"

#include "scene/engine.h"

void BuildScene() {
    Engine->CreateCamera(0, 0, 0, 100, 100);
    Engine->MoveCamera(0, 0, 0, -40);
    Engine->CameraLookAt(0, 0, 0, 0);
    Engine->CreateLight(1, 0xC8C8C8);
}
