#include <cmath>
#include <string>

#include "render_fixture.h"

namespace {

using LightTest = RenderTest;

void addPointLight(Vector at, Color colour) {
    makeLight(at.x, at.y, at.z, colour.red, colour.green, colour.blue, 0, 0, 0, 0, 0, 1, 1, 0, 0,
              -1);
}

TEST_F(LightTest, MakeLightCopiesItsArgumentsAndGoesInFront) {
    testing::internal::CaptureStdout();
    makeLight(1, 2, 3, 0.1, 0.2, 0.3, 1, 2, 1, 0.5, 8, 0.9, 0.8, 0, 0, 10);
    makeLight(-1, -2, -3, 4, 5, 6, 0, 1, 0, 0, 1, 1, 1, 3, 0, 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Scene order A, B leaves the list B, A.
    const Light* b = myLightList;
    ASSERT_NE(b, nullptr);
    const Light* a = b->next;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->next, nullptr);

    EXPECT_EQ(a->kind, 1);
    expectEqual(a->color, {0.1, 0.2, 0.3});
    expectNear(a->position, {1, 2, 3}, 0);
    expectNear(a->direction, {0, 0, 1}, 0);
    EXPECT_EQ(a->light_type, 1);
    EXPECT_EQ(a->attenuation_type, 2);
    EXPECT_EQ(a->shadow_type, 1);
    EXPECT_EQ(a->radius, 0.5);
    EXPECT_EQ(a->light_samples, 8);
    EXPECT_EQ(a->cosMinAngle, 0.9);
    EXPECT_EQ(a->cosMaxAngle, 0.8);

    expectEqual(b->color, {4, 5, 6});
    expectNear(b->position, {-1, -2, -3}, 0);
    expectNear(b->direction, {0.6, 0, 0.8}, 1e-16);
    EXPECT_EQ(b->attenuation_type, 1);

    EXPECT_EQ(freeList(&myLightList), 2);
    EXPECT_EQ(myLightList, nullptr);
    EXPECT_EQ(freeList(&myLightList), 0);
}

struct LightRayCase {
    Vector light;
    Vector point;
    double dist;
    Vector direction;
};

TEST_F(LightTest, LightRayRunsFromThePointToTheLight) {
    const LightRayCase cases[] = {
        {{0, 10, 0}, {0, 0, 0}, 10, {0, 1, 0}},
        {{4, 6, 1}, {1, 2, 1}, 5, {0.6, 0.8, 0}},
        {{0, 0, -2}, {0, 0, 1}, 3, {0, 0, -1}},
    };
    for (const LightRayCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "light " << c.light.x << " " << c.light.y << " "
                                        << c.light.z);
        addPointLight(c.light, {1, 1, 1});
        Ray lightRay = {};
        EXPECT_DOUBLE_EQ(makeLightRay(myLightList, c.point, lightRay), c.dist);
        expectNear(lightRay.origin, c.point, 0);
        expectNear(lightRay.direction, c.direction, 1e-16);
        freeList(&myLightList);
    }
}

// A blocker sphere between the origin and a light on the y axis.
class ShadowTest : public LightTest {
  protected:
    void SetUp() override {
        LightTest::SetUp();
        blocker = withSurface(makeSphere(0, 5, 0, 1), dull({1, 1, 1}));
        other = addFarSphere();
        build();
    }
    Object* blocker = nullptr;
    Object* other = nullptr;
};

struct BlockCase {
    const char* name;
    double lightY;
    bool transparentBlocker;
    bool excludeBlocker;
    bool lit;
};

TEST_F(ShadowTest, EveryObjectBeforeTheLightBlocksItFully) {
    const BlockCase cases[] = {
        {"opaque blocker", 10, false, false, false},
        {"transparent blocker", 10, true, false, false},
        {"blocker beyond the light", 3, false, false, true},
        {"light inside the blocker", 5, false, false, false},
        {"blocker is the shaded object", 10, false, true, true},
        {"transparent shaded object", 10, true, true, true},
    };
    const Color colour = {0.7, 0.8, 0.9};
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceAttrib s = dull({1, 1, 1});
        if (c.transparentBlocker) {
            s.refraction = 1;
            s.refraction_index = 1.5;
        }
        blocker->surfaceAttrib = s;
        addPointLight({0, c.lightY, 0}, colour);
        Ray lightRay;
        const double dist = makeLightRay(myLightList, {0, 0, 0}, lightRay);
        const Object* shaded = c.excludeBlocker ? blocker : other;
        const Color seen = getLightColor(myLightList, shaded, lightRay, dist);
        expectEqual(seen, c.lit ? colour : Color{0, 0, 0});
        freeList(&myLightList);
    }
}

