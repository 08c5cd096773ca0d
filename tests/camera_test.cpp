// The camera drift against the recording fake engine: easing, the first leg, the retarget
// frame (its order, its draws, its rounding), and the look at the swarm's centroid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/engine_table.h"
#include "core/motion_history.h"
#include "motion/camera.h"
#include "motion/dance.h"
#include "platform/random.h"
#include "support/fake_engine.h"

namespace {

// Nearest integer, halves to the even neighbour, written out by hand.
int RoundHalfEven(double v) {
    const double below = std::floor(v);
    const double fraction = v - below;
    if (fraction < 0.5) return int(below);
    if (fraction > 0.5) return int(below) + 1;
    return std::fmod(below, 2.0) == 0 ? int(below) : int(below) + 1;
}

// The first RandomInt(50) after seeding with `seed`.
int FirstDraw(uint64_t seed) {
    SeedRandom(seed);
    return RandomInt(50);
}

// Camera 0 where the scene leaves it, and a swarm of n objects for the dance.
class Drift : public ::testing::Test {
protected:
    void Start(int n, FakePlace camera = FakePlace{0, 0, -40}) {
        UseFakeEngine();
        ASSERT_TRUE(AllocateMotionHistory(n));
        for (int i = 1; i <= n; ++i) FakeEngine.entities[i] = FakePlace{};
        FakeEngine.cameras[0] = camera;
        StartDance();
        StartCamera();
    }
    void TearDown() override { FreeMotionHistory(); }

    static void Frame() {
        StepDance();
        StepCamera();
    }
    static EngineCall LastCall(const char* name) {
        const std::vector<EngineCall> calls = CallsNamed(name);
        EXPECT_FALSE(calls.empty()) << "no " << name;
        return calls.empty() ? EngineCall{name, std::vector<double>(5, NAN), ""} : calls.back();
    }
};

TEST(Ease, ClosesTheWeightedPartOfTheGap) {
    struct Case {
        float target, current;
        int weight;
        float expected;
    };
    const Case cases[] = {
        {10, 0, 500, 5},
        {-4, 4, 250, 2},
        {10, 0, 1000, 10},
        {10, 2, 1001, 10},  // above 1000 counts as 1000: the target itself
        {10, 2, 50000, 10},
        {10, 0, 0, 0},
        {10, 0, -500, -5},  // no lower bound: it moves away
        // The difference is a float first: 2^24 - (-1) = 2^24 + 1 rounds to 2^24.
        {16777216.0f, -1.0f, 1000, 16777215.0f},
        {16777216.0f, -1.0f, 500, 8388607.0f}, // unrounded it would be 8388607.5
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ease(c.target, c.current, c.weight), c.expected)
            << "Ease(" << c.target << ", " << c.current << ", " << c.weight << ")";
}

TEST_F(Drift, FirstLegHeadsForItsTargetFromWhereverTheSceneLeftTheCamera) {
    struct StartCase {
        float start[3];    // where the scene left camera 0
        float velocity[3]; // the first leg's: (1, -30, -8) minus the start, over 500 frames
    };
    const StartCase cases[] = {
        {{0, 0, -40}, {0.002f, -0.06f, 0.064f}},
        {{12.5f, -3, 7}, {-0.023f, -0.054f, -0.03f}},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.start[2]);
        Start(8, FakePlace{c.start[0], c.start[1], c.start[2]});
        EXPECT_FLOAT_EQ(CameraDrift.driftVelocity.x, c.velocity[0]);
        EXPECT_FLOAT_EQ(CameraDrift.driftVelocity.y, c.velocity[1]);
        EXPECT_FLOAT_EQ(CameraDrift.driftVelocity.z, c.velocity[2]);
        EXPECT_EQ(CameraDrift.driftTarget.x, 1);
        EXPECT_EQ(CameraDrift.driftTarget.y, -30);
        EXPECT_EQ(CameraDrift.driftTarget.z, -8);

        const double share[] = {0.5, 0.75, 0.875}; // half the remaining gap each frame
        double placed[3] = {c.start[0], c.start[1], c.start[2]};
        for (double part : share) {
            SCOPED_TRACE(part);
            Frame();
            const float velocity[3] = {CameraDrift.cameraVelocity.x, CameraDrift.cameraVelocity.y,
                                       CameraDrift.cameraVelocity.z};
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_FLOAT_EQ(velocity[axis], float(c.velocity[axis] * part)) << axis;
                placed[axis] += c.velocity[axis] * part;
            }
            const EngineCall move = LastCall("MoveCamera2");
            ASSERT_EQ(move.args.size(), 5u);
            EXPECT_EQ(move.args[0], 0);
            EXPECT_NEAR(move.args[1], placed[0], 1e-5);
            EXPECT_NEAR(move.args[2], placed[1], 1e-5);
            EXPECT_NEAR(move.args[3], placed[2], 1e-5);
            EXPECT_EQ(move.args[4], 0);
        }
        TearDown();
    }
}

