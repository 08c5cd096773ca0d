// The real engine library at work: entity and camera state without any screen, then pictures
// drawn into a hidden window on a private Xvfb and read back pixel by pixel; last the full
// screen and a screen inside a foreign X11 window.
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>
// Xlib's macros would clash with GoogleTest's names: it comes after, without them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None
#undef Bool
#undef Status
#undef True
#undef False

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "scene/engine.h"
#include "scene/meshes.h"
#include "support/process.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

constexpr int screenWidth = 160;
constexpr int screenHeight = 120;
constexpr int centreX = screenWidth / 2;
constexpr int centreY = screenHeight / 2;
constexpr float cameraDistance = 5.0f; // a 2-unit square then covers about a third of the height
constexpr int paletteSide = 128;
constexpr int cellsPerSide = 32;
constexpr int cellSide = paletteSide / cellsPerSide;
constexpr int noSky = 0, skyDrawn = 1, skyDecoding = 2; // Engine3DStatus(ENGINE_STATUS_SKY)

// ---- colours and frames ----

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
void PrintTo(const Rgb& c, std::ostream* os) { *os << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }
constexpr Rgb black{0, 0, 0};
constexpr Rgb white{255, 255, 255};

int EngineColour(Rgb c) { return c.r | (c.g << 8) | (c.b << 16); } // red in the low byte
uint32_t PixelWord(Rgb c) { return 0xFF000000u | static_cast<uint32_t>(EngineColour(c)); } // bytes R, G, B, A
bool Near(Rgb a, Rgb b, int slack) {
    return std::abs(a.r - b.r) <= slack && std::abs(a.g - b.g) <= slack && std::abs(a.b - b.b) <= slack;
}
int Brightness(Rgb c) { return c.r + c.g + c.b; }

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    Rgb At(int x, int y) const {
        const unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return {p[0], p[1], p[2]};
    }
    int Count(Rgb c) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += At(x, y) == c;
        return n;
    }
    int CountOther(const std::vector<Rgb>& allowed) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += std::find(allowed.begin(), allowed.end(), At(x, y)) == allowed.end();
        return n;
    }
};

Frame ReadFrame() {
    Frame f{Engine->ScreenWidth(), Engine->ScreenHeight(), {}};
    f.rgba.resize(static_cast<size_t>(f.width) * f.height * 4);
    Engine->ReadPixels(0, 0, f.width, f.height, f.rgba.data());
    return f;
}

// The colour at the middle of each stretch of non-black pixels along a row, left to right.
std::vector<Rgb> RunsAlongRow(const Frame& f, int y) {
    std::vector<Rgb> runs;
    for (int x = 0; x < f.width;) {
        if (f.At(x, y) == Rgb{}) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < f.width && !(f.At(x, y) == Rgb{})) ++x;
        runs.push_back(f.At((start + x - 1) / 2, y));
    }
    return runs;
}

int DifferingPixels(const Frame& a, const Frame& b) {
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) n += !(a.At(x, y) == b.At(x, y));
    return n;
}

// ---- meshes ----

struct Square {
    float left = -1, right = 1, bottom = -1, top = 1; // in the XY plane at z = 0
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0;             // texture corners (left-top, right-bottom)
    Rgb colour = white;
    float normalX = 0, normalY = 0, normalZ = -1;     // toward the camera by default
};

int BuildSquare(const Square& s) {
    const int mesh = Engine->CreateMesh(-1);
    const float corners[4][4] = {{s.left, s.top, s.u0, s.v0}, {s.right, s.top, s.u1, s.v0},
                                 {s.right, s.bottom, s.u1, s.v1}, {s.left, s.bottom, s.u0, s.v1}};
    for (const auto& c : corners) {
        Engine->MeshVertexPosition(c[0], c[1], 0.0f);
        Engine->MeshVertexNormal(s.normalX, s.normalY, s.normalZ);
        Engine->MeshVertexTextureCoordinate(c[2], c[3]);
        Engine->MeshVertexColor(EngineColour(s.colour));
    }
    Engine->MeshFace(0, 1, 2);
    Engine->MeshFace(0, 2, 3);
    Engine->FinishMesh(1);
    return mesh;
}

// A flat fan of the given number of triangles around the origin.
int BuildFan(int triangles) {
    const int mesh = Engine->CreateMesh(-1);
    Engine->MeshVertexPosition(0, 0, 0);
    for (int i = 0; i <= triangles; ++i) {
        const float angle = 6.2831853f * i / triangles;
        Engine->MeshVertexPosition(0.5f * std::cos(angle), 0.5f * std::sin(angle), 0);
    }
    for (int i = 1; i <= triangles; ++i) Engine->MeshFace(0, i, i + 1);
    Engine->FinishMesh(1);
    return mesh;
}

int AddEntity(int entity, int mesh, intptr_t material = 0) {
    return Engine->CreateEntity(entity, Engine->MeshID(mesh), material);
}

// ---- pictures and archives ----

struct Picture {
    int width, height;
    std::vector<unsigned char> rgb;
};

// Four flat quarters: the sky test can tell up from down and left from right.
const Rgb skyTopLeft{200, 40, 40}, skyTopRight{40, 200, 40}, skyBottomLeft{40, 40, 200}, skyBottomRight{200, 200, 40};

Picture QuarteredPicture() {
    Picture p{64, 32, {}};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const bool top = y < p.height / 2, left = x < p.width / 2;
            const Rgb c = top ? (left ? skyTopLeft : skyTopRight) : (left ? skyBottomLeft : skyBottomRight);
            p.rgb.insert(p.rgb.end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                       static_cast<unsigned char>(c.b)});
        }
    return p;
}

bool WritePng(const std::string& path, const Picture& p) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = p.width;
    image.height = p.height;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, p.rgb.data(), 0, nullptr) != 0;
}

// An archive made by the build's own packer, holding the given files under their names.
std::string MakeArchive(const std::string& folder, const std::map<std::string, std::string>& files) {
    std::vector<std::string> argv = {std::string(ZELVARO_TOOLS_DIR) + "/zelvaro_pack_sky", folder + "/test_sky.zip"};
    for (const auto& [name, bytes] : files) {
        WriteFileBytes(folder + "/" + name, bytes);
        argv.push_back(folder + "/" + name);
    }
    EXPECT_EQ(WaitProcess(StartProcess(argv), 30.0), 0) << "the packer failed";
    return argv[1];
}

std::string QuarteredPng(const std::string& folder) {
    const std::string path = folder + "/quartered.png";
    EXPECT_TRUE(WritePng(path, QuarteredPicture()));
    return ReadFileBytes(path);
}

// ---- fixtures ----

std::string xDisplay;

