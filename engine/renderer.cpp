// RenderWorld: every opaque entity, then the sky where none of them stands, then the blended
// ones. All entities share one vertex and one index buffer (rebuilt only when entities are
// added); their transforms go up once per frame into a texture buffer, updated in place, that
// the vertex shader reads by entity index, so a frame costs one draw call per material and kind
// of surface. Closed solids show only their outward faces. The reference path draws entity by
// entity with the same shaders and numbers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "engine_calls.h"
#include "engine_state.h"
#include "shaders.h"
#include "sky.h"

namespace zelvaro {
namespace {

// ---- view ----
// Left-handed: a camera looking along +Z with +Y up sees +X to its right. The frustum holds
// objects of size ~1 some 25 to 40 units away in a swarm that spreads over ~100 units.
constexpr float nearPlane = 0.1f;
constexpr float farPlane = 2000.0f;
constexpr float percent = 0.01f;
const glm::vec3 worldUp{0.0f, 1.0f, 0.0f};
const glm::vec3 upWhenLookingUpOrDown{0.0f, 0.0f, 1.0f};
constexpr float nearlyVertical = 0.9999f;

// ---- light ----
// Every light shines from above, to the left and from the side where the camera starts. A part
// of it comes back from the opposite side and a part from everywhere, so that the camera, which
// drifts all around the swarm, never sees flat dark shapes and no face is black.
const glm::vec3 towardLight = glm::normalize(glm::vec3(-0.4f, 0.7f, -0.6f));
constexpr float ambientShare = 0.3f;
constexpr float backShare = 0.35f;

constexpr int rowsPerTransform = 3; // a 3 x 4 matrix: rotation and position
constexpr int floatsPerRow = 4;
constexpr int floatsPerTransform = rowsPerTransform * floatsPerRow;
constexpr GLuint materialUnit = 0;
constexpr GLuint transformUnit = 1;
constexpr uint32_t opaqueWhite = 0xFFFFFFFFu;

struct BatchVertex {
    Vertex vertex;
    uint32_t entityIndex; // position of the entity in the batch, indexes the transforms
};

struct EntityRange {
    int entity;
    GLsizei firstIndex, indexCount;
};

// Consecutive entities of one material and one kind of surface: one draw call.
struct DrawGroup {
    int material;
    Surface surface;
    GLsizei firstIndex, indexCount;
};

struct EntityProgram {
    GLuint id = 0;
    GLint viewProjection = -1, entityRows = -1, entityTransforms = -1, materialTexture = -1;
    GLint lit = -1, lightColour = -1, towardLight = -1, ambientShare = -1, backShare = -1;
};

struct Gpu {
    bool ready = false;
    bool failed = false; // shaders did not build: draw nothing rather than retry every frame
    EntityProgram batched, reference;
    GLuint entityVao = 0, vertexBuffer = 0, indexBuffer = 0;
    GLuint transformBuffer = 0, transformTexture = 0;
    GLuint whiteTexture = 0;
    GLuint nearestSampler = 0, bilinearSampler = 0;
    bool geometryUploaded = false;
    std::vector<EntityRange> ranges; // batch order
    std::vector<DrawGroup> groups;
    std::vector<float> transforms;   // floatsPerTransform per entity, batch order
};
Gpu gpu;

// ---- shaders ----

// The light is worked out per pixel: most of the swarm's solids carry, besides face normals,
// corners tilted toward a neighbouring face, and the shading across such a face follows them.
// Vertex colours are always opaque: the alpha is the texel's.
const char* entityVertexShader = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texcoord;
layout(location = 3) in vec4 colour;
layout(location = 4) in uint entityIndex;
uniform mat4 viewProjection;
#ifdef REFERENCE
uniform vec4 entityRows[3];
#else
uniform samplerBuffer entityTransforms;
#endif
out vec3 worldNormal;
out vec2 surfaceTexcoord;
out vec3 surfaceColour;
void main() {
#ifdef REFERENCE
    vec4 row0 = entityRows[0], row1 = entityRows[1], row2 = entityRows[2];
#else
    int base = int(entityIndex) * 3;
    vec4 row0 = texelFetch(entityTransforms, base);
    vec4 row1 = texelFetch(entityTransforms, base + 1);
    vec4 row2 = texelFetch(entityTransforms, base + 2);
#endif
    vec4 local = vec4(position, 1.0);
    vec3 placed = vec3(dot(row0, local), dot(row1, local), dot(row2, local));
    worldNormal = vec3(dot(row0.xyz, normal), dot(row1.xyz, normal), dot(row2.xyz, normal));
    surfaceTexcoord = texcoord;
    surfaceColour = colour.rgb;
    gl_Position = viewProjection * vec4(placed, 1.0);
}
)";

const char* entityFragmentShader = R"(
in vec3 worldNormal;
in vec2 surfaceTexcoord;
in vec3 surfaceColour;
uniform sampler2D materialTexture;
uniform bool lit;
uniform vec3 lightColour;
uniform vec3 towardLight;
uniform float ambientShare;
uniform float backShare;
out vec4 fragmentColour;
void main() {
    vec4 texel = texture(materialTexture, surfaceTexcoord);
    vec3 lighting = vec3(1.0);
    if (lit) {
        float size = length(worldNormal);
        float cosine = size > 0.0 ? dot(worldNormal / size, towardLight) : 1.0;
        float facing = max(cosine, 0.0) + backShare * max(-cosine, 0.0);
        lighting = lightColour * (ambientShare + (1.0 - ambientShare) * facing);
    }
    fragmentColour = vec4(surfaceColour * texel.rgb * lighting, texel.a);
}
)";

