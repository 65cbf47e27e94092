#include <cmath>

#include "geometry_fixture.h"

namespace {

using ConeTest = GeometryTest;

const double kHalfRoot2 = std::sqrt(2.0) / 2;

TEST_F(ConeTest, CylinderShapeData) {
    Object* o = makeCone({0, 0, 0}, 1, {0, 2, 0}, 1);
    const ConeData& c = o->shape.cone;
    expectVectorNear(c.axis, {0, 1, 0}, 0);
    EXPECT_EQ(c.height, 2);
    EXPECT_EQ(c.slope, 0);
    EXPECT_EQ(c.basePlaneConstant, 0);
    expectVectorNear(c.frameU, {1, 0, 0}, 0);
    expectVectorNear(c.frameV, {0, 0, 1}, 0);
    EXPECT_EQ(c.axialMin, 0);
    EXPECT_EQ(c.axialMax, 2);
    expectExtents(o, {-1, 0, -1}, {1, 2, 1}, 0);
}

TEST_F(ConeTest, ConeShapeData) {
    Object* o = makeCone({1, 2, 3}, 3, {1, 6, 3}, 1);
    const ConeData& c = o->shape.cone;
    EXPECT_EQ(c.height, 4);
    EXPECT_EQ(c.slope, -0.5);
    EXPECT_EQ(c.basePlaneConstant, -2);
    EXPECT_EQ(c.axialMin, 2);
    EXPECT_EQ(c.axialMax, 6);
    EXPECT_EQ(c.base_radius, 3);
    EXPECT_EQ(c.cap_radius, 1);
}

// The frame is orthonormal in every case; the reference direction switches from z to y
// when the axis lies within about 2.6 degrees of z.
TEST_F(ConeTest, Frames) {
    const double az = 1 / std::sqrt(1.0001); // axis of the cap (0.01, 0, 1)
    const double bz = 1 / std::sqrt(1.01);   // axis of the cap (0.1, 0, 1)
    struct FrameCase {
        const char* name;
        Vector cap;
        Vector frameU;
        Vector frameV;
    } cases[] = {
        {"axis along y", {0, 2, 0}, {1, 0, 0}, {0, 0, 1}},
        {"axis along z", {0, 0, 3}, {-1, 0, 0}, {0, 1, 0}},
        {"axis along -z", {0, 0, -3}, {1, 0, 0}, {0, 1, 0}},
        {"axis along x", {5, 0, 0}, {0, -1, 0}, {0, 0, 1}},
        {"axis near z: reference y", {0.01, 0, 1}, {-az, 0, 0.01 * az}, {0, 1, 0}},
        {"axis off z: reference z", {0.1, 0, 1}, {0, -1, 0}, {-bz, 0, 0.1 * bz}},
    };
    for (const FrameCase& f : cases) {
        SCOPED_TRACE(f.name);
        Object* o = makeCone({0, 0, 0}, 1, f.cap, 1);
        const ConeData& c = o->shape.cone;
        expectVectorNear(c.frameU, f.frameU, 1e-12);
        expectVectorNear(c.frameV, f.frameV, 1e-12);
        EXPECT_NEAR(dot(c.frameU, c.frameU), 1, 1e-12);
        EXPECT_NEAR(dot(c.frameV, c.frameV), 1, 1e-12);
        EXPECT_NEAR(dot(c.frameU, c.frameV), 0, 1e-12);
        EXPECT_NEAR(dot(c.frameU, c.axis), 0, 1e-12);
        EXPECT_NEAR(dot(c.frameV, c.axis), 0, 1e-12);
    }
}

TEST_F(ConeTest, Extents) {
    const double s = kHalfRoot2;
    struct ExtentCase {
        const char* name;
        Vector base;
        double baseRadius;
        Vector cap;
        double capRadius;
        Vector lower;
        Vector upper;
    } cases[] = {
        {"cylinder along y", {0, 0, 0}, 1, {0, 2, 0}, 1, {-1, 0, -1}, {1, 2, 1}},
        {"cone to a point", {0, 0, 0}, 1, {0, 1, 0}, 0, {-1, 0, -1}, {1, 1, 1}},
        {"cap wider than base", {0, 0, 0}, 0.5, {0, 1, 0}, 2, {-2, 0, -2}, {2, 1, 2}},
        {"pointing down", {1, 5, 1}, 1, {1, 2, 1}, 3, {-2, 2, -2}, {4, 5, 4}},
        {"tilted cylinder", {0, 0, 0}, 1, {0, 1, 1}, 1, {-1, -s, -s}, {1, 1 + s, 1 + s}},
    };
    for (const ExtentCase& e : cases) {
        SCOPED_TRACE(e.name);
        Object* o = makeCone(e.base, e.baseRadius, e.cap, e.capRadius);
        expectExtents(o, e.lower, e.upper, 1e-12);
    }
}

TEST_F(ConeTest, CylinderRays) {
    Object* o = makeCone({0, 0, 0}, 1, {0, 2, 0}, 1);
    const double root20 = std::sqrt(20.0);
    const RayCase cases[] = {
        {"from outside", makeRay({5, 1, 0}, {-1, 0, 0}), true, 4, 0, {1, 0, 0}},
        {"from the far side", makeRay({-5, 1, 0}, {1, 0, 0}), true, 4, 0, {-1, 0, 0}},
        {"above the cap plane", makeRay({5, 3, 0}, {-1, 0, 0}), false, 0, 0, {}},
        {"below the base plane", makeRay({5, -0.01, 0}, {-1, 0, 0}), false, 0, 0, {}},
        {"from inside", makeRay({0, 1, 0}, {1, 0, 0}), true, 1, 0, {1, 0, 0}},
        {"along the axis through both ends", makeRay({0, -5, 0}, {0, 1, 0}), false, 0, 0, {}},
        {"parallel to the axis outside", makeRay({3, -5, 0}, {0, 1, 0}), false, 0, 0, {}},
        {"leaves through the open cap", makeRay({0, 1, 0}, {0.6, 0.8, 0}), false, 0, 0, {}},
        {"enters through the open base, hits the wall inside",
         makeRay({0, -1, 0}, {0.6, 0.8, 0}),
         true,
         5.0 / 3,
         0,
         {1, 0, 0}},
        // The near crossing lies above the cap plane; the far one is on the wall.
        {"near root cut, far root taken",
         makeRay({-3, 3.2, 0}, {4, -2, 0}),
         true,
         root20,
         0,
         {1, 0, 0}},
        {"wall behind the origin", makeRay({5, 1, 0}, {1, 0, 0}), false, 0, 0, {}},
        {"starting on the wall, leaving", makeRay({1, 1, 0}, {1, 0, 0}), false, 0, 0, {}},
        {"starting on the wall, crossing", makeRay({1, 1, 0}, {-1, 0, 0}), true, 2, 0, {-1, 0, 0}},
        {"wall closer than the tolerance", makeRay({0.9995, 1, 0}, {1, 0, 0}), false, 0, 0, {}},
        {"near wall closer than the tolerance, far wall taken",
         makeRay({1.0005, 1, 0}, {-1, 0, 0}),
         true,
         2.0005,
         0,
         {-1, 0, 0}},
    };
    for (const RayCase& c : cases) {
        checkRayCase(o, c);
    }
}

TEST_F(ConeTest, ConeRays) {
    // Radius 1 at y = 0 down to a point at y = 1: slope -1.
    Object* o = makeCone({0, 0, 0}, 1, {0, 1, 0}, 0);
    const double h = kHalfRoot2;
    const RayCase cases[] = {
        {"from outside", makeRay({5, 0.5, 0}, {-1, 0, 0}), true, 4.5, 0, {h, h, 0}},
        {"from inside", makeRay({0, 0.5, 0}, {0, 0, 1}), true, 0.5, 0, {0, h, h}},
        // The second nappe of the double cone lies above the apex: cut away.
        {"through the upper nappe only", makeRay({5, 1.5, 0}, {-1, 0, 0}), false, 0, 0, {}},
        // Parallel to a line of the surface: the quadratic term is exactly 0.
        {"parallel to a surface line, hits",
         makeRay({0, 0.5, 0}, {1, 1, 0}),
         true,
         0.25 * std::sqrt(2.0),
         0,
         {h, h, 0}},
        {"parallel to a surface line, behind", makeRay({0, 0.5, 0}, {-1, -1, 0}), false, 0, 0, {}},
        {"parallel to a surface line, beyond the apex",
         makeRay({2, 0, 0}, {-1, 1, 0}),
         false,
         0,
         0,
         {}},
    };
    for (const RayCase& c : cases) {
        checkRayCase(o, c);
    }
}

TEST_F(ConeTest, TiltedCylinder) {
    Object* o = makeCone({0, 0, 0}, 1, {0, 1, 1}, 1);
    expectExtents(o, {-1, -kHalfRoot2, -kHalfRoot2}, {1, 1 + kHalfRoot2, 1 + kHalfRoot2}, 1e-12);
    const RayCase cases[] = {
        {"across the axis", makeRay({10, 0.5, 0.5}, {-1, 0, 0}), true, 9, 0, {1, 0, 0}},
        {"across the axis, other side",
         makeRay({-10, 0.5, 0.5}, {1, 0, 0}),
         true,
         9,
         0,
         {-1, 0, 0}},
        {"along the axis", makeRay({0, -1, -1}, {0, 1, 1}), false, 0, 0, {}},
        {"across the wall at right angles",
         makeRay({0, 0.5 + 3 * kHalfRoot2, 0.5 - 3 * kHalfRoot2}, {0, -1, 1}),
         true,
         2,
         0,
         {0, kHalfRoot2, -kHalfRoot2}},
    };
    for (const RayCase& c : cases) {
        checkRayCase(o, c, 1e-12);
    }
}

TEST_F(ConeTest, Normals) {
    struct NormalCase {
        const char* name;
        Vector base;
        double baseRadius;
        Vector cap;
        double capRadius;
        Vector point;
        Vector normal;
    } cases[] = {
        {"cylinder", {0, 0, 0}, 1, {0, 2, 0}, 1, {0, 1.5, -1}, {0, 0, -1}},
        {"narrowing: leans towards the cap",
         {0, 0, 0},
         1,
         {0, 1, 0},
         0,
         {0.5, 0.5, 0},
         {kHalfRoot2, kHalfRoot2, 0}},
        {"widening: leans towards the base",
         {0, 0, 0},
         0,
         {0, 1, 0},
         1,
         {0.5, 0.5, 0},
         {kHalfRoot2, -kHalfRoot2, 0}},
        {"off the origin", {1, 2, 3}, 2, {1, 2, 5}, 2, {1, 0, 4}, {0, -1, 0}},
    };
    for (const NormalCase& n : cases) {
        SCOPED_TRACE(n.name);
        Object* o = makeCone(n.base, n.baseRadius, n.cap, n.capRadius);
        expectVectorNear(o->normalOp(o, n.point), n.normal, 1e-12);
    }
}

} // namespace