// The engine with a hidden screen and camera 0 a few units in front of the origin.
class EngineScreen : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (xDisplay.empty()) xDisplay = StartXvfb();
    }
    void SetUp() override {
        ASSERT_FALSE(xDisplay.empty()) << "Xvfb did not start";
        ASSERT_TRUE(InitEngine3D(0, "Zelvaro.so"));
        ASSERT_TRUE(Engine->OpenHiddenScreen(screenWidth, screenHeight));
        Engine->CreateCamera(0, 0, 0, 100, 100);
        Engine->MoveCamera(0, 0, 0, -cameraDistance);
    }
    void TearDown() override { ReleaseEngine3D(); }

    static Frame Render() {
        Engine->RenderWorld();
        return ReadFrame();
    }

    // The sky's picture decodes off the render thread and is uploaded by a later render:
    // renders until it shows or fails, against a deadline, and answers the sky's status.
    static int WaitForSky() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (Engine->Engine3DStatus(ENGINE_STATUS_SKY) == skyDecoding && std::chrono::steady_clock::now() < deadline) {
            Engine->RenderWorld();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return static_cast<int>(Engine->Engine3DStatus(ENGINE_STATUS_SKY));
    }

    // Texture 0 cut in 4 x 4 cells like the palette, every cell its own colour, and material 0
    // showing it the way the program sets it up.
    static void MakePaletteMaterial(const std::map<std::pair<int, int>, Rgb>& cells) {
        ASSERT_TRUE(Engine->CreateTexture(0, paletteSide, paletteSide));
        FillCells(cells);
        ASSERT_TRUE(Engine->CreateMaterial(0, Engine->TextureID(0)));
        Engine->MaterialFilteringMode(0, 0);
        Engine->MaterialBlendingMode(0, 1);
    }

    // Every cell not named gets a colour of its own, so that any bleeding shows.
    static void FillCells(const std::map<std::pair<int, int>, Rgb>& cells) {
        int width = 0, height = 0;
        uint32_t* pixels = Engine->LockTexture(0, &width, &height);
        ASSERT_NE(pixels, nullptr);
        ASSERT_EQ(width, paletteSide);
        ASSERT_EQ(height, paletteSide);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::pair<int, int> cell{x / cellSide, y / cellSide};
                const auto named = cells.find(cell);
                const Rgb filler{30 + cell.first * 6, 30 + cell.second * 6, 90};
                pixels[y * width + x] = PixelWord(named != cells.end() ? named->second : filler);
            }
        Engine->UnlockTexture(0);
    }

    // A 2 x 2 square whose texture corners touch the edges of one cell.
    static int CellSquare(int column, int row, Rgb vertexColour = white) {
        Square s;
        s.u0 = static_cast<float>(column) / cellsPerSide;
        s.v0 = static_cast<float>(row) / cellsPerSide;
        s.u1 = static_cast<float>(column + 1) / cellsPerSide;
        s.v1 = static_cast<float>(row + 1) / cellsPerSide;
        s.colour = vertexColour;
        return BuildSquare(s);
    }
};

// ---- the table ----

