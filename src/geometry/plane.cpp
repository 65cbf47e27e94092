#include <cstdio>

#include "driver/scene_state.h"
#include "geometry/object.h"

namespace {

constexpr ObjectOps kPlaneOps = {planePrint, planeNormal, planeIntersect};

} // namespace

Object* makePlane(double x, double y, double z, double d) {
    Object* record = allocateObject(kPlane, kPlaneOps);
    if (record == nullptr) {
        return nullptr;
    }
    PlaneData& p = record->shape.plane;
    // The constant is not rescaled by the normal's length.
    p.planeConstant = -d;
    p.normal = {x, y, z};
    VecNorm(p.normal);

    // Unbounded: the box test never prunes a plane.
    for (int i = 0; i < 3; ++i) {
        record->lowerExtent[i] = -kInfinity;
        record->upperExtent[i] = kInfinity;
    }

    addToList(&myObjectList, record);
    ++nPrims;
    return record;
}

// One-sided: only rays travelling along the normal are accepted. The lower bound on t
// is 0, so a ray starting on the plane and leaving along the normal hits it at t = 0.
int planeIntersect(const Object* object, const Ray& ray, Hit& hit) {
    const PlaneData& p = object->shape.plane;
    double denom = dot(p.normal, ray.direction);
    // !(x >= c) rather than x < c: a NaN is a miss.
    if (!(denom >= kEpsilon)) {
        return 0;
    }
    double t = -(dot(p.normal, ray.origin) + p.planeConstant) / denom;
    if (!(t >= 0)) {
        return 0;
    }
    hit.object = object;
    hit.enter = 1;
    hit.t = t;
    return 1;
}

Vector planeNormal(const Object* object, const Vector&) {
    return object->shape.plane.normal;
}

void planePrint(const Object* object) {
    const PlaneData& p = object->shape.plane;
    std::printf("Plane: Nx = %g, Ny = %g, Nz = %g, D = %g\n", p.normal.x, p.normal.y, p.normal.z,
                p.planeConstant);
}
