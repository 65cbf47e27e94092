#include <cmath>
#include <cstring>
#include <string>

#include "geometry_fixture.h"

namespace {

using PatchTest = GeometryTest;

struct PatchInput {
    Vector v0, n0, v1, n1, v2, n2;
};

Object* patch(PatchInput in) {
    Vector data[6] = {in.v0, in.n0, in.v1, in.n1, in.v2, in.n2};
    return makePatch(data);
}

Vector unit(Vector v) {
    VecNorm(v);
    return v;
}

const Vector kZ = {0, 0, 1};

Object* flatPatch() {
    return patch({{0, 0, 0}, kZ, {1, 0, 0}, kZ, {0, 1, 0}, kZ});
}

Object* bentPatch() {
    return patch({{0, 0, 0}, kZ, {1, 0, 0}, {1, 0, 1}, {0, 1, 0}, {0, 1, 1}});
}

// The normal a patch should have at the point with weights (alpha, beta, gamma).
Vector blend(const Object* o, double alpha, double beta, double gamma) {
    const Vector* n = o->shape.patch.vertexNormals;
    return unit({alpha * n[0].x + beta * n[1].x + gamma * n[2].x,
                 alpha * n[0].y + beta * n[1].y + gamma * n[2].y,
                 alpha * n[0].z + beta * n[1].z + gamma * n[2].z});
}

Ray down(double x, double y) {
    return rayTowards({x, y, 0}, {0, 0, -1}, 5);
}

TEST_F(PatchTest, ShapeDataAndExtents) {
    Vector data[6] = {{0, 0, 0}, {0, 0, 3}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 2, 2}};
    Object* o = makePatch(data);
    const PatchData& p = o->shape.patch;
    expectVectorNear(p.vertices[0], {0, 0, 0}, 0);
    expectVectorNear(p.vertices[1], {1, 0, 0}, 0);
    expectVectorNear(p.vertices[2], {0, 1, 0}, 0);
    // Turned to the face's side, then normalised; the buffer keeps the turned normals.
    expectVectorNear(p.vertexNormals[0], {0, 0, 1}, 0);
    expectVectorNear(p.vertexNormals[1], {0, 0, 1}, 0);
    expectVectorNear(p.vertexNormals[2], {0, std::sqrt(0.5), std::sqrt(0.5)}, 1e-15);
    expectVectorNear(data[3], {0, 0, 1}, 0);
    expectVectorNear(data[1], {0, 0, 3}, 0);
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        expectVectorNear(p.inverseBasis[r],
                         {r == 0 ? 1.0 : 0.0, r == 1 ? 1.0 : 0.0, r == 2 ? 1.0 : 0.0}, 0);
    }
    expectExtents(o, {-0.001, -0.001, -0.001}, {1.001, 1.001, 0.001}, 0);
}

TEST_F(PatchTest, InverseBasisRows) {
    struct BasisCase {
        const char* name;
        Vector v0, v1, v2;
        Vector b0, b1; // expected rows; not checked when b0 is all zero
    } cases[] = {
        {"stretched", {0, 0, 0}, {2, 0, 0}, {0, 4, 0}, {0.5, 0, 0}, {0, 0.25, 0}},
        {"shifted", {1, 1, 1}, {3, 1, 1}, {1, 5, 1}, {0.5, 0, 0}, {0, 0.25, 0}},
        {"sheared", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, -1, 0}, {0, 1, 0}},
        {"tilted", {1, 2, 3}, {2, 0, 4}, {-1, 3, 5}, {}, {}},
        {"reversed order", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}},
    };
    for (const BasisCase& c : cases) {
        SCOPED_TRACE(c.name);
        Object* o = patch({c.v0, kZ, c.v1, kZ, c.v2, kZ});
        const Vector* rows = o->shape.patch.inverseBasis;
        Vector e1 = c.v1 - c.v0;
        Vector e2 = c.v2 - c.v0;
        Vector n = unit(cross(e1, e2));
        EXPECT_NEAR(dot(e1, rows[0]), 1, 1e-12);
        EXPECT_NEAR(dot(e2, rows[0]), 0, 1e-12);
        EXPECT_NEAR(dot(n, rows[0]), 0, 1e-12);
        EXPECT_NEAR(dot(e1, rows[1]), 0, 1e-12);
        EXPECT_NEAR(dot(e2, rows[1]), 1, 1e-12);
        EXPECT_NEAR(dot(n, rows[1]), 0, 1e-12);
        expectVectorNear(rows[2], n, 1e-12);
        if (c.b0.x != 0 || c.b0.y != 0 || c.b0.z != 0) {
            expectVectorNear(rows[0], c.b0, 1e-15);
            expectVectorNear(rows[1], c.b1, 1e-15);
        }
    }
}

