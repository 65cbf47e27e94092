#include <cmath>

#include "render_fixture.h"

namespace {

using ShadingTest = RenderTest;

void addLight(Vector at, Color colour, int attenuation_type = 0) {
    makeLight(at.x, at.y, at.z, colour.red, colour.green, colour.blue, 0, attenuation_type, 0, 0,
              0, 1, 1, 0, 0, -1);
}

// A ray straight down onto the floor at (x, 0, 0) from height `height`.
Color lookDownAt(double x, double height = 5, double* distance = nullptr) {
    int level = 0;
    Color colour = {-7, -7, -7};
    const double t = trace({{x, 0, height}, {0, 0, -1}}, colour, level);
    EXPECT_EQ(level, 0);
    if (distance != nullptr) {
        *distance = t;
    }
    return colour;
}

struct MissCase {
    const char* name;
    Color background;
    double hazeFactor;
    Color expected;
};

TEST_F(ShadingTest, MissTakesBackgroundOrHazeUnclamped) {
    const Color haze = {0.2, 3, 0.6};
    const MissCase cases[] = {
        {"background above 1", {2, 0.5, 0}, 0, {2, 0.5, 0}},
        {"negative background", {-1, 0, 0.25}, 0, {-1, 0, 0.25}},
        {"haze", {2, 0.5, 0}, 0.3, haze},
        {"haze above 1", {2, 0.5, 0}, 1.5, haze},
        {"no haze when not positive", {0.1, 0.2, 0.3}, -0.5, {0.1, 0.2, 0.3}},
    };
    addFloor(dull({1, 1, 1}));
    addFarSphere();
    build();
    for (const MissCase& c : cases) {
        SCOPED_TRACE(c.name);
        myBackGroundColor = c.background;
        myHaze = {c.hazeFactor, haze};
        double t = 0;
        // Upwards: the floor only takes rays that travel down.
        const Color seen = traceFrom({0, 0, 1}, {0, 0.1, 1}, &t);
        expectEqual(seen, c.expected);
        EXPECT_EQ(t, 1e10);
    }
}

struct AmbientCase {
    const char* name;
    Color color;
    double ambient;
    Color expected;
};

TEST_F(ShadingTest, AmbientOnlyAndTheClampFromAbove) {
    const AmbientCase cases[] = {
        {"ambient 1", {0.5, 0.2, 0.1}, 1, {0.5, 0.2, 0.1}},
        {"clamped above 1", {0.5, 0.2, 0.1}, 3, {1, 0.2 * 3, 0.1 * 3}},
        {"not clamped below 0", {0.5, 0.2, 0.1}, -1, {-0.5, -0.2, -0.1}},
        {"no ambient", {0.5, 0.2, 0.1}, 0, {0, 0, 0}},
    };
    Object* floor = addFloor(dull({}));
    addFarSphere();
    build();
    for (const AmbientCase& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceAttrib s = dull(c.color);
        s.ambient = c.ambient;
        floor->surfaceAttrib = s;
        double t = 0;
        expectEqual(lookDownAt(0, 5, &t), c.expected);
        EXPECT_EQ(t, 5);
    }
}

struct AttenuationCase {
    const char* name;
    Color light;
    int attenuation_type;
    double diffuse;
    double specular;
    Color expected;
};

// Light 10 above the floor point, so N . L = R . L = 1 and the distance is 10.
TEST_F(ShadingTest, AttenuationTestAndWhereItApplies) {
    const AttenuationCase cases[] = {
        {"white, inverse square", {1, 1, 1}, 2, 0.25, 0, {0.0025, 0.0025, 0.0025}},
        {"white, inverse distance", {1, 1, 1}, 1, 0.25, 0, {0.025, 0.025, 0.025}},
        {"white, none", {1, 1, 1}, 0, 0.25, 0, {0.25, 0.25, 0.25}},
        {"white, unknown type", {1, 1, 1}, 7, 0.25, 0, {0.25, 0.25, 0.25}},
        // m = 0.5 + 0.4 + 0.3 / 3 = 1.0 is not above 1.
        {"m exactly 1", {0.5, 0.4, 0.3}, 2, 1, 0, {0.5, 0.4, 0.3}},
        // Only blue is divided by 3: the mean 0.4 would not attenuate, the test does.
        {"red and green weigh fully", {0.6, 0.6, 0}, 2, 1, 0, {0.006, 0.006, 0}},
        // The plain sum 2.4 would attenuate, the test gives 0.8.
        {"blue weighs a third", {0, 0, 2.4}, 2, 0.25, 0, {0, 0, 0.6}},
        {"highlight alone is not attenuated", {1, 1, 1}, 2, 0, 0.5, {0.5, 0.5, 0.5}},
        {"highlight after the diffuse step is", {1, 1, 1}, 2, 0.25, 0.5,
         {0.0075, 0.0075, 0.0075}},
    };
    Object* floor = addFloor(dull({}));
    addFarSphere();
    build();
    for (const AttenuationCase& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceAttrib s = dull({1, 1, 1});
        s.diffuse = c.diffuse;
        s.specular = c.specular;
        floor->surfaceAttrib = s;
        addLight({0, 0, 10}, c.light, c.attenuation_type);
        expectEqual(lookDownAt(0), c.expected);
        freeList(&myLightList);
    }
}

struct BrillianceCase {
    double brilliance;
    double power;
};

// Light at (8, 0, 6): N . L = 0.6.
TEST_F(ShadingTest, BrillianceRaisesTheCosineOnlyAbove1) {
    const BrillianceCase cases[] = {{0, 1}, {0.5, 1}, {1, 1}, {2, 2}, {3.5, 3.5}};
    Object* floor = addFloor(dull({}));
    addFarSphere();
    addLight({8, 0, 6}, {0.5, 0.5, 0.5});
    build();
    for (const BrillianceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "brilliance " << c.brilliance);
        SurfaceAttrib s = dull({1, 0.5, 0.25});
        s.diffuse = 0.8;
        s.brilliance = c.brilliance;
        floor->surfaceAttrib = s;
        const double f = std::pow(0.6, c.power);
        expectNear(lookDownAt(0), {0.5 * 1 * f * 0.8, 0.5 * 0.5 * f * 0.8, 0.5 * 0.25 * f * 0.8},
                   1e-14);
    }
}

