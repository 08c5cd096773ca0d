// The library's one export: the table of operations for the API version the host was built
// for, plus the engine-wide operations (start, shut down, statistics).
#include "engine_calls.h"
#include "engine_state.h"
#include "sky.h"
#include "zelvaro_engine.h"

namespace zelvaro {

int Init(int) {
    CloseScreen();
    ResetWorld();
    return 1;
}

void Shutdown() {
    CloseScreen();
    ResetWorld();
}

void SetReferenceRendering(int on) { world.referenceRendering = on != 0; }

float Engine3DStatus(int code) {
    switch (code) {
    case ENGINE_STATUS_FPS: return MeasuredFramesPerSecond();
    case ENGINE_STATUS_TRIANGLES: return static_cast<float>(world.trianglesDrawn);
    case ENGINE_STATUS_SKY: return SkyShown() ? 1.0f : world.sky.present ? 2.0f : 0.0f;
    default: return 0.0f;
    }
}

namespace {

const ZelvaroEngine engineTable = {
    .version = ZELVARO_ENGINE_VERSION,
    .Init = Init,
    .Shutdown = Shutdown,
    .SetReferenceRendering = SetReferenceRendering,
    .OpenScreen = OpenScreen,
    .OpenWindowedScreen = OpenWindowedScreen,
    .OpenHiddenScreen = OpenHiddenScreen,
    .ScreenWidth = ScreenWidth,
    .ScreenHeight = ScreenHeight,
    .ScreenWindow = ScreenWindow,
    .SwitchTo2D = SwitchTo2D,
    .FlipBuffers = FlipBuffers,
    .CloseScreen = CloseScreen,
    .ReadPixels = ReadPixels,
    .CreateImage = CreateImage,
    .DrawImage = DrawImage,
    .FreeImage = FreeImage,
    .CreateTexture = CreateTexture,
    .LockTexture = LockTexture,
    .UnlockTexture = UnlockTexture,
    .TextureID = TextureID,
    .CreateMaterial = CreateMaterial,
    .MaterialFilteringMode = MaterialFilteringMode,
    .MaterialBlendingMode = MaterialBlendingMode,
    .MaterialID = MaterialID,
    .CreateMesh = CreateMesh,
    .MeshVertexPosition = MeshVertexPosition,
    .MeshVertexNormal = MeshVertexNormal,
    .MeshVertexTextureCoordinate = MeshVertexTextureCoordinate,
    .MeshVertexColor = MeshVertexColor,
    .MeshFace = MeshFace,
    .FinishMesh = FinishMesh,
    .IsMesh = IsMesh,
    .FreeMesh = FreeMesh,
    .MeshID = MeshID,
    .CreateEntity = CreateEntity,
    .MoveEntity = MoveEntity,
    .MoveEntity2 = MoveEntity2,
    .RotateEntity = RotateEntity,
    .RotateEntity2 = RotateEntity2,
    .EntityX = EntityX,
    .EntityY = EntityY,
    .EntityZ = EntityZ,
    .CreateCamera = CreateCamera,
    .MoveCamera = MoveCamera,
    .MoveCamera2 = MoveCamera2,
    .CameraX = CameraX,
    .CameraY = CameraY,
    .CameraZ = CameraZ,
    .CameraLookAt = CameraLookAt,
    .CreateLight = CreateLight,
    .Add3DArchive = Add3DArchive,
    .SkyBox = SkyBox,
    .RenderWorld = RenderWorld,
    .Engine3DStatus = Engine3DStatus,
};

} // namespace
} // namespace zelvaro

extern "C" ZELVARO_EXPORT const ZelvaroEngine* ZelvaroGetEngine(int version) {
    return version == ZELVARO_ENGINE_VERSION ? &zelvaro::engineTable : nullptr;
}