TEST_F(PatchTest, InvertMatrixWritesTheTransposedInverse) {
    struct MatrixCase {
        const char* name;
        Vector m[3];
        Vector expected[3];
    } cases[] = {
        {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {"diagonal", {{2, 0, 0}, {0, 4, 0}, {0, 0, 8}}, {{0.5, 0, 0}, {0, 0.25, 0}, {0, 0, 0.125}}},
        // Inverse [[1, -2, 0], [0, 1, 0], [0, 0, 1]], stored transposed.
        {"upper shear", {{1, 2, 0}, {0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {-2, 1, 0}, {0, 0, 1}}},
        {"permutation", {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}},
        {"general", {{2, -1, 0}, {1, 3, 2}, {0, 1, 4}}, {}},
    };
    for (const MatrixCase& c : cases) {
        SCOPED_TRACE(c.name);
        Vector result[3];
        invertMatrix(c.m, result);
        // Row i of the matrix against row j of the result: the identity.
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                EXPECT_NEAR(dot(c.m[i], result[j]), i == j ? 1 : 0, 1e-14) << i << ", " << j;
            }
        }
        if (std::string(c.name) != "general") {
            for (int r = 0; r < 3; ++r) {
                expectVectorNear(result[r], c.expected[r], 0);
            }
        }
    }
}

TEST_F(PatchTest, SingularMatrixGivesNonFiniteEntries) {
    const Vector m[3] = {{1, 2, 3}, {2, 4, 6}, {0, 0, 1}};
    Vector result[3];
    invertMatrix(m, result);
    for (const Vector& row : result) {
        EXPECT_FALSE(std::isfinite(row.x));
        EXPECT_FALSE(std::isfinite(row.y));
        EXPECT_FALSE(std::isfinite(row.z));
    }
}

TEST_F(PatchTest, CheckPatchTurnsNormalsToTheFace) {
    const Vector up = {0, 0, 1};
    const Vector downwards = {0, 0, -1};
    struct TurnCase {
        const char* name;
        Vector v1, v2;
        Vector faceSide; // a normal on the side of (V1 - V0) x (V2 - V0)
        Vector given;
        Vector turned;
    } cases[] = {
        {"already on the face's side", {1, 0, 0}, {0, 1, 0}, up, {0, 0, 1}, {0, 0, 1}},
        {"against the face", {1, 0, 0}, {0, 1, 0}, up, {0, 0, -1}, {0, 0, 1}},
        {"slanted against the face", {1, 0, 0}, {0, 1, 0}, up, {0.3, 0.2, -0.5}, {-0.3, -0.2, 0.5}},
        {"slanted with the face", {1, 0, 0}, {0, 1, 0}, up, {0.3, 0.2, 0.5}, {0.3, 0.2, 0.5}},
        {"at right angles", {1, 0, 0}, {0, 1, 0}, up, {1, 0, 0}, {-1, 0, 0}},
        {"reversed vertex order", {0, 1, 0}, {1, 0, 0}, downwards, {0, 0, 1}, {0, 0, -1}},
    };
    for (const TurnCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Each normal slot is turned on its own; the others stay as they are.
        for (int slot = 1; slot < 6; slot += 2) {
            SCOPED_TRACE("slot " + std::to_string(slot));
            Vector data[6] = {{0, 0, 0}, c.faceSide, c.v1, c.faceSide, c.v2, c.faceSide};
            data[slot] = c.given;
            checkPatch(data);
            for (int k = 1; k < 6; k += 2) {
                expectVectorNear(data[k], k == slot ? c.turned : c.faceSide, 0);
            }
            expectVectorNear(data[0], {0, 0, 0}, 0);
            expectVectorNear(data[2], c.v1, 0);
            expectVectorNear(data[4], c.v2, 0);
        }
    }
}