struct HighlightCase {
    const char* name;
    Vector light;
    double roughness;
    double factor; // of light colour x specular
};

// The ray comes straight down, so the mirror direction is straight up and R . L = L.z.
TEST_F(ShadingTest, HighlightHasTheLightsColourAndFallsOffWithRoughness) {
    const HighlightCase cases[] = {
        {"roughness 0, aligned", {0, 0, 10}, 0, 1},
        {"roughness 0, no fall-off", {8, 0, 6}, 0, 1},
        {"roughness 0, R.L below the threshold", {10, 0, 0.005}, 0, 0},
        {"roughness 2", {8, 0, 6}, 2, 0.36},
        {"roughness 10", {8, 0, 6}, 10, std::pow(0.6, 10)},
        {"light below the surface", {0, 3, -10}, 0, 0},
    };
    Object* floor = addFloor(dull({}));
    addFarSphere();
    build();
    const Color light = {1, 0.5, 0.25};
    for (const HighlightCase& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceAttrib s = dull({0.2, 0.2, 0.2});
        s.specular = 0.5;
        s.roughness = c.roughness;
        floor->surfaceAttrib = s;
        addLight(c.light, light);
        expectNear(lookDownAt(0), {c.factor * 0.5, c.factor * 0.25, c.factor * 0.125}, 1e-14);
        freeList(&myLightList);
    }
}

struct SpotCase {
    const char* name;
    double x;           // floor point lit
    double innerOffset; // cosMinAngle - cosA
    double outerOffset; // cosMaxAngle - cosA
    double diffuse;
    double specular;
    double spot; // expected spot factor
    bool reaches;
};