void FindUniforms(EntityProgram& p) {
    p.viewProjection = glGetUniformLocation(p.id, "viewProjection");
    p.entityRows = glGetUniformLocation(p.id, "entityRows");
    p.entityTransforms = glGetUniformLocation(p.id, "entityTransforms");
    p.materialTexture = glGetUniformLocation(p.id, "materialTexture");
    p.lit = glGetUniformLocation(p.id, "lit");
    p.lightColour = glGetUniformLocation(p.id, "lightColour");
    p.towardLight = glGetUniformLocation(p.id, "towardLight");
    p.ambientShare = glGetUniformLocation(p.id, "ambientShare");
    p.backShare = glGetUniformLocation(p.id, "backShare");
}

// ---- GPU objects ----

GLuint MakeSampler(GLint filter) {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, filter);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, filter);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return sampler;
}

// A texture of one mip level, so that it is complete under any sampler.
GLuint MakeSingleLevelTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

// The attribute locations of the entity vertex shader.
enum VertexAttribute : GLuint { positionAttribute, normalAttribute, texcoordAttribute, colourAttribute, entityAttribute };

void SetAttribute(GLuint attribute, GLint components, GLenum type, GLboolean normalized, size_t offset) {
    glEnableVertexAttribArray(attribute);
    glVertexAttribPointer(attribute, components, type, normalized, sizeof(BatchVertex), reinterpret_cast<void*>(offset));
}

void SetVertexLayout() {
    SetAttribute(positionAttribute, 3, GL_FLOAT, GL_FALSE, offsetof(Vertex, position));
    SetAttribute(normalAttribute, 3, GL_FLOAT, GL_FALSE, offsetof(Vertex, normal));
    SetAttribute(texcoordAttribute, 2, GL_FLOAT, GL_FALSE, offsetof(Vertex, texcoord));
    SetAttribute(colourAttribute, 4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(Vertex, colour));
    glEnableVertexAttribArray(entityAttribute); // an integer, read as it is
    glVertexAttribIPointer(entityAttribute, 1, GL_UNSIGNED_INT, sizeof(BatchVertex),
                           reinterpret_cast<void*>(offsetof(BatchVertex, entityIndex)));
}

bool EnsureGpu() {
    if (gpu.ready) return true;
    if (gpu.failed) return false;
    const ProgramSource sources[] = {{entityVertexShader, entityFragmentShader, nullptr},
                                     {entityVertexShader, entityFragmentShader, "#define REFERENCE\n"}};
    GLuint programs[2] = {};
    if (!CompilePrograms(sources, programs, 2)) {
        gpu.failed = true;
        return false;
    }
    gpu.batched.id = programs[0];
    gpu.reference.id = programs[1];
    FindUniforms(gpu.batched);
    FindUniforms(gpu.reference);

    glGenVertexArrays(1, &gpu.entityVao);
    glGenBuffers(1, &gpu.vertexBuffer);
    glGenBuffers(1, &gpu.indexBuffer);
    glBindVertexArray(gpu.entityVao);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu.indexBuffer);
    SetVertexLayout();
    glBindVertexArray(0);

    glGenBuffers(1, &gpu.transformBuffer);
    glGenTextures(1, &gpu.transformTexture);
    glBindBuffer(GL_TEXTURE_BUFFER, gpu.transformBuffer);
    glBufferData(GL_TEXTURE_BUFFER, floatsPerTransform * sizeof(float), nullptr, GL_STREAM_DRAW);
    glBindTexture(GL_TEXTURE_BUFFER, gpu.transformTexture);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, gpu.transformBuffer);

    gpu.whiteTexture = MakeSingleLevelTexture();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &opaqueWhite);
    gpu.nearestSampler = MakeSampler(GL_NEAREST);
    gpu.bilinearSampler = MakeSampler(GL_LINEAR);
    gpu.ready = true;
    return true;
}

