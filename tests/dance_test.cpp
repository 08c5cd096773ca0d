// The dance against the recording fake engine: the first frame, a whole forward phase with its
// slow-down, the rewind, the next cycle at the opposite speed, and the random turn parameters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <vector>

#include "core/engine_table.h"
#include "core/motion_history.h"
#include "motion/camera.h"
#include "motion/dance.h"
#include "platform/random.h"
#include "support/fake_engine.h"

// Counts heap allocations while `countingAllocations` is on (a frame must make none).
namespace {
bool countingAllocations = false;
long allocationCount = 0;
} // namespace

void* operator new(std::size_t size) {
    if (countingAllocations) ++allocationCount;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr float degreesToRadians = 0.0174533f;
constexpr int forwardFrames = 2098; // 1999 at full speed, then 99 slowing down
constexpr int rewindFrames = 2098;  // rows 2098 down to 1

struct Vec3d {
    double x, y, z;
};

// The heading rotation written as matrices, Rz(az) * Ry(ay) * Rx(ax) applied to v, in degrees.
Vec3d RotateXYZ(double ax, double ay, double az, Vec3d v) {
    ax *= degreesToRadians, ay *= degreesToRadians, az *= degreesToRadians;
    const Vec3d afterX{v.x, v.y * std::cos(ax) - v.z * std::sin(ax), v.y * std::sin(ax) + v.z * std::cos(ax)};
    const Vec3d afterY{afterX.x * std::cos(ay) + afterX.z * std::sin(ay), afterX.y,
                       -afterX.x * std::sin(ay) + afterX.z * std::cos(ay)};
    return Vec3d{afterY.x * std::cos(az) - afterY.y * std::sin(az), afterY.x * std::sin(az) + afterY.y * std::cos(az),
                 afterY.z};
}

// Difference of two angles in degrees, brought into (-180, 180].
double AngleStep(double from, double to) {
    double d = std::fmod(to - from, 360.0);
    if (d > 180) d -= 360;
    if (d <= -180) d += 360;
    return d;
}

// Object i's record in row r of the history.
const ObjectState& Record(int row, int i) { return MotionHistory[size_t(row) * ObjectTotal + (i - 1)]; }

// A swarm of n objects in the fake engine, each created at its own point, with its history.
class Swarm : public ::testing::Test {
protected:
    void Start(int n) {
        UseFakeEngine();
        ASSERT_TRUE(AllocateMotionHistory(n));
        // Stale data in row 0 must not survive the start.
        std::memset(MotionHistory, 0x5A, MotionHistoryRowSize);
        for (int i = 1; i <= n; ++i) FakeEngine.entities[i] = FakePlace{StartPoint(i).x, StartPoint(i).y, StartPoint(i).z};
        StartDance();
    }
    void TearDown() override { FreeMotionHistory(); }

    static FakePlace StartPoint(int i) { return FakePlace{0.01f * i, -0.02f * i, 0.005f * i}; }
    static void Frames(int count) {
        for (int f = 0; f < count; ++f) StepDance();
    }
    // Copies of rows 0..historyRows-1 as they stand.
    static std::vector<ObjectState> History() {
        return std::vector<ObjectState>(MotionHistory, MotionHistory + size_t(historyRows) * ObjectTotal);
    }
};

TEST(WrapAngle, BringsAnglesBackIntoOneTurn) {
    struct Case {
        float in, expected;
    };
    const Case cases[] = {
        {360.0f, 0.0f},    {-0.5f, 359.5f},  {0.0f, 0.0f},      {359.5f, 359.5f},
        {384.48f, 24.48f}, {-24.48f, 335.52f}, {1.0f, 1.0f},    {-360.0f, 0.0f},
        {-1e-6f, 0.0f}, // the sum rounds to 360 itself, which must not be stored as an angle
    };
    for (const Case& c : cases) {
        const float out = WrapAngle(c.in);
        EXPECT_NEAR(out, c.expected, 1e-4) << "WrapAngle(" << c.in << ")";
        EXPECT_GE(out, 0.0f) << c.in;
        EXPECT_LT(out, 360.0f) << c.in;
    }
}

TEST(Rotation, QuaternionMatchesTheMatrices) {
    struct Case {
        double ax, ay, az; // degrees
        Vec3d v;
    };
    const Case cases[] = {
        {90, 0, 0, {0, 0, -1}},  {0, 90, 0, {0, 0, -1}},    {0, 0, 90, {1, 0, 0}},      {30, 45, 60, {0, 0, -0.3}},
        {1, 357.51, 357.51, {0, 0, -0.3}}, {200, 10, 300, {1, 2, 3}}, {359.9, 180, 0.1, {-2, 0.5, 1}},
    };
    for (const Case& c : cases) {
        EulerToQuaternion(float(c.ax * degreesToRadians), float(c.ay * degreesToRadians), float(c.az * degreesToRadians));
        const Quaternion q = currentQuaternion;
        EXPECT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0, 1e-6);
        RotateByQuaternion(float(c.v.x), float(c.v.y), float(c.v.z));
        const Vec3d expected = RotateXYZ(c.ax, c.ay, c.az, c.v);
        EXPECT_NEAR(rotatedVector.x, expected.x, 1e-5) << c.ax << " " << c.ay << " " << c.az;
        EXPECT_NEAR(rotatedVector.y, expected.y, 1e-5) << c.ax << " " << c.ay << " " << c.az;
        EXPECT_NEAR(rotatedVector.z, expected.z, 1e-5) << c.ax << " " << c.ay << " " << c.az;
    }
    // Quarter turns move the flight axis where the right hand says.
    EulerToQuaternion(90 * degreesToRadians, 0, 0);
    RotateByQuaternion(0, 0, -1);
    EXPECT_NEAR(rotatedVector.y, 1, 1e-5);
    EulerToQuaternion(0, 90 * degreesToRadians, 0);
    RotateByQuaternion(0, 0, -1);
    EXPECT_NEAR(rotatedVector.x, -1, 1e-5);
}

