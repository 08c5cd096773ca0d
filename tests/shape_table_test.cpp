// The embedded shape table: its layout, the rows it must hold exactly, the geometry every shape
// must have (corners, winding, fans, normals, texture ranges), and that the generator still
// makes these very bytes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "data/embedded.h"
#include "scene/meshes.h"
#include "support/fake_engine.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

struct Row {
    float x, y, z, nx, ny, nz, s, t;
};
using Tri = std::array<int32_t, 3>;
struct Entry {
    std::vector<Row> rows;
    std::vector<Tri> tris;
};
struct P {
    double x, y, z;
};
P operator-(P a, P b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P operator+(P a, P b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double Dot(P a, P b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
P Cross(P a, P b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
P Position(const Row& r) { return {r.x, r.y, r.z}; }
P Normal(const Row& r) { return {r.nx, r.ny, r.nz}; }
bool Same(P a, P b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

constexpr size_t tableBytes = 6312;
const char* const names[5] = {"tetrahedron", "cube", "octahedron", "dodecahedron", "icosahedron"};

int32_t IntAt(const unsigned char* bytes, size_t at) {
    return int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                   uint32_t(bytes[at + 3]) << 24);
}
float FloatAt(const unsigned char* bytes, size_t at) {
    uint32_t bits = uint32_t(IntAt(bytes, at));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Reads the five entries little-endian; fails the test if they overrun or leave bytes over.
std::vector<Entry> ReadTable(const unsigned char* bytes, size_t size) {
    std::vector<Entry> table;
    size_t at = 0;
    for (int k = 0; k < 5; ++k) {
        if (at + 8 > size) break;
        const int32_t v = IntAt(bytes, at), t = IntAt(bytes, at + 4);
        at += 8;
        if (v < 0 || t < 0 || at + size_t(v) * 32 + size_t(t) * 12 > size) break;
        Entry e;
        for (int i = 0; i < v; ++i, at += 32) {
            float f[8];
            for (int j = 0; j < 8; ++j) f[j] = FloatAt(bytes, at + 4 * j);
            e.rows.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
        }
        for (int i = 0; i < t; ++i, at += 12) e.tris.push_back({IntAt(bytes, at), IntAt(bytes, at + 4), IntAt(bytes, at + 8)});
        table.push_back(e);
    }
    EXPECT_EQ(at, size) << "the five entries must fill the table exactly";
    return table;
}

const std::vector<Entry>& Table() {
    static const std::vector<Entry> table = ReadTable(ShapeTableFile[0].bytes, ShapeTableFile[0].size);
    return table;
}

// ---- layout ----

TEST(ShapeTable, HasFiveEntriesOfTheStatedSizes) {
    ASSERT_EQ(ShapeTableFile[0].size, tableBytes);
    ASSERT_EQ(Table().size(), 5u);
    const struct {
        size_t rows, triangles, corners;
    } expected[5] = {{10, 4, 4}, {24, 12, 8}, {18, 8, 6}, {72, 36, 20}, {42, 20, 12}};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(names[k]);
        const Entry& e = Table()[k];
        EXPECT_EQ(e.rows.size(), expected[k].rows);
        EXPECT_EQ(e.tris.size(), expected[k].triangles);
        std::set<std::array<float, 3>> corners;
        for (const Row& r : e.rows) corners.insert({r.x, r.y, r.z});
        EXPECT_EQ(corners.size(), expected[k].corners);
    }
}

TEST(ShapeTable, EveryIndexIsInRangeAndEveryRecordIsUsed) {
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(names[k]);
        const Entry& e = Table()[k];
        std::vector<bool> used(e.rows.size(), false);
        for (const Tri& t : e.tris)
            for (int32_t i : t) {
                ASSERT_GE(i, 0);
                ASSERT_LT(i, int32_t(e.rows.size()));
                used[i] = true;
            }
        for (size_t i = 0; i < used.size(); ++i) EXPECT_TRUE(used[i]) << "record " << i << " unused";
    }
}

// ---- rows given in full or in part ----

struct GivenRow {
    int kind, index;
    Row row;
};

const GivenRow givenRows[] = {
    {0, 0, {0.817497f, 0.57835f, 0, 0, 1, 0, 0.5f, 0.5f}},
    {0, 1, {-0.815497f, 0.57835f, 0, 0, 1, 0, 0.5f, 1.5f}},
    {0, 2, {0, -0.57635f, 0.817497f, 0, 0.577351f, 0.816496f, -0.5f, 1}},
    {0, 3, {0, -0.57635f, -0.815497f, 0, 0.577351f, -0.816496f, -0.5f, 1}},
    {0, 4, {0, -0.57635f, -0.815497f, 0.816496f, -0.577351f, 0, -0.5f, 1.5f}},
    {0, 5, {0, -0.57635f, 0.817497f, 0.816496f, -0.577351f, 0, 0.5f, 1.5f}},
    {0, 6, {0.817497f, 0.57835f, 0, 0.816496f, -0.577351f, 0, 0, 0.5f}},
    {0, 7, {0, -0.57635f, -0.815497f, -0.816496f, -0.577351f, 0, -0.5f, 1.5f}},
    {0, 8, {-0.815497f, 0.57835f, 0, -0.816496f, -0.577351f, 0, 0, 0.5f}},
    {0, 9, {0, -0.57635f, 0.817497f, -0.816496f, -0.577351f, 0, 0.5f, 1.5f}},
    {2, 0, {0, 0.708107f, 0.708107f, 0, 1, 0, 0, 0.5f}},
    {2, 1, {0, 0.708107f, -0.706107f, 0, 1, 0, 0, 1.5f}},
    {2, 2, {1.001f, 0, 0, 1, 0, 0, 0.5f, 1}},
    {2, 3, {0, -0.706107f, 0.708107f, 0, 0, 1, -0.5f, 1}},
    {2, 4, {-0.999f, 0, 0, -1, 0, 0, 0, 1.5f}},
    {2, 5, {0, -0.706107f, -0.706107f, 0, 0, -1, -0.5f, 1}},
    {2, 6, {1.001f, 0, 0, 0.57735f, 0, 0.816496f, 0, 0.5f}},
    {2, 7, {0, 0.708107f, 0.708107f, 0.57735f, 0, 0.816496f, 0.5f, 1}},
    {2, 8, {0, 0.708107f, 0.708107f, -0.57735f, 0, 0.816496f, 0.5f, 1}},
    {2, 9, {-0.999f, 0, 0, -0.57735f, 0.816496f, 0, -0.5f, 1}},
    {2, 10, {0, 0.708107f, -0.706107f, -0.57735f, 0, -0.816496f, 0.5f, 1}},
    {2, 11, {1.001f, 0, 0, 0.57735f, 0, -0.816496f, 0, 0.5f}},
    {2, 12, {0, 0.708107f, -0.706107f, 0.57735f, 0, -0.816496f, 0.5f, 1}},
    {2, 13, {0, -0.706107f, -0.706107f, 0.57735f, -0.816496f, 0, 0, 1.5f}},
    {2, 14, {0, -0.706107f, 0.708107f, 0.57735f, -0.816496f, 0, 0, 0.5f}},
    {2, 15, {-0.999f, 0, 0, -0.57735f, -0.816496f, 0, -0.5f, 1}},
    {2, 16, {0, -0.706107f, 0.708107f, -0.57735f, -0.816496f, 0, 0, 0.5f}},
    {2, 17, {0, -0.706107f, -0.706107f, -0.57735f, -0.816496f, 0, 0, 1.5f}},
    {3, 0, {0.357822f, 0.935172f, 0, 0, 0.955423f, 0.295242f, 0.190983f, 1}},
    {3, 1, {-0.355822f, 0.935172f, 0, 0, 0.955423f, -0.295242f, -0.190983f, 1}},
    {3, 2, {0.57835f, 0.57835f, 0.57835f, 0.688191f, 0.587785f, 0.425325f, 0.309017f, 0.690983f}},
    {3, 3, {0, 0.357822f, 0.935172f, 0, 0.850651f, 0.525731f, 0, 0.5f}},
    {3, 4, {-0.57635f, 0.57835f, 0.57835f, 0, 0.850651f, 0.525731f, -0.309017f, 0.690983f}},
    {4, 0, {0, 0.851651f, 0.526731f, 0, 1, 0, 0, 0.690983f}},
    {4, 1, {0, 0.851651f, -0.524731f, 0, 1, 0, 0, 1.30902f}},
    {4, 2, {0.851651f, 0.526731f, 0, 0.356822f, 0.934172f, 0, 0.5f, 1}},
};

TEST(ShapeTable, HoldsTheGivenRowsExactly) {
    for (const GivenRow& g : givenRows) {
        SCOPED_TRACE(std::string(names[g.kind]) + " row " + std::to_string(g.index));
        const Row& r = Table()[g.kind].rows.at(g.index);
        const float want[8] = {g.row.x, g.row.y, g.row.z, g.row.nx, g.row.ny, g.row.nz, g.row.s, g.row.t};
        const float got[8] = {r.x, r.y, r.z, r.nx, r.ny, r.nz, r.s, r.t};
        for (int j = 0; j < 8; ++j) EXPECT_EQ(got[j], want[j]) << "field " << j;
    }
}

TEST(ShapeTable, HoldsTheGivenTriangles) {
    const struct {
        int kind;
        std::vector<Tri> first;
    } given[] = {
        {0, {{0, 1, 2}, {1, 0, 3}, {4, 6, 5}, {7, 9, 8}}},
        {2, {{1, 0, 2}, {6, 7, 3}, {3, 8, 4}, {9, 0, 1}, {4, 10, 5}, {5, 12, 11}, {2, 14, 13}, {15, 17, 16}}},
        {3, {{0, 3, 2}, {0, 4, 3}, {0, 1, 4}}},
        {4, {{1, 0, 2}}},
    };
    for (const auto& g : given) {
        SCOPED_TRACE(names[g.kind]);
        const std::vector<Tri>& tris = Table()[g.kind].tris;
        ASSERT_GE(tris.size(), g.first.size());
        for (size_t i = 0; i < g.first.size(); ++i) EXPECT_EQ(tris[i], g.first[i]) << "triangle " << i;
    }
}

// Six faces in the order +y, -y, +z, -z, -x, +x; four records each with the face normal and
// texture corners (0,0), (0,1), (1,1), (1,0); triangles (4f+2, 4f+1, 4f), (4f, 4f+3, 4f+2).
TEST(ShapeTable, CubeFollowsItsRule) {
    const float h = 0.5f;
    const struct {
        P normal;
        P corners[4];
    } faces[6] = {
        {{0, 1, 0}, {{-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h}}},
        {{0, -1, 0}, {{-h, -h, h}, {h, -h, h}, {h, -h, -h}, {-h, -h, -h}}},
        {{0, 0, 1}, {{-h, h, h}, {h, h, h}, {h, -h, h}, {-h, -h, h}}},
        {{0, 0, -1}, {{h, h, -h}, {-h, h, -h}, {-h, -h, -h}, {h, -h, -h}}},
        {{-1, 0, 0}, {{-h, h, -h}, {-h, h, h}, {-h, -h, h}, {-h, -h, -h}}},
        {{1, 0, 0}, {{h, h, h}, {h, h, -h}, {h, -h, -h}, {h, -h, h}}},
    };
    const float texture[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const Entry& cube = Table()[1];
    ASSERT_EQ(cube.rows.size(), 24u);
    ASSERT_EQ(cube.tris.size(), 12u);
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE("face " + std::to_string(f));
        for (int i = 0; i < 4; ++i) {
            const Row& r = cube.rows[4 * f + i];
            EXPECT_TRUE(Same(Position(r), faces[f].corners[i])) << "corner " << i;
            EXPECT_TRUE(Same(Normal(r), faces[f].normal)) << "corner " << i;
            EXPECT_EQ(r.s, texture[i][0]);
            EXPECT_EQ(r.t, texture[i][1]);
        }
        EXPECT_EQ(cube.tris[2 * f], (Tri{4 * f + 2, 4 * f + 1, 4 * f}));
        EXPECT_EQ(cube.tris[2 * f + 1], (Tri{4 * f, 4 * f + 3, 4 * f + 2}));
    }
}

// ---- geometry every shape must have ----

// A corner pattern: the coordinates, and which of them take both signs.
struct Pattern {
    double v[3];
    bool bothSigns[3];
};
Pattern PlusMinus(double x, double y, double z) { return {{x, y, z}, {x != 0, y != 0, z != 0}}; }

// The corners of a solid, stored the way the table stores them: a non-zero coordinate 0.001
// higher (the cube is the exception, exactly +-0.5).
std::set<std::array<float, 3>> CornerSet(int kind) {
    const std::vector<Pattern> patterns[5] = {
        {{{0.816497, 0.57735, 0}, {true, false, false}}, {{0, -0.57735, 0.816497}, {false, false, true}}},
        {PlusMinus(0.5, 0.5, 0.5)},
        {PlusMinus(1, 0, 0), PlusMinus(0, 0.707107, 0.707107)},
        {PlusMinus(0.57735, 0.57735, 0.57735), PlusMinus(0, 0.356822, 0.934172), PlusMinus(0.934172, 0, 0.356822),
         PlusMinus(0.356822, 0.934172, 0)},
        {PlusMinus(0, 0.850651, 0.525731), PlusMinus(0.850651, 0.525731, 0), PlusMinus(0.525731, 0, 0.850651)},
    };
    const double offset = kind == 1 ? 0 : 0.001;
    auto stored = [offset](double a) { return a == 0 ? 0.0f : float(a + offset); };
    std::set<std::array<float, 3>> set;
    for (const Pattern& p : patterns[kind])
        for (int signs = 0; signs < 8; ++signs) {
            double c[3];
            for (int axis = 0; axis < 3; ++axis) c[axis] = (signs >> axis & 1) && p.bothSigns[axis] ? -p.v[axis] : p.v[axis];
            set.insert({stored(c[0]), stored(c[1]), stored(c[2])});
        }
    return set;
}

TEST(ShapeTable, CornersComeFromTheCornerSets) {
    const size_t expectedCorners[5] = {4, 8, 6, 20, 12};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(names[k]);
        const auto set = CornerSet(k);
        ASSERT_EQ(set.size(), expectedCorners[k]);
        std::set<std::array<float, 3>> seen;
        for (size_t i = 0; i < Table()[k].rows.size(); ++i) {
            const Row& r = Table()[k].rows[i];
            EXPECT_TRUE(set.count({r.x, r.y, r.z})) << "record " << i << " at " << r.x << ", " << r.y << ", " << r.z;
            seen.insert({r.x, r.y, r.z});
        }
        EXPECT_EQ(seen, set) << "every corner of the solid is used";
    }
}

TEST(ShapeTable, TrianglesRunCounterClockwiseSeenFromOutside) {
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(names[k]);
        const Entry& e = Table()[k];
        for (size_t i = 0; i < e.tris.size(); ++i) {
            const P a = Position(e.rows[e.tris[i][0]]), b = Position(e.rows[e.tris[i][1]]), c = Position(e.rows[e.tris[i][2]]);
            const P centre = a + b + c;
            EXPECT_GT(Dot(Cross(b - a, c - a), centre), 0.1) << "triangle " << i;
        }
    }
}

TEST(ShapeTable, NormalsAreUnitAndFaceOutOfEveryTriangleThatUsesThem) {
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(names[k]);
        const Entry& e = Table()[k];
        for (size_t i = 0; i < e.rows.size(); ++i) EXPECT_NEAR(std::sqrt(Dot(Normal(e.rows[i]), Normal(e.rows[i]))), 1.0, 2e-6) << "record " << i;
        for (size_t i = 0; i < e.tris.size(); ++i) {
            const P a = Position(e.rows[e.tris[i][0]]), b = Position(e.rows[e.tris[i][1]]), c = Position(e.rows[e.tris[i][2]]);
            const P faceNormal = Cross(b - a, c - a);
            for (int32_t v : e.tris[i]) EXPECT_GT(Dot(Normal(e.rows[v]), faceNormal), 0) << "triangle " << i << " record " << v;
        }
    }
}

