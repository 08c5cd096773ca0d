// Build tool: paints the configuration window's banner, a swirl of shaded cubes on a starry sky
// with the name in chrome letters, and writes it as a 420 x 134, 24-bit BMP.
// usage: gen_banner OUT.bmp   (the result is the same on every run: no clock, no system fonts)
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int bannerWidth = 420;
constexpr int bannerHeight = 134;
constexpr int supersample = 4; // painted at 4x and averaged down, for smooth edges
constexpr int canvasWidth = bannerWidth * supersample;
constexpr int canvasHeight = bannerHeight * supersample;
constexpr double pi = 3.14159265358979323846;

struct Colour {
    double r = 0, g = 0, b = 0;
};
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(Colour a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Colour Mix(Colour a, Colour b, double t) { return a * (1 - t) + b * t; }

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalised(Vec3 a) { return a * (1 / std::sqrt(Dot(a, a))); }

double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
double SmoothStep(double edge0, double edge1, double v) {
    double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// Our own generator, so the picture never depends on a library's random numbers.
struct Random {
    uint32_t state = 0x5EED1234u;
    double Next() { // 0 <= value < 1
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 4294967296.0;
    }
};

Colour Hue(double degrees) { // a fully saturated, bright colour
    double h = std::fmod(degrees, 360.0) / 60.0;
    double x = 1 - std::fabs(std::fmod(h, 2.0) - 1);
    std::array<Colour, 6> sextants = {Colour{1, x, 0}, Colour{x, 1, 0}, Colour{0, 1, x},
                                      Colour{0, x, 1}, Colour{x, 0, 1}, Colour{1, 0, x}};
    return sextants[static_cast<int>(h) % 6];
}

struct Canvas {
    std::vector<Colour> pixels = std::vector<Colour>(canvasWidth * canvasHeight);
    std::vector<double> depth = std::vector<double>(canvasWidth * canvasHeight, 1e9);
    Colour& At(int x, int y) { return pixels[y * canvasWidth + x]; }
};

// ---- the sky ----

void PaintSky(Canvas& canvas) {
    const Colour top{0.02, 0.02, 0.07}, bottom{0.05, 0.04, 0.14};
    const Colour nebulaBlue{0.10, 0.16, 0.45}, nebulaViolet{0.30, 0.07, 0.38};
    for (int y = 0; y < canvasHeight; ++y)
        for (int x = 0; x < canvasWidth; ++x) {
            double u = x / double(canvasWidth), v = y / double(canvasHeight);
            Colour sky = Mix(top, bottom, v);
            // two soft clouds of light behind the swirl, a faint one behind the name
            double blue = std::exp(-(std::pow((u - 0.27) / 0.20, 2) + std::pow((v - 0.5) / 0.45, 2)));
            double violet = std::exp(-(std::pow((u - 0.40) / 0.16, 2) + std::pow((v - 0.75) / 0.30, 2)));
            double behindName = std::exp(-(std::pow((u - 0.74) / 0.25, 2) + std::pow((v - 0.55) / 0.35, 2)));
            canvas.At(x, y) = sky + nebulaBlue * (0.55 * blue) + nebulaViolet * (0.45 * violet) +
                              nebulaViolet * (0.18 * behindName);
        }
}

void PaintStar(Canvas& canvas, double cx, double cy, double radius, Colour light, bool glint) {
    int reach = static_cast<int>(radius * (glint ? 6 : 2)) + 2;
    for (int y = static_cast<int>(cy) - reach; y <= cy + reach; ++y)
        for (int x = static_cast<int>(cx) - reach; x <= cx + reach; ++x) {
            if (x < 0 || y < 0 || x >= canvasWidth || y >= canvasHeight) continue;
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            double core = std::exp(-(dx * dx + dy * dy) / (radius * radius));
            double rays = 0;
            if (glint) // a thin cross of light on the brightest stars
                rays = 0.5 * (std::exp(-std::fabs(dy) / 0.9 - std::fabs(dx) / (radius * 2.5)) +
                              std::exp(-std::fabs(dx) / 0.9 - std::fabs(dy) / (radius * 2.5)));
            canvas.At(x, y) = canvas.At(x, y) + light * (core + rays);
        }
}

void PaintStars(Canvas& canvas, Random& random) {
    constexpr int starCount = 330;
    for (int i = 0; i < starCount; ++i) {
        double x = random.Next() * canvasWidth, y = random.Next() * canvasHeight;
        double brightness = std::pow(random.Next(), 3.0);
        double tint = random.Next();
        Colour light = Mix(Colour{0.75, 0.85, 1.0}, Colour{1.0, 0.9, 0.75}, tint) * (0.25 + 0.95 * brightness);
        PaintStar(canvas, x, y, supersample * (0.35 + 0.5 * brightness), light, brightness > 0.72);
    }
}

// ---- the cubes ----

struct Camera {
    double distance = 7.0;
    double focal = 430.0 * supersample; // pixels per unit at distance 1
    double centreX = 104.0 * supersample, centreY = 66.0 * supersample;
};

struct Projected {
    double x, y, z;
};

Projected Project(const Camera& camera, Vec3 p) {
    double z = p.z + camera.distance;
    return {camera.centreX + camera.focal * p.x / z, camera.centreY - camera.focal * p.y / z, z};
}

struct Cube {
    Vec3 centre;
    double size;
    double yaw, pitch, roll;
    Colour colour;
};

Vec3 Rotate(Vec3 p, double yaw, double pitch, double roll) {
    Vec3 a{p.x * std::cos(roll) - p.y * std::sin(roll), p.x * std::sin(roll) + p.y * std::cos(roll), p.z};
    Vec3 b{a.x, a.y * std::cos(pitch) - a.z * std::sin(pitch), a.y * std::sin(pitch) + a.z * std::cos(pitch)};
    return {b.x * std::cos(yaw) + b.z * std::sin(yaw), b.y, -b.x * std::sin(yaw) + b.z * std::cos(yaw)};
}

// The swirl: cubes along a flattened spiral, small and close-packed at its heart, larger outside.
std::vector<Cube> SwirlOfCubes(Random& random) {
    constexpr int cubeCount = 58;
    constexpr double turns = 2.2;
    constexpr double tilt = 0.55; // how far the spiral's plane leans towards the viewer
    std::vector<Cube> cubes;
    for (int i = 0; i < cubeCount; ++i) {
        double t = i / double(cubeCount - 1);
        double angle = t * turns * 2 * pi + 0.35;
        double radius = 0.12 + 1.28 * std::pow(t, 0.9);
        Vec3 flat{radius * std::cos(angle), 0.18 * std::sin(3 * angle) * t, radius * std::sin(angle)};
        Vec3 leaned{flat.x, flat.y * std::cos(tilt) - flat.z * std::sin(tilt),
                    flat.y * std::sin(tilt) + flat.z * std::cos(tilt)};
        double size = 0.07 + 0.23 * t + 0.04 * random.Next();
        Colour colour = Hue(690 - 430 * t + 25 * random.Next());
        cubes.push_back({leaned, size, random.Next() * pi, random.Next() * pi, random.Next() * pi, colour});
    }
    return cubes;
}

struct Face {
    std::array<Vec3, 4> corners; // in order around the face
    Vec3 normal;
};

std::array<Face, 6> CubeFaces(const Cube& cube) {
    static const int faceCorners[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                          {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    std::array<Vec3, 8> corners;
    for (int c = 0; c < 8; ++c) {
        Vec3 local{(c & 1) ? 0.5 : -0.5, (c & 2) ? 0.5 : -0.5, (c & 4) ? 0.5 : -0.5};
        corners[c] = cube.centre + Rotate(local * cube.size, cube.yaw, cube.pitch, cube.roll);
    }
    std::array<Face, 6> faces;
    for (int f = 0; f < 6; ++f) {
        for (int k = 0; k < 4; ++k) faces[f].corners[k] = corners[faceCorners[f][k]];
        Vec3 centre = (faces[f].corners[0] + faces[f].corners[2]) * 0.5;
        Vec3 n = Normalised(Cross(faces[f].corners[1] - faces[f].corners[0], faces[f].corners[3] - faces[f].corners[0]));
        faces[f].normal = Dot(n, centre - cube.centre) < 0 ? n * -1 : n;
    }
    return faces;
}

// Flat light from the upper left and the viewer's side, a white gleam, and bright bevelled edges.
Colour ShadeFace(const Face& face, Colour base, double edge) {
    const Vec3 toLight = Normalised({-0.55, 0.65, -0.55});
    const Vec3 toViewer{0, 0, -1};
    double diffuse = std::max(0.0, Dot(face.normal, toLight));
    Vec3 halfway = Normalised(toLight + toViewer);
    double gleam = std::pow(std::max(0.0, Dot(face.normal, halfway)), 24);
    Colour lit = base * (0.22 + 0.85 * diffuse) + Colour{1, 1, 1} * (0.55 * gleam);
    double bevel = 1 - SmoothStep(0.0, 0.09, edge);
    return Mix(lit, base * 0.35 + Colour{1, 1, 1} * 0.55, 0.75 * bevel);
}

// Fills one face with a depth test; (s, t) place each pixel on the face for the bevel.
void FillFace(Canvas& canvas, const Camera& camera, const Face& face, Colour base) {
    std::array<Projected, 4> p;
    for (int k = 0; k < 4; ++k) p[k] = Project(camera, face.corners[k]);
    double minX = canvasWidth, maxX = 0, minY = canvasHeight, maxY = 0;
    for (const Projected& q : p) {
        minX = std::min(minX, q.x), maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y), maxY = std::max(maxY, q.y);
    }
    double ax = p[1].x - p[0].x, ay = p[1].y - p[0].y, bx = p[3].x - p[0].x, by = p[3].y - p[0].y;
    double det = ax * by - ay * bx;
    if (std::fabs(det) < 1e-9) return;
    Colour shade = ShadeFace(face, base, 1.0);
    for (int y = std::max(0, int(minY)); y <= std::min(canvasHeight - 1, int(maxY)); ++y)
        for (int x = std::max(0, int(minX)); x <= std::min(canvasWidth - 1, int(maxX)); ++x) {
            double px = x + 0.5 - p[0].x, py = y + 0.5 - p[0].y;
            double s = (px * by - py * bx) / det, t = (ax * py - ay * px) / det;
            if (s < 0 || s > 1 || t < 0 || t > 1) continue;
            double z = p[0].z + s * (p[1].z - p[0].z) + t * (p[3].z - p[0].z);
            double& nearest = canvas.depth[y * canvasWidth + x];
            if (z >= nearest) continue;
            nearest = z;
            double edge = std::min({s, 1 - s, t, 1 - t});
            canvas.At(x, y) = edge < 0.1 ? ShadeFace(face, base, edge) : shade;
        }
}

void PaintCubes(Canvas& canvas, Random& random) {
    Camera camera;
    for (const Cube& cube : SwirlOfCubes(random))
        for (const Face& face : CubeFaces(cube)) {
            Vec3 centre = (face.corners[0] + face.corners[2]) * 0.5;
            Vec3 toCamera = Vec3{0, 0, -camera.distance} - centre;
            if (Dot(face.normal, toCamera) <= 0) continue; // faces turned away
            FillFace(canvas, camera, face, cube.colour);
        }
}

// The heart of the swirl glows.
void PaintCoreGlow(Canvas& canvas) {
    Camera camera;
    for (int y = 0; y < canvasHeight; ++y)
        for (int x = 0; x < canvasWidth; ++x) {
            double dx = (x - camera.centreX) / supersample, dy = (y - camera.centreY) / supersample;
            double glow = std::exp(-(dx * dx + dy * dy) / (2 * 14.0 * 14.0));
            canvas.At(x, y) = canvas.At(x, y) + Colour{0.55, 0.7, 1.0} * (0.55 * glow);
        }
}

// ---- the name in chrome letters ----

// A letter is drawn as thick strokes: straight segments and arcs, in units of the x-height,
// with y going up from the baseline.
struct Stroke {
    bool arc;
    double x0, y0, x1, y1;       // segment ends, or the arc's centre in (x0, y0) and radius in x1
    double from = 0, to = 0;     // arc angles in degrees, counter-clockwise
};

struct Letter {
    double width;
    std::vector<Stroke> strokes;
};

Stroke Line(double x0, double y0, double x1, double y1) { return {false, x0, y0, x1, y1}; }
Stroke Arc(double cx, double cy, double r, double from, double to) { return {true, cx, cy, r, 0, from, to}; }

constexpr double capHeight = 1.45;

std::vector<Letter> NameLetters() {
    return {
        {0.95, {Line(0.05, capHeight, 0.95, capHeight), Line(0.95, capHeight, 0.0, 0.0), Line(0.0, 0.0, 0.92, 0.0)}},
        {0.92, {Arc(0.46, 0.5, 0.46, 10, 325), Line(0.02, 0.5, 0.92, 0.5)}},
        {0.22, {Line(0.11, 0.0, 0.11, capHeight + 0.05)}},
        {0.92, {Line(0.0, 1.0, 0.46, 0.0), Line(0.46, 0.0, 0.92, 1.0)}},
        {0.96, {Arc(0.46, 0.5, 0.46, 0, 360), Line(0.92, 0.0, 0.92, 1.0)}},
        {0.62, {Line(0.06, 0.0, 0.06, 1.0), Arc(0.48, 0.55, 0.42, 95, 180)}},
        {0.92, {Arc(0.46, 0.5, 0.46, 0, 360)}},
    };
}

double DistanceToStroke(const Stroke& stroke, double x, double y) {
    if (!stroke.arc) {
        double dx = stroke.x1 - stroke.x0, dy = stroke.y1 - stroke.y0;
        double t = Clamp01(((x - stroke.x0) * dx + (y - stroke.y0) * dy) / (dx * dx + dy * dy));
        return std::hypot(x - stroke.x0 - t * dx, y - stroke.y0 - t * dy);
    }
    double angle = std::atan2(y - stroke.y0, x - stroke.x0) * 180 / pi;
    if (angle < 0) angle += 360;
    double radius = stroke.x1;
    if (angle >= stroke.from && angle <= stroke.to) return std::fabs(std::hypot(x - stroke.x0, y - stroke.y0) - radius);
    double best = 1e9;
    for (double end : {stroke.from, stroke.to}) {
        double ex = stroke.x0 + radius * std::cos(end * pi / 180), ey = stroke.y0 + radius * std::sin(end * pi / 180);
        best = std::min(best, std::hypot(x - ex, y - ey));
    }
    return best;
}

struct NameLayout {
    double xHeight = 26.0 * supersample;   // canvas pixels per unit
    double left = 214.0 * supersample;
    double baseline = 92.0 * supersample;
    double slant = 0.22;                   // italic lean
    double gap = 0.24;                     // between letters, in units
    double strokeRadius = 0.135;           // half the stroke's width, in units
};

// Distance in units from a canvas point to the nearest stroke of the name.
double DistanceToName(const std::vector<Letter>& letters, const NameLayout& layout, double cx, double cy) {
    double y = (layout.baseline - cy) / layout.xHeight;
    double x = (cx - layout.left) / layout.xHeight - layout.slant * y;
    double best = 1e9, origin = 0;
    for (const Letter& letter : letters) {
        if (x > origin - 1 && x < origin + letter.width + 1)
            for (const Stroke& stroke : letter.strokes) best = std::min(best, DistanceToStroke(stroke, x - origin, y));
        origin += letter.width + layout.gap;
    }
    return best;
}

// Chrome: a pale sky above a sharp horizon, dark ground below it turning to warm gold.
Colour ChromeAt(double height) {
    const Colour skyTop{1.0, 1.0, 1.0}, skyLow{0.35, 0.55, 0.95};
    const Colour groundHigh{0.10, 0.06, 0.18}, groundLow{1.0, 0.75, 0.30};
    const double horizon = 0.52;
    if (height >= horizon) return Mix(skyLow, skyTop, SmoothStep(horizon, capHeight, height));
    return Mix(groundLow, groundHigh, SmoothStep(-0.1, horizon, height));
}

Colour NameColour(const std::vector<Letter>& letters, const NameLayout& layout, int x, int y, double d) {
    // The slope of the distance field tilts the reflection, so the strokes look rounded.
    constexpr double step = 1.0;
    double dUp = DistanceToName(letters, layout, x + 0.5, y + 0.5 - step);
    double dDown = DistanceToName(letters, layout, x + 0.5, y + 0.5 + step);
    double dLeft = DistanceToName(letters, layout, x + 0.5 - step, y + 0.5);
    double dRight = DistanceToName(letters, layout, x + 0.5 + step, y + 0.5);
    double slopeY = (dDown - dUp) / (2 * step) * layout.xHeight; // > 0 when the stroke's edge faces up
    double slopeX = (dRight - dLeft) / (2 * step) * layout.xHeight;
    double height = (layout.baseline - (y + 0.5)) / layout.xHeight;
    double rim = d / layout.strokeRadius;
    Colour chrome = ChromeAt(height - 0.55 * slopeY * rim);
    double gleam = std::pow(Clamp01(-0.7 * slopeX - 0.7 * slopeY * -1), 6) * rim;
    return chrome + Colour{1, 1, 1} * (0.35 * gleam);
}

void PaintName(Canvas& canvas) {
    const std::vector<Letter> letters = NameLetters();
    const NameLayout layout;
    const double outline = 2.2 * supersample / layout.xHeight;  // dark rim, in units
    const double glowReach = 9.0 * supersample / layout.xHeight;
    const double shadowShift = 3.0 * supersample;
    const Colour rimColour{0.03, 0.02, 0.10}, glowColour{0.95, 0.25, 0.85};
    for (int y = 0; y < canvasHeight; ++y)
        for (int x = int(layout.left - 40 * supersample); x < canvasWidth; ++x) {
            double d = DistanceToName(letters, layout, x + 0.5, y + 0.5);
            double shadow = DistanceToName(letters, layout, x + 0.5 - shadowShift, y + 0.5 - shadowShift);
            Colour& pixel = canvas.At(x, y);
            double beyond = d - layout.strokeRadius - outline;
            if (beyond > 0) { // outside: a magenta glow and a soft shadow
                pixel = pixel * (1 - 0.6 * (1 - SmoothStep(0, outline * 2, shadow - layout.strokeRadius)));
                pixel = pixel + glowColour * (0.35 * std::exp(-beyond / (glowReach * 0.35)));
            } else if (d > layout.strokeRadius) {
                pixel = rimColour;
            } else {
                pixel = NameColour(letters, layout, x, y, d);
            }
        }
}

// ---- output ----

std::vector<uint8_t> Downsample(const Canvas& canvas) { // rows top first, RGB
    std::vector<uint8_t> rgb(bannerWidth * bannerHeight * 3);
    for (int y = 0; y < bannerHeight; ++y)
        for (int x = 0; x < bannerWidth; ++x) {
            Colour sum;
            for (int sy = 0; sy < supersample; ++sy)
                for (int sx = 0; sx < supersample; ++sx)
                    sum = sum + canvas.pixels[(y * supersample + sy) * canvasWidth + x * supersample + sx];
            sum = sum * (1.0 / (supersample * supersample));
            uint8_t* out = &rgb[(y * bannerWidth + x) * 3];
            out[0] = static_cast<uint8_t>(std::lround(255 * Clamp01(sum.r)));
            out[1] = static_cast<uint8_t>(std::lround(255 * Clamp01(sum.g)));
            out[2] = static_cast<uint8_t>(std::lround(255 * Clamp01(sum.b)));
        }
    return rgb;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A plain BMP: 14-byte file header, 40-byte information header, rows of blue, green, red bytes
// from the bottom row up (420 x 3 = 1260 bytes, already a multiple of four).
std::vector<uint8_t> EncodeBmp(const std::vector<uint8_t>& rgb) {
    constexpr uint32_t headerBytes = 14 + 40;
    constexpr uint32_t rowBytes = bannerWidth * 3;
    constexpr uint32_t imageBytes = rowBytes * bannerHeight;
    constexpr uint32_t pixelsPerMetre = 2835; // 72 dots per inch
    std::vector<uint8_t> out{'B', 'M'};
    Put32(out, headerBytes + imageBytes);
    Put32(out, 0);
    Put32(out, headerBytes);
    Put32(out, 40);
    Put32(out, bannerWidth);
    Put32(out, bannerHeight);
    Put16(out, 1);  // planes
    Put16(out, 24); // bits per pixel
    Put32(out, 0);  // no compression
    Put32(out, imageBytes);
    Put32(out, pixelsPerMetre);
    Put32(out, pixelsPerMetre);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = bannerHeight - 1; y >= 0; --y)
        for (int x = 0; x < bannerWidth; ++x) {
            const uint8_t* p = &rgb[(y * bannerWidth + x) * 3];
            out.insert(out.end(), {p[2], p[1], p[0]});
        }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.bmp\n", argv[0]);
        return 2;
    }
    Canvas canvas;
    Random random;
    PaintSky(canvas);
    PaintStars(canvas, random);
    PaintCoreGlow(canvas);
    PaintCubes(canvas, random);
    PaintName(canvas);
    std::vector<uint8_t> bmp = EncodeBmp(Downsample(canvas));
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    bool written = std::fwrite(bmp.data(), 1, bmp.size(), out) == bmp.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