TEST(EngineTable, IsGivenOnlyForItsOwnVersion) {
    void* library = dlopen("Zelvaro.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getEngine = reinterpret_cast<ZelvaroGetEngineFn>(dlsym(library, ZELVARO_ENGINE_ENTRY));
    ASSERT_NE(getEngine, nullptr);
    const struct {
        int version;
        bool answered;
    } cases[] = {{ZELVARO_ENGINE_VERSION, true}, {0, false}, {ZELVARO_ENGINE_VERSION + 1, false}, {-1, false}, {1000, false}};
    for (const auto& c : cases) {
        const ZelvaroEngine* table = getEngine(c.version);
        EXPECT_EQ(table != nullptr, c.answered) << "version " << c.version;
        if (table) EXPECT_EQ(table->version, ZELVARO_ENGINE_VERSION);
    }
    dlclose(library);
}

// ---- entity and camera state, without a screen ----

enum class Step { Relative, Absolute, RelativeMode1, Rotate, Aim };
struct Move {
    Step step;
    float x, y, z;
};
struct PlaceCase {
    const char* name;
    std::vector<Move> moves;
    float x, y, z;
};

const PlaceCase placeCases[] = {
    {"nothing: the origin", {}, 0, 0, 0},
    {"a relative move", {{Step::Relative, 1, 2, 3}}, 1, 2, 3},
    {"relative moves add up", {{Step::Relative, 1, 2, 3}, {Step::Relative, 0.5f, -1, 2}}, 1.5f, 1, 5},
    {"the camera's start", {{Step::Relative, 0, 0, -40}}, 0, 0, -40},
    {"absolute after relative", {{Step::Relative, 1, 1, 1}, {Step::Absolute, 4, 5, 6}}, 4, 5, 6},
    {"relative after absolute", {{Step::Absolute, 4, 5, 6}, {Step::Relative, 1, 1, 1}}, 5, 6, 7},
    {"mode 1 moves relatively", {{Step::Absolute, 4, 5, 6}, {Step::RelativeMode1, 1, -1, 0.5f}}, 5, 4, 6.5f},
    {"the last absolute wins", {{Step::Absolute, 4, 5, 6}, {Step::Absolute, -7, 0.25f, 9}}, -7, 0.25f, 9},
    {"turning does not move", {{Step::Absolute, 2, 3, 4}, {Step::Rotate, 30, 60, 90}, {Step::Aim, 9, 9, 9}}, 2, 3, 4},
};

TEST(EngineState, MovesPlaceEntitiesAndCamerasWithoutAScreen) {
    ASSERT_TRUE(InitEngine3D(0, "Zelvaro.so"));
    const int mesh = BuildFan(3);
    int number = 1;
    for (const PlaceCase& c : placeCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(AddEntity(number, mesh));
        ASSERT_TRUE(Engine->CreateCamera(number, 0, 0, 100, 100));
        for (const Move& m : c.moves) switch (m.step) {
            case Step::Relative: Engine->MoveEntity(number, m.x, m.y, m.z), Engine->MoveCamera(number, m.x, m.y, m.z); break;
            case Step::Absolute:
                Engine->MoveEntity2(number, m.x, m.y, m.z, 0), Engine->MoveCamera2(number, m.x, m.y, m.z, 0);
                break;
            case Step::RelativeMode1:
                Engine->MoveEntity2(number, m.x, m.y, m.z, 1), Engine->MoveCamera2(number, m.x, m.y, m.z, 1);
                break;
            case Step::Rotate: Engine->RotateEntity(number, m.x, m.y, m.z), Engine->RotateEntity2(number, m.x, m.y, m.z, 0); break;
            case Step::Aim: Engine->CameraLookAt(number, m.x, m.y, m.z); break;
            }
        EXPECT_FLOAT_EQ(Engine->EntityX(number), c.x);
        EXPECT_FLOAT_EQ(Engine->EntityY(number), c.y);
        EXPECT_FLOAT_EQ(Engine->EntityZ(number), c.z);
        EXPECT_FLOAT_EQ(Engine->CameraX(number), c.x);
        EXPECT_FLOAT_EQ(Engine->CameraY(number), c.y);
        EXPECT_FLOAT_EQ(Engine->CameraZ(number), c.z);
        ++number;
    }
    Engine->RenderWorld(); // no screen: nothing to draw, nothing to break
    EXPECT_EQ(Engine->Engine3DStatus(ENGINE_STATUS_TRIANGLES), 0.0f);
    ReleaseEngine3D();
}

// Each kind of number has a stated bound: one past it, and the far numbers that used to grow
// the engine's tables by tens of megabytes, are refused.
enum class Kind { Entity, Camera, Light, Texture, Material, Mesh };
struct BoundCase {
    const char* name;
    Kind kind;
    int number;
    bool accepted;
};

const BoundCase boundCases[] = {
    {"the last entity", Kind::Entity, 16383, true},
    {"one entity past the bound", Kind::Entity, 16384, false},
    {"an entity near 2^20", Kind::Entity, (1 << 20) - 1, false},
    {"the largest entity number", Kind::Entity, INT_MAX, false},
    {"a negative entity", Kind::Entity, -1, false},
    {"the last camera", Kind::Camera, 15, true},
    {"one camera past the bound", Kind::Camera, 16, false},
    {"a camera near 2^20", Kind::Camera, (1 << 20) - 1, false},
    {"the last light", Kind::Light, 15, true},
    {"one light past the bound", Kind::Light, 16, false},
    {"the last texture", Kind::Texture, 255, true},
    {"one texture past the bound", Kind::Texture, 256, false},
    {"the last material", Kind::Material, 255, true},
    {"one material past the bound", Kind::Material, 256, false},
    {"the last mesh", Kind::Mesh, 16383, true},
    {"one mesh past the bound", Kind::Mesh, 16384, false},
};

TEST(EngineState, NumbersBeyondTheirBoundAreRefused) {
    ASSERT_TRUE(InitEngine3D(0, "Zelvaro.so"));
    const int mesh = BuildFan(3);
    ASSERT_TRUE(Engine->CreateTexture(0, 4, 4));
    for (const BoundCase& c : boundCases) {
        SCOPED_TRACE(c.name);
        switch (c.kind) {
        case Kind::Entity:
            EXPECT_EQ(AddEntity(c.number, mesh) != 0, c.accepted);
            Engine->MoveEntity2(c.number, 1, 2, 3, 0);
            EXPECT_EQ(Engine->EntityY(c.number), c.accepted ? 2.0f : 0.0f);
            break;
        case Kind::Camera:
            EXPECT_EQ(Engine->CreateCamera(c.number, 0, 0, 100, 100) != 0, c.accepted);
            Engine->MoveCamera2(c.number, 1, 2, 3, 0);
            EXPECT_EQ(Engine->CameraY(c.number), c.accepted ? 2.0f : 0.0f);
            break;
        case Kind::Light: EXPECT_EQ(Engine->CreateLight(c.number, 0xFFFFFF) != 0, c.accepted); break;
        case Kind::Texture: EXPECT_EQ(Engine->CreateTexture(c.number, 4, 4) != 0, c.accepted); break;
        case Kind::Material: EXPECT_EQ(Engine->CreateMaterial(c.number, Engine->TextureID(0)) != 0, c.accepted); break;
        case Kind::Mesh: EXPECT_EQ(Engine->CreateMesh(c.number) == c.number, c.accepted); break;
        }
    }
    ReleaseEngine3D();
}

TEST(EngineState, MeshNumbersAndHandles) {
    ASSERT_TRUE(InitEngine3D(0, "Zelvaro.so"));
    const int first = BuildFan(2), second = BuildFan(2);
    EXPECT_NE(first, second);
    EXPECT_TRUE(Engine->IsMesh(first));
    EXPECT_NE(Engine->MeshID(first), 0);
    Engine->FreeMesh(first);
    EXPECT_FALSE(Engine->IsMesh(first));
    EXPECT_EQ(Engine->MeshID(first), 0);
    EXPECT_FALSE(AddEntity(1, first)) << "an entity from a freed mesh";
    EXPECT_TRUE(Engine->IsMesh(second));
    EXPECT_EQ(Engine->TextureID(7), 0) << "a texture never made";
    EXPECT_EQ(Engine->LockTexture(7, nullptr, nullptr), nullptr);
    ReleaseEngine3D();
}

// ---- entities on the screen ----

struct ColourCase {
    const char* name;
    int column, row;
    Rgb texel, vertexColour, expected;
};

const ColourCase colourCases[] = {
    {"first cell", 0, 0, {220, 30, 10}, white, {220, 30, 10}},
    {"inner cell", 13, 17, {10, 240, 120}, white, {10, 240, 120}},
    {"last cell, beside the wrap", 31, 31, {255, 252, 255}, white, {255, 252, 255}},
    {"vertex colour times texel", 5, 3, {255, 255, 255}, {255, 128, 0}, {255, 128, 0}},
    {"both coloured", 7, 1, {200, 100, 50}, {128, 128, 128}, {100, 50, 25}},
};

TEST_F(EngineScreen, TexturedEntityShowsItsCellColourWithoutBleeding) {
    std::map<std::pair<int, int>, Rgb> cells;
    for (const ColourCase& c : colourCases) cells[{c.column, c.row}] = c.texel;
    for (const ColourCase& c : colourCases) {
        SCOPED_TRACE(c.name);
        Engine->Init(0); // an empty world, the screen closed: reopen and rebuild
        ASSERT_TRUE(Engine->OpenHiddenScreen(screenWidth, screenHeight));
        Engine->CreateCamera(0, 0, 0, 100, 100);
        Engine->MoveCamera(0, 0, 0, -cameraDistance);
        MakePaletteMaterial(cells);
        ASSERT_TRUE(AddEntity(1, CellSquare(c.column, c.row, c.vertexColour), Engine->MaterialID(0)));
        const Frame f = Render();
        EXPECT_TRUE(Near(f.At(centreX, centreY), c.expected, 1)) << ::testing::PrintToString(f.At(centreX, centreY));
        const int covered = screenWidth * screenHeight - f.Count(black);
        EXPECT_GT(covered, 400) << "the square is drawn";
        // every drawn pixel has the cell's colour: no neighbour cell, no blur at the edges
        int foreign = 0;
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x)
                foreign += !(f.At(x, y) == black) && !Near(f.At(x, y), c.expected, 1);
        EXPECT_EQ(foreign, 0);
    }
}

TEST_F(EngineScreen, TexturePaintedAfterARenderShowsAtTheNext) {
    MakePaletteMaterial({{{2, 2}, {250, 0, 0}}});
    ASSERT_TRUE(AddEntity(1, CellSquare(2, 2), Engine->MaterialID(0)));
    EXPECT_EQ(Render().At(centreX, centreY), (Rgb{250, 0, 0}));
    FillCells({{{2, 2}, {0, 0, 250}}});
    EXPECT_EQ(Render().At(centreX, centreY), (Rgb{0, 0, 250}));
}

