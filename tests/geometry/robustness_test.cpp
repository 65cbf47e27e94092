#include <cmath>
#include <functional>
#include <limits>

#include "geometry_fixture.h"

// Degenerate shapes get non-finite data and a broken ray may carry NaN components;
// neither may produce a hit (a hit at a NaN distance would reach the traversal).

namespace {

using RobustnessTest = GeometryTest;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct MakeCase {
    const char* name;
    std::function<Object*()> make;
};

Vector* array3(Vector a, Vector b, Vector c) {
    return new Vector[3]{a, b, c};
}

Object* patchOf(Vector a, Vector b, Vector c) {
    Vector data[6] = {a, {0, 0, 1}, b, {0, 0, 1}, c, {0, 0, 1}};
    return makePatch(data);
}

// Rays from all around the origin, where the degenerate shapes sit.
void expectNoHitFromAround(const Object* o) {
    const Vector origins[] = {{0, 0, 5}, {0, 0, -5}, {5, 0, 0}, {0, 5, 0}, {0.3, 0.2, 4}};
    for (const Vector& origin : origins) {
        for (const Vector& target : {Vector{0, 0, 0}, Vector{0.25, 0.25, 0}, Vector{1, 0, 0}}) {
            Ray ray = makeRay(origin, target - origin);
            Hit hit{};
            EXPECT_EQ(o->intersectOp(o, ray, hit), 0);
        }
    }
}

TEST_F(RobustnessTest, DegenerateShapesAreNeverHit) {
    const MakeCase cases[] = {
        {"plane with a zero normal", [] { return makePlane(0, 0, 0, 1); }},
        {"ring with a zero normal",
         [] {
             return makeRing({0, 0, 0}, {0, 0, 0}, 0, 2);
         }},
        {"cone with cap at base",
         [] {
             return makeCone({0, 0, 0}, 1, {0, 0, 0}, 2);
         }},
        {"triangle with collinear vertices",
         [] {
             return makeTriangle(array3({0, 0, 0}, {1, 0, 0}, {2, 0, 0}));
         }},
        {"polygon with coinciding vertices",
         [] {
             return makePolygon(new Vector[4]{{0, 0, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}}, 4);
         }},
        {"patch with collinear vertices",
         [] {
             return patchOf({0, 0, 0}, {1, 0, 0}, {2, 0, 0});
         }},
        {"patch with coinciding vertices",
         [] {
             return patchOf({0, 0, 0}, {0, 0, 0}, {0, 1, 0});
         }},
    };
    for (const MakeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Object* o = c.make();
        ASSERT_NE(o, nullptr);
        expectNoHitFromAround(o);
    }
}

TEST_F(RobustnessTest, RaysWithNaNComponentsAreNeverHit) {
    struct ShapeCase {
        const char* name;
        std::function<Object*()> make;
        Ray hitting; // a finite ray that does hit the shape
    } shapes[] = {
        {"sphere", [] { return makeSphere(0, 0, 0, 1); }, makeRay({0, 0.1, 5}, {0, 0, -1})},
        {"plane", [] { return makePlane(0, 0, -1, 0); }, makeRay({0, 0.1, 5}, {0, 0, -1})},
        {"cone",
         [] {
             return makeCone({0, 0, -1}, 1, {0, 0, 1}, 0.5);
         },
         makeRay({0.1, 0.1, -0.5}, {1, 0, 0})},
        {"ring",
         [] {
             return makeRing({0, 0, 0}, {0, 0, 1}, 0, 1);
         },
         makeRay({0, 0.1, 5}, {0, 0, -1})},
        {"polygon",
         [] {
             return makePolygon(new Vector[4]{{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}, 4);
         },
         makeRay({0, 0.1, 5}, {0, 0, -1})},
        {"triangle",
         [] {
             return makeTriangle(array3({-1, -1, 0}, {1, -1, 0}, {0, 1, 0}));
         },
         makeRay({0, 0.1, 5}, {0, 0, -1})},
        {"patch",
         [] {
             return patchOf({-1, -1, 0}, {1, -1, 0}, {0, 1, 0});
         },
         makeRay({0, 0.1, 5}, {0, 0, -1})},
    };
    for (const ShapeCase& s : shapes) {
        SCOPED_TRACE(s.name);
        Object* o = s.make();
        Hit hit{};
        EXPECT_EQ(o->intersectOp(o, s.hitting, hit), 1);
        const Ray nanRays[] = {
            {{kNaN, s.hitting.origin.y, s.hitting.origin.z}, s.hitting.direction},
            {s.hitting.origin, {kNaN, kNaN, kNaN}},
            {s.hitting.origin, {s.hitting.direction.x, kNaN, s.hitting.direction.z}},
        };
        for (std::size_t k = 0; k < std::size(nanRays); ++k) {
            SCOPED_TRACE(testing::Message() << "ray " << k);
            EXPECT_EQ(o->intersectOp(o, nanRays[k], hit), 0);
        }
    }
}

} // namespace