TEST_F(Swarm, FirstFrameTurnsAndStepsEveryObject) {
    const int n = 256;
    Start(n);
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(MotionHistory[i].angleX, 0.0f);
        ASSERT_EQ(MotionHistory[i].x, 0.0f);
    }
    StepDance();

    EXPECT_NEAR(Record(1, 1).angleX, 1.0, 1e-4);
    EXPECT_NEAR(Record(1, 1).angleY, 357.51, 1e-4);
    EXPECT_NEAR(Record(1, 1).angleZ, 357.51, 1e-4);
    EXPECT_EQ(Record(1, 250).angleY, 0.0f);
    EXPECT_EQ(Record(1, 250).angleZ, 0.0f);

    // Five calls per object, in this order, and nothing else.
    std::vector<std::string> expectedNames;
    for (int i = 1; i <= n; ++i)
        for (const char* name : {"MoveEntity", "RotateEntity", "EntityX", "EntityY", "EntityZ"})
            expectedNames.push_back(name);
    std::vector<std::string> names = CallNames();
    ASSERT_EQ(names, expectedNames);

    const auto moves = CallsNamed("MoveEntity");
    const auto turns = CallsNamed("RotateEntity");
    double sumX = 0, sumY = 0, sumZ = 0;
    for (int i = 1; i <= n; ++i) {
        SCOPED_TRACE(i);
        double rate = i / 100.0 - 2.5;
        const double ay = rate < 0 ? rate + 360 : rate;
        const ObjectState& c = Record(1, i);
        EXPECT_NEAR(c.angleX, 1.0, 1e-5);
        EXPECT_NEAR(c.angleY, ay, 1e-4);
        EXPECT_NEAR(c.angleZ, ay, 1e-4);

        const Vec3d step = RotateXYZ(1.0, ay, ay, {0, 0, -0.3});
        const EngineCall& move = moves[i - 1];
        EXPECT_EQ(move.args[0], i);
        EXPECT_NEAR(move.args[1], step.x, 1e-5);
        EXPECT_NEAR(move.args[2], step.y, 1e-5);
        EXPECT_NEAR(move.args[3], step.z, 1e-5);

        // The engine takes the angle about Y first.
        const std::vector<double> turn{double(i), c.angleY, c.angleX, c.angleZ};
        EXPECT_EQ(turns[i - 1].args, turn);

        // The record holds what the engine reports: 0.3 away from the creation point.
        const FakePlace start = StartPoint(i);
        const FakePlace& now = FakeEngine.entities[i];
        EXPECT_EQ(c.x, now.x);
        EXPECT_EQ(c.y, now.y);
        EXPECT_EQ(c.z, now.z);
        EXPECT_NEAR(std::hypot(c.x - start.x, c.y - start.y, c.z - start.z), 0.3, 1e-5);
        sumX += c.x, sumY += c.y, sumZ += c.z;
    }
    EXPECT_NEAR(lookAt.x, sumX, 1e-3);
    EXPECT_NEAR(lookAt.y, sumY, 1e-3);
    EXPECT_NEAR(lookAt.z, sumZ, 1e-3);
    EXPECT_EQ(Dance.frameIndex, 2);
}

