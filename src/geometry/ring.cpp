#include <cmath>
#include <cstdio>

#include "driver/scene_state.h"
#include "geometry/object.h"

namespace {

constexpr ObjectOps kRingOps = {ringPrint, ringNormal, ringIntersect};

} // namespace

Object* makeRing(Vector center, Vector normal, double internal, double external) {
    Object* record = allocateObject(kRing, kRingOps);
    if (record == nullptr) {
        return nullptr;
    }
    RingData& r = record->shape.ring;
    r.center = center;
    r.normal = normal;
    VecNorm(r.normal);
    r.internalRadiusSquared = internal * internal;
    r.externalRadiusSquared = external * external;
    r.planeConstant = -dot(r.center, r.normal);

    // s is how much the external circle projects onto the slab direction; no margin,
    // so along the normal both extents are the centre's coordinate.
    for (int i = 0; i < 3; ++i) {
        double along = dot(Slab[i], r.normal);
        double s = std::sqrt(1 - along * along);
        double m = component(center, i);
        record->lowerExtent[i] = m - external * s;
        record->upperExtent[i] = m + external * s;
    }

    addToList(&myObjectList, record);
    ++nPrims;
    return record;
}

// Two-sided, and only an exactly parallel ray is refused.
int ringIntersect(const Object* object, const Ray& ray, Hit& hit) {
    const RingData& r = object->shape.ring;
    double denom = dot(r.normal, ray.direction);
    if (denom == 0) {
        return 0;
    }
    double t = -(dot(r.normal, ray.origin) + r.planeConstant) / denom;
    // !(x >= c) rather than x < c: a NaN (a zero normal) is a miss.
    if (!(t >= kEpsilon)) {
        return 0;
    }
    Vector p = ray.origin + t * ray.direction;
    Vector offset = r.center - p;
    double d2 = dot(offset, offset);
    // Points exactly on either circle belong to the ring.
    if (!(d2 <= r.externalRadiusSquared && d2 >= r.internalRadiusSquared)) {
        return 0;
    }
    hit.object = object;
    hit.enter = 1;
    hit.t = t;
    return 1;
}

Vector ringNormal(const Object* object, const Vector&) {
    return object->shape.ring.normal;
}

void ringPrint(const Object* object) {
    const RingData& r = object->shape.ring;
    std::printf("Ring: Nx = %g, Ny = %g, Nz = %g\n Cx = %g, Cy = %g, Cz = %g\n", r.normal.x,
                r.normal.y, r.normal.z, r.center.x, r.center.y, r.center.z);
}