// A spot 10 above the origin aiming down; for the floor point (x, 0, 0)
// cosA = N . L = 10 / sqrt(x^2 + 100).
TEST_F(ShadingTest, SpotConeFactorAndWhereItApplies) {
    const SpotCase cases[] = {
        {"on the axis", 0, -0.01, -0.02, 1, 0, 1, true},
        {"halfway between the cosines", 10, 0.1, -0.1, 1, 0, 0.5, true},
        {"a quarter of the way in", 10, 0.15, -0.05, 1, 0, 0.25, true},
        {"halfway, highlight only: unscaled light", 10, 0.1, -0.1, 0, 1, 0.5, true},
        {"halfway, highlight after diffuse: scaled light", 10, 0.1, -0.1, 1, 1, 0.5, true},
        {"outside the cone: not even a highlight", 10, 0.1, 0.05, 1, 1, 0, false},
        {"hard edge, inside", 10, -0.05, -0.05, 1, 1, 1, true},
        {"hard edge, inner wider than outer", 10, -0.1, -0.05, 1, 0, 1, true},
    };
    Object* floor = addFloor(dull({}));
    addFarSphere();
    build();
    const Color light = {0.5, 0.5, 0.5};
    for (const SpotCase& c : cases) {
        SCOPED_TRACE(c.name);
        const double cosA = 10 / std::sqrt(c.x * c.x + 100);
        SurfaceAttrib s = dull({1, 1, 1});
        s.diffuse = c.diffuse;
        s.specular = c.specular;
        floor->surfaceAttrib = s;
        makeLight(0, 0, 10, light.red, light.green, light.blue, 1, 0, 0, 0, 0,
                  cosA + c.innerOffset, cosA + c.outerOffset, 0, 0, -10);
        double expected = 0;
        if (c.reaches) {
            const double diffuseLight = c.diffuse > 0 ? 0.5 * c.spot : 0.5;
            expected = diffuseLight * cosA * c.diffuse + diffuseLight * c.specular;
        }
        expectNear(lookDownAt(c.x), {expected, expected, expected}, 1e-12);
        freeList(&myLightList);
    }
}

TEST_F(ShadingTest, ShadowTestComesBeforeTheTerms) {
    // A sphere between the floor point and the light takes both diffuse and highlight.
    SurfaceAttrib s = dull({1, 1, 1});
    s.diffuse = 1;
    s.specular = 1;
    addFloor(s);
    withSurface(makeSphere(0, 0, 5, 1), dull({}));
    addLight({0, 0, 10}, {0.5, 0.5, 0.5});
    build();
    // Looking down beside the sphere onto a shadowed floor point.
    int level = 0;
    Color colour;
    trace({{0, 3, 5}, unit({0, -3, -5})}, colour, level);
    expectEqual(colour, {0, 0, 0});
}

struct DrawCase {
    const char* name;
    double diffuse;
    double specular;
    bool insideCone;
    int draws;
};

// The shadow test runs for every light inside its cone, whether or not a term uses it,
// so a smooth shadow's draws do not depend on the surface.
TEST_F(ShadingTest, SmoothShadowIsTestedBeforeTheTermsAreChosen) {
    const DrawCase cases[] = {
        {"diffuse and highlight", 1, 1, true, 12},
        {"no term at all", 0, 0, true, 12},
        {"outside the spot", 1, 1, false, 0},
    };
    Object* floor = addFloor(dull({}));
    addFarSphere();
    build();
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceAttrib s = dull({1, 1, 1});
        s.diffuse = c.diffuse;
        s.specular = c.specular;
        floor->surfaceAttrib = s;
        // A smooth spot 10 above the origin, aiming down, cone of cosine 0.9.
        makeLight(0, 0, 10, 1, 1, 1, 1, 0, 1, 0.5, 4, 0.95, 0.9, 0, 0, -10);
        const std::vector<double> expected = bandSequence(5, c.draws + 1);
        lookDownAt(c.insideCone ? 0 : 10);
        EXPECT_EQ(randomUnit(), expected.back());
        freeList(&myLightList);
    }
}

TEST_F(ShadingTest, ShadedObjectNeverShadowsItself) {
    // Seen from its centre, the inner side of a sphere faces a light outside it; the
    // shadow ray crosses the sphere's far side, which must not count.
    SurfaceAttrib s = dull({1, 0.5, 0.25});
    s.diffuse = 1;
    withSurface(makeSphere(0, 0, 0, 1), s);
    addFarSphere();
    addLight({0, 0, -5}, {0.5, 0.5, 0.5});
    build();
    expectNear(traceFrom({0, 0, 0}, {0, 0, 1}), {0.5, 0.25, 0.125}, 1e-15);
}

struct HazeCase {
    double factor;
    Color expected;
};

TEST_F(ShadingTest, HazeBlendsByTheDistanceOfTheHit) {
    // From height 2: h = 1 - (1 - factor)^2.
    const HazeCase cases[] = {
        {0, {1, 0, 0}},    {-1, {1, 0, 0}},    {0.5, {0.25, 0, 0.75}},
        {1, {0, 0, 1}},    {1.5, {0, 0, 1}},
    };
    SurfaceAttrib s = dull({1, 0, 0});
    s.ambient = 1;
    addFloor(s);
    addFarSphere();
    build();
    for (const HazeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "haze_factor " << c.factor);
        myHaze = {c.factor, {0, 0, 1}};
        expectEqual(lookDownAt(0, 2), c.expected);
    }
}

