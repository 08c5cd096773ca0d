// The world as plain CPU data: textures, materials, meshes, entities, cameras and lights.
// Nothing here touches OpenGL, so the dance can run and be measured without a screen; the
// renderer uploads what changed at the next RenderWorld.
#include <cmath>

#include "engine_calls.h"
#include "engine_state.h"

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
    return handle > 0 && handle <= maxObjectNumber ? static_cast<int>(handle - 1) : -1;
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

} // namespace

void ResetWorld() { world = World(); }

// ---- textures ----

int CreateTexture(int texture, int width, int height) {
    if (width <= 0 || height <= 0 || width > largestTextureSide || height > largestTextureSide ||
        !Reach(world.textures, texture))
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
    if (!Reach(world.materials, material)) return 0;
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
    if (!Reach(world.meshes, mesh)) return -1;
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
    if (!mesh || !Reach(world.entities, entity)) return 0;
    Entity& e = world.entities[entity];
    e.exists = true;
    e.position = glm::vec3(0.0f);
    e.angles = glm::vec3(0.0f);
    e.material = Find(world.materials, NumberOf(materialId)) ? NumberOf(materialId) : -1;
    e.geometry.vertices = mesh->geometry.vertices;
    KeepValidTriangles(mesh->geometry.indices, mesh->geometry.vertices.size(), e.geometry.indices);
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
    if (!Reach(world.cameras, camera)) return 0;
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
    if (!Reach(world.lights, light)) return 0;
    Light& l = world.lights[light];
    l.exists = true;
    l.colour = glm::vec3(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF) * colourScale;
    return 1;
}

} // namespace zelvaro
