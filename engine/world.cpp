// The world as plain CPU data: textures, materials, meshes, entities, cameras and lights.
// Nothing here touches OpenGL, so the dance can run and be measured without a screen; the
// renderer uploads what changed at the next RenderWorld.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

#include <glm/gtc/type_ptr.hpp>

#include "engine_calls.h"
#include "engine_state.h"
#include "sky.h"

namespace zelvaro {

World world;

namespace {

constexpr uint32_t opaqueBlack = 0xFF000000u;
constexpr uint32_t opaqueWhite = 0xFFFFFFFFu;
constexpr uint32_t rgbMask = 0x00FFFFFFu;
constexpr float colourScale = 1.0f / 255.0f;
constexpr float minimumAim = 1e-6f; // a look-at point this close to the camera gives no direction
constexpr int firstEngineMesh = 1;  // numbers the engine picks start here, so 0 never means "made"
constexpr int modeAbsolute = 0;
constexpr int largestTextureSide = 1 << 13;

// A handle is the number plus one, so that 0 means "no such object".
intptr_t HandleOf(int number) { return static_cast<intptr_t>(number) + 1; }
int NumberOf(intptr_t handle) {
    return handle > 0 && handle <= largestNumberBound ? static_cast<int>(handle - 1) : -1;
}

uint32_t OpaqueColour(int colour) { return opaqueBlack | (static_cast<uint32_t>(colour) & rgbMask); }

Vertex* CurrentVertex() {
    Mesh* mesh = Find(world.meshes, world.buildingMesh);
    return mesh && !mesh->geometry.vertices.empty() ? &mesh->geometry.vertices.back() : nullptr;
}

// The triangles of from whose three corners all exist.
void KeepValidTriangles(const std::vector<uint32_t>& from, size_t vertexCount, std::vector<uint32_t>& to) {
    to.clear();
    to.reserve(from.size());
    for (size_t i = 0; i + 2 < from.size(); i += 3) {
        const uint32_t* t = &from[i];
        if (t[0] < vertexCount && t[1] < vertexCount && t[2] < vertexCount) to.insert(to.end(), t, t + 3);
    }
}

void Place(glm::vec3& position, float x, float y, float z, int mode) {
    if (mode == modeAbsolute) position = {x, y, z};
    else position += glm::vec3(x, y, z);
}

// ---- which faces look outward ----

using Corner = std::tuple<float, float, float>;
Corner CornerOf(const Vertex& v) { return {v.position[0], v.position[1], v.position[2]}; }

// Vertices at one position share one id: a solid repeats its corners for each face's normal.
std::vector<uint32_t> PositionIds(const std::vector<Vertex>& vertices) {
    std::vector<uint32_t> byPosition(vertices.size()), ids(vertices.size());
    std::iota(byPosition.begin(), byPosition.end(), 0u);
    std::sort(byPosition.begin(), byPosition.end(),
              [&](uint32_t a, uint32_t b) { return CornerOf(vertices[a]) < CornerOf(vertices[b]); });
    uint32_t id = 0;
    for (size_t i = 0; i < byPosition.size(); ++i) {
        if (i > 0 && CornerOf(vertices[byPosition[i]]) != CornerOf(vertices[byPosition[i - 1]])) ++id;
        ids[byPosition[i]] = id;
    }
    return ids;
}

// Six times the signed volume; a face winding counter-clockwise seen from outside adds to it.
double VolumeSum(const Geometry& g, double& magnitude) {
    double sum = 0.0;
    magnitude = 0.0;
    for (size_t i = 0; i + 2 < g.indices.size(); i += 3) {
        const glm::dvec3 a(glm::make_vec3(g.vertices[g.indices[i]].position));
        const glm::dvec3 b(glm::make_vec3(g.vertices[g.indices[i + 1]].position));
        const glm::dvec3 c(glm::make_vec3(g.vertices[g.indices[i + 2]].position));
        const double term = glm::dot(a, glm::cross(b, c));
        sum += term;
        magnitude += std::abs(term);
    }
    return sum;
}

constexpr double flatVolume = 1e-6; // of the terms' total: a flat or two-sided sheet, not a solid

// A closed solid has each edge once in each direction; its volume's sign gives its winding.
Surface ClassifySurface(const Geometry& g) {
    for (const Vertex& v : g.vertices)
        if (!std::isfinite(v.position[0]) || !std::isfinite(v.position[1]) || !std::isfinite(v.position[2]))
            return Surface::open;
    if (g.indices.empty()) return Surface::open;
    const std::vector<uint32_t> ids = PositionIds(g.vertices);
    std::vector<uint64_t> edges;
    edges.reserve(g.indices.size());
    for (size_t i = 0; i + 2 < g.indices.size(); i += 3)
        for (int k = 0; k < 3; ++k) {
            const uint64_t from = ids[g.indices[i + k]], to = ids[g.indices[i + (k + 1) % 3]];
            if (from == to) return Surface::open; // a degenerate triangle
            edges.push_back(from << 32 | to);
        }
    std::sort(edges.begin(), edges.end());
    if (std::adjacent_find(edges.begin(), edges.end()) != edges.end()) return Surface::open;
    for (uint64_t edge : edges)
        if (!std::binary_search(edges.begin(), edges.end(), (edge << 32) | (edge >> 32))) return Surface::open;
    double magnitude = 0.0;
    const double volume = VolumeSum(g, magnitude);
    if (std::abs(volume) <= flatVolume * magnitude) return Surface::open;
    return volume > 0.0 ? Surface::outwardCounterClockwise : Surface::outwardClockwise;
}

// The swarm makes thousands of entities of one shape that differ only in texture coordinates:
// the answer for the last shape seen is kept.
struct ShapeMemo {
    std::vector<Corner> corners;
    std::vector<uint32_t> indices;
    Surface surface = Surface::open;
};
ShapeMemo shapeMemo;

Surface SurfaceOf(const Geometry& g) {
    bool same = g.indices == shapeMemo.indices && g.vertices.size() == shapeMemo.corners.size();
    for (size_t i = 0; same && i < g.vertices.size(); ++i) same = CornerOf(g.vertices[i]) == shapeMemo.corners[i];
    if (same) return shapeMemo.surface;
    shapeMemo.indices = g.indices;
    shapeMemo.corners.clear();
    for (const Vertex& v : g.vertices) shapeMemo.corners.push_back(CornerOf(v));
    shapeMemo.surface = ClassifySurface(g);
    return shapeMemo.surface;
}

} // namespace

void ResetWorld() {
    StopSkyLoad(); // the decoder reads nothing of the world, but its result belongs to it
    world = World();
    shapeMemo = ShapeMemo();
}

// ---- textures ----

int CreateTexture(int texture, int width, int height) {
    if (width <= 0 || height <= 0 || width > largestTextureSide || height > largestTextureSide ||
        !Reach(world.textures, texture, textureNumbers))
        return 0;
    Texture& t = world.textures[texture];
    const GLuint gl = t.gl; // a texture made again reuses its GL name
    t = Texture();
    t.exists = true;
    t.width = width;
    t.height = height;
    t.pixels.assign(static_cast<size_t>(width) * height, opaqueBlack);
    t.gl = gl;
    return 1;
}

uint32_t* LockTexture(int texture, int* width, int* height) {
    Texture* t = Find(world.textures, texture);
    if (!t) return nullptr;
    if (width) *width = t->width;
    if (height) *height = t->height;
    return t->pixels.data();
}

void UnlockTexture(int texture) {
    if (Texture* t = Find(world.textures, texture)) t->dirty = true;
}

intptr_t TextureID(int texture) { return Find(world.textures, texture) ? HandleOf(texture) : 0; }

// ---- materials ----

int CreateMaterial(int material, intptr_t textureId) {
    if (!Reach(world.materials, material, materialNumbers)) return 0;
    Material& m = world.materials[material];
    m = Material();
    m.exists = true;
    m.texture = Find(world.textures, NumberOf(textureId)) ? NumberOf(textureId) : -1;
    return 1;
}

void MaterialFilteringMode(int material, int mode) {
    if (Material* m = Find(world.materials, material)) m->filtering = mode == filterNearest ? filterNearest : filterBilinear;
}

void MaterialBlendingMode(int material, int mode) {
    if (Material* m = Find(world.materials, material))
        m->blending = mode == blendAlpha || mode == blendAdd ? mode : blendOpaque;
}

intptr_t MaterialID(int material) { return Find(world.materials, material) ? HandleOf(material) : 0; }

// ---- meshes ----

int CreateMesh(int mesh) {
    if (mesh < 0) {
        mesh = firstEngineMesh;
        while (static_cast<size_t>(mesh) < world.meshes.size() && world.meshes[mesh].exists) ++mesh;
    }
    if (!Reach(world.meshes, mesh, meshNumbers)) return -1;
    Mesh& m = world.meshes[mesh];
    // Clearing keeps the vectors' room: a program that builds and frees a mesh per object
    // then allocates almost nothing.
    m.geometry.vertices.clear();
    m.geometry.indices.clear();
    m.exists = true;
    world.buildingMesh = mesh;
    return mesh;
}

void MeshVertexPosition(float x, float y, float z) {
    Mesh* mesh = Find(world.meshes, world.buildingMesh);
    if (!mesh) return;
    mesh->geometry.vertices.push_back(Vertex{{x, y, z}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f}, opaqueWhite});
}

