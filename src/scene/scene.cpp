// The world as the first frame finds it: the palette material, one entity per object at the
// origin, each coloured by its own palette cell, the sky box (saver only), camera 0 at
// (0, 0, -40) looking at the origin, and light 1.
#include "scene/scene.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/engine_table.h"
#include "core/motion_history.h"
#include "core/run_mode.h"
#include "core/settings_record.h"
#include "platform/os.h"
#include "scene/meshes.h"
#include "scene/palette.h"

namespace {

constexpr int paletteCells = 1024;
constexpr int paletteColumns = 32;
constexpr int firstUsedCell = paletteColumns; // the top row of the palette is left out
constexpr int lastCell = paletteCells - 1;
constexpr float cellSide = 1.0f / paletteColumns;
constexpr float meshSpan = 0.015625f;         // half a cell: the mesh samples inside its cell only
constexpr float cellInset = meshSpan / 2;     // a quarter cell past the cell's corner
constexpr int white = 0xFFFFFF;
constexpr int paletteMaterial = 0;
constexpr int firstEntity = 1;
constexpr int camera = 0;
constexpr float fullScreenPercent = 100;
constexpr float cameraDistance = 40;
constexpr int light = 1;
constexpr int lightColour = 200 | 200 << 8 | 200 << 16;
constexpr int zipArchive = 1;
constexpr ShapeKind fallbackShape = Octahedron;

// The settings' shape, or the default octahedron when a hand-edited file names no shape:
// the swarm still shows instead of N empty entities.
int32_t SceneShape() {
    const int32_t kind = Settings.Shape;
    return kind >= Tetrahedron && kind <= Icosahedron ? kind : fallbackShape;
}

void AddObject(int i, int32_t shape) {
    const int cell = PaletteCellOf(i, ObjectTotal);
    const float cellU = float(cell % paletteColumns) * cellSide + cellInset;
    const float cellV = float(cell / paletteColumns) * cellSide + cellInset;
    const int mesh = BuildShapeMesh(shape, 1, 1, 1, cellU, cellV, meshSpan, meshSpan, white);
    Engine->CreateEntity(firstEntity + i, Engine->MeshID(mesh), Engine->MaterialID(paletteMaterial));
    Engine->FreeMesh(mesh); // the entity keeps its own copy of the geometry
}

void AddSkyBox() {
    const std::string archive = ProgramFolder() + "Zelvaro_Sky.zip";
    if (RunMode == RunModeKind::Preview) return;
    Engine->Add3DArchive(archive.c_str(), zipArchive);
    Engine->SkyBox("space2.png");
}

} // namespace

int PaletteCellOf(int i, int n) {
    const float step = float(paletteCells) / float(n);
    const int cell = int(std::nearbyint(float(i) * step)); // ties to even under the default rounding
    return std::clamp(cell, firstUsedCell, lastCell);
}

void BuildScene() {
    CreatePalette();
    const int32_t shape = SceneShape();
    for (int i = 0; i < ObjectTotal; ++i) AddObject(i, shape);
    AddSkyBox();
    Engine->CreateCamera(camera, 0, 0, fullScreenPercent, fullScreenPercent);
    Engine->MoveCamera(camera, 0, 0, -cameraDistance);
    Engine->CameraLookAt(camera, 0, 0, 0);
    Engine->CreateLight(light, lightColour);
}