void addSmoothLight(Vector at, Color colour, double radius, int samples) {
    makeLight(at.x, at.y, at.z, colour.red, colour.green, colour.blue, 0, 0, 1, radius, samples,
              1, 1, 0, 0, -1);
}

TEST_F(ShadowTest, SmoothShadowIsAMeanOfWholeSamples) {
    const Color colour = {1, 0.5, 0.25};
    addSmoothLight({0, 10, 0}, colour, 4, 4);
    Ray lightRay;
    const double dist = makeLightRay(myLightList, {0, 0, 0}, lightRay);
    int partial = 0;
    for (int seed = 0; seed < 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        useBandRandom(seed);
        const Color seen = smoothShadow(myLightList, other, lightRay, dist);
        const double fraction = seen.red / colour.red;
        const double quarters = fraction * 4;
        EXPECT_EQ(quarters, std::floor(quarters));
        EXPECT_GE(fraction, 0);
        EXPECT_LE(fraction, 1);
        EXPECT_EQ(seen.green, fraction * colour.green);
        EXPECT_EQ(seen.blue, fraction * colour.blue);
        partial += (fraction > 0 && fraction < 1) ? 1 : 0;
    }
    // The jitter must actually reach past the blocker's edge.
    EXPECT_GT(partial, 0);
}

TEST_F(ShadowTest, SmoothShadowKeepsTheDistanceToTheLightsCentre) {
    // However wide the jitter, a blocker beyond the light's centre never shadows.
    const Color colour = {1, 0.5, 0.25};
    addSmoothLight({0, 3, 0}, colour, 8, 4);
    Ray lightRay;
    const double dist = makeLightRay(myLightList, {0, 0, 0}, lightRay);
    for (int seed = 0; seed < 20; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        useBandRandom(seed);
        expectEqual(smoothShadow(myLightList, other, lightRay, dist), colour);
    }
}

TEST_F(LightTest, SmoothShadowSpreadIsTheLightsAngularSize) {
    // A small blocker close to the point. Lights of radius 0.4 at distance 1 and 0.8 at
    // distance 2 span the same angle: the same draws give the same shadow rays.
    withSurface(makeSphere(0, 0.5, 0, 0.1), dull({}));
    const Object* other = addFarSphere();
    build();
    const auto seenFrom = [other](double lightY, double radius, int seed) {
        freeList(&myLightList);
        addSmoothLight({0, lightY, 0}, {1, 1, 1}, radius, 4);
        Ray lightRay;
        const double dist = makeLightRay(myLightList, {0, 0, 0}, lightRay);
        useBandRandom(seed);
        return smoothShadow(myLightList, other, lightRay, dist);
    };
    int partial = 0;
    for (int seed = 0; seed < 20; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const Color near = seenFrom(1, 0.4, seed);
        expectEqual(seenFrom(2, 0.8, seed), near);
        partial += (near.red > 0 && near.red < 1) ? 1 : 0;
    }
    EXPECT_GT(partial, 0);
}

TEST_F(ShadowTest, SmoothShadowDrawsThreeNumbersPerSample) {
    for (int samples : {1, 4, 9}) {
        SCOPED_TRACE(testing::Message() << "samples " << samples);
        addSmoothLight({0, 10, 0}, {1, 1, 1}, 1, samples);
        const std::vector<double> expected = bandSequence(21, 3 * samples + 1);
        Ray lightRay;
        const double dist = makeLightRay(myLightList, {0, 0, 0}, lightRay);
        smoothShadow(myLightList, other, lightRay, dist);
        EXPECT_EQ(randomUnit(), expected.back());
        freeList(&myLightList);
    }
}

} // namespace
