#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "accel/slabs.h"
#include "driver/scene_state.h"
#include "geometry/object.h"
#include "render/camera.h"
#include "render/light.h"
#include "render/random.h"
#include "render/trace.h"

// Every render test starts from the program's initial state with main's defaults, no
// objects, no lights, no camera frame, and the process random source.
class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        resetSceneState();
        setMainDefaults();
        freeList(&myObjectList);
        freeList(&myLightList);
        resetCameraFrame();
        useProcessRandom();
    }

    // A surface that shows only what a test switches on.
    static SurfaceAttrib dull(Color color) {
        SurfaceAttrib s = {};
        s.color = color;
        s.refraction_index = 1;
        return s;
    }

    static Object* withSurface(Object* object, const SurfaceAttrib& surface) {
        object->surfaceAttrib = surface;
        return object;
    }

    // A small sphere far from everything, so that a scene always has two primitives and
    // the traversal applies its distance limit and its exclusion.
    static Object* addFarSphere() { return withSurface(makeSphere(1000, 1000, 1000, 1), dull({})); }

    // The plane z = 0, hit by rays that travel downwards.
    static Object* addFloor(const SurfaceAttrib& surface) {
        return withSurface(makePlane(0, 0, -1, 0), surface);
    }

    static void build() { buildBoundingSlabs(); }

    // Drops every object, so that a case can build a scene of its own.
    static void clearObjects() {
        freeList(&myObjectList);
        nPrims = 0;
    }

    static Vector unit(Vector v) {
        VecNorm(v);
        return v;
    }

    // Traces from `origin` along `direction` (normalised here) at level 0 and checks
    // that the recursion counter comes back unchanged.
    static Color traceFrom(Vector origin, Vector direction, double* distance = nullptr) {
        Color colour = {-7, -7, -7};
        int level = 0;
        const double t = trace({origin, unit(direction)}, colour, level);
        EXPECT_EQ(level, 0);
        if (distance != nullptr) {
            *distance = t;
        }
        return colour;
    }

    // The first `count` values of band `band`'s sequence.
    static std::vector<double> bandSequence(int band, int count) {
        useBandRandom(band);
        std::vector<double> values;
        for (int i = 0; i < count; ++i) {
            values.push_back(randomUnit());
        }
        useBandRandom(band);
        return values;
    }
};

inline void expectNear(const Vector& actual, const Vector& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void expectNear(const Color& actual, const Color& expected, double tolerance) {
    EXPECT_NEAR(actual.red, expected.red, tolerance);
    EXPECT_NEAR(actual.green, expected.green, tolerance);
    EXPECT_NEAR(actual.blue, expected.blue, tolerance);
}

inline void expectEqual(const Color& actual, const Color& expected) {
    EXPECT_DOUBLE_EQ(actual.red, expected.red);
    EXPECT_DOUBLE_EQ(actual.green, expected.green);
    EXPECT_DOUBLE_EQ(actual.blue, expected.blue);
}