TEST_F(ShadingTest, HazeWithLightsStillUsesTheHitDistance) {
    SurfaceAttrib s = dull({1, 0, 0});
    s.ambient = 1;
    addFloor(s);
    addFarSphere();
    addLight({0, 0, 100}, {0, 0, 0});
    build();
    myHaze = {0.5, {0, 0, 1}};
    expectEqual(lookDownAt(0, 2), {0.25, 0, 0.75});
}

// Two mirrors facing each other: the floor z = 0 and a ceiling z = 1 seen from below.
class MirrorTest : public ShadingTest {
  protected:
    void SetUp() override {
        ShadingTest::SetUp();
        SurfaceAttrib mirror = dull({1, 1, 1});
        mirror.ambient = 0.1;
        mirror.reflection = 1;
        floor = addFloor(mirror);
        ceiling = withSurface(makePlane(0, 0, 1, 1), mirror);
        build();
    }
    // What a ray sees when `hits` levels each add the ambient 0.1 to the level below.
    static double chain(int hits) {
        double seen = 0;
        for (int i = 0; i < hits; ++i) {
            seen = 0.1 + seen * 1;
        }
        return seen;
    }
    Object* floor = nullptr;
    Object* ceiling = nullptr;
};

TEST_F(MirrorTest, RecursionStopsAfterLevel5) {
    struct Case {
        int level;
        int hitsSeen;
    };
    for (const Case& c : {Case{0, 6}, Case{3, 3}, Case{5, 1}, Case{6, 0}, Case{9, 0}}) {
        SCOPED_TRACE(testing::Message() << "level " << c.level);
        const double expected = chain(c.hitsSeen);
        int level = c.level;
        Color colour = {-7, -7, -7};
        const double t = trace({{0, 0, 0.5}, {0, 0, -1}}, colour, level);
        EXPECT_EQ(level, c.level);
        EXPECT_EQ(t, c.hitsSeen > 0 ? 0.5 : 0);
        expectNear(colour, {expected, expected, expected}, 1e-15);
    }
}

TEST_F(MirrorTest, FuzzyWithoutSamplesReflectsSharply) {
    SurfaceAttrib fuzzy = floor->surfaceAttrib;
    fuzzy.reflection_type = 1;
    fuzzy.reflection_radius = 0.3;
    for (int samples : {0, -2}) {
        SCOPED_TRACE(testing::Message() << "samples " << samples);
        fuzzy.reflection_samples = samples;
        floor->surfaceAttrib = fuzzy;
        ceiling->surfaceAttrib = fuzzy;
        const std::vector<double> expected = bandSequence(2, 1);
        const double sharp = chain(6);
        expectNear(lookDownAt(0, 0.5), {sharp, sharp, sharp}, 1e-15);
        // No draws were made.
        EXPECT_EQ(randomUnit(), expected.back());
    }
}

// A fuzzy floor mirror below a bright sphere: the mean depends only on the spread
// reflection_radius / t and on the draws.
class FuzzyTest : public ShadingTest {
  protected:
    Color fuzzyAt(double height, double radius, int samples, int seed) {
        floor->surfaceAttrib.reflection_radius = radius;
        floor->surfaceAttrib.reflection_samples = samples;
        useBandRandom(seed);
        return lookDownAt(0, height);
    }
    void SetUp() override {
        ShadingTest::SetUp();
        SurfaceAttrib s = dull({1, 1, 1});
        s.reflection = 1;
        s.reflection_type = 1;
        floor = addFloor(s);
        SurfaceAttrib bright = dull({1, 1, 1});
        bright.ambient = 1;
        withSurface(makeSphere(0, 0, 20, 2), bright);
        build();
    }
    Object* floor = nullptr;
};

TEST_F(FuzzyTest, SpreadShrinksWithTheDistanceOfThePoint) {
    for (int seed = 0; seed < 4; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const Color near = fuzzyAt(1, 0.12, 8, seed);
        EXPECT_GT(near.red, 0);
        EXPECT_LT(near.red, 1);
        // Twice the radius from twice the distance gives the same rays.
        expectEqual(fuzzyAt(2, 0.24, 8, seed), near);
        // Radius 0 is the sharp reflection: every ray hits the sphere.
        expectEqual(fuzzyAt(1, 0, 8, seed), {1, 1, 1});
    }
}