struct PlaceOnScreen {
    const char* name;
    float x, y, z;
    int probeX, probeY; // where the entity must show, or -1: nowhere
};

TEST_F(EngineScreen, EntityIsDrawnWhereItStands) {
    const PlaceOnScreen cases[] = {
        {"origin", 0, 0, 0, centreX, centreY},
        {"+X is to the right", 2.0f, 0, 0, centreX + 40, centreY},
        {"+Y is up", 0, 1.5f, 0, centreX, centreY - 30},
        {"-Y is down", 0, -1.5f, 0, centreX, centreY + 30},
        {"behind the camera", 0, 0, -10, -1, -1},
    };
    Square small;
    small.left = small.bottom = -0.3f;
    small.right = small.top = 0.3f;
    small.colour = {0, 255, 0};
    ASSERT_TRUE(AddEntity(1, BuildSquare(small)));
    for (const PlaceOnScreen& c : cases) {
        SCOPED_TRACE(c.name);
        Engine->MoveEntity(1, 5, 5, 5); // somewhere else first: the absolute place must not add
        Engine->MoveEntity2(1, c.x, c.y, c.z, 0);
        const Frame f = Render();
        if (c.probeX < 0) {
            EXPECT_EQ(f.Count(black), screenWidth * screenHeight);
        } else {
            EXPECT_EQ(f.At(c.probeX, c.probeY), (Rgb{0, 255, 0}));
            EXPECT_NE(f.At(centreX, centreY) == black, c.probeX == centreX && c.probeY == centreY);
        }
    }
}

// An arm from near the origin out along +X: its direction on screen shows the orientation.
struct TurnCase {
    const char* name;
    float before[3]; // an orientation set first, which the second must replace
    float angles[3];
    bool second; // through RotateEntity2(..., 0)
    int armX, armY; // screen direction of the arm
};

const TurnCase turnCases[] = {
    {"no turn", {0, 0, 0}, {0, 0, 0}, false, 1, 0},
    {"90 about Z", {0, 0, 0}, {0, 0, 90}, false, 0, -1},
    {"180 about Z", {0, 0, 0}, {0, 0, 180}, false, -1, 0},
    {"-90 about Z", {0, 0, 0}, {0, 0, -90}, false, 0, 1},
    {"180 about Y", {0, 0, 0}, {0, 180, 0}, false, -1, 0},
    {"180 about X keeps the arm", {0, 0, 0}, {180, 0, 0}, false, 1, 0},
    {"X first, then Z", {0, 0, 0}, {180, 0, 90}, false, 0, -1},
    {"Y first, then Z", {0, 0, 0}, {0, 180, 90}, false, 0, 1},
    {"set, not added", {0, 0, 90}, {0, 0, 90}, false, 0, -1},
    {"set, not added, mode 0", {0, 0, 90}, {0, 0, 90}, true, 0, -1},
    {"replaces another turn", {30, 40, 50}, {0, 0, 180}, true, -1, 0},
};

TEST_F(EngineScreen, RotationSetsTheOrientation) {
    Square arm;
    arm.left = 0.2f;
    arm.right = 2.0f;
    arm.bottom = -0.25f;
    arm.top = 0.25f;
    arm.colour = {255, 255, 0};
    ASSERT_TRUE(AddEntity(1, BuildSquare(arm)));
    constexpr int reach = 30; // pixels from the centre, about 1.2 units
    for (const TurnCase& c : turnCases) {
        SCOPED_TRACE(c.name);
        Engine->RotateEntity(1, c.before[0], c.before[1], c.before[2]);
        if (c.second) Engine->RotateEntity2(1, c.angles[0], c.angles[1], c.angles[2], 0);
        else Engine->RotateEntity(1, c.angles[0], c.angles[1], c.angles[2]);
        const Frame f = Render();
        const int directions[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& d : directions) {
            const bool lit = f.At(centreX + d[0] * reach, centreY + d[1] * reach) != black;
            EXPECT_EQ(lit, d[0] == c.armX && d[1] == c.armY) << "direction " << d[0] << ", " << d[1];
        }
    }
}

TEST_F(EngineScreen, LightTintsFacesAndLeavesNoneBlack) {
    // six small squares side by side, each with the normal of one face of a cube
    const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int i = 0; i < 6; ++i) {
        Square s;
        s.left = -2.4f + 0.8f * i;
        s.right = s.left + 0.6f;
        s.bottom = -0.3f;
        s.top = 0.3f;
        s.normalX = normals[i][0];
        s.normalY = normals[i][1];
        s.normalZ = normals[i][2];
        ASSERT_TRUE(AddEntity(i + 1, BuildSquare(s)));
    }
    const struct {
        Rgb light;
        bool red, green, blue; // which channels the white squares may show
    } cases[] = {{{200, 200, 200}, true, true, true}, {{255, 0, 0}, true, false, false}, {{0, 0, 255}, false, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.light));
        Engine->CreateLight(1, EngineColour(c.light));
        const Frame f = Render();
        const std::vector<Rgb> faces = RunsAlongRow(f, centreY);
        ASSERT_EQ(faces.size(), 6u);
        int brightest = 0, dimmest = 3 * 255;
        for (size_t i = 0; i < faces.size(); ++i) {
            EXPECT_EQ(faces[i].r > 0, c.red) << "face " << i;
            EXPECT_EQ(faces[i].g > 0, c.green) << "face " << i;
            EXPECT_EQ(faces[i].b > 0, c.blue) << "face " << i;
            brightest = std::max(brightest, Brightness(faces[i]));
            dimmest = std::min(dimmest, Brightness(faces[i]));
        }
        EXPECT_GT(brightest, dimmest) << "faces toward the light are brighter";
    }
}

// A cube of side 2 whose faces each have their own colour, wound counter-clockwise seen from
// outside or the other way round.
const Rgb cubeFaceColours[6] = {{250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {250, 250, 0}, {0, 250, 250}, {250, 0, 250}};

int BuildCube(bool counterClockwise) {
    // each face: its outward normal n and two axes u, v with u x v = n
    const float faces[6][3][3] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
    };
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const int mesh = Engine->CreateMesh(-1);
    for (int f = 0; f < 6; ++f) {
        const auto& [n, u, v] = faces[f];
        for (const auto& c : corners) {
            Engine->MeshVertexPosition(n[0] + c[0] * u[0] + c[1] * v[0], n[1] + c[0] * u[1] + c[1] * v[1],
                                       n[2] + c[0] * u[2] + c[1] * v[2]);
            Engine->MeshVertexNormal(n[0], n[1], n[2]);
            Engine->MeshVertexColor(EngineColour(cubeFaceColours[f]));
        }
        const int b = 4 * f;
        if (counterClockwise) Engine->MeshFace(b, b + 1, b + 2), Engine->MeshFace(b, b + 2, b + 3);
        else Engine->MeshFace(b, b + 2, b + 1), Engine->MeshFace(b, b + 3, b + 2);
    }
    Engine->FinishMesh(1);
    return mesh;
}

