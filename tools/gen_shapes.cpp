// Build tool: writes the shape table, the five polyhedra every object of the swarm is made of.
// Each entry is vertex count, triangle count, vertex records (position, normal, s, t as float32)
// and triangles (three int32 indices), little-endian, entries back to back, nothing between.
// usage: gen_shapes OUT.bin
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Vertex {
    float x, y, z;    // position
    float nx, ny, nz; // unit normal
    float s, t;       // texture coordinate, before the mesh builder moves it into a palette cell
};
using Triangle = std::array<int32_t, 3>;

struct Shape {
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
};

// ---- numbers as the tables write them ----

// Corners sit a hair off the ideal solid: every non-zero coordinate is stored 0.001 higher.
constexpr double cornerOffset = 0.001;

// The float nearest to a decimal text: values keep the six digits they are written with.
float FromText(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return std::strtof(text, nullptr);
}
float Written(double value) { return FromText("%.6g", value); }
float StoredCoordinate(double ideal) { return ideal == 0 ? 0.0f : FromText("%.6f", ideal + cornerOffset); }

// ---- a little vector algebra on the ideal corners ----

struct Vec {
    double x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y, k * a.z}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Normalised(Vec a) { return (1.0 / std::sqrt(Dot(a, a))) * a; }

// Every sign combination of a pattern's non-zero coordinates, "+" before "-", x outermost.
void AddSigned(std::vector<Vec>& out, Vec pattern) {
    for (double sx : {1.0, -1.0})
        for (double sy : {1.0, -1.0})
            for (double sz : {1.0, -1.0}) {
                if ((pattern.x == 0 && sx < 0) || (pattern.y == 0 && sy < 0) || (pattern.z == 0 && sz < 0)) continue;
                out.push_back({sx * pattern.x, sy * pattern.y, sz * pattern.z});
            }
}

// The dodecahedron's corners point where the icosahedron's faces face, and the other way round,
// so each list serves as one solid's corners and the other's face directions.
std::vector<Vec> DodecahedronCorners() {
    std::vector<Vec> corners;
    for (Vec p : {Vec{0.356822, 0.934172, 0}, Vec{0, 0.356822, 0.934172}, Vec{0.934172, 0, 0.356822},
                  Vec{0.57735, 0.57735, 0.57735}})
        AddSigned(corners, p);
    return corners;
}
std::vector<Vec> IcosahedronCorners() {
    std::vector<Vec> corners;
    for (Vec p : {Vec{0, 0.850651, 0.525731}, Vec{0.850651, 0.525731, 0}, Vec{0.525731, 0, 0.850651}})
        AddSigned(corners, p);
    return corners;
}

// ---- faces of a solid found from its corners and face directions ----

struct Face {
    Vec normal;
    std::vector<int> corners; // counter-clockwise seen from outside, lowest corner number first
};

std::vector<Face> FacesOf(const std::vector<Vec>& corners, const std::vector<Vec>& directions) {
    constexpr double sameDistance = 1e-4;
    std::vector<Face> faces;
    for (Vec direction : directions) {
        Face face{Normalised(direction), {}};
        double farthest = 0;
        for (Vec c : corners) farthest = std::max(farthest, Dot(c, face.normal));
        for (int i = 0; i < int(corners.size()); ++i)
            if (Dot(corners[i], face.normal) > farthest - sameDistance) face.corners.push_back(i);
        // angle about the normal grows counter-clockwise for an eye outside
        Vec centre{0, 0, 0};
        for (int i : face.corners) centre = centre + corners[i];
        centre = (1.0 / face.corners.size()) * centre;
        Vec u = Normalised(corners[face.corners[0]] - centre), v = Cross(face.normal, u);
        auto angle = [&](int i) {
            Vec d = corners[i] - centre;
            return std::atan2(Dot(d, v), Dot(d, u));
        };
        std::sort(face.corners.begin(), face.corners.end(), [&](int a, int b) { return angle(a) < angle(b); });
        std::rotate(face.corners.begin(), std::min_element(face.corners.begin(), face.corners.end()),
                    face.corners.end());
        faces.push_back(face);
    }
    return faces;
}

bool HasCorner(const Face& face, int corner) {
    return std::find(face.corners.begin(), face.corners.end(), corner) != face.corners.end();
}

// The face across the edge (a, b) from face `self`.
int FaceAcross(const std::vector<Face>& faces, int self, int a, int b) {
    for (int f = 0; f < int(faces.size()); ++f)
        if (f != self && HasCorner(faces[f], a) && HasCorner(faces[f], b)) return f;
    std::fprintf(stderr, "no face across an edge\n");
    std::exit(1);
}