TEST(ShapeTable, TextureCoordinatesStayInTheirRange) {
    for (int k : {0, 2, 3, 4}) {
        SCOPED_TRACE(names[k]);
        for (size_t i = 0; i < Table()[k].rows.size(); ++i) {
            const Row& r = Table()[k].rows[i];
            EXPECT_TRUE(r.s >= -0.5f && r.s <= 0.5f) << "record " << i << " s " << r.s;
            EXPECT_TRUE(r.t >= 0.5f && r.t <= 1.5f) << "record " << i << " t " << r.t;
        }
    }
}

// Twelve pentagons of three consecutive triangles fanned from one corner: the three share that
// corner, neighbours in the fan share one more, and the five corners lie on one face of its own.
TEST(ShapeTable, DodecahedronFacesArePentagonFans) {
    const Entry& e = Table()[3];
    ASSERT_EQ(e.tris.size(), 36u);
    std::vector<P> faceNormals;
    for (int f = 0; f < 12; ++f) {
        SCOPED_TRACE("pentagon " + std::to_string(f));
        std::array<std::vector<P>, 3> corners;
        for (int j = 0; j < 3; ++j)
            for (int32_t v : e.tris[3 * f + j]) corners[j].push_back(Position(e.rows[v]));
        auto shared = [&](int a, int b) {
            int n = 0;
            for (P p : corners[a])
                for (P q : corners[b]) n += Same(p, q);
            return n;
        };
        EXPECT_EQ(shared(0, 1), 2);
        EXPECT_EQ(shared(1, 2), 2);
        EXPECT_EQ(shared(0, 2), 1) << "the first and last triangle meet only at the fan corner";
        std::vector<P> distinct;
        for (const auto& tri : corners)
            for (P p : tri) {
                bool known = false;
                for (P q : distinct) known = known || Same(p, q);
                if (!known) distinct.push_back(p);
            }
        ASSERT_EQ(distinct.size(), 5u);
        P n = Cross(corners[0][1] - corners[0][0], corners[0][2] - corners[0][0]);
        const double length = std::sqrt(Dot(n, n));
        n = {n.x / length, n.y / length, n.z / length};
        const double plane = Dot(n, distinct[0]);
        // the 0.001 lift of non-zero coordinates bends a face by about that much; a corner of
        // another face lies a good 0.3 off its plane
        constexpr double onThePlane = 0.005;
        for (P p : distinct) EXPECT_NEAR(Dot(n, p), plane, onThePlane);
        for (P other : faceNormals) EXPECT_LT(Dot(n, other), 0.99) << "a face is covered twice";
        faceNormals.push_back(n);
    }
}

