// Draws space2.png, the sky behind the swarm: an equirectangular deep-space panorama (the full
// width is one turn around, the height runs pole to pole) with a dusty milky band, faint coloured
// nebulae and stars of many brightnesses and tints. Seeded: every build draws the same picture.
// Usage: zelvaro_gen_sky <out.png>
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int skyWidth = 4096;
constexpr int skyHeight = 2048;
constexpr int cloudReduction = 2; // clouds are smooth: computed at half size, then scaled up
constexpr uint64_t skySeed = 0x7A1E5A0C0FFEE5EDull;
constexpr double pi = 3.14159265358979323846;
constexpr int pngCompression = 6;

// ---- small vector maths ----

struct Vec3 {
    double x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalize(Vec3 a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

struct Rgb {
    double r, g, b;
};
Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
Rgb Mix(Rgb a, Rgb b, double t) { return a * (1.0 - t) + b * t; }

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double SmoothStep(double from, double to, double v) {
    const double t = Clamp01((v - from) / (to - from));
    return t * t * (3.0 - 2.0 * t);
}

// The view direction of a point of the picture; u across (0.5 looks along +Z), v down from the top.
Vec3 DirectionAt(double u, double v) {
    const double longitude = (u - 0.5) * 2.0 * pi;
    const double latitude = pi / 2.0 - v * pi;
    return {std::cos(latitude) * std::sin(longitude), std::sin(latitude), std::cos(latitude) * std::cos(longitude)};
}

// ---- seeded randomness ----

struct Random {
    uint64_t state;
    uint64_t Next() { // splitmix64
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double from, double to) { return from + (to - from) * Uniform(); }
    Vec3 OnSphere() {
        const double z = Range(-1.0, 1.0), angle = Range(0.0, 2.0 * pi), r = std::sqrt(1.0 - z * z);
        return {r * std::cos(angle), r * std::sin(angle), z};
    }
};

// ---- gradient noise on the sphere's directions (3D, so the picture has no seam or pinch) ----

struct Noise {
    std::array<int, 512> permutation;

    explicit Noise(Random& random) {
        for (int i = 0; i < 256; ++i) permutation[i] = i;
        for (int i = 255; i > 0; --i) std::swap(permutation[i], permutation[random.Next() % (i + 1)]);
        for (int i = 0; i < 256; ++i) permutation[256 + i] = permutation[i];
    }

    static double Fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }
    static double Lerp(double t, double a, double b) { return a + t * (b - a); }
    static double Gradient(int hash, double x, double y, double z) {
        const int h = hash & 15;
        const double u = h < 8 ? x : y, v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
        return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
    }

    double At(Vec3 p) const {
        const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
        const int X = static_cast<int>(fx) & 255, Y = static_cast<int>(fy) & 255, Z = static_cast<int>(fz) & 255;
        const double x = p.x - fx, y = p.y - fy, z = p.z - fz;
        const double u = Fade(x), v = Fade(y), w = Fade(z);
        const int A = permutation[X] + Y, AA = permutation[A] + Z, AB = permutation[A + 1] + Z;
        const int B = permutation[X + 1] + Y, BA = permutation[B] + Z, BB = permutation[B + 1] + Z;
        const auto& P = permutation;
        return Lerp(w,
                    Lerp(v, Lerp(u, Gradient(P[AA], x, y, z), Gradient(P[BA], x - 1, y, z)),
                         Lerp(u, Gradient(P[AB], x, y - 1, z), Gradient(P[BB], x - 1, y - 1, z))),
                    Lerp(v, Lerp(u, Gradient(P[AA + 1], x, y, z - 1), Gradient(P[BA + 1], x - 1, y, z - 1)),
                         Lerp(u, Gradient(P[AB + 1], x, y - 1, z - 1), Gradient(P[BB + 1], x - 1, y - 1, z - 1))));
    }

    // Fractal sum of octaves, roughly in -1..1.
    double Fractal(Vec3 p, int octaves) const {
        double sum = 0.0, amplitude = 1.0, total = 0.0;
        for (int i = 0; i < octaves; ++i, p = p * 2.03, amplitude *= 0.5) {
            sum += amplitude * At(p);
            total += amplitude;
        }
        return sum / total * 1.6;
    }

    // Thin bright ridges where the noise crosses zero: filaments and dust lanes.
    double Ridges(Vec3 p, int octaves) const {
        double sum = 0.0, amplitude = 1.0, total = 0.0;
        for (int i = 0; i < octaves; ++i, p = p * 2.07, amplitude *= 0.55) {
            const double ridge = 1.0 - std::abs(At(p));
            sum += amplitude * ridge * ridge;
            total += amplitude;
        }
        return sum / total;
    }
};

// ---- the picture's layers ----

struct Picture {
    int width, height;
    std::vector<float> light; // linear sums of the layers, RGB per pixel