TEST_F(Swarm, ObjectTwoHundredFiftyNeverTurnsAboutYOrZ) {
    Start(256);
    FakeEngine.record = false;
    Frames(forwardFrames);
    ASSERT_TRUE(Dance.rewinding);
    for (int row = 1; row <= forwardFrames; ++row) {
        ASSERT_EQ(Record(row, 250).angleY, 0.0f) << row;
        ASSERT_EQ(Record(row, 250).angleZ, 0.0f) << row;
    }
    EXPECT_EQ(FakeEngine.entities[250].a, 0.0f);
    EXPECT_EQ(FakeEngine.entities[250].c, 0.0f);
}

// Speed, turn, step and the engine's orientation of every forward frame of one cycle, for a
// cycle of either sense. The offsets about Y and Z must differ, or angles swapped between the two
// axes would pass.
void CheckForwardPhase(int n, int sense, const std::vector<FakePlace>& startPlaces) {
    const float rateX = Dance.turnRateX, offsetY = Dance.turnOffsetY, offsetZ = Dance.turnOffsetZ;
    ASSERT_NE(offsetY, offsetZ);
    for (int frame = 1; frame <= forwardFrames; ++frame) {
        SCOPED_TRACE(frame);
        // 1999 frames at full speed, then one less per frame, never 0 at a frame's start.
        const int expectedSpeed = sense * (frame < 2000 ? 100 : 2099 - frame);
        ASSERT_FALSE(Dance.rewinding);
        ASSERT_EQ(Dance.speed, expectedSpeed);
        ASSERT_EQ(Dance.frameIndex, frame);
        StepDance();
        ASSERT_EQ(Dance.speedTarget, frame < 1999 ? sense * 100 : -sense * 100);

        const double factor = expectedSpeed / 100.0;
        for (int i = 1; i <= n; ++i) {
            const ObjectState& before = Record(frame - 1, i);
            const ObjectState& now = Record(frame, i);
            ASSERT_NEAR(AngleStep(before.angleX, now.angleX), rateX * factor, 1e-3) << i;
            ASSERT_NEAR(AngleStep(before.angleY, now.angleY), (i / 100.0 - offsetY) * factor, 1e-3) << i;
            ASSERT_NEAR(AngleStep(before.angleZ, now.angleZ), (i / 100.0 - offsetZ) * factor, 1e-3) << i;
            const FakePlace from = frame == 1 ? startPlaces[i] : FakePlace{before.x, before.y, before.z};
            const Vec3d step = RotateXYZ(now.angleX, now.angleY, now.angleZ, {0, 0, -0.3 * factor});
            // Far from the origin a float position keeps fewer digits of the step.
            auto tolerance = [](float a, float b) { return 2e-5 + 2.5e-7 * std::max(std::fabs(a), std::fabs(b)); };
            ASSERT_NEAR(now.x - from.x, step.x, tolerance(now.x, from.x)) << i;
            ASSERT_NEAR(now.y - from.y, step.y, tolerance(now.y, from.y)) << i;
            ASSERT_NEAR(now.z - from.z, step.z, tolerance(now.z, from.z)) << i;
            // the engine takes the angle about Y first
            const FakePlace& entity = FakeEngine.entities[i];
            ASSERT_EQ(entity.a, now.angleY) << i;
            ASSERT_EQ(entity.b, now.angleX) << i;
            ASSERT_EQ(entity.c, now.angleZ) << i;
        }
    }
    // Stopped after frame 2098: the rewind starts, and the next phase will run the other way.
    EXPECT_TRUE(Dance.rewinding);
    EXPECT_EQ(Dance.speed, -sense * 100);
    EXPECT_EQ(Dance.frameIndex, 2099);
}