struct SideCase {
    const char* name;
    bool counterClockwise;
    float cameraZ; // on the Z axis, looking at the origin
    Rgb centre;
};

TEST_F(EngineScreen, ClosedSolidsShowTheirOutwardFacesWhicheverWayTheyWind) {
    const Rgb minusZ = cubeFaceColours[5], plusZ = cubeFaceColours[4];
    const SideCase cases[] = {
        {"counter-clockwise, from the front", true, -5, minusZ},
        {"counter-clockwise, from behind", true, 5, plusZ},
        {"clockwise, from the front", false, -5, minusZ},
        {"clockwise, from behind", false, 5, plusZ},
        {"counter-clockwise, from inside: its far side is its back", true, 0, black},
        {"clockwise, from inside", false, 0, black},
    };
    const int cubes[2] = {BuildCube(false), BuildCube(true)};
    for (int reference : {0, 1})
        for (const SideCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (reference ? ", one by one" : ", batched"));
            Engine->SetReferenceRendering(reference);
            Engine->MoveCamera2(0, 0, 0, c.cameraZ, 0);
            Engine->CameraLookAt(0, 0, 0, c.cameraZ < 0 ? 1.0f : -1.0f);
            ASSERT_TRUE(AddEntity(1, cubes[c.counterClockwise]));
            EXPECT_EQ(Render().At(centreX, centreY), c.centre);
        }
    // an open sheet is drawn from both sides, as before
    Square sheet;
    sheet.colour = {0, 200, 0};
    ASSERT_TRUE(AddEntity(1, BuildSquare(sheet)));
    Engine->MoveCamera2(0, 0, 0, 5, 0);
    Engine->CameraLookAt(0, 0, 0, 0);
    EXPECT_EQ(Render().At(centreX, centreY), (Rgb{0, 200, 0})) << "seen from behind";
}

TEST_F(EngineScreen, EverySwarmShapeIsAClosedSolid) {
    const char* const shapes[] = {"tetrahedron", "cube", "octahedron", "dodecahedron", "icosahedron"};
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(shapes[kind]);
        constexpr float scale = 3.0f;
        const int mesh = BuildShapeMesh(kind, scale, scale, scale, 0, 0, 0.015625f, 0.015625f, EngineColour(white));
        ASSERT_TRUE(AddEntity(1, mesh));
        Engine->FreeMesh(mesh);
        Engine->MoveCamera2(0, 0, 0, -cameraDistance * 2, 0);
        Engine->CameraLookAt(0, 0, 0, 0);
        EXPECT_NE(Render().At(centreX, centreY), black) << "seen from outside";
        Engine->MoveCamera2(0, 0, 0, 0, 0);
        Engine->CameraLookAt(0, 0, 0, 1);
        EXPECT_EQ(Render().Count(black), screenWidth * screenHeight) << "from inside only its back faces are there";
    }
}

struct CountCase {
    const char* name;
    std::vector<int> fans; // triangles of each entity's mesh
};

TEST_F(EngineScreen, StatusCountsTheTrianglesOfTheLastRender) {
    const CountCase cases[] = {
        {"no entity", {}}, {"one", {4}}, {"shapes of the swarm", {4, 12, 8, 36, 20}}, {"many", std::vector<int>(300, 36)}};
    for (int reference : {0, 1})
        for (const CountCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (reference ? ", one by one" : ", batched"));
            Engine->Init(0);
            ASSERT_TRUE(Engine->OpenHiddenScreen(screenWidth, screenHeight));
            Engine->CreateCamera(0, 0, 0, 100, 100);
            Engine->SetReferenceRendering(reference);
            int total = 0, number = 1;
            for (int triangles : c.fans) {
                const int mesh = BuildFan(triangles);
                ASSERT_TRUE(AddEntity(number++, mesh));
                Engine->FreeMesh(mesh); // as the program does: the count stays
                total += triangles;
            }
            Engine->RenderWorld();
            EXPECT_EQ(Engine->Engine3DStatus(ENGINE_STATUS_TRIANGLES), static_cast<float>(total));
        }
}

TEST_F(EngineScreen, FaceNamingAMissingVertexIsDropped) {
    const int mesh = Engine->CreateMesh(-1);
    for (int i = 0; i < 3; ++i) Engine->MeshVertexPosition(static_cast<float>(i), static_cast<float>(i * i), 0);
    Engine->MeshFace(0, 1, 2);
    Engine->MeshFace(0, 1, 3);
    Engine->MeshFace(2, 1, -1);
    Engine->FinishMesh(1);
    ASSERT_TRUE(AddEntity(1, mesh));
    Engine->RenderWorld();
    EXPECT_EQ(Engine->Engine3DStatus(ENGINE_STATUS_TRIANGLES), 1.0f);
}

TEST_F(EngineScreen, FreedMeshLeavesItsEntityDrawn) {
    Square red;
    red.colour = {255, 0, 0};
    const int mesh = BuildSquare(red);
    ASSERT_TRUE(AddEntity(1, mesh));
    Engine->FreeMesh(mesh);
    EXPECT_FALSE(Engine->IsMesh(mesh));
    // a new mesh, which may well reuse the freed number, must not change the entity
    Square blue;
    blue.left = blue.bottom = -0.2f;
    blue.right = blue.top = 0.2f;
    blue.colour = {0, 0, 255};
    const int other = BuildSquare(blue);
    ASSERT_TRUE(AddEntity(2, other));
    Engine->MoveEntity2(2, 2.5f, 0, 0, 0);
    const Frame f = Render();
    EXPECT_EQ(f.At(centreX, centreY), (Rgb{255, 0, 0}));
    EXPECT_EQ(f.At(centreX - 15, centreY + 15), (Rgb{255, 0, 0})) << "the whole 2 x 2 square";
    EXPECT_EQ(f.At(centreX + 50, centreY), (Rgb{0, 0, 255}));
}

// ---- the sky ----

struct LookCase {
    const char* name;
    float x, y, z; // the point looked at from the origin
    Rgb topLeft, topRight, bottomLeft, bottomRight;
};