// A normal leaning from one face towards its neighbour: the two face normals' mean direction.
Vec EdgeNormal(const std::vector<Face>& faces, int f, int g) { return Normalised(faces[f].normal + faces[g].normal); }

// Texture coordinates project a corner along its face's main axis, scaled so that the whole
// solid stays within s in [-0.5, 0.5] and t in [0.5, 1.5].
Vertex Record(Vec corner, Vec normal, Vec faceNormal, double largestCoordinate) {
    double ax = std::fabs(faceNormal.x), ay = std::fabs(faceNormal.y), az = std::fabs(faceNormal.z);
    double across, down;
    if (ay >= ax && ay >= az) across = corner.x, down = corner.z;
    else if (az >= ax) across = corner.x, down = corner.y;
    else across = corner.z, down = corner.y;
    double scale = 0.5 / largestCoordinate;
    return {StoredCoordinate(corner.x), StoredCoordinate(corner.y), StoredCoordinate(corner.z),
            Written(normal.x), Written(normal.y), Written(normal.z),
            Written(scale * across), Written(1 - scale * down)};
}

// ---- the five shapes ----

Shape Tetrahedron() {
    return {{{0.817497f, 0.57835f, 0, 0, 1, 0, 0.5f, 0.5f},
             {-0.815497f, 0.57835f, 0, 0, 1, 0, 0.5f, 1.5f},
             {0, -0.57635f, 0.817497f, 0, 0.577351f, 0.816496f, -0.5f, 1},
             {0, -0.57635f, -0.815497f, 0, 0.577351f, -0.816496f, -0.5f, 1},
             {0, -0.57635f, -0.815497f, 0.816496f, -0.577351f, 0, -0.5f, 1.5f},
             {0, -0.57635f, 0.817497f, 0.816496f, -0.577351f, 0, 0.5f, 1.5f},
             {0.817497f, 0.57835f, 0, 0.816496f, -0.577351f, 0, 0, 0.5f},
             {0, -0.57635f, -0.815497f, -0.816496f, -0.577351f, 0, -0.5f, 1.5f},
             {-0.815497f, 0.57835f, 0, -0.816496f, -0.577351f, 0, 0, 0.5f},
             {0, -0.57635f, 0.817497f, -0.816496f, -0.577351f, 0, 0.5f, 1.5f}},
            {{0, 1, 2}, {1, 0, 3}, {4, 6, 5}, {7, 9, 8}}};
}

