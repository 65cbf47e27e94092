#include <cstdio>
#include <functional>
#include <string>

#include "geometry_fixture.h"

namespace {

Vector* unitTriangle() {
    return new Vector[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
}

struct KindCase {
    const char* name;
    std::function<Object*()> make;
    int kind;
    ObjectOps ops;
    std::string printed;
};

const KindCase kKinds[] = {
    {"sphere",
     [] { return makeSphere(1, -2.5, 3, 0.25); },
     kSphere,
     {spherePrint, sphereNormal, sphereIntersect},
     "Sphere: Cx = 1, Cy = -2.5, Cz = 3, R = 0.25\n"},
    {"plane",
     [] { return makePlane(0, -1, 0, 1); },
     kPlane,
     {planePrint, planeNormal, planeIntersect},
     "Plane: Nx = 0, Ny = -1, Nz = 0, D = -1\n"},
    {"cone",
     [] {
         return makeCone({0, 0, 0}, 1, {0, 2, 0}, 0.5);
     },
     kCone,
     {conePrint, coneNormal, coneIntersect},
     "Cone: 0 0 0 1 0 2 0 0.5\n"},
    {"ring",
     [] {
         return makeRing({1, 2, 3}, {0, 2, 0}, 1, 2);
     },
     kRing,
     {ringPrint, ringNormal, ringIntersect},
     "Ring: Nx = 0, Ny = 1, Nz = 0\n Cx = 1, Cy = 2, Cz = 3\n"},
    {"polygon",
     [] { return makePolygon(unitTriangle(), 3); },
     kPolygon,
     {polygonPrint, polygonNormal, polygonIntersect},
     "polygon\n"},
    {"triangle",
     [] { return makeTriangle(unitTriangle()); },
     kTriangle,
     {trianglePrint, triangleNormal, triangleIntersect},
     "triangle\n"},
    {"patch",
     [] {
         Vector data[6] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 0, 1}};
         return makePatch(data);
     },
     kPatch,
     {patchPrint, patchNormal, patchIntersect},
     "patch\n"},
};

using ConstructorProtocolTest = GeometryTest;

TEST_F(ConstructorProtocolTest, EveryKindLabelsFillsSlotsAndIsPushedInFront) {
    Object* previous = makeSphere(0, 0, 0, 1);
    long count = nPrims;
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.name);
        Object* o = k.make();
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->kind, k.kind);
        EXPECT_EQ(o->printOp, k.ops.print);
        EXPECT_EQ(o->normalOp, k.ops.normal);
        EXPECT_EQ(o->intersectOp, k.ops.intersect);
        EXPECT_EQ(myObjectList, o);
        EXPECT_EQ(o->next, previous);
        EXPECT_EQ(nPrims, ++count);
        // Left to the caller: setSurfaceAttrib and, for bounding nodes, the hierarchy.
        EXPECT_EQ(o->children, nullptr);
        EXPECT_EQ(o->surfaceAttrib.color.red, 0);
        EXPECT_EQ(o->surfaceAttrib.refraction_index, 0);
        previous = o;
    }
    EXPECT_EQ(freeList(&myObjectList), 1 + static_cast<int>(std::size(kKinds)));
}

TEST_F(ConstructorProtocolTest, RecordsStandInReverseOrderOfMaking) {
    Object* first = makeSphere(0, 0, 0, 1);
    Object* second = makePlane(0, 1, 0, 0);
    Object* third = makeRing({0, 0, 0}, {0, 1, 0}, 0, 1);
    EXPECT_EQ(myObjectList, third);
    EXPECT_EQ(third->next, second);
    EXPECT_EQ(second->next, first);
    EXPECT_EQ(first->next, nullptr);
    EXPECT_EQ(nPrims, 3);
}

TEST_F(ConstructorProtocolTest, PrintFormats) {
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.name);
        Object* o = k.make();
        testing::internal::CaptureStdout();
        o->printOp(o);
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), k.printed);
    }
}

TEST_F(ConstructorProtocolTest, PrintUsesShortestGeneralFormat) {
    Object* sphere = makeSphere(1e-7, 123456789, -0.5, -2);
    Object* plane = makePlane(3, 0, 4, -2.5);
    Object* cone = makeCone({1.5, -2, 1e6}, 0.125, {1.5, -2, 1e6 + 4}, 3);
    testing::internal::CaptureStdout();
    sphere->printOp(sphere);
    plane->printOp(plane);
    cone->printOp(cone);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Sphere: Cx = 1e-07, Cy = 1.23457e+08, Cz = -0.5, R = -2\n"
              "Plane: Nx = 0.6, Ny = 0, Nz = 0.8, D = 2.5\n"
              "Cone: 1.5 -2 1e+06 0.125 1.5 -2 1e+06 3\n");
}

} // namespace