// ---- meshes built from the table, against the recording engine ----

class ShapeMesh : public ::testing::Test {
protected:
    void SetUp() override { UseFakeEngine(); }
};

TEST_F(ShapeMesh, SendsEveryRecordThenEveryTriangleThenFinishes) {
    const Entry& tetrahedron = Table()[0];
    const int colour = 0x123456;
    const int mesh = BuildShapeMesh(0, 1, 1, 1, 0, 0, 1, 1, colour);
    std::vector<std::string> expected = {"CreateMesh"};
    for (size_t i = 0; i < tetrahedron.rows.size(); ++i)
        for (const char* name : {"MeshVertexPosition", "MeshVertexNormal", "MeshVertexTextureCoordinate", "MeshVertexColor"})
            expected.push_back(name);
    for (size_t i = 0; i < tetrahedron.tris.size(); ++i) expected.push_back("MeshFace");
    expected.push_back("FinishMesh");
    expected.push_back("IsMesh");
    ASSERT_EQ(CallNames(), expected);
    EXPECT_EQ(FakeEngine.calls.front().args, std::vector<double>{-1});
    EXPECT_EQ(CallsNamed("FinishMesh")[0].args, std::vector<double>{1});
    EXPECT_EQ(CallsNamed("IsMesh")[0].args, std::vector<double>{double(mesh)});
    EXPECT_GE(mesh, 0);
    for (const EngineCall& call : CallsNamed("MeshVertexColor")) EXPECT_EQ(call.args, std::vector<double>{colour});
}