TEST_F(FuzzyTest, EachFuzzyRayDrawsThreeNumbers) {
    for (int samples : {1, 5}) {
        SCOPED_TRACE(testing::Message() << "samples " << samples);
        const std::vector<double> expected = bandSequence(8, 3 * samples + 1);
        fuzzyAt(1, 0.3, samples, 8);
        EXPECT_EQ(randomUnit(), expected.back());
    }
}

TEST_F(ShadingTest, TangentHitMirrorsAlongTheRay) {
    // d . N = 0: the mirror direction is d itself, so a light straight ahead gives a full
    // highlight.
    SurfaceAttrib s = dull({1, 1, 1});
    s.specular = 1;
    Object* sphere = withSurface(makeSphere(0, 0, 0, 1), s);
    addFarSphere();
    addLight({10, 0, 1}, {0.5, 0.25, 1});
    build();
    const Ray ray = {{-10, 0, 1}, {1, 0, 0}};
    const Hit hit = {10, 1, sphere};
    Color colour = {-7, -7, -7};
    int level = 0;
    shade(sphere, ray, {0, 0, 1}, {0, 0, 1}, colour, level, hit);
    expectEqual(colour, {0.5, 0.25, 1});
}

// A glass ball of radius 1 at the origin in a white world.
class GlassTest : public ShadingTest {
  protected:
    void SetUp() override {
        ShadingTest::SetUp();
        ball = withSurface(makeSphere(0, 0, 0, 1), dull({}));
        addFarSphere();
        build();
        myBackGroundColor = {1, 1, 1};
    }
    void glass(Color color, double refraction_index) {
        SurfaceAttrib s = dull(color);
        s.refraction = 1;
        s.refraction_index = refraction_index;
        ball->surfaceAttrib = s;
    }
    Object* ball = nullptr;
};

TEST_F(GlassTest, RefractionNeedsAnIndexAbove1) {
    struct Case {
        double index;
        double seen;
    };
    for (const Case& c : {Case{1, 0}, Case{0.8, 0}, Case{1.0000001, 1}, Case{1.5, 1}}) {
        SCOPED_TRACE(testing::Message() << "refraction_index " << c.index);
        glass({1, 1, 1}, c.index);
        expectNear(traceFrom({0, 0, -5}, {0, 0, 1}), {c.seen, c.seen, c.seen}, 1e-12);
    }
}

TEST_F(GlassTest, AbsorptionByColourToThePowerOfTheDistanceInside) {
    // Straight through the centre: 2 units inside.
    glass({0.5, 1, 0.9}, 1.5);
    expectNear(traceFrom({0, 0, -5}, {0, 0, 1}), {0.25, 1, 0.81}, 1e-12);
}

TEST_F(GlassTest, GrazingRayInsideIsTrappedByTotalInternalReflection) {
    // From (0.9, 0, 0) along z the ray meets the surface with sin(incidence) = 0.9: above
    // 1/1.5, so it is reflected inside at every bounce until the depth limit; below
    // 1/1.05 it leaves at once.
    struct Case {
        double index;
        double seen;
    };
    for (const Case& c : {Case{1.5, 0}, Case{1.05, 1}}) {
        SCOPED_TRACE(testing::Message() << "refraction_index " << c.index);
        glass({1, 1, 1}, c.index);
        expectNear(traceFrom({0.9, 0, 0}, {0, 0, 1}), {c.seen, c.seen, c.seen}, 1e-12);
    }
}

TEST_F(GlassTest, EnteringRayBendsTowardTheNormal) {
    // Entering at (0, 0, -1), 45 degrees off the normal: the bent ray crosses the ball
    // along the chord 2 cos(refracted angle) and is absorbed over exactly that length.
    glass({0.5, 1, 1}, 1.5);
    const double s = std::sin(3.141592653589793 / 4) / 1.5;
    const double chord = 2 * std::sqrt(1 - s * s);
    const Color seen = traceFrom({-5, 0, -6}, {1, 0, 1});
    EXPECT_NEAR(seen.red, std::pow(0.5, chord), 1e-9);
    EXPECT_NEAR(seen.green, 1, 1e-12);
}

} // namespace