TEST_F(Drift, OrdinaryFramesPlaceThenLook) {
    Start(8);
    for (int frame = 1; frame < driftPeriod; ++frame) {
        StepDance();
        FakeEngine.calls.clear();
        StepCamera();
        ASSERT_EQ(CallNames(), (std::vector<std::string>{"MoveCamera2", "CameraLookAt"})) << frame;
    }
}

// Object 1's reads that reseed the generator, so each axis's draw shows which read it followed.
struct AxisRead {
    float coordinate;
    uint64_t seedAfter;
};
AxisRead readX, readY, readZ;
ZelvaroEngine ReseedingEngine() {
    ZelvaroEngine t = FakeEngineTable;
    t.EntityX = [](int e) { FakeEngineTable.EntityX(e); SeedRandom(readX.seedAfter); return readX.coordinate; };
    t.EntityY = [](int e) { FakeEngineTable.EntityY(e); SeedRandom(readY.seedAfter); return readY.coordinate; };
    t.EntityZ = [](int e) { FakeEngineTable.EntityZ(e); SeedRandom(readZ.seedAfter); return readZ.coordinate; };
    return t;
}

TEST_F(Drift, RetargetPlacesFirstThenReadsAndDrawsAxisByAxis) {
    Start(8);
    for (int frame = 1; frame < driftPeriod; ++frame) StepCamera();
    ASSERT_TRUE(CallsNamed("EntityX").empty()) << "object 1 is read only on the leg's last frame";

    readX = {3.25f, 11}, readY = {-7.75f, 12}, readZ = {40.5f, 13};
    const int drawX = FirstDraw(11), drawY = FirstDraw(12), drawZ = FirstDraw(13);
    static const ZelvaroEngine reseeding = ReseedingEngine();
    Engine = &reseeding;
    FakeEngine.calls.clear();
    StepCamera();

    const std::vector<std::string> expectedOrder{"MoveCamera2", "EntityX", "EntityY", "EntityZ", "CameraLookAt"};
    EXPECT_EQ(CallNames(), expectedOrder);
    for (const char* read : {"EntityX", "EntityY", "EntityZ"}) EXPECT_EQ(LastCall(read).args[0], 1) << read;

    const Vec3i target = CameraDrift.driftTarget;
    EXPECT_EQ(target.x, RoundHalfEven(3.25 - drawX + 25));
    EXPECT_EQ(target.y, RoundHalfEven(-7.75 - drawY + 25));
    EXPECT_EQ(target.z, RoundHalfEven(40.5 - drawZ + 25));

    // The new leg runs from where this frame placed the camera.
    const EngineCall move = LastCall("MoveCamera2");
    EXPECT_FLOAT_EQ(CameraDrift.driftVelocity.x, float((target.x - move.args[1]) / 500));
    EXPECT_FLOAT_EQ(CameraDrift.driftVelocity.y, float((target.y - move.args[2]) / 500));
    EXPECT_FLOAT_EQ(CameraDrift.driftVelocity.z, float((target.z - move.args[3]) / 500));
    EXPECT_EQ(CameraDrift.driftFrame, 0);

    // The next leg is again driftPeriod frames long.
    Engine = &FakeEngineTable;
    FakeEngine.calls.clear();
    for (int frame = 1; frame < driftPeriod; ++frame) StepCamera();
    EXPECT_TRUE(CallsNamed("EntityX").empty());
    StepCamera();
    EXPECT_EQ(CallsNamed("EntityX").size(), 1u);
}

