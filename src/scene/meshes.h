// Polyhedron meshes from the embedded shape table.
#pragma once
#include <cstdint>

enum ShapeKind { Tetrahedron = 0, Cube = 1, Octahedron = 2, Dodecahedron = 3, Icosahedron = 4 };

// A new engine mesh of one shape whose texture coordinates fall in one palette cell; -1 when
// kind is not a shape or the engine did not make the mesh.
int BuildShapeMesh(int32_t kind, float scaleX, float scaleY, float scaleZ, float cellU, float cellV,
                   float spanU, float spanV, int vertexColour);
