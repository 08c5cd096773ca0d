// GLSL programs of the engine's passes (shaders.cpp). Needs a current GL 3.3 context.
#pragma once
#include <epoxy/gl.h>

namespace zelvaro {

struct ProgramSource {
    const char* vertex;
    const char* fragment;
    const char* defines; // lines put after the #version line, or nullptr
};

// One program, or 0 when it does not compile or link (the reason goes to stderr).
GLuint CompileProgram(const ProgramSource& source);
// Every program of the set, or none: on failure those already made are deleted and all of
// programs[0 .. count - 1] are 0.
bool CompilePrograms(const ProgramSource* sources, GLuint* programs, int count);
void DeletePrograms(GLuint* programs, int count); // and sets them to 0

} // namespace zelvaro