    void Add(int x, int y, Rgb c) {
        float* p = &light[(static_cast<size_t>(y) * width + x) * 3];
        p[0] += static_cast<float>(c.r);
        p[1] += static_cast<float>(c.g);
        p[2] += static_cast<float>(c.b);
    }
};

const Rgb spaceBlack{0.004, 0.006, 0.014};
const Rgb hazeTint{0.030, 0.036, 0.070};

// The milky band: a great circle of faint light with a warm bulge and dark dust lanes.
const Vec3 bandPole = Normalize({0.32, 0.86, -0.40});
const Vec3 bandCentre = Normalize(Vec3{-0.55, 0.30, 0.30} - bandPole * Dot({-0.55, 0.30, 0.30}, bandPole));
const Rgb bandCool{0.50, 0.58, 0.78};
const Rgb bandWarm{0.95, 0.76, 0.52};
constexpr double bandBrightness = 0.11;

// Nebulae: clouds of one hue around a direction, shaped by warped noise.
struct Nebula {
    Vec3 centre;
    double radius; // radians
    Rgb colour;
    double strength;
    double scale;  // noise frequency: smaller is broader
    Vec3 offset;
};

const Nebula nebulae[] = {
    {Normalize({-0.62, 0.22, 0.75}), 0.55, {0.80, 0.16, 0.46}, 0.34, 2.6, {11.3, 4.1, -7.7}}, // rose emission
    {Normalize({0.72, -0.18, 0.62}), 0.62, {0.12, 0.42, 0.80}, 0.30, 2.2, {-3.9, 17.2, 5.5}}, // blue reflection
    {Normalize({0.05, 0.55, -0.83}), 0.80, {0.38, 0.18, 0.72}, 0.22, 1.8, {7.1, -9.4, 2.6}},  // violet veil
    {Normalize({-0.48, -0.52, -0.70}), 0.40, {0.90, 0.36, 0.10}, 0.30, 3.1, {-14.2, 1.7, 9.9}}, // ember
    {Normalize({0.30, -0.88, 0.35}), 0.55, {0.08, 0.52, 0.44}, 0.20, 2.4, {5.2, 6.6, -12.1}},  // teal drift
};

constexpr double nebulaBrightness = 1.25;

Rgb CloudsAt(const Noise& noise, Vec3 d) {
    Rgb c = spaceBlack + hazeTint * Clamp01(0.45 + 0.55 * noise.Fractal(d * 1.4 + Vec3{3.1, 7.2, 1.3}, 5));

    const double h = Dot(d, bandPole);
    const double profile = std::exp(-(h / 0.16) * (h / 0.16)) + 0.35 * std::exp(-(h / 0.42) * (h / 0.42));
    const double towardCentre = std::acos(std::clamp(Dot(d, bandCentre), -1.0, 1.0));
    const double bulge = std::exp(-(towardCentre / 0.55) * (towardCentre / 0.55)) * std::exp(-(h / 0.3) * (h / 0.3));
    if (profile + bulge > 0.01) {
        const double structure = std::pow(Clamp01(0.5 + 0.5 * noise.Fractal(d * 3.2 + Vec3{-5.5, 2.2, 9.1}, 7)), 1.5);
        const double dust = SmoothStep(0.5, 0.9, noise.Ridges(d * 3.3 + Vec3{1.9, -8.3, 4.4}, 6)) *
                            std::exp(-(h / 0.12) * (h / 0.12));
        const double glow = (profile * (0.5 + 0.9 * structure) + 1.6 * bulge * (0.6 + 0.6 * structure)) * (1.0 - 0.7 * dust);
        c = c + Mix(bandCool, bandWarm, Clamp01(bulge * 1.4)) * (glow * bandBrightness);
    }

    for (const Nebula& n : nebulae) {
        const double angle = std::acos(std::clamp(Dot(d, n.centre), -1.0, 1.0));
        const double falloff = std::exp(-1.6 * (angle / n.radius) * (angle / n.radius));
        if (falloff < 0.004) continue;
        const Vec3 p = d * n.scale + n.offset;
        const Vec3 warp{noise.Fractal(p + Vec3{5.2, 1.3, 2.8}, 4), noise.Fractal(p + Vec3{1.7, 9.2, 3.4}, 4),
                        noise.Fractal(p + Vec3{8.3, 2.8, 7.1}, 4)};
        const Vec3 q = p + warp * 0.9;
        const double density = std::pow(Clamp01(0.45 + 0.75 * noise.Fractal(q, 6)), 2.2);
        const double filaments = std::pow(noise.Ridges(q * 1.8, 5), 5.0) * 0.7;
        const double amount = falloff * (density + filaments) * n.strength * nebulaBrightness;
        const Rgb core = Mix(n.colour, Rgb{1.0, 0.86, 0.92}, Clamp01(density * density * 0.35));
        c = c + core * amount;
    }
    return c;
}

// Clouds at reduced size, spread over the full picture with bilinear steps (wrapping around).
void DrawClouds(Picture& picture, const Noise& noise) {
    const int w = picture.width / cloudReduction, h = picture.height / cloudReduction;
    std::vector<Rgb> clouds(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            clouds[static_cast<size_t>(y) * w + x] = CloudsAt(noise, DirectionAt((x + 0.5) / w, (y + 0.5) / h));
    for (int y = 0; y < picture.height; ++y) {
        const double sy = std::clamp((y + 0.5) / cloudReduction - 0.5, 0.0, h - 1.0);
        const int y0 = static_cast<int>(sy), y1 = std::min(y0 + 1, h - 1);
        for (int x = 0; x < picture.width; ++x) {
            const double sx = (x + 0.5) / cloudReduction - 0.5 + w;
            const int x0 = static_cast<int>(sx) % w, x1 = (x0 + 1) % w;
            const double tx = sx - std::floor(sx), ty = sy - y0;
            const auto at = [&](int cx, int cy) { return clouds[static_cast<size_t>(cy) * w + cx]; };
            picture.Add(x, y, Mix(Mix(at(x0, y0), at(x1, y0), tx), Mix(at(x0, y1), at(x1, y1), tx), ty));
        }
    }
}

// ---- stars ----

struct StarTint {
    double share; // cumulative
    Rgb colour;
};
const StarTint starTints[] = {
    {0.10, {0.62, 0.76, 1.00}}, {0.32, {0.80, 0.87, 1.00}}, {0.62, {1.00, 1.00, 1.00}},
    {0.80, {1.00, 0.95, 0.84}}, {0.92, {1.00, 0.84, 0.64}}, {1.00, {1.00, 0.68, 0.48}},
};

Rgb TintOf(Random& random) {
    const double pick = random.Uniform();
    for (const StarTint& t : starTints)
        if (pick <= t.share) return t.colour;
    return starTints[0].colour;
}

struct Star {
    Vec3 direction;
    double brightness; // peak of the core
    double size;       // core's spread in pixels
    double glow;       // share of a wide halo, 0 for most
    double spikes;     // four faint rays for the brightest few
    Rgb colour;
};

constexpr double pixelsPerRadian = skyHeight / pi;

// Adds one star, measuring true angles on the sphere so that it stays round in any direction.
void DrawStar(Picture& picture, const Star& s) {
    const double reach = std::max(3.2 * s.size, s.glow > 0.0 ? 26.0 : 0.0) + (s.spikes > 0.0 ? 40.0 : 0.0);
    const double u = 0.5 + std::atan2(s.direction.x, s.direction.z) / (2.0 * pi);
    const double v = std::acos(std::clamp(s.direction.y, -1.0, 1.0)) / pi;
    const double cx = u * picture.width, cy = v * picture.height;
    const double widen = 1.0 / std::max(std::sqrt(1.0 - s.direction.y * s.direction.y), 1e-3);
    const int spanX = static_cast<int>(std::min(reach * widen, picture.width / 2.0)) + 1;
    const Vec3 east = Normalize({s.direction.z, 0.0, -s.direction.x});
    const Vec3 north = Vec3{-s.direction.x * s.direction.y, 1.0 - s.direction.y * s.direction.y, -s.direction.z * s.direction.y} *
                       (1.0 / std::max(std::sqrt(1.0 - s.direction.y * s.direction.y), 1e-6));
    for (int y = static_cast<int>(cy - reach) - 1; y <= static_cast<int>(cy + reach) + 1; ++y) {
        if (y < 0 || y >= picture.height) continue;
        for (int i = -spanX; i <= spanX; ++i) {
            const int x = ((static_cast<int>(cx) + i) % picture.width + picture.width) % picture.width;
            const Vec3 d = DirectionAt((x + 0.5) / picture.width, (y + 0.5) / picture.height);
            if (Dot(d, s.direction) <= 0.0) continue;
            const Vec3 off = d - s.direction * Dot(d, s.direction);
            const double ax = Dot(off, east) * pixelsPerRadian, ay = Dot(off, north) * pixelsPerRadian;
            const double r2 = ax * ax + ay * ay;
            if (r2 > reach * reach) continue;
            double amount = s.brightness * std::exp(-r2 / (2.0 * s.size * s.size));
            if (s.glow > 0.0) amount += s.brightness * s.glow / std::pow(1.0 + r2 / 6.0, 1.5);
            if (s.spikes > 0.0) {
                const double along = std::sqrt(r2);
                amount += s.brightness * s.spikes * std::exp(-along / 11.0) *
                          (std::exp(-ax * ax / 0.5) + std::exp(-ay * ay / 0.5));
            }
            if (amount > 1e-4) picture.Add(x, y, s.colour * amount);
        }
    }
}

// How much the milky band thickens the star field at a direction.
double BandDensity(Vec3 d) {
    const double h = Dot(d, bandPole);
    return std::exp(-(h / 0.22) * (h / 0.22));
}

Vec3 StarDirection(Random& random, double bandPreference) {
    for (;;) {
        const Vec3 d = random.OnSphere();
        if (random.Uniform() < (1.0 - bandPreference) + bandPreference * BandDensity(d)) return d;
    }
}

struct StarClass {
    int count;
    double bandPreference; // 0: spread evenly, 1: only along the band
    double minBrightness, maxBrightness, steepness; // brightness = min + (max - min) * uniform^steepness
    double minSize, maxSize;
    double glow, spikes;
};

const StarClass starClasses[] = {
    {160000, 0.85, 0.015, 0.09, 2.0, 0.45, 0.55, 0.0, 0.0},  // unresolved dust of the band
    {26000, 0.35, 0.06, 0.75, 3.0, 0.50, 0.70, 0.0, 0.0},    // the ordinary field
    {900, 0.30, 0.55, 1.50, 1.5, 0.65, 0.85, 0.0, 0.0},      // the brighter ones
    {90, 0.20, 1.20, 2.60, 1.0, 0.80, 1.00, 0.035, 0.0},     // bright, with a small glow
    {9, 0.0, 2.60, 3.60, 1.0, 0.95, 1.10, 0.06, 0.05},       // the few brightest, with rays
};

void DrawStars(Picture& picture, Random& random) {
    for (const StarClass& k : starClasses)
        for (int i = 0; i < k.count; ++i) {
            Star s;
            s.direction = StarDirection(random, k.bandPreference);
            s.brightness = k.minBrightness + (k.maxBrightness - k.minBrightness) * std::pow(random.Uniform(), k.steepness);
            s.size = random.Range(k.minSize, k.maxSize);
            s.glow = k.glow;
            s.spikes = k.spikes;
            s.colour = TintOf(random);
            DrawStar(picture, s);
        }
}

// ---- output ----

// Bright star cores roll off softly instead of clipping flat.
double ToneMap(double v) {
    constexpr double knee = 0.8;
    return v < knee ? v : knee + (1.0 - knee) * (1.0 - std::exp(-(v - knee) / (1.0 - knee)));
}

std::vector<uint8_t> Quantize(const Picture& picture, Random& random) {
    std::vector<uint8_t> rgb(picture.light.size());
    for (size_t i = 0; i < rgb.size(); ++i) {
        const double dither = random.Uniform() - random.Uniform(); // hides banding in the dark clouds
        rgb[i] = static_cast<uint8_t>(std::clamp(std::lround(ToneMap(std::max(picture.light[i], 0.0f)) * 255.0 + dither * 0.5), 0L, 255L));
    }
    return rgb;
}

bool WritePng(const char* path, int width, int height, const std::vector<uint8_t>& rgb) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, pngCompression);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, &rgb[static_cast<size_t>(y) * width * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <out.png>\n", argv[0]);
        return 2;
    }
    Random random{skySeed};
    const Noise noise(random);
    Picture picture{skyWidth, skyHeight, std::vector<float>(static_cast<size_t>(skyWidth) * skyHeight * 3, 0.0f)};
    DrawClouds(picture, noise);
    DrawStars(picture, random);
    if (!WritePng(argv[1], skyWidth, skyHeight, Quantize(picture, random))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