TEST_F(ShapeMesh, SendsTheStoredTrianglesOfEachKind) {
    const size_t triangles[5] = {4, 12, 8, 36, 20};
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(names[kind]);
        UseFakeEngine();
        BuildShapeMesh(kind, 1, 1, 1, 0, 0, 1, 1, 0xFFFFFF);
        const std::vector<EngineCall> faces = CallsNamed("MeshFace");
        ASSERT_EQ(faces.size(), triangles[kind]);
        for (size_t i = 0; i < faces.size(); ++i) {
            const Tri& t = Table()[kind].tris[i];
            EXPECT_EQ(faces[i].args, (std::vector<double>{double(t[0]), double(t[1]), double(t[2])}));
        }
        EXPECT_EQ(CallsNamed("MeshVertexPosition").size(), Table()[kind].rows.size());
    }
}

// Scale factors reach the positions axis by axis; normals arrive exactly as stored.
TEST_F(ShapeMesh, ScalesPositionsButNotNormals) {
    const float scale[3] = {2, -3, 0.25f};
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(names[kind]);
        UseFakeEngine();
        BuildShapeMesh(kind, scale[0], scale[1], scale[2], 0, 0, 1, 1, 0);
        const auto positions = CallsNamed("MeshVertexPosition"), normals = CallsNamed("MeshVertexNormal");
        const std::vector<Row>& rows = Table()[kind].rows;
        ASSERT_EQ(positions.size(), rows.size());
        ASSERT_EQ(normals.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            EXPECT_EQ(positions[i].args, (std::vector<double>{r.x * scale[0], r.y * scale[1], r.z * scale[2]})) << i;
            EXPECT_EQ(normals[i].args, (std::vector<double>{r.nx, r.ny, r.nz})) << i;
        }
    }
}