// Six faces of edge 1, each with its own four records so that every face is flat-shaded.
Shape Cube() {
    struct CubeFace {
        Vec normal;
        std::array<Vec, 4> corners;
    };
    constexpr double h = 0.5;
    const CubeFace faces[] = {
        {{0, 1, 0}, {{{-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h}}}},
        {{0, -1, 0}, {{{-h, -h, h}, {h, -h, h}, {h, -h, -h}, {-h, -h, -h}}}},
        {{0, 0, 1}, {{{-h, h, h}, {h, h, h}, {h, -h, h}, {-h, -h, h}}}},
        {{0, 0, -1}, {{{h, h, -h}, {-h, h, -h}, {-h, -h, -h}, {h, -h, -h}}}},
        {{-1, 0, 0}, {{{-h, h, -h}, {-h, h, h}, {-h, -h, h}, {-h, -h, -h}}}},
        {{1, 0, 0}, {{{h, h, h}, {h, h, -h}, {h, -h, -h}, {h, -h, h}}}},
    };
    const float corner[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    Shape shape;
    for (const CubeFace& face : faces) {
        int first = int(shape.vertices.size());
        for (int i = 0; i < 4; ++i) {
            Vec p = face.corners[i];
            shape.vertices.push_back({float(p.x), float(p.y), float(p.z), float(face.normal.x),
                                      float(face.normal.y), float(face.normal.z), corner[i][0], corner[i][1]});
        }
        shape.triangles.push_back({first + 2, first + 1, first});
        shape.triangles.push_back({first, first + 3, first + 2});
    }
    return shape;
}

Shape Octahedron() {
    return {{{0, 0.708107f, 0.708107f, 0, 1, 0, 0, 0.5f},
             {0, 0.708107f, -0.706107f, 0, 1, 0, 0, 1.5f},
             {1.001f, 0, 0, 1, 0, 0, 0.5f, 1},
             {0, -0.706107f, 0.708107f, 0, 0, 1, -0.5f, 1},
             {-0.999f, 0, 0, -1, 0, 0, 0, 1.5f},
             {0, -0.706107f, -0.706107f, 0, 0, -1, -0.5f, 1},
             {1.001f, 0, 0, 0.57735f, 0, 0.816496f, 0, 0.5f},
             {0, 0.708107f, 0.708107f, 0.57735f, 0, 0.816496f, 0.5f, 1},
             {0, 0.708107f, 0.708107f, -0.57735f, 0, 0.816496f, 0.5f, 1},
             {-0.999f, 0, 0, -0.57735f, 0.816496f, 0, -0.5f, 1},
             {0, 0.708107f, -0.706107f, -0.57735f, 0, -0.816496f, 0.5f, 1},
             {1.001f, 0, 0, 0.57735f, 0, -0.816496f, 0, 0.5f},
             {0, 0.708107f, -0.706107f, 0.57735f, 0, -0.816496f, 0.5f, 1},
             {0, -0.706107f, -0.706107f, 0.57735f, -0.816496f, 0, 0, 1.5f},
             {0, -0.706107f, 0.708107f, 0.57735f, -0.816496f, 0, 0, 0.5f},
             {-0.999f, 0, 0, -0.57735f, -0.816496f, 0, -0.5f, 1},
             {0, -0.706107f, 0.708107f, -0.57735f, -0.816496f, 0, 0, 0.5f},
             {0, -0.706107f, -0.706107f, -0.57735f, -0.816496f, 0, 0, 1.5f}},
            {{1, 0, 2}, {6, 7, 3}, {3, 8, 4}, {9, 0, 1}, {4, 10, 5}, {5, 12, 11}, {2, 14, 13}, {15, 17, 16}}};
}

// Twelve pentagons, each a fan of three triangles from its lowest-numbered corner. The top face
// keeps the five records it was first laid out with. Every other face gives its fan corner two
// records, each leaning towards the neighbour across that corner's own rim edge, and gives its
// other corners the face normal; the last face also splits its second rim corner the same way,
// which brings the table to 72 records, all of them in use.
Shape Dodecahedron() {
    Shape shape{{{0.357822f, 0.935172f, 0, 0, 0.955423f, 0.295242f, 0.190983f, 1},
                 {-0.355822f, 0.935172f, 0, 0, 0.955423f, -0.295242f, -0.190983f, 1},
                 {0.57835f, 0.57835f, 0.57835f, 0.688191f, 0.587785f, 0.425325f, 0.309017f, 0.690983f},
                 {0, 0.357822f, 0.935172f, 0, 0.850651f, 0.525731f, 0, 0.5f},
                 {-0.57635f, 0.57835f, 0.57835f, 0, 0.850651f, 0.525731f, -0.309017f, 0.690983f}},
                {{0, 3, 2}, {0, 4, 3}, {0, 1, 4}}};
    const std::vector<Vec> corners = DodecahedronCorners();
    const std::vector<Face> faces = FacesOf(corners, IcosahedronCorners());
    constexpr double largest = 0.934172;
    for (int f = 1; f < int(faces.size()); ++f) {
        const Face& face = faces[f];
        const bool lastFace = f + 1 == int(faces.size());
        // fan corner, then the rim clockwise from outside, so (apex, p[k+1], p[k]) turn counter-clockwise
        const int apex = face.corners[0];
        const int p[5] = {apex, face.corners[4], face.corners[3], face.corners[2], face.corners[1]};
        auto add = [&](int corner, Vec normal) {
            shape.vertices.push_back(Record(corners[corner], normal, face.normal, largest));
            return int32_t(shape.vertices.size() - 1);
        };
        auto leaning = [&](int a, int b) { return EdgeNormal(faces, f, FaceAcross(faces, f, a, b)); };
        int32_t apexFirst = add(apex, leaning(apex, p[1]));
        int32_t apexLast = add(apex, leaning(apex, p[4]));
        int32_t rim[5];
        rim[1] = add(p[1], face.normal);
        rim[2] = lastFace ? add(p[2], leaning(p[1], p[2])) : add(p[2], face.normal);
        int32_t rimSecond = lastFace ? add(p[2], leaning(p[2], p[3])) : rim[2];
        rim[3] = add(p[3], face.normal);
        rim[4] = add(p[4], face.normal);
        shape.triangles.push_back({apexFirst, rim[2], rim[1]});
        shape.triangles.push_back({apexFirst, rim[3], rimSecond});
        shape.triangles.push_back({apexLast, rim[4], rim[3]});
    }
    return shape;
}

// Whether faces f and g meet along an edge.
bool Adjacent(const Face& f, const Face& g) {
    int shared = 0;
    for (int corner : f.corners) shared += HasCorner(g, corner);
    return shared == 2;
}

// Pairs faces across shared edges, taking faces in order and trying each one's free neighbours
// lowest-numbered first, leaving at most `alone` faces unpaired. partner[f] is -1 for those.
bool PairFaces(const std::vector<Face>& faces, std::vector<int>& partner, int alone, int from = 0) {
    while (from < int(faces.size()) && partner[from] != -2) ++from;
    if (from == int(faces.size())) return true;
    for (int g = from + 1; g < int(faces.size()); ++g) {
        if (partner[g] != -2 || !Adjacent(faces[from], faces[g])) continue;
        partner[from] = g, partner[g] = from;
        if (PairFaces(faces, partner, alone, from + 1)) return true;
        partner[from] = partner[g] = -2;
    }
    if (alone == 0) return false;
    partner[from] = -1;
    if (PairFaces(faces, partner, alone - 1, from + 1)) return true;
    partner[from] = -2;
    return false;
}

// Twenty triangles. Two faces that meet along an edge share that edge's two records, which lean
// halfway between the two faces; each face's third corner carries the face's own normal. Nine
// such pairs and two faces standing alone with three records each make the table's 42 records.
Shape Icosahedron() {
    constexpr int facesAlone = 2;
    constexpr double largest = 0.850651;
    const std::vector<Vec> corners = IcosahedronCorners();
    const std::vector<Face> faces = FacesOf(corners, DodecahedronCorners());
    std::vector<int> partner(faces.size(), -2); // -2: not yet placed
    if (!PairFaces(faces, partner, facesAlone)) {
        std::fprintf(stderr, "no pairing of the icosahedron's faces\n");
        std::exit(1);
    }
    Shape shape;
    auto add = [&](int corner, Vec normal, int face) {
        shape.vertices.push_back(Record(corners[corner], normal, faces[face].normal, largest));
        return int32_t(shape.vertices.size() - 1);
    };
    for (int f = 0; f < int(faces.size()); ++f) {
        const std::vector<int>& c = faces[f].corners;
        const int g = partner[f];
        if (g < 0) {
            int32_t a = add(c[0], faces[f].normal, f), b = add(c[1], faces[f].normal, f);
            int32_t d = add(c[2], faces[f].normal, f);
            shape.triangles.push_back({a, b, d});
            continue;
        }
        if (g < f) continue; // written with its partner
        // f runs (w, u, own) counter-clockwise; the partner runs the shared edge the other way
        int own = 0;
        while (HasCorner(faces[g], c[own])) ++own;
        const int w = c[(own + 1) % 3], u = c[(own + 2) % 3];
        int theirs = 0;
        for (int corner : faces[g].corners)
            if (corner != u && corner != w) theirs = corner;
        const Vec shared = EdgeNormal(faces, f, g);
        int32_t ru = add(u, shared, f), rw = add(w, shared, f);
        int32_t mine = add(c[own], faces[f].normal, f);
        int32_t other = add(theirs, faces[g].normal, g);
        shape.triangles.push_back({rw, ru, mine});
        shape.triangles.push_back({ru, rw, other});
    }
    return shape;
}

// ---- output ----

void PutInt(std::vector<unsigned char>& out, int32_t value) {
    uint32_t bits = uint32_t(value);
    for (int i = 0; i < 4; ++i) out.push_back((bits >> (8 * i)) & 0xFF);
}
void PutFloat(std::vector<unsigned char>& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt(out, int32_t(bits));
}

void PutShape(std::vector<unsigned char>& out, const Shape& shape) {
    PutInt(out, int32_t(shape.vertices.size()));
    PutInt(out, int32_t(shape.triangles.size()));
    for (const Vertex& v : shape.vertices)
        for (float value : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.s, v.t}) PutFloat(out, value);
    for (const Triangle& t : shape.triangles)
        for (int32_t index : t) PutInt(out, index);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.bin\n", argv[0]);
        return 2;
    }
    std::vector<unsigned char> table;
    for (const Shape& shape : {Tetrahedron(), Cube(), Octahedron(), Dodecahedron(), Icosahedron()})
        PutShape(table, shape);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    bool written = std::fwrite(table.data(), 1, table.size(), out) == table.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