void MeshVertexNormal(float x, float y, float z) {
    if (Vertex* v = CurrentVertex()) {
        v->normal[0] = x;
        v->normal[1] = y;
        v->normal[2] = z;
    }
}

void MeshVertexTextureCoordinate(float u, float v) {
    if (Vertex* vertex = CurrentVertex()) {
        vertex->texcoord[0] = u;
        vertex->texcoord[1] = v;
    }
}

void MeshVertexColor(int colour) {
    if (Vertex* v = CurrentVertex()) v->colour = OpaqueColour(colour);
}

void MeshFace(int a, int b, int c) {
    Mesh* mesh = Find(world.meshes, world.buildingMesh);
    if (!mesh || a < 0 || b < 0 || c < 0) return;
    mesh->geometry.indices.insert(mesh->geometry.indices.end(),
                                  {static_cast<uint32_t>(a), static_cast<uint32_t>(b), static_cast<uint32_t>(c)});
}

int FinishMesh(int) {
    Mesh* mesh = Find(world.meshes, world.buildingMesh);
    world.buildingMesh = -1;
    if (!mesh) return 0;
    std::vector<uint32_t> checked;
    KeepValidTriangles(mesh->geometry.indices, mesh->geometry.vertices.size(), checked);
    mesh->geometry.indices.swap(checked);
    return 1;
}

