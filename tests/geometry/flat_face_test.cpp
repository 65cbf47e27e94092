#include <cmath>
#include <initializer_list>

#include "geometry_fixture.h"

namespace {

using FlatFaceTest = GeometryTest;

Vector* vertexArray(std::initializer_list<Vector> vertices) {
    Vector* array = new Vector[vertices.size()];
    int k = 0;
    for (const Vector& v : vertices) {
        array[k++] = v;
    }
    return array;
}

Object* polygon(std::initializer_list<Vector> vertices) {
    return makePolygon(vertexArray(vertices), static_cast<int>(vertices.size()));
}

Object* unitTriangle() {
    return makeTriangle(vertexArray({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
}

Object* unitSquare() {
    return polygon({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
}

// A ray coming down on `target` in the plane z = 0 from 5 above it.
Ray down(double x, double y) {
    return rayTowards({x, y, 0}, {0, 0, -1}, 5);
}

struct PointCase {
    const char* name;
    double x;
    double y;
    bool hits;
};

void checkPoints(const Object* o, std::initializer_list<PointCase> cases) {
    for (const PointCase& c : cases) {
        checkRayCase(o, {c.name, down(c.x, c.y), c.hits, 5, 1, o->shape.polygon.normal});
    }
}

TEST_F(FlatFaceTest, TriangleShapeDataAndExtents) {
    Object* o = unitTriangle();
    const PolygonData& f = o->shape.polygon;
    expectVectorNear(f.normal, {0, 0, -1}, 0);
    EXPECT_EQ(f.uAxis, 0);
    EXPECT_EQ(f.vAxis, 1);
    EXPECT_EQ(f.planeConstant, 0);
    expectExtents(o, {-0.001, -0.001, -0.001}, {1.001, 1.001, 0.001}, 0);
}

TEST_F(FlatFaceTest, PolygonExtentsHaveNoMargin) {
    expectExtents(unitSquare(), {0, 0, 0}, {1, 1, 0}, 0);
    Object* slanted = polygon({{1, 2, 3}, {4, -1, 3}, {2, 5, 0}});
    expectExtents(slanted, {1, -1, 0}, {4, 5, 3}, 0);
    Object* triangle = makeTriangle(vertexArray({{1, 2, 3}, {4, -1, 3}, {2, 5, 0}}));
    expectExtents(triangle, {0.999, -1.001, -0.001}, {4.001, 5.001, 3.001}, 1e-15);
}

// The dropped coordinate is the largest of the face normal, ties settled x, then y.
TEST_F(FlatFaceTest, ProjectionAxes) {
    struct AxisCase {
        const char* name;
        Vector a, b, c;
        Vector normal;
        int uAxis, vAxis;
        double planeConstant;
    } cases[] = {
        {"normal -z", {0, 0, 2}, {1, 0, 2}, {0, 1, 2}, {0, 0, -1}, 0, 1, 2},
        {"normal -x", {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}, 1, 2, 0},
        {"normal -y", {0, 3, 0}, {0, 3, 1}, {1, 3, 0}, {0, -1, 0}, 0, 2, 3},
        {"tie x and y", {0, 0, 0}, {1, -1, 0}, {0, 0, 1}, {1, 1, 0}, 1, 2, 0},
        {"tie y and z", {0, 0, 0}, {0, 1, -1}, {1, 0, 0}, {0, 1, 1}, 0, 2, 0},
        {"tie x and z", {0, 0, 0}, {1, 0, -1}, {0, 1, 0}, {-1, 0, -1}, 1, 2, 0},
        {"all equal", {0, 0, 0}, {1, -1, 0}, {0, 1, -1}, {-1, -1, -1}, 1, 2, 0},
    };
    for (const AxisCase& c : cases) {
        SCOPED_TRACE(c.name);
        Vector expected = c.normal;
        VecNorm(expected);
        Object* o = makeTriangle(vertexArray({c.a, c.b, c.c}));
        const PolygonData& f = o->shape.polygon;
        expectVectorNear(f.normal, expected, 1e-15);
        EXPECT_EQ(f.uAxis, c.uAxis);
        EXPECT_EQ(f.vAxis, c.vAxis);
        EXPECT_NEAR(f.planeConstant, c.planeConstant, 1e-15);
    }
}

TEST_F(FlatFaceTest, TrianglePoints) {
    checkPoints(unitTriangle(),
                {
                    {"inside", 0.25, 0.25, true},
                    {"beyond the long edge", 0.75, 0.75, false},
                    // The long edge is crossed at larger u than the point: within 0.001
                    // of it the crossing is counted and the point is outside.
                    {"on the long edge", 0.5, 0.5, false},
                    {"closer to the long edge than the tolerance", 0.4, 0.5995, false},
                    {"just farther than the tolerance", 0.4, 0.598, true},
                    {"near the long edge", 0.5, 0.45, true},
                    {"on the edge at smaller u", 0, 0.5, false},
                    {"just inside the edge at smaller u", 0.0005, 0.5, true},
                    {"on the bottom edge", 0.2, 0, false},
                    {"just above the bottom edge", 0.2, 0.0005, true},
                    {"left of the triangle", -0.2, 0.5, false},
                });
}

TEST_F(FlatFaceTest, SquarePoints) {
    const PointCase cases[] = {
        {"inside", 0.5, 0.5, true},
        {"outside", 1.5, 0.5, false},
        {"on the edge at larger u", 1, 0.5, true},
        {"on the edge at smaller u", 0, 0.5, false},
        {"on the bottom edge", 0.5, 0, false},
        // Its ends lie on the point's line and count as above it.
        {"on the top edge", 0.5, 1, true},
    };
    for (const PointCase& c : cases) {
        checkPoints(unitSquare(), {c});
        // The winding changes the normal, not the outline.
        checkPoints(polygon({{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}}), {c});
    }
}

TEST_F(FlatFaceTest, ConcaveAndSelfIntersectingOutlinesFollowEvenOdd) {
    SCOPED_TRACE("L shape");
    checkPoints(polygon({{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}}),
                {
                    {"in the notch", 1.5, 1.5, false},
                    {"upper arm", 0.5, 1.5, true},
                    {"lower arm", 1.5, 0.5, true},
                });
    SCOPED_TRACE("bow tie");
    checkPoints(polygon({{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}}),
                {
                    {"left lobe", 0.1, 0.5, true},
                    {"right lobe", 0.9, 0.5, true},
                    {"between the lobes", 0.5, 0.9, false},
                });
}

// A vertex exactly on the point's line counts as above it, so it is crossed once.
TEST_F(FlatFaceTest, VertexOnThePointsLine) {
    checkPoints(polygon({{1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}}),
                {
                    {"centre, level with two vertices", 1, 1, true},
                    {"left half", 0.5, 1, true},
                    {"left of the left vertex", -0.5, 1, false},
                    {"right of the right vertex", 2.5, 1, false},
                });
}

TEST_F(FlatFaceTest, RaysAgainstTheFace) {
    const double below = 0.0009;
    const double above = 0.0011;
    const RayCase cases[] = {
        {"from above", makeRay({0.25, 0.25, 5}, {0, 0, -1}), true, 5, 1, {0, 0, -1}},
        {"from below: both faces", makeRay({0.25, 0.25, -5}, {0, 0, 1}), true, 5, 1, {0, 0, -1}},
        {"oblique", makeRay({0.25, 0.25 - 3, 4}, {0, 3, -4}), true, 5, 1, {0, 0, -1}},
        {"in the plane", makeRay({-1, 0.25, 0}, {1, 0, 0}), false, 0, 0, {}},
        {"nearly parallel", makeRay({0, 0.25, 0.25 * below}, {1, 0, -below}), false, 0, 0, {}},
        {"just steep enough",
         makeRay({0, 0.25, 0.25 * above}, {1, 0, -above}),
         true,
         std::sqrt(0.0625 + 0.0625 * above * above),
         1,
         {0, 0, -1}},
        {"face behind the origin", makeRay({0.25, 0.25, 5}, {0, 0, 1}), false, 0, 0, {}},
        {"starting on the face", makeRay({0.25, 0.25, 0}, {0, 0, -1}), false, 0, 0, {}},
        {"closer than the tolerance", makeRay({0.25, 0.25, 0.0005}, {0, 0, -1}), false, 0, 0, {}},
    };
    Object* shapes[] = {unitTriangle(), polygon({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})};
    for (const Object* o : shapes) {
        SCOPED_TRACE(o->kind == kTriangle ? "triangle" : "polygon");
        for (const RayCase& c : cases) {
            checkRayCase(o, c, 1e-12);
        }
    }
}

TEST_F(FlatFaceTest, FaceAcrossTheXAxis) {
    Object* o = makeTriangle(vertexArray({{0, 0, 0}, {0, 1, 0}, {0, 0, 1}}));
    checkRayCase(o, {"inside", makeRay({5, 0.25, 0.25}, {-1, 0, 0}), true, 5, 1, {-1, 0, 0}});
    checkRayCase(o, {"outside", makeRay({5, 0.75, 0.75}, {-1, 0, 0}), false, 0, 0, {}});
}

} // namespace
