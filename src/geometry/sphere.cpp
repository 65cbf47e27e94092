#include <cmath>
#include <cstdio>

#include "driver/scene_state.h"
#include "geometry/object.h"

namespace {

constexpr ObjectOps kSphereOps = {spherePrint, sphereNormal, sphereIntersect};

} // namespace

Object* makeSphere(double x, double y, double z, double radius) {
    Object* record = allocateObject(kSphere, kSphereOps);
    if (record == nullptr) {
        return nullptr;
    }
    SphereData& s = record->shape.sphere;
    s.center = {x, y, z};
    s.radius = radius;
    s.radiusSquared = radius * radius;

    // A negative radius describes the same sphere as its absolute value.
    for (int i = 0; i < 3; ++i) {
        double mid = dot(s.center, Slab[i]);
        if (radius < 0) {
            record->lowerExtent[i] = mid + radius;
            record->upperExtent[i] = mid - radius;
        } else {
            record->lowerExtent[i] = mid - radius;
            record->upperExtent[i] = mid + radius;
        }
    }

    addToList(&myObjectList, record);
    ++nPrims;
    return record;
}

// Relies on the unit direction: no division by direction . direction.
int sphereIntersect(const Object* object, const Ray& ray, Hit& hit) {
    const SphereData& s = object->shape.sphere;
    Vector l = s.center - ray.origin;
    double b = dot(l, ray.direction);
    double l2 = dot(l, l);
    double disc = b * b - l2 + s.radiusSquared;
    // Tests written as !(x >= c): the same as x < c, but a NaN from a degenerate record
    // or ray is a miss rather than a hit at a NaN distance.
    if (!(disc >= 0)) {
        return 0;
    }
    double root = std::sqrt(disc);
    double t = b - root;
    if (!(t >= kEpsilon)) {
        t = b + root;
    }
    if (!(t >= kEpsilon)) {
        return 0;
    }
    hit.object = object;
    hit.t = t;
    // Decided by where the origin lies, not by the root taken: an origin on the
    // surface counts as inside.
    hit.enter = l2 > s.radiusSquared + kEpsilon ? 1 : 0;
    return 1;
}

Vector sphereNormal(const Object* object, const Vector& point) {
    Vector n = point - object->shape.sphere.center;
    VecNorm(n);
    return n;
}

void spherePrint(const Object* object) {
    const SphereData& s = object->shape.sphere;
    std::printf("Sphere: Cx = %g, Cy = %g, Cz = %g, R = %g\n", s.center.x, s.center.y, s.center.z,
                s.radius);
}