TEST_F(EngineScreen, SkyPictureFillsTheBackgroundAroundTheView) {
    const std::string folder = MakeTempFolder();
    const std::string archive = MakeArchive(folder, {{"space2.png", QuarteredPng(folder)}});
    ASSERT_TRUE(Engine->Add3DArchive(archive.c_str(), 1));
    ASSERT_TRUE(Engine->SkyBox("space2.png"));
    ASSERT_EQ(WaitForSky(), skyDrawn);
    Engine->MoveCamera2(0, 0, 0, 0, 0);
    const LookCase cases[] = {
        {"ahead, +Z: the middle of the picture", 0, 0, 1, skyTopLeft, skyTopRight, skyBottomLeft, skyBottomRight},
        {"behind, -Z: across the seam", 0, 0, -1, skyTopRight, skyTopLeft, skyBottomRight, skyBottomLeft},
        {"to the right, +X", 1, 0, 0, skyTopRight, skyTopRight, skyBottomRight, skyBottomRight},
        {"to the left, -X", -1, 0, 0, skyTopLeft, skyTopLeft, skyBottomLeft, skyBottomLeft},
    };
    for (const LookCase& c : cases) {
        SCOPED_TRACE(c.name);
        Engine->CameraLookAt(0, c.x, c.y, c.z);
        const Frame f = Render();
        constexpr int qx = screenWidth / 4, qy = screenHeight / 4;
        EXPECT_TRUE(Near(f.At(qx, qy), c.topLeft, 2)) << ::testing::PrintToString(f.At(qx, qy));
        EXPECT_TRUE(Near(f.At(3 * qx, qy), c.topRight, 2)) << ::testing::PrintToString(f.At(3 * qx, qy));
        EXPECT_TRUE(Near(f.At(qx, 3 * qy), c.bottomLeft, 2)) << ::testing::PrintToString(f.At(qx, 3 * qy));
        EXPECT_TRUE(Near(f.At(3 * qx, 3 * qy), c.bottomRight, 2)) << ::testing::PrintToString(f.At(3 * qx, 3 * qy));
        EXPECT_EQ(f.Count(black), 0) << "the sky covers the whole background";
    }
    // an entity stands in front of the sky
    Square grey;
    grey.left = grey.bottom = -0.1f;
    grey.right = grey.top = 0.1f;
    grey.colour = {128, 128, 128};
    ASSERT_TRUE(AddEntity(1, BuildSquare(grey)));
    Engine->MoveEntity2(1, 0, 0, 1, 0);
    Engine->CameraLookAt(0, 0, 0, 1);
    EXPECT_EQ(Render().At(centreX, centreY), (Rgb{128, 128, 128}));
}

struct MissingSkyCase {
    const char* name;
    bool archiveExists;
    std::map<std::string, std::string> files;
    const char* asked;
};

TEST_F(EngineScreen, MissingSkyLeavesABlackBackground) {
    const std::string folder = MakeTempFolder();
    const std::string good = QuarteredPng(folder);
    const MissingSkyCase cases[] = {
        {"no archive", false, {}, "space2.png"},
        {"archive without the picture", true, {{"other.png", good}}, "space2.png"},
        {"not a picture", true, {{"space2.png", "this is no PNG file at all"}}, "space2.png"},
        {"picture cut short", true, {{"space2.png", good.substr(0, good.size() / 2)}}, "space2.png"},
        {"no name", true, {{"space2.png", good}}, ""},
    };
    Square marker;
    marker.left = marker.bottom = -0.2f;
    marker.right = marker.top = 0.2f;
    marker.colour = {0, 200, 0};
    ASSERT_TRUE(AddEntity(1, BuildSquare(marker)));
    for (const MissingSkyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string caseFolder = MakeTempFolder();
        const std::string archive = c.archiveExists ? MakeArchive(caseFolder, c.files) : caseFolder + "/missing.zip";
        EXPECT_EQ(Engine->Add3DArchive(archive.c_str(), 1) != 0, c.archiveExists);
        EXPECT_EQ(Engine->SkyBox(c.asked), 0);
        EXPECT_EQ(Engine->Engine3DStatus(ENGINE_STATUS_SKY), noSky);
        const Frame f = Render();
        EXPECT_EQ(f.At(centreX, centreY), (Rgb{0, 200, 0})) << "the world is still drawn";
        EXPECT_EQ(f.CountOther({black, {0, 200, 0}}), 0) << "no sky";
    }
}

// ---- hostile sky pictures ----

// Resident memory of this process's own (not the library code it maps, which the GL's shader
// compiler touches more of as it works), from the kernel's own count.
long ResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssAnon:", 0) == 0) return std::stol(line.substr(8)) * 1024;
    return 0;
}

std::string BigEndian32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string typed = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    return BigEndian32(static_cast<uint32_t>(data.size())) + typed + BigEndian32(static_cast<uint32_t>(crc));
}

// A PNG file of an 8-bit RGB picture claiming that size, whose pixel data holds only a few
// rows; the end chunk can be left out.
std::string ClaimingPng(uint32_t width, uint32_t height, bool ended = true) {
    const std::string header = BigEndian32(width) + BigEndian32(height) + std::string("\x08\x02\x00\x00\x00", 5);
    std::string rows(3 * (1 + 3 * static_cast<size_t>(std::min<uint32_t>(width, 64))), '\0');
    std::string packed(compressBound(static_cast<uLong>(rows.size())), '\0');
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
             static_cast<uLong>(rows.size()));
    packed.resize(packedSize);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", packed) +
           (ended ? Chunk("IEND", "") : "");
}

constexpr long memorySlack = 48l << 20; // far below what the faults kept: 128 MiB to 1 GiB

struct HostileSkyCase {
    const char* name;
    std::string file;
    int answer; // of SkyBox
};

TEST_F(EngineScreen, HostileSkyPicturesShowNoSkyAndKeepNoMemory) {
    const HostileSkyCase cases[] = {
        {"a small file claiming 16384 x 16384", ClaimingPng(16384, 16384), 0},
        {"one column too wide", ClaimingPng(8193, 2048), 0},
        {"one row too high", ClaimingPng(4096, 4097), 0},
        {"the largest size, without its end", ClaimingPng(8192, 4096, false), 0},
        {"the largest size, its pixels cut short", ClaimingPng(8192, 4096), 1},
    };
    Render();
    for (const HostileSkyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = MakeTempFolder();
        ASSERT_TRUE(Engine->Add3DArchive(MakeArchive(folder, {{"space2.png", c.file}}).c_str(), 1));
        const long before = ResidentBytes();
        EXPECT_EQ(Engine->SkyBox("space2.png"), c.answer);
        EXPECT_EQ(WaitForSky(), noSky) << "the picture does not decode";
        EXPECT_EQ(Render().Count(black), screenWidth * screenHeight);
        EXPECT_LT(ResidentBytes() - before, memorySlack);
    }
}

TEST_F(EngineScreen, ShownSkyKeepsNoDecodedPicture) {
    ASSERT_TRUE(Engine->Add3DArchive(ZELVARO_BIN_DIR "/Zelvaro_Sky.zip", 1));
    Render();
    const long before = ResidentBytes();
    ASSERT_TRUE(Engine->SkyBox("space2.png"));
    ASSERT_EQ(WaitForSky(), skyDrawn);
    EXPECT_LT(Render().Count(black), screenWidth * screenHeight / 2);
    // the screen is small: the GL holds the picture shrunk, and its 32 MiB whole is gone
    EXPECT_LT(ResidentBytes() - before, memorySlack / 3);
}