TEST_F(Drift, TargetsRoundHalvesToEven) {
    // Each case sets object 1 so that the unrounded target lands exactly on the value.
    const double unrounded[] = {2.5, 3.5, -2.5, -3.5, 0.5, -0.5, 7.25, 7.75, -7.75, 12.0};
    const uint64_t seed = 99;
    const int draw = FirstDraw(seed);
    static const ZelvaroEngine reseeding = ReseedingEngine();
    for (double value : unrounded) {
        SCOPED_TRACE(value);
        Start(8);
        const float coordinate = float(value + draw - 25);
        ASSERT_EQ(double(coordinate) - draw + 25, value) << "the case must be exact in a float";
        readX = readY = readZ = AxisRead{coordinate, seed};
        CameraDrift.driftFrame = driftPeriod - 1;
        SeedRandom(seed);
        Engine = &reseeding;
        StepCamera();
        const int expected = RoundHalfEven(value);
        EXPECT_EQ(CameraDrift.driftTarget.x, expected);
        EXPECT_EQ(CameraDrift.driftTarget.y, expected);
        EXPECT_EQ(CameraDrift.driftTarget.z, expected);
        TearDown();
    }
}

TEST_F(Drift, TargetsStayWithin25OfObjectOne) {
    Start(8);
    FakeEngine.record = false;
    SeedRandom(5);
    int lowest = 0, highest = 0;
    for (int frame = 1; frame <= 200 * driftPeriod; ++frame) {
        Frame();
        if (frame % driftPeriod != 0) continue;
        const FakePlace one = FakeEngine.entities[1];
        const Vec3i t = CameraDrift.driftTarget;
        for (double offset : {t.x - double(one.x), t.y - double(one.y), t.z - double(one.z)}) {
            ASSERT_LE(std::fabs(offset), 25.5) << frame;
            lowest = std::min(lowest, int(std::floor(offset)));
            highest = std::max(highest, int(std::ceil(offset)));
        }
    }
    // 600 draws reach both ends of the range.
    EXPECT_LE(lowest, -24);
    EXPECT_GE(highest, 24);
}

TEST_F(Drift, LooksAtTheCentroidAfterTheDanceStep) {
    const int n = 8;
    Start(n);
    for (int i = 1; i <= n; ++i) FakeEngine.entities[i] = FakePlace{float(i), float(2 * i), float(-i)};
    FakeEngine.record = false;
    // First frames, mid-phase, the last forward frame, the rewind, and the next cycle's first.
    const int watched[] = {1, 2, 1000, 2098, 2099, 3000, 4196, 4197};
    int frame = 0;
    for (int watch : watched) {
        SCOPED_TRACE(watch);
        while (frame < watch - 1) Frame(), ++frame;
        FakeEngine.record = true;
        FakeEngine.calls.clear();
        const bool rewinding = Dance.rewinding;
        Frame(), ++frame;
        FakeEngine.record = false;
        EXPECT_EQ(rewinding, watch >= 2099 && watch <= 4196);

        double sum[3] = {0, 0, 0};
        for (int i = 1; i <= n; ++i) {
            const FakePlace& p = FakeEngine.entities[i];
            sum[0] += p.x, sum[1] += p.y, sum[2] += p.z;
        }
        const EngineCall look = LastCall("CameraLookAt");
        EXPECT_EQ(look.args[0], 0);
        for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(look.args[axis + 1], sum[axis] / n, 1e-4) << axis;
    }
}

} // namespace