void UploadTexture(Texture& t) {
    if (!t.gl) {
        t.gl = MakeSingleLevelTexture();
        t.dirty = true;
    }
    if (!t.dirty) return;
    glBindTexture(GL_TEXTURE_2D, t.gl);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, t.width, t.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.pixels.data());
    t.dirty = false;
}

int MaterialOf(int entity) { return world.entities[entity].material; }
Surface SurfaceOf(int entity) { return world.entities[entity].surface; }

// Lays every entity's geometry into the shared buffers, grouped by material and surface.
void RebuildGeometry() {
    gpu.ranges.clear();
    gpu.groups.clear();
    std::vector<int> order;
    for (size_t e = 0; e < world.entities.size(); ++e)
        if (world.entities[e].exists) order.push_back(static_cast<int>(e));
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        return std::make_pair(MaterialOf(a), SurfaceOf(a)) < std::make_pair(MaterialOf(b), SurfaceOf(b));
    });

    std::vector<BatchVertex> vertices;
    std::vector<uint32_t> indices;
    for (size_t i = 0; i < order.size(); ++i) {
        const Geometry& g = world.entities[order[i]].geometry;
        const uint32_t base = static_cast<uint32_t>(vertices.size());
        for (const Vertex& v : g.vertices) vertices.push_back(BatchVertex{v, static_cast<uint32_t>(i)});
        const GLsizei first = static_cast<GLsizei>(indices.size());
        for (uint32_t index : g.indices) indices.push_back(base + index);
        gpu.ranges.push_back({order[i], first, static_cast<GLsizei>(g.indices.size())});
        const int material = MaterialOf(order[i]);
        const Surface surface = SurfaceOf(order[i]);
        if (gpu.groups.empty() || gpu.groups.back().material != material || gpu.groups.back().surface != surface)
            gpu.groups.push_back({material, surface, first, 0});
        gpu.groups.back().indexCount += static_cast<GLsizei>(g.indices.size());
    }
    glBindBuffer(GL_ARRAY_BUFFER, gpu.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(BatchVertex), vertices.data(), GL_STATIC_DRAW);
    glBindVertexArray(gpu.entityVao);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(uint32_t), indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    gpu.transforms.assign(std::max<size_t>(order.size(), 1) * floatsPerTransform, 0.0f);
    glBindBuffer(GL_TEXTURE_BUFFER, gpu.transformBuffer); // sized once here, then written in place
    glBufferData(GL_TEXTURE_BUFFER, gpu.transforms.size() * sizeof(float), nullptr, GL_STREAM_DRAW);
    world.entitiesChanged = false;
    gpu.geometryUploaded = true;
}

void UploadChanges() {
    for (Texture& t : world.textures)
        if (t.exists) UploadTexture(t);
    UpdateSky();
    if (world.entitiesChanged || !gpu.geometryUploaded) RebuildGeometry();
}

// ---- transforms ----

// Turns about the world X, then Y, then Z axis: the rotation Rz(c) * Ry(b) * Rx(a).
void WriteTransform(const Entity& e, float* rows) {
    const glm::vec3 r = glm::radians(e.angles);
    const float cx = std::cos(r.x), sx = std::sin(r.x);
    const float cy = std::cos(r.y), sy = std::sin(r.y);
    const float cz = std::cos(r.z), sz = std::sin(r.z);
    const float m[rowsPerTransform][floatsPerRow] = {
        {cz * cy, cz * sy * sx - sz * cx, cz * sy * cx + sz * sx, e.position.x},
        {sz * cy, sz * sy * sx + cz * cx, sz * sy * cx - cz * sx, e.position.y},
        {-sy, cy * sx, cy * cx, e.position.z},
    };
    std::copy(&m[0][0], &m[0][0] + floatsPerTransform, rows);
}

