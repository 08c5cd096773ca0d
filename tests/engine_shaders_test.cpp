// The engine's shader programs come in sets that are built whole or not at all: a set whose
// second or last program fails leaves no program behind. Built against the engine's own
// shaders.cpp, in a GL context of the test's own on a private Xvfb.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "shaders.h"
#include "support/xvfb.h"

namespace {

using zelvaro::ProgramSource;

constexpr GLuint namesLooked = 256; // program names are small numbers handed out from 1

const char* const vertex = "out vec4 tint;\nvoid main() { tint = vec4(1.0); gl_Position = vec4(0.0); }\n";
const char* const fragment = "in vec4 tint;\nout vec4 colour;\nvoid main() { colour = tint; }\n";
const char* const brokenFragment = "out vec4 colour;\nvoid main() { colour = noSuchThing; }\n";
const char* const mismatchedFragment = "in vec3 tint;\nout vec4 colour;\nvoid main() { colour = vec4(tint, 1.0); }\n";

int LivePrograms() {
    int live = 0;
    for (GLuint name = 1; name <= namesLooked; ++name) live += glIsProgram(name) ? 1 : 0;
    return live;
}

struct SetCase {
    const char* name;
    std::vector<ProgramSource> sources;
    bool built;
};

TEST(ShaderPrograms, ASetThatFailsPartWayLeavesNoProgram) {
    ASSERT_NE(StartXvfb(), "");
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    ASSERT_NE(context, nullptr) << SDL_GetError();

    const ProgramSource good{vertex, fragment, nullptr}, variant{vertex, fragment, "#define VARIANT\n"};
    const ProgramSource broken{vertex, brokenFragment, nullptr}, unlinkable{vertex, mismatchedFragment, nullptr};
    const SetCase cases[] = {
        {"all build", {good, variant, good}, true},
        {"the first fails", {broken, good, good}, false},
        {"the second fails", {good, broken, good}, false},
        {"the last fails", {good, variant, broken}, false},
        {"the second does not link", {good, unlinkable}, false},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int count = static_cast<int>(c.sources.size());
        std::vector<GLuint> programs(count, 0);
        EXPECT_EQ(zelvaro::CompilePrograms(c.sources.data(), programs.data(), count), c.built);
        EXPECT_EQ(LivePrograms(), c.built ? count : 0);
        for (GLuint program : programs) EXPECT_EQ(program != 0, c.built);
        zelvaro::DeletePrograms(programs.data(), count);
        EXPECT_EQ(LivePrograms(), 0);
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
}

} // namespace
