#include <cmath>

#include "geometry_fixture.h"

namespace {

using RingTest = GeometryTest;

TEST_F(RingTest, ShapeData) {
    Object* o = makeRing({1, 2, 3}, {0, 2, 0}, 1, 2);
    const RingData& r = o->shape.ring;
    expectVectorNear(r.normal, {0, 1, 0}, 0);
    EXPECT_EQ(r.planeConstant, -2);
    EXPECT_EQ(r.internalRadiusSquared, 1);
    EXPECT_EQ(r.externalRadiusSquared, 4);
}

TEST_F(RingTest, Extents) {
    const double s = std::sqrt(0.5);
    struct ExtentCase {
        const char* name;
        Vector center;
        Vector normal;
        double external;
        Vector lower;
        Vector upper;
    } cases[] = {
        {"normal along y", {1, 2, 3}, {0, 1, 0}, 2, {-1, 2, 1}, {3, 2, 5}},
        {"normal along -z", {0, 0, 0}, {0, 0, -5}, 1, {-1, -1, 0}, {1, 1, 0}},
        {"tilted normal", {0, 0, 0}, {1, 1, 0}, 1, {-s, -s, -1}, {s, s, 1}},
    };
    for (const ExtentCase& e : cases) {
        SCOPED_TRACE(e.name);
        Object* o = makeRing(e.center, e.normal, 0.5, e.external);
        expectExtents(o, e.lower, e.upper, 1e-12);
    }
}

TEST_F(RingTest, Rays) {
    Object* o = makeRing({0, 0, 0}, {0, 1, 0}, 1, 2);
    const RayCase cases[] = {
        {"from above", makeRay({1.5, 5, 0}, {0, -1, 0}), true, 5, 1, {0, 1, 0}},
        {"from below: two-sided", makeRay({1.5, -5, 0}, {0, 1, 0}), true, 5, 1, {0, 1, 0}},
        {"through the hole", makeRay({0.5, 5, 0}, {0, -1, 0}), false, 0, 0, {}},
        {"outside", makeRay({2.5, 5, 0}, {0, -1, 0}), false, 0, 0, {}},
        {"on the external circle", makeRay({2, 5, 0}, {0, -1, 0}), true, 5, 1, {0, 1, 0}},
        {"on the internal circle", makeRay({0, 5, -1}, {0, -1, 0}), true, 5, 1, {0, 1, 0}},
        {"just outside the external circle",
         makeRay({2.000001, 5, 0}, {0, -1, 0}),
         false,
         0,
         0,
         {}},
        {"just inside the internal circle", makeRay({0.999999, 5, 0}, {0, -1, 0}), false, 0, 0, {}},
        {"parallel", makeRay({0, 1, 0}, {1, 0, 0}), false, 0, 0, {}},
        {"in the plane", makeRay({-5, 0, 0}, {1, 0, 0}), false, 0, 0, {}},
        // No tolerance for nearly parallel rays, unlike the flat faces.
        {"nearly parallel",
         makeRay({0, 1.5e-4, 0}, {1, -1e-4, 0}),
         true,
         std::sqrt(2.25 + 2.25e-8),
         1,
         {0, 1, 0}},
        {"plane behind the origin", makeRay({1.5, 5, 0}, {0, 1, 0}), false, 0, 0, {}},
        {"starting on the ring", makeRay({1.5, 0, 0}, {0, -1, 0}), false, 0, 0, {}},
        {"closer than the tolerance", makeRay({1.5, 0.0005, 0}, {0, -1, 0}), false, 0, 0, {}},
        {"oblique", makeRay({0, 4, -1.5}, {0, -4, 3}), true, 5, 1, {0, 1, 0}},
    };
    for (const RayCase& c : cases) {
        checkRayCase(o, c, 1e-9);
    }
}

TEST_F(RingTest, DiscIsHitAtItsCentre) {
    Object* o = makeRing({1, 1, 1}, {0, 0, 3}, 0, 1);
    checkRayCase(o, {"at the centre", makeRay({1, 1, -4}, {0, 0, 1}), true, 5, 1, {0, 0, 1}});
    checkRayCase(o, {"off the edge", makeRay({2.5, 1, -4}, {0, 0, 1}), false, 0, 0, {}});
}

} // namespace
