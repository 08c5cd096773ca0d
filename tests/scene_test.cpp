// Scene set-up against the recording engine: which palette cell each object gets, one mesh
// per entity freed at once, the sky box in the saver only, camera and light, and a shape
// setting that names no shape.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "core/motion_history.h"
#include "core/run_mode.h"
#include "core/settings_record.h"
#include "platform/os.h"
#include "scene/scene.h"
#include "support/fake_engine.h"

namespace {

constexpr int cube = 1;
constexpr double cellSide = 1.0 / 32;

class Scene : public ::testing::Test {
protected:
    void SetUp() override {
        UseFakeEngine();
        Settings = SettingsDefaults;
        RunMode = RunModeKind::Saver;
        SetProgramFilePathForTests("/opt/zelvaro saver/Zelvaro");
    }
    void TearDown() override { SetProgramFilePathForTests(""); }

    static void Build(int objects, int shape) {
        ObjectTotal = objects;
        Settings.Shape = int8_t(shape);
        BuildScene();
    }
    // Every mesh's texture coordinates, one list per mesh in building order.
    static std::vector<std::vector<std::vector<double>>> MeshCoordinates() {
        std::vector<std::vector<std::vector<double>>> meshes;
        for (const EngineCall& call : FakeEngine.calls) {
            if (call.name == "CreateMesh") meshes.emplace_back();
            if (call.name == "MeshVertexTextureCoordinate") meshes.back().push_back(call.args);
        }
        return meshes;
    }
    // The cube's first record sits at texture (0, 0), so its first coordinate is the placement
    // (cellU, cellV) itself: a quarter cell past the cell's corner.
    static std::vector<int> CubeCells() {
        std::vector<int> cells;
        for (const auto& mesh : MeshCoordinates()) {
            const double u = mesh.at(0)[0], v = mesh.at(0)[1];
            const int column = int(std::floor(u / cellSide)), row = int(std::floor(v / cellSide));
            EXPECT_EQ(u, column * cellSide + cellSide / 4);
            EXPECT_EQ(v, row * cellSide + cellSide / 4);
            cells.push_back(row * 32 + column);
        }
        return cells;
    }
};

// ---- palette cells ----

TEST(PaletteCell, AtTheStatedPoints) {
    const struct {
        int n, i, cell;
    } cases[] = {
        {128, 0, 32},     {128, 4, 32},     {128, 5, 40},     {128, 6, 48},     {128, 126, 1008}, {128, 127, 1016},
        {256, 8, 32},     {256, 9, 36},     {256, 255, 1020}, {512, 16, 32},    {512, 17, 34},    {512, 511, 1022},
        {1024, 32, 32},   {1024, 33, 33},   {1024, 1023, 1023}, {2048, 0, 32},  {2048, 63, 32},   {2048, 64, 32},
        {2048, 65, 32},   {2048, 66, 33},   {2048, 67, 34},   {2048, 69, 34},   {2048, 2043, 1022}, {2048, 2044, 1022},
        {2048, 2045, 1022}, {2048, 2046, 1023}, {2048, 2047, 1023},
    };
    for (const auto& c : cases) EXPECT_EQ(PaletteCellOf(c.i, c.n), c.cell) << "object " << c.i << " of " << c.n;
}

TEST(PaletteCell, FirstObjectsShareCell32AndTheRestClimbInOrder) {
    const struct {
        int n, sharingFirst, lastCell;
    } cases[] = {{128, 5, 1016}, {256, 9, 1020}, {512, 17, 1022}, {1024, 33, 1023}, {2048, 66, 1023}};
    for (const auto& c : cases) {
        SCOPED_TRACE("N = " + std::to_string(c.n));
        int sharing = 0;
        for (int i = 0; i < c.n; ++i) {
            const int cell = PaletteCellOf(i, c.n);
            sharing += cell == 32;
            ASSERT_GE(cell, 32);
            ASSERT_LE(cell, 1023);
            if (i > 0) {
                ASSERT_GE(cell, PaletteCellOf(i - 1, c.n)) << "object " << i;
            }
        }
        EXPECT_EQ(sharing, c.sharingFirst);
        EXPECT_EQ(PaletteCellOf(c.n - 1, c.n), c.lastCell);
    }
}

// ---- building the scene ----

TEST_F(Scene, StartsWithThePalette) {
    Build(128, cube);
    const std::vector<std::string> names = CallNames();
    const std::vector<std::string> palette = {"CreateTexture", "LockTexture", "UnlockTexture", "TextureID",
                                              "CreateMaterial", "MaterialFilteringMode", "MaterialBlendingMode"};
    ASSERT_GE(names.size(), palette.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + palette.size()), palette);
}

