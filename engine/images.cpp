// 2D images drawn over the rendered frame: unscaled, at pixel positions from the top-left,
// clipped by the screen's edges. Pixels whose alpha is 0 leave the frame untouched.
#include <cstring>

#include "engine_calls.h"
#include "engine_state.h"
#include "shaders.h"

namespace zelvaro {
namespace {

constexpr int bytesPerPixel = 4;
constexpr int largestImageSide = 1 << 14;
constexpr GLuint imageUnit = 0;

// A quad from the image's rectangle in pixels (top-left origin) to device coordinates.
const char* imageVertexShader = R"(
uniform vec4 rectangle;
uniform vec2 screenSize;
out vec2 texcoord;
void main() {
    vec2 corner = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    texcoord = corner;
    vec2 pixel = rectangle.xy + corner * rectangle.zw;
    gl_Position = vec4(pixel.x / screenSize.x * 2.0 - 1.0, 1.0 - pixel.y / screenSize.y * 2.0, 0.0, 1.0);
}
)";

const char* imageFragmentShader = R"(
in vec2 texcoord;
uniform sampler2D image;
out vec4 fragmentColour;
void main() {
    vec4 texel = texture(image, texcoord);
    if (texel.a == 0.0) discard;
    fragmentColour = texel;
}
)";

struct ImageGpu {
    bool failed = false;
    GLuint program = 0, vao = 0;
    GLint rectangle = -1, screenSize = -1, image = -1;
};
ImageGpu imageGpu;

bool EnsureImageProgram() {
    if (imageGpu.program) return true;
    if (imageGpu.failed) return false;
    imageGpu.program = CompileProgram({imageVertexShader, imageFragmentShader, nullptr});
    if (!imageGpu.program) {
        imageGpu.failed = true;
        return false;
    }
    imageGpu.rectangle = glGetUniformLocation(imageGpu.program, "rectangle");
    imageGpu.screenSize = glGetUniformLocation(imageGpu.program, "screenSize");
    imageGpu.image = glGetUniformLocation(imageGpu.program, "image");
    glGenVertexArrays(1, &imageGpu.vao);
    return true;
}

void UploadImage(Image& im) {
    if (im.gl) return;
    glGenTextures(1, &im.gl);
    glBindTexture(GL_TEXTURE_2D, im.gl);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, im.width, im.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, im.rgba.data());
}

// Every later DrawImage of the frame goes over what is there, without depth, mixed by alpha;
// the frame's own alpha stays opaque.
bool Begin2D() {
    if (!screen.context || !EnsureImageProgram()) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, FrameTarget());
    glViewport(0, 0, screen.width, screen.height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    glUseProgram(imageGpu.program);
    glUniform2f(imageGpu.screenSize, static_cast<float>(screen.width), static_cast<float>(screen.height));
    glUniform1i(imageGpu.image, imageUnit);
    glActiveTexture(GL_TEXTURE0 + imageUnit);
    glBindSampler(imageUnit, 0);
    glBindVertexArray(imageGpu.vao);
    screen.drawing2D = true;
    return true;
}

} // namespace

void ReleaseImageObjects() {
    if (imageGpu.program) glDeleteProgram(imageGpu.program);
    if (imageGpu.vao) glDeleteVertexArrays(1, &imageGpu.vao);
    imageGpu = ImageGpu();
}

void SwitchTo2D() { Begin2D(); }

int CreateImage(int width, int height, const unsigned char* rgba) {
    if (!rgba || width <= 0 || height <= 0 || width > largestImageSide || height > largestImageSide) return 0;
    size_t slot = 0;
    while (slot < world.images.size() && world.images[slot].exists) ++slot;
    if (!Reach(world.images, static_cast<int>(slot), imageNumbers)) return 0;
    Image& im = world.images[slot];
    im.exists = true;
    im.width = width;
    im.height = height;
    im.rgba.assign(rgba, rgba + static_cast<size_t>(width) * height * bytesPerPixel);
    im.gl = 0;
    return static_cast<int>(slot) + 1;
}

void DrawImage(int image, int x, int y) {
    Image* im = Find(world.images, image - 1);
    if (!im || !screen.context) return;
    if (!screen.drawing2D && !Begin2D()) return;
    UploadImage(*im);
    glBindTexture(GL_TEXTURE_2D, im->gl);
    glUniform4f(imageGpu.rectangle, static_cast<float>(x), static_cast<float>(y), static_cast<float>(im->width),
                static_cast<float>(im->height));
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void FreeImage(int image) {
    Image* im = Find(world.images, image - 1);
    if (!im) return;
    if (im->gl && screen.context) glDeleteTextures(1, &im->gl);
    *im = Image();
}

} // namespace zelvaro
