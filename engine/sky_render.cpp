// The sky on the GPU: the panorama as one texture on a sphere around the camera, drawn on the
// far plane after the opaque entities, so that the pixels they cover cost nothing. Every pixel
// looks the panorama up at one level of detail for the whole view, worked out once per frame.
#include <cmath>
#include <cstddef>
#include <vector>

#include <glm/gtc/constants.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "shaders.h"
#include "sky.h"

namespace zelvaro {
namespace {

constexpr GLuint skyUnit = 0;
// The sphere around the camera on which the panorama lies: its texture coordinates are worked
// out exactly at the corners and run linearly in between, so each pixel only looks them up.
// At this many steps (5.6 degrees) a point of the picture lands at most a texel and a half
// from its exact place, a still warp fixed to the sky that turns with it.
constexpr int skyColumns = 64;
constexpr int skyRows = 32;

const char* skyVertexShader = R"(
layout(location = 0) in vec3 direction;
layout(location = 1) in vec2 texcoord;
uniform mat4 viewProjection;
out vec2 panoramaTexcoord;
void main() {
    panoramaTexcoord = texcoord;
    gl_Position = (viewProjection * vec4(direction, 1.0)).xyww; // on the far plane
}
)";

// A texture of one level needs no level of detail at all, and a pixel is cheaper without it.
const char* skyFragmentShader = R"(
in vec2 panoramaTexcoord;
uniform sampler2D panorama;
uniform float level;
out vec4 fragmentColour;
void main() {
#ifdef ONE_LEVEL
    fragmentColour = vec4(texture(panorama, panoramaTexcoord).rgb, 1.0);
#else
    fragmentColour = vec4(textureLod(panorama, panoramaTexcoord, level).rgb, 1.0);
#endif
}
)";

struct SkyVertex {
    float direction[3];
    float texcoord[2];
};

struct SkyProgram {
    GLuint id = 0;
    GLint viewProjection = -1, panorama = -1, level = -1;
};

struct SkyGpu {
    bool failed = false; // the programs did not build: no sky rather than a retry every frame
    SkyProgram levels, oneLevel;
    GLuint vao = 0, vertexBuffer = 0, indexBuffer = 0;
    GLsizei indexCount = 0;
};
SkyGpu skyGpu;

// Longitude grows as the view turns right (+X from +Z), so the picture is not mirrored; the
// picture's top row is straight up. The seam's column is there twice, at u = 0 and u = 1, and
// each pole has one corner per column, at the middle of its column.
// Corners that the sphere's triangles share have the very same position, the seam's included,
// so that no pixel falls between two triangles.
SkyVertex SphereVertex(int row, int column) {
    const bool pole = row == 0 || row == skyRows;
    const float u = (static_cast<float>(column) + (pole ? 0.5f : 0.0f)) / skyColumns;
    const float v = static_cast<float>(row) / skyRows;
    const float longitude = (static_cast<float>(column % skyColumns) / skyColumns - 0.5f) * glm::two_pi<float>();
    const float polar = pole ? (row == 0 ? 0.0f : glm::pi<float>()) : v * glm::pi<float>();
    const float ring = pole ? 0.0f : std::sin(polar);
    return {{ring * std::sin(longitude), row == 0 ? 1.0f : row == skyRows ? -1.0f : std::cos(polar), ring * std::cos(longitude)},
            {u, v}};
}

void BuildSphere(std::vector<SkyVertex>& vertices, std::vector<uint32_t>& indices) {
    const auto at = [](int row, int column) { return static_cast<uint32_t>(row * (skyColumns + 1) + column); };
    for (int row = 0; row <= skyRows; ++row)
        for (int column = 0; column <= skyColumns; ++column) vertices.push_back(SphereVertex(row, column));
    for (int row = 0; row < skyRows; ++row)
        for (int column = 0; column < skyColumns; ++column) {
            const uint32_t a = at(row, column), b = at(row, column + 1), c = at(row + 1, column), d = at(row + 1, column + 1);
            if (row > 0) indices.insert(indices.end(), {a, b, d});
            if (row < skyRows - 1) indices.insert(indices.end(), {a, d, c});
        }
}

void FindUniforms(SkyProgram& p) {
    p.viewProjection = glGetUniformLocation(p.id, "viewProjection");
    p.panorama = glGetUniformLocation(p.id, "panorama");
    p.level = glGetUniformLocation(p.id, "level");
}

