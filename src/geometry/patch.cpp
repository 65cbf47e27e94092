#include <cmath>
#include <cstdio>

#include "driver/scene_state.h"
#include "geometry/object.h"

namespace {

constexpr ObjectOps kPatchOps = {patchPrint, patchNormal, patchIntersect};

} // namespace

// `data`: V0, N0, V1, N1, V2, N2. A normal at right angles to the face is turned too.
void checkPatch(Vector* data) {
    Vector face = cross(data[0] - data[2], data[0] - data[4]);
    for (int k = 1; k < 6; k += 2) {
        if (dot(face, data[k]) <= 0) {
            data[k] = -data[k];
        }
    }
}

// Writes the cofactor matrix divided by the determinant: the transpose of the inverse,
// so row i of `result` is column i of the inverse. A singular matrix gives non-finite
// entries.
void invertMatrix(const Vector matrix[3], Vector result[3]) {
    double m00 = matrix[0].x, m01 = matrix[0].y, m02 = matrix[0].z;
    double m10 = matrix[1].x, m11 = matrix[1].y, m12 = matrix[1].z;
    double m20 = matrix[2].x, m21 = matrix[2].y, m22 = matrix[2].z;

    result[0] = {m11 * m22 - m12 * m21, -(m10 * m22 - m12 * m20), m10 * m21 - m11 * m20};
    result[1] = {-(m01 * m22 - m02 * m21), m00 * m22 - m02 * m20, -(m00 * m21 - m01 * m20)};
    result[2] = {m01 * m12 - m02 * m11, -(m00 * m12 - m02 * m10), m00 * m11 - m01 * m10};

    double det = m00 * m11 * m22 + m01 * m12 * m20 + m02 * m10 * m21 - m02 * m11 * m20 -
                 m00 * m12 * m21 - m01 * m10 * m22;
    double scale = 1 / det;
    for (int r = 0; r < 3; ++r) {
        result[r] = scale * result[r];
    }
}

Object* makePatch(Vector* data) {
    checkPatch(data);
    Object* record = allocateObject(kPatch, kPatchOps);
    if (record == nullptr) {
        return nullptr;
    }
    PatchData& p = record->shape.patch;
    for (int k = 0; k < 3; ++k) {
        p.vertices[k] = data[2 * k];
        p.vertexNormals[k] = data[2 * k + 1];
        VecNorm(p.vertexNormals[k]);
    }

    // Rows b0 and b1 of the inverse give the weights of V1 and V2 of a point in the
    // plane; row 2 is the unit face normal.
    Vector e1 = p.vertices[1] - p.vertices[0];
    Vector e2 = p.vertices[2] - p.vertices[0];
    Vector n = cross(e1, e2);
    VecNorm(n);
    const Vector basis[3] = {e1, e2, n};
    invertMatrix(basis, p.inverseBasis);

    for (int i = 0; i < 3; ++i) {
        double lower = kInfinity;
        double upper = -kInfinity;
        for (int k = 0; k < 3; ++k) {
            double d = dot(Slab[i], p.vertices[k]);
            if (d < lower) {
                lower = d;
            }
            if (d > upper) {
                upper = d;
            }
        }
        record->lowerExtent[i] = lower - kEpsilon;
        record->upperExtent[i] = upper + kEpsilon;
    }

    addToList(&myObjectList, record);
    ++nPrims;
    return record;
}

// Both faces are hit; points on the edges and corners are inside.
int patchIntersect(const Object* object, const Ray& ray, Hit& hit) {
    const PatchData& p = object->shape.patch;
    const Vector& n = p.inverseBasis[2];
    double denom = dot(ray.direction, n);
    // Tests written as !(x >= c): the same as x < c, but a NaN from degenerate vertices
    // is a miss.
    if (!(std::fabs(denom) >= kEpsilon)) {
        return 0;
    }
    double t = dot(p.vertices[0] - ray.origin, n) / denom;
    if (!(t >= kEpsilon)) {
        return 0;
    }
    Vector r = ray.origin + t * ray.direction - p.vertices[0];
    double beta = dot(r, p.inverseBasis[0]);
    if (!(beta >= 0)) {
        return 0;
    }
    double gamma = dot(r, p.inverseBasis[1]);
    if (!(gamma >= 0)) {
        return 0;
    }
    if (!(beta + gamma <= 1)) {
        return 0;
    }
    hit.enter = 1;
    hit.t = t;
    hit.object = object;
    return 1;
}

// Interpolated from the point itself rather than remembered from the intersection:
// render threads share the record, so nothing may be stored in it while rendering.
Vector patchNormal(const Object* object, const Vector& point) {
    const PatchData& p = object->shape.patch;
    Vector r = point - p.vertices[0];
    double beta = dot(r, p.inverseBasis[0]);
    double gamma = dot(r, p.inverseBasis[1]);
    double alpha = 1 - beta - gamma;
    Vector n = alpha * p.vertexNormals[0] + beta * p.vertexNormals[1] + gamma * p.vertexNormals[2];
    VecNorm(n);
    return n;
}

void patchPrint(const Object*) {
    std::printf("patch\n");
}