int IsMesh(int mesh) { return Find(world.meshes, mesh) ? 1 : 0; }

void FreeMesh(int mesh) {
    Mesh* m = Find(world.meshes, mesh);
    if (!m) return;
    m->exists = false;
    m->geometry.vertices.clear();
    m->geometry.indices.clear();
    if (world.buildingMesh == mesh) world.buildingMesh = -1;
}

intptr_t MeshID(int mesh) { return Find(world.meshes, mesh) ? HandleOf(mesh) : 0; }

// ---- entities ----

int CreateEntity(int entity, intptr_t meshId, intptr_t materialId) {
    Mesh* mesh = Find(world.meshes, NumberOf(meshId));
    if (!mesh || !Reach(world.entities, entity, entityNumbers)) return 0;
    Entity& e = world.entities[entity];
    e.exists = true;
    e.position = glm::vec3(0.0f);
    e.angles = glm::vec3(0.0f);
    e.material = Find(world.materials, NumberOf(materialId)) ? NumberOf(materialId) : -1;
    e.geometry.vertices = mesh->geometry.vertices;
    KeepValidTriangles(mesh->geometry.indices, mesh->geometry.vertices.size(), e.geometry.indices);
    e.surface = SurfaceOf(e.geometry);
    world.entitiesChanged = true;
    return 1;
}

void MoveEntity(int entity, float dx, float dy, float dz) {
    if (Entity* e = Find(world.entities, entity)) e->position += glm::vec3(dx, dy, dz);
}

void MoveEntity2(int entity, float x, float y, float z, int mode) {
    if (Entity* e = Find(world.entities, entity)) Place(e->position, x, y, z, mode);
}

// The three angles are turns about the world X, Y and Z axes, applied in that order.
void RotateEntity(int entity, float a, float b, float c) {
    if (Entity* e = Find(world.entities, entity)) e->angles = {a, b, c};
}

void RotateEntity2(int entity, float a, float b, float c, int mode) {
    if (Entity* e = Find(world.entities, entity)) Place(e->angles, a, b, c, mode);
}

float EntityX(int entity) { Entity* e = Find(world.entities, entity); return e ? e->position.x : 0.0f; }
float EntityY(int entity) { Entity* e = Find(world.entities, entity); return e ? e->position.y : 0.0f; }
float EntityZ(int entity) { Entity* e = Find(world.entities, entity); return e ? e->position.z : 0.0f; }

// ---- camera and light ----

int CreateCamera(int camera, float x, float y, float width, float height) {
    if (!Reach(world.cameras, camera, cameraNumbers)) return 0;
    Camera& c = world.cameras[camera];
    c = Camera();
    c.exists = true;
    c.viewport = {x, y, width, height};
    return 1;
}

void MoveCamera(int camera, float dx, float dy, float dz) {
    if (Camera* c = Find(world.cameras, camera)) c->position += glm::vec3(dx, dy, dz);
}

void MoveCamera2(int camera, float x, float y, float z, int mode) {
    if (Camera* c = Find(world.cameras, camera)) Place(c->position, x, y, z, mode);
}

float CameraX(int camera) { Camera* c = Find(world.cameras, camera); return c ? c->position.x : 0.0f; }
float CameraY(int camera) { Camera* c = Find(world.cameras, camera); return c ? c->position.y : 0.0f; }
float CameraZ(int camera) { Camera* c = Find(world.cameras, camera); return c ? c->position.z : 0.0f; }

void CameraLookAt(int camera, float x, float y, float z) {
    Camera* c = Find(world.cameras, camera);
    if (!c) return;
    const glm::vec3 aim = glm::vec3(x, y, z) - c->position;
    const float length = glm::length(aim);
    if (length > minimumAim) c->forward = aim / length; // looking at itself keeps the old aim
}

int CreateLight(int light, int colour) {
    if (!Reach(world.lights, light, lightNumbers)) return 0;
    Light& l = world.lights[light];
    l.exists = true;
    l.colour = glm::vec3(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF) * colourScale;
    return 1;
}

} // namespace zelvaro