std::vector<FakePlace> Places(int n) {
    std::vector<FakePlace> places(n + 1);
    for (int i = 1; i <= n; ++i) places[i] = FakeEngine.entities[i];
    return places;
}

// Turn offsets about Y and Z that differ, so that the two axes cannot be confused unseen.
void GiveZItsOwnOffset() { Dance.turnOffsetZ = -1.3f; }

TEST_F(Swarm, ForwardPhaseFlipsAfter1999FramesAndSlowsTo1) {
    const int n = 8;
    Start(n);
    GiveZItsOwnOffset();
    FakeEngine.record = false;
    CheckForwardPhase(n, +1, Places(n));
}

TEST_F(Swarm, RewindReplaysRowsNewestFirst) {
    const int n = 8;
    Start(n);
    GiveZItsOwnOffset();
    FakeEngine.record = false;
    Frames(forwardFrames);
    ASSERT_TRUE(Dance.rewinding);
    const std::vector<ObjectState> recorded = History();
    auto row = [&](int r, int i) { return recorded[size_t(r) * n + (i - 1)]; };
    ASSERT_NE(row(1000, 1).angleY, row(1000, 1).angleZ); // the replay must keep the axes apart

    FakeEngine.record = true;
    for (int frame = 1; frame <= rewindFrames; ++frame) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(Dance.rewinding);
        FakeEngine.calls.clear();
        StepDance();
        const int replayed = 2099 - frame; // 2098 first, 1 last
        const auto& calls = FakeEngine.calls;
        ASSERT_EQ(calls.size(), size_t(2 * n));
        double sumX = 0, sumY = 0, sumZ = 0;
        for (int i = 1; i <= n; ++i) {
            const ObjectState r = row(replayed, i);
            const std::vector<double> place{double(i), r.x, r.y, r.z, 0};
            const std::vector<double> turn{double(i), r.angleY, r.angleX, r.angleZ, 0};
            ASSERT_EQ(calls[2 * (i - 1)].name, "MoveEntity2");
            ASSERT_EQ(calls[2 * (i - 1)].args, place);
            ASSERT_EQ(calls[2 * (i - 1) + 1].name, "RotateEntity2");
            ASSERT_EQ(calls[2 * (i - 1) + 1].args, turn);
            sumX += r.x, sumY += r.y, sumZ += r.z;
        }
        ASSERT_NEAR(lookAt.x, sumX, 1e-4);
        ASSERT_NEAR(lookAt.y, sumY, 1e-4);
        ASSERT_NEAR(lookAt.z, sumZ, 1e-4);
    }
    EXPECT_FALSE(Dance.rewinding);
    EXPECT_EQ(Dance.frameIndex, 1);
    EXPECT_EQ(Dance.speed, -100);
    // Everyone stands at the first frame of the cycle, not where it was created.
    for (int i = 1; i <= n; ++i) {
        const FakePlace& p = FakeEngine.entities[i];
        const ObjectState r = row(1, i);
        EXPECT_EQ(p.x, r.x);
        EXPECT_EQ(p.y, r.y);
        EXPECT_EQ(p.z, r.z);
        EXPECT_EQ(p.a, r.angleY);
        EXPECT_EQ(p.b, r.angleX);
        EXPECT_EQ(p.c, r.angleZ);
        EXPECT_NE(p.x, StartPoint(i).x);
    }
    // The record was only read.
    EXPECT_EQ(0, std::memcmp(recorded.data(), MotionHistory, recorded.size() * sizeof(ObjectState)));
}

TEST_F(Swarm, NewTurnParametersAreDrawnInOrderWhenTheRewindEnds) {
    Start(8);
    FakeEngine.record = false;
    Frames(forwardFrames + rewindFrames - 1);
    // Nothing is drawn before the last rewind frame.
    ASSERT_TRUE(Dance.rewinding);
    EXPECT_EQ(Dance.turnRateX, 1.0f);
    EXPECT_EQ(Dance.turnOffsetY, 2.5f);
    EXPECT_EQ(Dance.turnOffsetZ, 2.5f);

    const uint64_t seed = 20240611;
    SeedRandom(seed);
    const int rateDraw = RandomInt(40), offsetYDraw = RandomInt(80), offsetZDraw = RandomInt(80);
    ASSERT_NE(offsetYDraw, offsetZDraw) << "pick a seed whose offsets differ, or the order is not seen";
    SeedRandom(seed);
    StepDance();
    ASSERT_FALSE(Dance.rewinding);
    EXPECT_NEAR(Dance.turnRateX, rateDraw / 10.0 - 2, 1e-6);
    EXPECT_NEAR(Dance.turnOffsetY, offsetYDraw / 10.0 - 4, 1e-6);
    EXPECT_NEAR(Dance.turnOffsetZ, offsetZDraw / 10.0 - 4, 1e-6);
}