TEST_F(EngineScreen, FailedSkyBoxRemovesTheFormerSky) {
    const std::string folder = MakeTempFolder();
    ASSERT_TRUE(Engine->Add3DArchive(MakeArchive(folder, {{"space2.png", QuarteredPng(folder)}}).c_str(), 1));
    ASSERT_TRUE(Engine->SkyBox("space2.png"));
    ASSERT_EQ(WaitForSky(), skyDrawn);
    EXPECT_EQ(Render().Count(black), 0);
    EXPECT_EQ(Engine->SkyBox("nowhere.png"), 0);
    EXPECT_EQ(Engine->Engine3DStatus(ENGINE_STATUS_SKY), noSky);
    EXPECT_EQ(Render().Count(black), screenWidth * screenHeight);
}

TEST_F(EngineScreen, SkyFollowsTheLastSkyBoxAndTheWorldOutlivesTheScreen) {
    const std::string folder = MakeTempFolder();
    const Rgb dusk{70, 20, 110};
    Picture flat{8, 4, {}};
    for (int i = 0; i < flat.width * flat.height; ++i) flat.rgb.insert(flat.rgb.end(), {70, 20, 110});
    ASSERT_TRUE(WritePng(folder + "/flat.png", flat));
    const std::string archive =
        MakeArchive(folder, {{"space2.png", QuarteredPng(folder)}, {"dusk.png", ReadFileBytes(folder + "/flat.png")}});
    ASSERT_TRUE(Engine->Add3DArchive(archive.c_str(), 1));
    ASSERT_TRUE(Engine->SkyBox("space2.png"));
    ASSERT_EQ(WaitForSky(), skyDrawn);
    EXPECT_EQ(Render().Count(black), 0);
    ASSERT_TRUE(Engine->SkyBox("dusk.png"));
    ASSERT_EQ(WaitForSky(), skyDrawn);
    EXPECT_EQ(Render().Count(dusk), screenWidth * screenHeight) << "the new picture replaces the old";
    // a new screen has new GL objects: the sky, the textures and the entities come back
    MakePaletteMaterial({{{4, 4}, {250, 250, 0}}});
    ASSERT_TRUE(AddEntity(1, CellSquare(4, 4), Engine->MaterialID(0)));
    const Frame before = Render();
    Engine->CloseScreen();
    ASSERT_TRUE(Engine->OpenHiddenScreen(screenWidth, screenHeight));
    ASSERT_EQ(WaitForSky(), skyDrawn) << "the picture is read again for the new screen";
    const Frame after = Render();
    EXPECT_EQ(after.At(centreX, centreY), (Rgb{250, 250, 0}));
    EXPECT_EQ(after.At(2, 2), dusk);
    EXPECT_EQ(DifferingPixels(before, after), 0);
}

TEST_F(EngineScreen, BuiltSkyArchiveGivesADarkStarrySky) {
    constexpr int width = 640, height = 480; // big enough that stars are not shrunk away
    ASSERT_TRUE(Engine->OpenHiddenScreen(width, height));
    ASSERT_TRUE(Engine->Add3DArchive(ZELVARO_BIN_DIR "/Zelvaro_Sky.zip", 1));
    ASSERT_TRUE(Engine->SkyBox("space2.png"));
    ASSERT_EQ(WaitForSky(), skyDrawn);
    const float looks[][3] = {{0, 0, 1}, {1, 0.3f, 0}, {0, -1, 0.2f}, {-0.5f, 0.8f, -0.3f}};
    for (const auto& look : looks) {
        SCOPED_TRACE(::testing::Message() << "looking along " << look[0] << ", " << look[1] << ", " << look[2]);
        Engine->CameraLookAt(0, look[0], look[1], look[2] - cameraDistance);
        const Frame f = Render();
        long total = 0;
        int stars = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                total += Brightness(f.At(x, y));
                stars += Brightness(f.At(x, y)) > 3 * 160;
            }
        const double mean = static_cast<double>(total) / (width * height * 3);
        EXPECT_GT(mean, 1.0) << "not a black sky";
        EXPECT_LT(mean, 40.0) << "a dark background that keeps the swarm in front";
        EXPECT_GE(stars, 20) << "bright stars in every direction";
        EXPECT_LT(stars, width * height / 100) << "stars are points";
    }
}

// ---- the batched and the reference path ----

TEST_F(EngineScreen, ReferencePathDrawsTheSamePicture) {
    const std::string folder = MakeTempFolder();
    ASSERT_TRUE(Engine->Add3DArchive(MakeArchive(folder, {{"space2.png", QuarteredPng(folder)}}).c_str(), 1));
    ASSERT_TRUE(Engine->SkyBox("space2.png"));
    ASSERT_EQ(WaitForSky(), skyDrawn);
    std::map<std::pair<int, int>, Rgb> cells;
    for (int i = 0; i < cellsPerSide; ++i) cells[{i, i}] = {8 * i, 255 - 8 * i, 128};
    MakePaletteMaterial(cells);
    Engine->CreateLight(1, EngineColour({200, 200, 200}));
    Engine->MoveCamera2(0, 3, 4, -12, 0);
    Engine->CameraLookAt(0, 0, 0, 0);
    constexpr int entities = 40;
    for (int i = 1; i <= entities; ++i) {
        Square s;
        const int cell = i % cellsPerSide;
        s.left = s.bottom = -0.6f;
        s.right = s.top = 0.6f;
        s.u0 = s.v0 = static_cast<float>(cell) / cellsPerSide;
        s.u1 = s.v1 = static_cast<float>(cell + 1) / cellsPerSide;
        s.normalX = 0.3f;
        const int mesh = BuildSquare(s);
        ASSERT_TRUE(AddEntity(i, mesh, Engine->MaterialID(0)));
        Engine->FreeMesh(mesh);
        Engine->MoveEntity2(i, std::sin(i * 1.7f) * 5, std::cos(i * 1.3f) * 4, std::sin(i * 0.7f) * 6, 0);
        Engine->RotateEntity(i, i * 17.0f, i * 31.0f, i * 7.0f);
    }
    const Frame batched = Render();
    Engine->SetReferenceRendering(1);
    const Frame reference = Render();
    EXPECT_EQ(DifferingPixels(batched, reference), 0);
    EXPECT_EQ(Engine->Engine3DStatus(ENGINE_STATUS_TRIANGLES), 2.0f * entities);
    // the picture is a real one: sky and many entities
    int entityPixels = 0;
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const Rgb c = batched.At(x, y);
            entityPixels += !(c == skyTopLeft || c == skyTopRight || c == skyBottomLeft || c == skyBottomRight);
        }
    EXPECT_GT(entityPixels, 1000);
    // and each path follows the entities when they move
    Engine->MoveEntity(1, 0.5f, 0, 0);
    Engine->RotateEntity(2, 0, 0, 0);
    const Frame movedReference = Render();
    Engine->SetReferenceRendering(0);
    const Frame movedBatched = Render();
    EXPECT_GT(DifferingPixels(batched, movedBatched), 0);
    EXPECT_EQ(DifferingPixels(movedBatched, movedReference), 0);
}

