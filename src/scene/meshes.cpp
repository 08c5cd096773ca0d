// Polyhedron meshes read straight from the embedded shape table: five entries back to back,
// each vertex count, triangle count, vertex records of eight float32 (position, normal, s, t)
// and triangles of three int32, all little-endian.
#include "scene/meshes.h"

#include <cstring>

#include "core/engine_table.h"
#include "data/embedded.h"

namespace {

constexpr int shapeKinds = 5;
constexpr size_t entryHeaderBytes = 2 * sizeof(int32_t);
constexpr size_t vertexRecordBytes = 8 * sizeof(float);
constexpr size_t triangleRecordBytes = 3 * sizeof(int32_t);

// The table's bytes need not be aligned for a direct read.
int32_t ReadInt(const unsigned char* at) {
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
float ReadFloat(const unsigned char* at) {
    float value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

size_t EntryBytes(const unsigned char* entry) {
    return entryHeaderBytes + size_t(ReadInt(entry)) * vertexRecordBytes +
           size_t(ReadInt(entry + sizeof(int32_t))) * triangleRecordBytes;
}

const unsigned char* ShapeEntry(int32_t kind) {
    const unsigned char* entry = ShapeTableFile[0].bytes;
    for (int32_t k = 0; k < kind; ++k) entry += EntryBytes(entry);
    return entry;
}

void SendVertex(const unsigned char* record, float scaleX, float scaleY, float scaleZ, float cellU, float cellV,
                float spanU, float spanV, int vertexColour) {
    auto field = [record](int i) { return ReadFloat(record + i * sizeof(float)); };
    Engine->MeshVertexPosition(field(0) * scaleX, field(1) * scaleY, field(2) * scaleZ);
    Engine->MeshVertexNormal(field(3), field(4), field(5));
    // worked out wider and rounded to float32 once
    Engine->MeshVertexTextureCoordinate(float(double(cellU) + double(field(6)) * spanU),
                                        float(double(cellV) + double(field(7)) * spanV));
    Engine->MeshVertexColor(vertexColour);
}

} // namespace

int BuildShapeMesh(int32_t kind, float scaleX, float scaleY, float scaleZ, float cellU, float cellV, float spanU,
                   float spanV, int vertexColour) {
    if (kind < 0 || kind >= shapeKinds) return -1;
    const unsigned char* entry = ShapeEntry(kind);
    const int32_t vertexCount = ReadInt(entry), triangleCount = ReadInt(entry + sizeof(int32_t));
    const unsigned char* vertices = entry + entryHeaderBytes;
    const unsigned char* triangles = vertices + size_t(vertexCount) * vertexRecordBytes;

    const int mesh = Engine->CreateMesh(-1);
    for (int32_t v = 0; v < vertexCount; ++v)
        SendVertex(vertices + v * vertexRecordBytes, scaleX, scaleY, scaleZ, cellU, cellV, spanU, spanV, vertexColour);
    for (int32_t t = 0; t < triangleCount; ++t) {
        const unsigned char* triangle = triangles + t * triangleRecordBytes;
        Engine->MeshFace(ReadInt(triangle), ReadInt(triangle + sizeof(int32_t)), ReadInt(triangle + 2 * sizeof(int32_t)));
    }
    Engine->FinishMesh(1);
    return Engine->IsMesh(mesh) ? mesh : -1;
}