TEST_F(PatchTest, Rays) {
    Object* o = flatPatch();
    const RayCase cases[] = {
        {"inside", down(0.25, 0.25), true, 5, 1, kZ},
        {"from below: both faces", makeRay({0.25, 0.25, -5}, {0, 0, 1}), true, 5, 1, kZ},
        {"on the edge V1 V2", down(0.5, 0.5), true, 5, 1, kZ},
        {"beyond the edge V1 V2", down(0.6, 0.5), false, 0, 0, {}},
        {"just beyond the edge V1 V2", down(0.5, 0.5 + 1e-9), false, 0, 0, {}},
        {"on the edge V0 V1", down(0.5, 0), true, 5, 1, kZ},
        {"just beyond the edge V0 V1", down(0.5, -1e-9), false, 0, 0, {}},
        {"on the edge V0 V2", down(0, 0.5), true, 5, 1, kZ},
        {"just beyond the edge V0 V2", down(-1e-9, 0.5), false, 0, 0, {}},
        {"corner V0", down(0, 0), true, 5, 1, kZ},
        {"corner V1", down(1, 0), true, 5, 1, kZ},
        {"corner V2", down(0, 1), true, 5, 1, kZ},
        {"oblique", makeRay({0.25, 0.25 - 3, 4}, {0, 3, -4}), true, 5, 1, kZ},
        {"parallel", makeRay({-1, 0.25, 0}, {1, 0, 0}), false, 0, 0, {}},
        {"nearly parallel", makeRay({0, 0.25, 0.25 * 0.0009}, {1, 0, -0.0009}), false, 0, 0, {}},
        {"face behind the origin", makeRay({0.25, 0.25, 5}, {0, 0, 1}), false, 0, 0, {}},
        {"closer than the tolerance", makeRay({0.25, 0.25, 0.0005}, {0, 0, -1}), false, 0, 0, {}},
    };
    for (const RayCase& c : cases) {
        checkRayCase(o, c);
    }
}

TEST_F(PatchTest, NormalIsInterpolatedAtTheHit) {
    Object* o = bentPatch();
    const double c = std::sqrt(0.5);
    const RayCase cases[] = {
        {"weights 0.5, 0.25, 0.25", down(0.25, 0.25), true, 5, 1,
         unit({0.25 * c, 0.25 * c, 0.5 + 0.5 * c})},
        {"on the edge V1 V2: no weight for V0", down(0.5, 0.5), true, 5, 1, unit({0.5, 0.5, 1})},
        {"at V1", down(1, 0), true, 5, 1, {c, 0, c}},
        {"at V0", down(0, 0), true, 5, 1, kZ},
    };
    for (const RayCase& rc : cases) {
        checkRayCase(o, rc, 1e-14);
    }
}

// The normal depends only on the point asked about: hits on the same patch between
// the intersection and the normal query do not change it, and nothing is written into
// the record while rendering.
TEST_F(PatchTest, NormalBelongsToThePointAndTheRecordStaysUntouched) {
    Object* o = bentPatch();
    PatchData before;
    std::memcpy(&before, &o->shape.patch, sizeof before);

    Ray first = down(0.25, 0.25);
    Ray second = down(0.1, 0.7);
    Hit hitFirst{};
    Hit hitSecond{};
    ASSERT_EQ(o->intersectOp(o, first, hitFirst), 1);
    ASSERT_EQ(o->intersectOp(o, second, hitSecond), 1);
    Vector secondNormal = o->normalOp(o, pointAt(second, hitSecond.t));
    Vector firstNormal = o->normalOp(o, pointAt(first, hitFirst.t));
    expectVectorNear(firstNormal, blend(o, 0.5, 0.25, 0.25), 1e-14);
    expectVectorNear(secondNormal, blend(o, 0.2, 0.1, 0.7), 1e-14);
    EXPECT_EQ(std::memcmp(&before, &o->shape.patch, sizeof before), 0);
}

} // namespace