TEST_F(ShapeMesh, MovesTextureCoordinatesIntoTheCell) {
    const struct {
        float cellU, cellV, spanU, spanV;
    } cases[] = {{0, 0, 1, 1}, {0.0078125f, 0.0390625f, 0.015625f, 0.015625f}, {0.3f, 0.7f, 0.1f, 0.2f}};
    for (const auto& c : cases) {
        SCOPED_TRACE("cell " + std::to_string(c.cellU) + ", " + std::to_string(c.cellV));
        for (int kind = 0; kind < 5; ++kind) {
            UseFakeEngine();
            BuildShapeMesh(kind, 1, 1, 1, c.cellU, c.cellV, c.spanU, c.spanV, 0);
            const auto coordinates = CallsNamed("MeshVertexTextureCoordinate");
            const std::vector<Row>& rows = Table()[kind].rows;
            ASSERT_EQ(coordinates.size(), rows.size());
            for (size_t i = 0; i < rows.size(); ++i) {
                // volatile: g++ 12 at -O2 vectorises this loop and drops the rounding to float
                const volatile float u = float(double(c.cellU) + double(rows[i].s) * c.spanU);
                const volatile float v = float(double(c.cellV) + double(rows[i].t) * c.spanV);
                EXPECT_EQ(coordinates[i].args, (std::vector<double>{u, v})) << names[kind] << " record " << i;
            }
        }
    }
    // cell 0 and span 1 hand over the stored values themselves
    UseFakeEngine();
    BuildShapeMesh(3, 1, 1, 1, 0, 0, 1, 1, 0);
    EXPECT_EQ(CallsNamed("MeshVertexTextureCoordinate")[2].args, (std::vector<double>{0.309017f, 0.690983f}));
}