bool EnsureSkyPrograms() {
    if (skyGpu.levels.id) return true;
    if (skyGpu.failed) return false;
    const ProgramSource sources[] = {{skyVertexShader, skyFragmentShader, nullptr},
                                     {skyVertexShader, skyFragmentShader, "#define ONE_LEVEL\n"}};
    GLuint programs[2] = {};
    if (!CompilePrograms(sources, programs, 2)) {
        skyGpu.failed = true;
        return false;
    }
    skyGpu.levels.id = programs[0];
    skyGpu.oneLevel.id = programs[1];
    FindUniforms(skyGpu.levels);
    FindUniforms(skyGpu.oneLevel);
    std::vector<SkyVertex> vertices;
    std::vector<uint32_t> indices;
    BuildSphere(vertices, indices);
    glGenVertexArrays(1, &skyGpu.vao);
    glGenBuffers(1, &skyGpu.vertexBuffer);
    glGenBuffers(1, &skyGpu.indexBuffer);
    glBindVertexArray(skyGpu.vao);
    glBindBuffer(GL_ARRAY_BUFFER, skyGpu.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(SkyVertex), vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, skyGpu.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(uint32_t), indices.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(SkyVertex), reinterpret_cast<void*>(offsetof(SkyVertex, direction)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(SkyVertex), reinterpret_cast<void*>(offsetof(SkyVertex, texcoord)));
    glBindVertexArray(0);
    skyGpu.indexCount = static_cast<GLsizei>(indices.size());
    return true;
}

// The panorama's level of detail at the middle of a view that many pixels high: how many of
// its texels one pixel spans there, as a power of two. It changes little across the view.
float LevelOfDetail(int viewportHeight) {
    const float pixelAngle = 2.0f * std::tan(glm::radians(fieldOfViewY) / 2.0f) / static_cast<float>(viewportHeight);
    const float texelsPerRadian = static_cast<float>(world.sky.height) / glm::pi<float>(); // pole to pole
    return std::log2(pixelAngle * texelsPerRadian);
}

// Decodes only the levels this screen shows: the full picture for a large screen, a smaller
// one with the next below it for a small window.
void StartLoading() {
    Sky& sky = world.sky;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (sky.width > largest || sky.height > largest) { // more than this GL takes: no sky
        sky = Sky();
        return;
    }
    const float detail = LevelOfDetail(screen.height);
    int first = std::max(0, static_cast<int>(std::floor(detail)));
    while (first > 0 && ((sky.width >> first) == 0 || (sky.height >> first) == 0)) --first;
    const int last = std::max(first, static_cast<int>(std::ceil(detail)));
    SkyRequest request;
    request.archives = world.archives;
    request.name = sky.name;
    request.file.swap(sky.file);
    request.width = sky.width;
    request.height = sky.height;
    request.firstLevel = first;
    request.levelCount = last - first + 1;
    StartSkyLoad(std::move(request));
}

// Each level's pixels are dropped as soon as the GL holds them.
void Upload(SkyPicture& picture) {
    Sky& sky = world.sky;
    const int levels = static_cast<int>(picture.levels.size());
    glGenTextures(1, &sky.gl);
    glBindTexture(GL_TEXTURE_2D, sky.gl);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (int n = 0; n < levels; ++n) {
        SkyLevel& level = picture.levels[n];
        glTexImage2D(GL_TEXTURE_2D, n, GL_RGBA8, level.width, level.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     level.rgba.get());
        level.rgba.reset();
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, levels > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    sky.firstLevel = picture.firstLevel;
    sky.levels = levels;
}

} // namespace

void UpdateSky() {
    Sky& sky = world.sky;
    if (!sky.present || sky.gl) return;
    SkyPicture picture;
    bool ok = false;
    if (TakeSkyLoad(picture, ok)) {
        if (ok) Upload(picture);
        else sky = Sky(); // the picture did not decode after all: no sky
        return;
    }
    if (!SkyLoadRunning()) StartLoading();
}

void DrawSky(const glm::mat4& projection, const glm::mat4& view, int viewportHeight) {
    const Sky& sky = world.sky;
    if (!sky.gl || !EnsureSkyPrograms()) return;
    const SkyProgram& program = sky.levels > 1 ? skyGpu.levels : skyGpu.oneLevel;
    const glm::mat4 turnOnly = glm::mat4(glm::mat3(view)); // the sky is infinitely far: no translation
    const glm::mat4 viewProjection = projection * turnOnly;
    const float level = glm::clamp(LevelOfDetail(viewportHeight) - static_cast<float>(sky.firstLevel), 0.0f,
                                   static_cast<float>(sky.levels - 1));
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL); // only where nothing nearer was drawn: the depth buffer still holds the far plane
    glDepthMask(GL_FALSE);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glUseProgram(program.id);
    glUniformMatrix4fv(program.viewProjection, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform1i(program.panorama, skyUnit);
    glUniform1f(program.level, level);
    glActiveTexture(GL_TEXTURE0 + skyUnit);
    glBindSampler(skyUnit, 0);
    glBindTexture(GL_TEXTURE_2D, sky.gl);
    glBindVertexArray(skyGpu.vao);
    glDrawElements(GL_TRIANGLES, skyGpu.indexCount, GL_UNSIGNED_INT, nullptr);
}

void DropSkyTexture() {
    if (world.sky.gl && screen.context) glDeleteTextures(1, &world.sky.gl);
    world.sky.gl = 0;
}

void ReleaseSkyObjects() {
    DropSkyTexture();
    GLuint programs[] = {skyGpu.levels.id, skyGpu.oneLevel.id};
    DeletePrograms(programs, 2);
    if (skyGpu.vao) glDeleteVertexArrays(1, &skyGpu.vao);
    const GLuint buffers[] = {skyGpu.vertexBuffer, skyGpu.indexBuffer};
    if (skyGpu.vertexBuffer) glDeleteBuffers(2, buffers);
    skyGpu = SkyGpu();
}

bool SkyShown() { return world.sky.gl != 0; }

} // namespace zelvaro