TEST(TurnParameters, TakeEveryTenthInTheirRanges) {
    struct Parameter {
        const char* name;
        const float* value;
        double lowest;
        size_t count;
        std::set<float> seen;
    };
    Parameter parameters[] = {{"turnRateX", &Dance.turnRateX, -2, 41, {}},
                              {"turnOffsetY", &Dance.turnOffsetY, -4, 81, {}},
                              {"turnOffsetZ", &Dance.turnOffsetZ, -4, 81, {}}};
    SeedRandom(7);
    for (int draw = 0; draw < 20000; ++draw) {
        DrawTurnParameters();
        for (Parameter& p : parameters) p.seen.insert(*p.value);
    }
    for (const Parameter& p : parameters) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.seen.size(), p.count);
        for (float v : p.seen) {
            const double tenths = (v - p.lowest) * 10;
            EXPECT_NEAR(tenths, std::round(tenths), 1e-4) << v;
            EXPECT_GE(std::round(tenths), 0) << v;
            EXPECT_LE(std::round(tenths), double(p.count - 1)) << v;
        }
    }
}

TEST_F(Swarm, SecondCycleRunsBackwardsFromTheFirstFramesPlaces) {
    const int n = 8;
    Start(n);
    // The second cycle's turn parameters are drawn at the end of the first rewind.
    SeedRandom(20240612);
    FakeEngine.record = false;
    Frames(forwardFrames);
    std::vector<FakePlace> rowOne(n + 1);
    for (int i = 1; i <= n; ++i) rowOne[i] = FakePlace{Record(1, i).x, Record(1, i).y, Record(1, i).z};
    Frames(rewindFrames);
    ASSERT_FALSE(Dance.rewinding);
    ASSERT_EQ(Dance.speed, -100);

    // Every object backs along its heading by 0.3, turning the other way, from its row-1 place;
    // the phase slows from -99 to -1.
    CheckForwardPhase(n, -1, rowOne);
    Frames(rewindFrames);
    EXPECT_FALSE(Dance.rewinding);
    EXPECT_EQ(Dance.speed, 100); // the third cycle runs forwards again
    EXPECT_EQ(Dance.speedTarget, 100);
}

// A bare engine that only keeps places, so a frame's own allocations can be counted.
FakePlace plainPlaces[129];
ZelvaroEngine PlainEngine() {
    ZelvaroEngine t = FakeEngineTable;
    t.MoveEntity = [](int e, float dx, float dy, float dz) {
        plainPlaces[e].x += dx, plainPlaces[e].y += dy, plainPlaces[e].z += dz;
    };
    t.MoveEntity2 = [](int e, float x, float y, float z, int) { plainPlaces[e].x = x, plainPlaces[e].y = y, plainPlaces[e].z = z; };
    t.RotateEntity = [](int e, float a, float b, float c) { plainPlaces[e].a = a, plainPlaces[e].b = b, plainPlaces[e].c = c; };
    t.RotateEntity2 = [](int e, float a, float b, float c, int) { plainPlaces[e].a = a, plainPlaces[e].b = b, plainPlaces[e].c = c; };
    t.EntityX = [](int e) { return plainPlaces[e].x; };
    t.EntityY = [](int e) { return plainPlaces[e].y; };
    t.EntityZ = [](int e) { return plainPlaces[e].z; };
    return t;
}

TEST_F(Swarm, FramesAllocateNothing) {
    Start(128);
    static const ZelvaroEngine plain = PlainEngine();
    Engine = &plain;
    allocationCount = 0;
    countingAllocations = true;
    Frames(forwardFrames + 10); // forward, slowing down and rewinding
    countingAllocations = false;
    EXPECT_EQ(allocationCount, 0);
    EXPECT_TRUE(Dance.rewinding);
}

} // namespace