// ---- 2D images ----

std::vector<unsigned char> FlatImage(int width, int height, Rgb c, int alpha = 255) {
    std::vector<unsigned char> rgba;
    for (int i = 0; i < width * height; ++i)
        rgba.insert(rgba.end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                 static_cast<unsigned char>(c.b), static_cast<unsigned char>(alpha)});
    return rgba;
}

TEST_F(EngineScreen, ImageLeavesItsTransparentPixelsUntouched) {
    Square backdrop;
    backdrop.left = backdrop.bottom = -3;
    backdrop.right = backdrop.top = 3;
    backdrop.colour = {90, 60, 30};
    ASSERT_TRUE(AddEntity(1, BuildSquare(backdrop)));
    // a 10 x 10 frame of green, one pixel wide, clear inside
    std::vector<unsigned char> ring = FlatImage(10, 10, {0, 255, 0});
    for (int y = 1; y < 9; ++y)
        for (int x = 1; x < 9; ++x) ring[(y * 10 + x) * 4 + 3] = 0;
    const int image = Engine->CreateImage(10, 10, ring.data());
    ASSERT_NE(image, 0);
    Engine->RenderWorld();
    Engine->SwitchTo2D();
    Engine->DrawImage(image, 70, 50);
    const Frame f = ReadFrame();
    for (int y = 45; y < 65; ++y)
        for (int x = 65; x < 85; ++x) {
            const bool onRing = x >= 70 && x < 80 && y >= 50 && y < 60 && (x == 70 || x == 79 || y == 50 || y == 59);
            const Rgb expected = onRing ? Rgb{0, 255, 0} : Rgb{90, 60, 30};
            EXPECT_EQ(f.At(x, y), expected) << x << ", " << y;
        }
}

TEST_F(EngineScreen, ImageIsClippedAtTheScreenEdges) {
    const std::vector<unsigned char> blue = FlatImage(10, 10, {0, 0, 255});
    const int image = Engine->CreateImage(10, 10, blue.data());
    ASSERT_NE(image, 0);
    const struct {
        int x, y;          // where the image goes
        int left, top;     // its visible part's top-left corner
        int width, height; // and size
    } cases[] = {
        {-4, -6, 0, 0, 6, 4},
        {screenWidth - 3, -2, screenWidth - 3, 0, 3, 8},
        {-7, screenHeight - 5, 0, screenHeight - 5, 3, 5},
        {screenWidth - 8, screenHeight - 9, screenWidth - 8, screenHeight - 9, 8, 9},
        {screenWidth + 2, 40, 0, 0, 0, 0},
        {40, -10, 0, 0, 0, 0},
        {20, 30, 20, 30, 10, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "at " << c.x << ", " << c.y);
        Engine->RenderWorld();
        Engine->DrawImage(image, c.x, c.y); // the first image of a frame switches to 2D by itself
        const Frame f = ReadFrame();
        EXPECT_EQ(f.Count({0, 0, 255}), c.width * c.height) << "nothing wraps to another edge";
        if (c.width > 0) {
            EXPECT_EQ(f.At(c.left, c.top), (Rgb{0, 0, 255}));
            EXPECT_EQ(f.At(c.left + c.width - 1, c.top + c.height - 1), (Rgb{0, 0, 255}));
        }
        Engine->FlipBuffers();
    }
}

// ---- statistics ----

TEST_F(EngineScreen, FramesPerSecondCountsTheFlipsOfTheLastSecond) {
    EXPECT_EQ(Engine->Engine3DStatus(ENGINE_STATUS_FPS), 0.0f) << "nothing flipped yet";
    constexpr auto pause = std::chrono::milliseconds(50); // about 20 flips a second
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1600);
    while (std::chrono::steady_clock::now() < end) {
        Engine->RenderWorld();
        Engine->FlipBuffers();
        std::this_thread::sleep_for(pause);
    }
    const float fps = Engine->Engine3DStatus(ENGINE_STATUS_FPS);
    EXPECT_GT(fps, 5.0f);
    EXPECT_LT(fps, 21.0f); // never more flips than were made
}

// ---- full screen and foreign windows ----

class EngineDisplay : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (xDisplay.empty()) xDisplay = StartXvfb();
    }
    void SetUp() override {
        ASSERT_FALSE(xDisplay.empty());
        ASSERT_TRUE(InitEngine3D(0, "Zelvaro.so"));
    }
    void TearDown() override { ReleaseEngine3D(); }
};

TEST_F(EngineDisplay, FullScreenTakesTheAskedModeOrTheDesktops) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0); // as the program does, for the cursor
    const struct {
        int width, height;
        int shownWidth, shownHeight;
    } cases[] = {{1024, 768, 1024, 768}, {1001, 701, 1024, 768}, {5000, 4000, 1024, 768}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        ASSERT_TRUE(Engine->OpenScreen(c.width, c.height, 32, "", 2));
        EXPECT_EQ(Engine->ScreenWidth(), c.shownWidth);
        EXPECT_EQ(Engine->ScreenHeight(), c.shownHeight);
        ASSERT_NE(Engine->ScreenWindow(), nullptr);
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE) << "the pointer is hidden";
        Engine->RenderWorld();
        Engine->FlipBuffers();
        Engine->CloseScreen();
        EXPECT_EQ(Engine->ScreenWindow(), nullptr);
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE) << "and shown again";
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(EngineDisplay, WindowedScreenShowsItsFramesInTheForeignWindow) {
    Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    constexpr int width = 152, height = 112;
    const Window host = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, width, height, 0, 0, 0);
    XMapWindow(x, host);
    XSync(x, 0);
    ASSERT_TRUE(Engine->OpenWindowedScreen(host, width, height, 2));
    EXPECT_EQ(Engine->ScreenWidth(), width);
    EXPECT_EQ(Engine->ScreenHeight(), height);
    Engine->CreateCamera(0, 0, 0, 100, 100);
    Engine->MoveCamera(0, 0, 0, -cameraDistance);
    Square big;
    big.left = big.bottom = -10;
    big.right = big.top = 10;
    big.colour = {255, 0, 255};
    ASSERT_TRUE(AddEntity(1, BuildSquare(big)));
    unsigned long shown = 0;
    for (int attempt = 0; attempt < 40 && shown != 0xFF00FF; ++attempt) {
        Engine->RenderWorld();
        Engine->FlipBuffers();
        ReadFrame(); // waits for the GL to finish
        XImage* image = XGetImage(x, host, width / 2, height / 2, 1, 1, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        shown = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_EQ(shown, 0xFF00FFul);
    Engine->CloseScreen();
    XWindowAttributes attributes;
    EXPECT_NE(XGetWindowAttributes(x, host, &attributes), 0) << "the host's window outlives the screen";
    XDestroyWindow(x, host);
    XCloseDisplay(x);
}

} // namespace
