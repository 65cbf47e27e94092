#include <cmath>

#include "geometry_fixture.h"

namespace {

using SphereTest = GeometryTest;
using PlaneTest = GeometryTest;

TEST_F(SphereTest, ShapeDataAndExtents) {
    Object* o = makeSphere(1, 2, 3, 0.5);
    EXPECT_EQ(o->shape.sphere.radius, 0.5);
    EXPECT_EQ(o->shape.sphere.radiusSquared, 0.25);
    expectExtents(o, {0.5, 1.5, 2.5}, {1.5, 2.5, 3.5}, 0);
}

TEST_F(SphereTest, NegativeRadiusMakesTheSameSphere) {
    Object* o = makeSphere(1, 2, 3, -2);
    EXPECT_EQ(o->shape.sphere.radius, -2);
    EXPECT_EQ(o->shape.sphere.radiusSquared, 4);
    expectExtents(o, {-1, 0, 1}, {3, 4, 5}, 0);
    checkRayCase(o, {"from outside", makeRay({1, 2, -5}, {0, 0, 1}), true, 6, 1, {0, 0, -1}});
}

TEST_F(SphereTest, Rays) {
    Object* o = makeSphere(0, 0, 0, 1);
    const RayCase cases[] = {
        {"from outside", makeRay({0, 0, -5}, {0, 0, 1}), true, 4, 1, {0, 0, -1}},
        {"from the centre: near root rejected",
         makeRay({0, 0, 0}, {0, 0, 1}),
         true,
         1,
         0,
         {0, 0, 1}},
        {"sphere behind the origin", makeRay({0, 0, 5}, {0, 0, 1}), false, 0, 0, {}},
        {"leaving from the surface", makeRay({0, 0, -1}, {0, 0, -1}), false, 0, 0, {}},
        {"entering from the surface counts as inside",
         makeRay({0, 0, -1}, {0, 0, 1}),
         true,
         2,
         0,
         {0, 0, 1}},
        {"tangent", makeRay({1, 0, -5}, {0, 0, 1}), true, 5, 1, {1, 0, 0}},
        {"tangent at the origin", makeRay({1, 0, 0}, {0, 0, 1}), false, 0, 0, {}},
        {"just past tangent", makeRay({1.000001, 0, -5}, {0, 0, 1}), false, 0, 0, {}},
        // Outside by less than the tolerance: the near root is too close, the far root
        // is taken, and the origin counts as inside.
        {"origin within the tolerance outside",
         makeRay({0, 0, -1.0004}, {0, 0, 1}),
         true,
         2.0004,
         0,
         {0, 0, 1}},
        {"origin beyond the tolerance",
         makeRay({0, 0, -1.01}, {0, 0, 1}),
         true,
         0.01,
         1,
         {0, 0, -1}},
        {"oblique", makeRay({0, 0.6, -5}, {0, 0, 1}), true, 4.2, 1, {0, 0.6, -0.8}},
        {"wide miss", makeRay({0, 2, -5}, {0, 0, 1}), false, 0, 0, {}},
    };
    for (const RayCase& c : cases) {
        checkRayCase(o, c);
    }
}

TEST_F(SphereTest, OffCentreHitAndNormal) {
    Object* o = makeSphere(1, -2, 3, 2);
    checkRayCase(o, {"along x", makeRay({-10, -2, 3}, {1, 0, 0}), true, 9, 1, {-1, 0, 0}});
    checkRayCase(o,
                 {"from inside along -y", makeRay({1, -2, 3}, {0, -1, 0}), true, 2, 0, {0, -1, 0}});
}

TEST_F(PlaneTest, ShapeDataAndExtents) {
    // A scene plane with normal (0, 1, 0) and distance -1: the plane y = -1.
    Object* o = makePlane(0, -1, 0, 1);
    EXPECT_EQ(o->shape.plane.normal.x, 0);
    EXPECT_EQ(o->shape.plane.normal.y, -1);
    EXPECT_EQ(o->shape.plane.normal.z, 0);
    EXPECT_EQ(o->shape.plane.planeConstant, -1);
    expectExtents(o, {-1e10, -1e10, -1e10}, {1e10, 1e10, 1e10}, 0);
}

TEST_F(PlaneTest, Rays) {
    Object* o = makePlane(0, -1, 0, 1);
    // Direction components along the normal just below and just above the tolerance.
    const double below = 0.0009;
    const double above = 0.0011;
    const RayCase cases[] = {
        {"along the normal", makeRay({0, 0, 0}, {0, -1, 0}), true, 1, 1, {0, -1, 0}},
        {"from behind", makeRay({0, -5, 0}, {0, 1, 0}), false, 0, 0, {}},
        {"plane behind the origin", makeRay({0, -2, 0}, {0, -1, 0}), false, 0, 0, {}},
        {"starting on the plane: t = 0 is a hit",
         makeRay({3, -1, 2}, {0, -1, 0}),
         true,
         0,
         1,
         {0, -1, 0}},
        {"parallel", makeRay({0, 0, 0}, {1, 0, 0}), false, 0, 0, {}},
        {"nearly parallel",
         makeRay({0, 0, 0}, {std::sqrt(1 - below * below), -below, 0}),
         false,
         0,
         0,
         {}},
        {"just steep enough",
         makeRay({0, 0, 0}, {std::sqrt(1 - above * above), -above, 0}),
         true,
         1 / above,
         1,
         {0, -1, 0}},
        {"oblique", makeRay({0, 0, 0}, {3, -4, 0}), true, 1.25, 1, {0, -1, 0}},
    };
    for (const RayCase& c : cases) {
        checkRayCase(o, c, 1e-9);
    }
}

TEST_F(PlaneTest, ConstantIsNotRescaledWithTheNormal) {
    // Normal of length 2, fourth argument -4: the unit normal (0, 1, 0) with y = -4.
    Object* o = makePlane(0, 2, 0, -4);
    EXPECT_EQ(o->shape.plane.normal.y, 1);
    EXPECT_EQ(o->shape.plane.planeConstant, 4);
    checkRayCase(o, {"from below", makeRay({0, -10, 0}, {0, 1, 0}), true, 6, 1, {0, 1, 0}});
    checkRayCase(o, {"above the plane", makeRay({0, 0, 0}, {0, 1, 0}), false, 0, 0, {}});
}

} // namespace