TEST_F(ShapeMesh, AKindThatIsNoShapeMakesNoCall) {
    for (int32_t kind : {5, -1, 6, 127, -128, INT32_MIN, INT32_MAX}) {
        UseFakeEngine();
        EXPECT_EQ(BuildShapeMesh(kind, 1, 1, 1, 0, 0, 1, 1, 0), -1) << kind;
        EXPECT_TRUE(FakeEngine.calls.empty()) << kind;
    }
}

TEST_F(ShapeMesh, AMeshTheEngineDoesNotConfirmIsMinusOne) {
    FakeEngine.isMeshAnswer = 0;
    EXPECT_EQ(BuildShapeMesh(2, 1, 1, 1, 0, 0, 1, 1, 0), -1);
    EXPECT_EQ(CallsNamed("FinishMesh").size(), 1u) << "the mesh is still built first";
    EXPECT_EQ(CallNames().back(), "IsMesh");
}

// ---- the generator ----

TEST(ShapeTable, GeneratorReproducesTheEmbeddedBytes) {
    const std::string out = MakeTempFolder() + "/shapes.bin";
    int status = -1;
    RunCommand(std::string("'") + ZELVARO_TOOLS_DIR + "/gen_shapes' '" + out + "'", &status);
    ASSERT_EQ(status, 0);
    const std::string generated = ReadFileBytes(out);
    const std::string embedded(reinterpret_cast<const char*>(ShapeTableFile[0].bytes), ShapeTableFile[0].size);
    EXPECT_TRUE(generated == embedded) << "generated " << generated.size() << " bytes";
    EXPECT_TRUE(generated == ReadFileBytes(std::string(ZELVARO_SOURCE_DIR) + "/src/data/shapes.bin"));
}

} // namespace