void FillTransforms() {
    for (size_t i = 0; i < gpu.ranges.size(); ++i)
        WriteTransform(world.entities[gpu.ranges[i].entity], &gpu.transforms[i * floatsPerTransform]);
}

void UploadTransforms() {
    glBindBuffer(GL_TEXTURE_BUFFER, gpu.transformBuffer);
    glBufferSubData(GL_TEXTURE_BUFFER, 0, gpu.transforms.size() * sizeof(float), gpu.transforms.data());
}

// ---- cameras ----

struct View {
    glm::mat4 projection, view;
};

// The camera's viewport in GL pixels (from the bottom-left).
glm::ivec4 ViewportOf(const Camera& c) {
    const float w = static_cast<float>(screen.width), h = static_cast<float>(screen.height);
    const int left = static_cast<int>(std::lround(c.viewport.x * percent * w));
    const int top = static_cast<int>(std::lround(c.viewport.y * percent * h));
    const int width = static_cast<int>(std::lround(c.viewport.z * percent * w));
    const int height = static_cast<int>(std::lround(c.viewport.w * percent * h));
    return {left, screen.height - top - height, width, height};
}

View ViewOf(const Camera& c, const glm::ivec4& viewport) {
    const float aspect = static_cast<float>(viewport.z) / static_cast<float>(viewport.w);
    const glm::vec3 up = std::abs(glm::dot(c.forward, worldUp)) > nearlyVertical ? upWhenLookingUpOrDown : worldUp;
    return {glm::perspectiveLH_NO(glm::radians(fieldOfViewY), aspect, nearPlane, farPlane),
            glm::lookAtLH(c.position, c.position + c.forward, up)};
}

// ---- drawing ----

glm::vec3 TotalLight(bool& lit) {
    glm::vec3 total(0.0f);
    lit = false;
    for (const Light& l : world.lights)
        if (l.exists) total += l.colour, lit = true;
    return glm::min(total, glm::vec3(1.0f));
}

void UseEntityProgram(const EntityProgram& p, const View& v) {
    bool lit = false;
    const glm::vec3 light = TotalLight(lit);
    const glm::mat4 viewProjection = v.projection * v.view;
    glUseProgram(p.id);
    glUniformMatrix4fv(p.viewProjection, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform1i(p.materialTexture, materialUnit);
    glUniform1i(p.entityTransforms, transformUnit);
    glUniform1i(p.lit, lit ? 1 : 0);
    glUniform3fv(p.lightColour, 1, glm::value_ptr(light));
    glUniform3fv(p.towardLight, 1, glm::value_ptr(towardLight));
    glUniform1f(p.ambientShare, ambientShare);
    glUniform1f(p.backShare, backShare);
    glActiveTexture(GL_TEXTURE0 + transformUnit);
    glBindTexture(GL_TEXTURE_BUFFER, gpu.transformTexture);
    glBindVertexArray(gpu.entityVao);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
}

bool IsOpaque(int material) {
    const Material* m = Find(world.materials, material);
    return !m || m->blending == blendOpaque;
}

void UseMaterial(int material) {
    const Material* m = Find(world.materials, material);
    const Texture* t = m ? Find(world.textures, m->texture) : nullptr;
    glActiveTexture(GL_TEXTURE0 + materialUnit);
    glBindTexture(GL_TEXTURE_2D, t && t->gl ? t->gl : gpu.whiteTexture);
    glBindSampler(materialUnit, m && m->filtering == filterNearest ? gpu.nearestSampler : gpu.bilinearSampler);
    const int blending = m ? m->blending : blendOpaque;
    glDepthMask(blending == blendOpaque ? GL_TRUE : GL_FALSE);
    if (blending == blendOpaque) glDisable(GL_BLEND);
    else glEnable(GL_BLEND);
    if (blending == blendAlpha) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (blending == blendAdd) glBlendFunc(GL_ONE, GL_ONE);
}

// The world is left-handed and GL's window y runs up, so faces that wind counter-clockwise
// seen from outside (right-hand rule) wind clockwise on the screen when they face the camera.
void UseSurface(Surface surface) {
    if (surface == Surface::open) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(surface == Surface::outwardCounterClockwise ? GL_CW : GL_CCW);
}

void DrawIndices(GLsizei first, GLsizei count) {
    glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, reinterpret_cast<void*>(first * sizeof(uint32_t)));
}

