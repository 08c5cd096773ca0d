// GLSL programs: compiled and linked in sets that come whole or not at all, so that a set
// which fails part-way leaves no program behind.
#include "shaders.h"

#include <cstdio>
#include <string>

namespace zelvaro {
namespace {

constexpr int shaderLogSize = 1024;

GLuint CompileShader(GLenum kind, const char* defines, const char* source) {
    const std::string text = std::string("#version 330 core\n") + defines + source;
    const char* pointer = text.c_str();
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &pointer, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[shaderLogSize] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "Zelvaro engine: shader does not compile: %s\n", log);
    }
    return shader;
}

} // namespace

GLuint CompileProgram(const ProgramSource& source) {
    const char* defines = source.defines ? source.defines : "";
    GLuint vertex = CompileShader(GL_VERTEX_SHADER, defines, source.vertex);
    GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, defines, source.fragment);
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok) return program;
    glDeleteProgram(program);
    return 0;
}

bool CompilePrograms(const ProgramSource* sources, GLuint* programs, int count) {
    for (int i = 0; i < count; ++i) {
        programs[i] = CompileProgram(sources[i]);
        if (programs[i]) continue;
        DeletePrograms(programs, i);
        return false;
    }
    return true;
}

void DeletePrograms(GLuint* programs, int count) {
    for (int i = 0; i < count; ++i) {
        if (programs[i]) glDeleteProgram(programs[i]);
        programs[i] = 0;
    }
}

} // namespace zelvaro