TEST_F(Scene, PlacesEachObjectInItsCell) {
    const struct {
        int n;
        std::vector<std::pair<int, int>> objectCells;
    } cases[] = {
        {128, {{0, 32}, {1, 32}, {2, 32}, {3, 32}, {4, 32}, {5, 40}, {6, 48}, {7, 56}, {127, 1016}}},
        {2048, {{0, 32}, {64, 32}, {65, 32}, {66, 33}, {67, 34}, {2044, 1022}, {2045, 1022}, {2046, 1023}, {2047, 1023}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("N = " + std::to_string(c.n));
        UseFakeEngine();
        Build(c.n, cube);
        const std::vector<int> cells = CubeCells();
        ASSERT_EQ(cells.size(), size_t(c.n));
        for (auto [object, cell] : c.objectCells) EXPECT_EQ(cells[object], cell) << "object " << object;
        for (int i = 0; i < c.n; ++i) ASSERT_EQ(cells[i], PaletteCellOf(i, c.n)) << "object " << i;
        EXPECT_EQ(MeshCoordinates()[0][0], (std::vector<double>{0.0078125, 0.0390625})) << "object 0's placement";
    }
}

TEST_F(Scene, EveryShapeSamplesItsOneCellOnly) {
    for (int shape = 0; shape < 5; ++shape) {
        SCOPED_TRACE("shape " + std::to_string(shape));
        UseFakeEngine();
        Build(128, shape);
        const auto meshes = MeshCoordinates();
        ASSERT_EQ(meshes.size(), 128u);
        for (int i = 0; i < 128; ++i) {
            const int cell = PaletteCellOf(i, 128);
            const double left = cell % 32 * cellSide, top = cell / 32 * cellSide;
            for (const auto& uv : meshes[i]) {
                ASSERT_TRUE(uv[0] >= left && uv[0] <= left + cellSide) << "object " << i << " u " << uv[0];
                ASSERT_TRUE(uv[1] >= top && uv[1] <= top + cellSide) << "object " << i << " v " << uv[1];
            }
        }
    }
}

TEST_F(Scene, MakesEntitiesOneToNEachFromItsOwnMeshFreedAtOnce) {
    Build(256, Settings.Shape);
    const std::vector<EngineCall>& calls = FakeEngine.calls;
    int entities = 0, meshesHeld = 0;
    for (size_t at = 0; at < calls.size(); ++at) {
        if (calls[at].name == "CreateMesh") {
            ASSERT_EQ(meshesHeld++, 0) << "one program mesh at a time";
        }
        if (calls[at].name == "FreeMesh") --meshesHeld;
        if (calls[at].name != "CreateEntity") continue;
        ++entities;
        const EngineCall& entity = calls[at];
        ASSERT_EQ(entity.args[0], entities) << "entity numbers run 1..N in order";
        EXPECT_EQ(entity.args[2], 2000 + 0) << "material 0";
        ASSERT_LT(at + 1, calls.size());
        ASSERT_EQ(calls[at + 1].name, "FreeMesh") << "after entity " << entities;
        EXPECT_EQ(entity.args[1], 3000 + calls[at + 1].args[0]) << "the entity is made from the mesh then freed";
        // the mesh handed over is the one just built and confirmed
        const EngineCall* built = nullptr;
        for (size_t back = at; back-- > 0 && !built;)
            if (calls[back].name == "IsMesh") built = &calls[back];
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(calls[at + 1].args[0], built->args[0]);
    }
    EXPECT_EQ(entities, 256);
    EXPECT_EQ(meshesHeld, 0);
}

TEST_F(Scene, SkyBoxInTheSaverOnly) {
    const struct {
        RunModeKind mode;
        size_t archives;
    } cases[] = {{RunModeKind::Saver, 1}, {RunModeKind::Preview, 0}};
    for (const auto& c : cases) {
        UseFakeEngine();
        RunMode = c.mode;
        Build(128, Settings.Shape);
        const auto archives = CallsNamed("Add3DArchive"), skies = CallsNamed("SkyBox");
        ASSERT_EQ(archives.size(), c.archives);
        ASSERT_EQ(skies.size(), c.archives);
        EXPECT_EQ(CallsNamed("CreateEntity").size(), 128u) << "objects in either mode";
        if (c.archives == 0) continue;
        EXPECT_EQ(archives[0].text, "/opt/zelvaro saver/Zelvaro_Sky.zip");
        EXPECT_EQ(archives[0].args, std::vector<double>{1});
        EXPECT_EQ(skies[0].text, "space2.png");
    }
}

TEST_F(Scene, EndsWithSkyThenCameraThenLight) {
    Build(128, Settings.Shape);
    const std::vector<EngineCall>& calls = FakeEngine.calls;
    const struct {
        const char* name;
        std::vector<double> args;
        const char* text;
    } expected[] = {
        {"Add3DArchive", {1}, "/opt/zelvaro saver/Zelvaro_Sky.zip"},
        {"SkyBox", {}, "space2.png"},
        {"CreateCamera", {0, 0, 0, 100, 100}, ""},
        {"MoveCamera", {0, 0, 0, -40}, ""},
        {"CameraLookAt", {0, 0, 0, 0}, ""},
        {"CreateLight", {1, 200 + 200 * 256 + 200 * 65536}, ""},
    };
    const size_t count = std::size(expected);
    ASSERT_GT(calls.size(), count);
    EXPECT_EQ(calls[calls.size() - count - 1].name, "FreeMesh") << "the objects come first";
    for (size_t i = 0; i < count; ++i) {
        const EngineCall& call = calls[calls.size() - count + i];
        EXPECT_EQ(call.name, expected[i].name);
        EXPECT_EQ(call.args, expected[i].args) << expected[i].name;
        EXPECT_EQ(call.text, expected[i].text) << expected[i].name;
    }
}

// A hand-edited settings file may name no shape; the swarm then shows octahedra (8 triangles).
TEST_F(Scene, AShapeSettingThatIsNoShapeFallsBackToTheOctahedron) {
    const struct {
        int shape;
        size_t trianglesPerMesh;
    } cases[] = {{0, 4}, {1, 12}, {2, 8}, {3, 36}, {4, 20}, {5, 8}, {-1, 8}, {127, 8}, {-128, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE("Shape = " + std::to_string(c.shape));
        UseFakeEngine();
        Build(128, c.shape);
        EXPECT_EQ(CallsNamed("MeshFace").size(), 128 * c.trianglesPerMesh);
        EXPECT_EQ(CallsNamed("CreateMesh").size(), 128u);
        for (const EngineCall& entity : CallsNamed("CreateEntity")) EXPECT_GT(entity.args[1], 3000) << "a real mesh";
    }
}

} // namespace
