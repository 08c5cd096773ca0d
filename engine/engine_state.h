// The engine's inner records, shared by its source files: the CPU-side world (textures,
// materials, meshes, entities, cameras, lights, images, sky) and the open screen. GL objects
// hang off these records and are made lazily once a screen is open.
#pragma once
#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

struct SDL_Window;

namespace zelvaro {

// Caller-chosen numbers index plain vectors, each kind below its own bound, so that a stray
// number can neither allocate much nor lengthen what every frame walks.
constexpr int entityNumbers = 1 << 14;
constexpr int meshNumbers = 1 << 14;
constexpr int textureNumbers = 1 << 8;
constexpr int materialNumbers = 1 << 8;
constexpr int cameraNumbers = 16;
constexpr int lightNumbers = 16;
constexpr int imageNumbers = 1 << 10;
constexpr int largestNumberBound = entityNumbers; // of all the bounds above

// The camera's view: its height spans this many degrees, whatever the screen's shape.
constexpr float fieldOfViewY = 60.0f;

// ---- filtering and blending modes of a material ----
// Filtering 0 samples the nearest texel without mipmaps: an object's texture coordinates
// touch the edges of its palette cell, so any blur or mip level would mix neighbour cells.
constexpr int filterNearest = 0;
constexpr int filterBilinear = 1;
// Blending 1 draws opaque; 2 mixes by the texture's alpha, 3 adds.
constexpr int blendOpaque = 1;
constexpr int blendAlpha = 2;
constexpr int blendAdd = 3;

struct Texture {
    bool exists = false;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // bytes R, G, B, A in memory, rows from the top
    bool dirty = true;            // pixels changed since the last upload
    GLuint gl = 0;
};

struct Material {
    bool exists = false;
    int texture = -1; // -1: no texture, plain white
    int filtering = filterBilinear;
    int blending = blendOpaque;
};

struct Vertex {
    float position[3];
    float normal[3];
    float texcoord[2];
    uint32_t colour; // bytes R, G, B, A in memory
};

struct Geometry {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices; // three per triangle, all below vertices.size()
};

struct Mesh {
    bool exists = false;
    Geometry geometry;
};

// Which faces of a solid look outward, so that the far side can be skipped. A mesh whose
// edges each join exactly two triangles, one running each way, is a closed solid, and the sign
// of its volume tells how its faces wind seen from outside; any other mesh is drawn two-sided.
enum class Surface { open, outwardCounterClockwise, outwardClockwise };

struct Entity {
    bool exists = false;
    glm::vec3 position{0.0f};
    glm::vec3 angles{0.0f}; // degrees about X, Y, Z
    int material = -1;
    Surface surface = Surface::open;
    Geometry geometry;      // the entity's own copy, independent of the mesh it came from
};

struct Camera {
    bool exists = false;
    glm::vec4 viewport{0.0f, 0.0f, 100.0f, 100.0f}; // x, y, width, height in per cent
    glm::vec3 position{0.0f};
    glm::vec3 forward{0.0f, 0.0f, 1.0f};
};

struct Light {
    bool exists = false;
    glm::vec3 colour{1.0f};
};

struct Image {
    bool exists = false;
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    GLuint gl = 0;
};

// The panorama is decoded off the render thread (sky_loader.cpp) and uploaded when ready.
struct Sky {
    bool present = false;      // SkyBox accepted the picture; the sky shows once it is uploaded
    std::string name;          // of the picture in the archives, to read it again for a new screen
    int width = 0, height = 0; // of the whole picture, from its header
    std::vector<uint8_t> file; // the PNG file that SkyBox read, until the decoder takes it
    int firstLevel = 0;        // the level of detail that the texture's base holds
    int levels = 0;            // levels in the texture
    GLuint gl = 0;
};

struct World {
    std::vector<Texture> textures;
    std::vector<Material> materials;
    std::vector<Mesh> meshes;
    int buildingMesh = -1; // the mesh that MeshVertex* and MeshFace add to
    std::vector<Entity> entities;
    bool entitiesChanged = false; // the shared geometry buffer must be rebuilt
    std::vector<Camera> cameras;
    std::vector<Light> lights;
    std::vector<Image> images; // image n lives at n - 1
    std::vector<std::string> archives;
    Sky sky;
    bool referenceRendering = false;
    int trianglesDrawn = 0;
};

extern World world;

struct Screen {
    SDL_Window* window = nullptr;
    void* context = nullptr; // SDL_GLContext
    int width = 0, height = 0;
    bool hidden = false;       // nothing to show: frames stay in the framebuffer object
    bool cursorHidden = false;
    bool videoStarted = false; // holds one reference on SDL's video subsystem
    // Frames are drawn straight into the window when it has a depth buffer and the frame's
    // size; otherwise into a framebuffer object that the flip copies (and scales) to it.
    bool drawsToWindow = false;
    GLuint framebuffer = 0, colourBuffer = 0, depthBuffer = 0;
    bool drawing2D = false;
};

extern Screen screen;

// ---- shared helpers ----
// Grows vector v so that index n exists; false for a number outside 0 .. bound - 1.
template <class T> bool Reach(std::vector<T>& v, int n, int bound) {
    if (n < 0 || n >= bound) return false;
    if (static_cast<size_t>(n) >= v.size()) v.resize(static_cast<size_t>(n) + 1);
    return true;
}
// The record numbered n when it exists, else nullptr.
template <class T> T* Find(std::vector<T>& v, int n) {
    if (n < 0 || static_cast<size_t>(n) >= v.size() || !v[n].exists) return nullptr;
    return &v[n];
}

float MeasuredFramesPerSecond(); // flips counted over the last whole second
GLuint FrameTarget();     // the framebuffer that frames are drawn into
void ResetWorld();        // back to an empty world (GL objects must be released first)
void ReleaseGpuObjects(); // deletes every GL object while the context is still current
void ReleaseImageObjects(); // the 2D drawing's own GL objects

} // namespace zelvaro