// One pass: the opaque materials or the blended ones.
int DrawBatched(const View& v, bool opaquePass) {
    UseEntityProgram(gpu.batched, v);
    GLsizei indices = 0;
    for (const DrawGroup& g : gpu.groups) {
        if (IsOpaque(g.material) != opaquePass || g.indexCount == 0) continue;
        UseMaterial(g.material);
        UseSurface(g.surface);
        DrawIndices(g.firstIndex, g.indexCount);
        indices += g.indexCount;
    }
    return indices / 3;
}

int DrawOneByOne(const View& v, bool opaquePass) {
    UseEntityProgram(gpu.reference, v);
    GLsizei indices = 0;
    for (size_t i = 0; i < gpu.ranges.size(); ++i) {
        const EntityRange& r = gpu.ranges[i];
        const int material = MaterialOf(r.entity);
        if (IsOpaque(material) != opaquePass || r.indexCount == 0) continue;
        UseMaterial(material);
        UseSurface(SurfaceOf(r.entity));
        glUniform4fv(gpu.reference.entityRows, rowsPerTransform, &gpu.transforms[i * floatsPerTransform]);
        DrawIndices(r.firstIndex, r.indexCount);
        indices += r.indexCount;
    }
    return indices / 3;
}

int DrawEntities(const View& v, bool opaquePass) {
    return world.referenceRendering ? DrawOneByOne(v, opaquePass) : DrawBatched(v, opaquePass);
}

// Opaque entities first; the sky then fills only what they left uncovered; blended entities
// last, so that they mix with what lies behind them.
void DrawCamera(const Camera& c, const glm::ivec4& viewport) {
    const View v = ViewOf(c, viewport);
    world.trianglesDrawn += DrawEntities(v, true);
    DrawSky(v.projection, v.view, viewport.w);
    world.trianglesDrawn += DrawEntities(v, false);
}

// The sky fills every pixel that the first camera's entities leave: when that camera sees the
// whole screen, clearing the colour first would only be written over.
bool SkyCoversTheScreen() {
    if (!SkyShown()) return false;
    for (const Camera& c : world.cameras)
        if (c.exists) return ViewportOf(c) == glm::ivec4(0, 0, screen.width, screen.height);
    return false;
}

void ReleaseTexture(GLuint& name) {
    if (name) glDeleteTextures(1, &name);
    name = 0;
}

} // namespace

void ReleaseGpuObjects() {
    for (Texture& t : world.textures) ReleaseTexture(t.gl);
    for (Image& i : world.images) ReleaseTexture(i.gl);
    ReleaseSkyObjects();
    ReleaseImageObjects();
    if (gpu.ready) {
        GLuint programs[] = {gpu.batched.id, gpu.reference.id};
        DeletePrograms(programs, 2);
        glDeleteVertexArrays(1, &gpu.entityVao);
        const GLuint buffers[] = {gpu.vertexBuffer, gpu.indexBuffer, gpu.transformBuffer};
        glDeleteBuffers(3, buffers);
        ReleaseTexture(gpu.transformTexture);
        ReleaseTexture(gpu.whiteTexture);
        const GLuint samplers[] = {gpu.nearestSampler, gpu.bilinearSampler};
        glDeleteSamplers(2, samplers);
    }
    gpu = Gpu();
}

void RenderWorld() {
    world.trianglesDrawn = 0;
    if (!screen.context || !EnsureGpu()) return;
    UploadChanges();
    screen.drawing2D = false;
    glBindFramebuffer(GL_FRAMEBUFFER, FrameTarget());
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, screen.width, screen.height);
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(SkyCoversTheScreen() ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    FillTransforms();
    if (!world.referenceRendering) UploadTransforms();
    bool firstCamera = true;
    for (const Camera& c : world.cameras) {
        if (!c.exists) continue;
        const glm::ivec4 viewport = ViewportOf(c);
        if (viewport.z <= 0 || viewport.w <= 0) continue;
        glViewport(viewport.x, viewport.y, viewport.z, viewport.w);
        if (!firstCamera) { // each later camera starts from clear depth inside its own viewport
            glEnable(GL_SCISSOR_TEST);
            glScissor(viewport.x, viewport.y, viewport.z, viewport.w);
            glDepthMask(GL_TRUE);
            glClear(GL_DEPTH_BUFFER_BIT);
        }
        firstCamera = false;
        DrawCamera(c, viewport);
    }
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glBindVertexArray(0);
}

} // namespace zelvaro
