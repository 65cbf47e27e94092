#pragma once

#include <gtest/gtest.h>

#include <string>

#include "driver/scene_state.h"
#include "geometry/object.h"

// Every geometry test starts from the program's initial state with the slab
// directions set to the axes and an empty primitive list.
class GeometryTest : public testing::Test {
  protected:
    void SetUp() override {
        resetSceneState();
        setMainDefaults();
        freeList(&myObjectList);
    }
    void TearDown() override { freeList(&myObjectList); }
};

// Rays are built as every producer builds them: with a unit direction.
inline Ray makeRay(Vector origin, Vector direction) {
    VecNorm(direction);
    return {origin, direction};
}

// A ray starting `distance` before `target`, travelling along `direction`.
inline Ray rayTowards(Vector target, Vector direction, double distance) {
    VecNorm(direction);
    return {target - distance * direction, direction};
}

inline Vector pointAt(const Ray& ray, double t) {
    return ray.origin + t * ray.direction;
}

inline void expectVectorNear(const Vector& actual, const Vector& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void expectExtents(const Object* o, const Vector& lower, const Vector& upper,
                          double tolerance) {
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("slab direction " + std::to_string(i));
        EXPECT_NEAR(o->lowerExtent[i], component(lower, i), tolerance);
        EXPECT_NEAR(o->upperExtent[i], component(upper, i), tolerance);
    }
}

// Expected outcome of one ray: `hits` false means a miss and the other fields are unused.
struct RayCase {
    const char* name;
    Ray ray;
    bool hits;
    double t;
    int enter;
    Vector normal;
};

// Runs the record's own operations, as the traversal and the tracer reach them.
inline void checkRayCase(const Object* o, const RayCase& c, double tolerance = 1e-12) {
    SCOPED_TRACE(c.name);
    Hit hit{};
    int result = o->intersectOp(o, c.ray, hit);
    ASSERT_EQ(result, c.hits ? 1 : 0);
    if (!c.hits) {
        return;
    }
    EXPECT_NEAR(hit.t, c.t, tolerance);
    EXPECT_EQ(hit.enter, c.enter);
    EXPECT_EQ(hit.object, o);
    Vector n = o->normalOp(o, pointAt(c.ray, hit.t));
    expectVectorNear(n, c.normal, tolerance);
}
