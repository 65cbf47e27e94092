#include <cmath>
#include <cstdio>

#include "driver/scene_state.h"
#include "geometry/object.h"

namespace {

constexpr ObjectOps kConeOps = {conePrint, coneNormal, coneIntersect};

// Accepts a root when it lies in front of the origin and its point lies between the
// base and cap planes: the equation describes the whole infinite double cone.
bool acceptRoot(const ConeData& c, const Ray& ray, double t) {
    if (!(t > kEpsilon)) {
        return false;
    }
    Vector p = ray.origin + t * ray.direction;
    double a = dot(c.axis, p);
    return c.axialMin <= a && a <= c.axialMax;
}

} // namespace

Object* makeCone(Vector base, double base_radius, Vector cap, double cap_radius) {
    Object* record = allocateObject(kCone, kConeOps);
    if (record == nullptr) {
        return nullptr;
    }
    ConeData& c = record->shape.cone;
    c.base = base;
    c.base_radius = base_radius;
    c.cap = cap;
    c.cap_radius = cap_radius;

    c.axis = cap - base;
    c.height = VecNorm(c.axis);
    c.slope = (cap_radius - base_radius) / c.height;
    c.basePlaneConstant = -dot(base, c.axis);

    // The cross product with a reference nearly along the axis would be too short to
    // normalise reliably (within about 2.6 degrees of z).
    Vector ref = {0, 0, 1};
    if (1 - std::fabs(dot(c.axis, ref)) < kEpsilon) {
        ref = {0, 1, 0};
    }
    c.frameU = cross(c.axis, ref);
    VecNorm(c.frameU);
    c.frameV = cross(c.frameU, c.axis);

    c.axialMin = dot(c.axis, base);
    c.axialMax = dot(c.axis, cap);
    if (c.axialMax < c.axialMin) {
        double swap = c.axialMin;
        c.axialMin = c.axialMax;
        c.axialMax = swap;
    }

    // The box of the two end circles; s is how much a circle across the axis
    // projects onto the slab direction.
    for (int i = 0; i < 3; ++i) {
        double along = dot(Slab[i], c.axis);
        double s = std::sqrt(1 - along * along);
        double b = component(base, i);
        double e = component(cap, i);
        record->lowerExtent[i] = b - base_radius * s;
        record->upperExtent[i] = b + base_radius * s;
        if (e - cap_radius * s < record->lowerExtent[i]) {
            record->lowerExtent[i] = e - cap_radius * s;
        }
        if (e + cap_radius * s > record->upperExtent[i]) {
            record->upperExtent[i] = e + cap_radius * s;
        }
    }

    addToList(&myObjectList, record);
    ++nPrims;
    return record;
}

// Solves (distance from the axis)^2 = (radius at that height)^2 in the cone's frame.
// The surface is open at both ends and every hit reports enter 0.
int coneIntersect(const Object* object, const Ray& ray, Hit& hit) {
    const ConeData& c = object->shape.cone;
    Vector l = ray.origin - c.base;
    double du = dot(ray.direction, c.frameU);
    double dv = dot(ray.direction, c.frameV);
    double da = dot(ray.direction, c.axis);
    double lu = dot(l, c.frameU);
    double lv = dot(l, c.frameV);
    double la = dot(l, c.axis);

    double slope2 = c.slope * c.slope;
    double qa = du * du + dv * dv - slope2 * (da * da);
    double qb = 2 * (lu * du + lv * dv - slope2 * la * da - c.base_radius * c.slope * da);
    double radius = c.base_radius + c.slope * la;
    double qc = lu * lu + lv * lv - radius * radius;

    double t0;
    double t1;
    if (qa == 0) {
        // Parallel to a line of the surface: a single root.
        t1 = -qc / qb;
        if (t1 < kEpsilon) {
            return 0;
        }
        t0 = -1;
    } else {
        double disc = qb * qb - 4 * qa * qc;
        if (disc < 0) {
            return 0;
        }
        double root = std::sqrt(disc);
        t0 = (-qb - root) / (2 * qa);
        t1 = (-qb + root) / (2 * qa);
        if (t0 < 0 && t1 < 0) {
            return 0;
        }
        if (t1 < t0) {
            double swap = t0;
            t0 = t1;
            t1 = swap;
        }
    }

    double t;
    if (acceptRoot(c, ray, t0)) {
        t = t0;
    } else if (acceptRoot(c, ray, t1)) {
        t = t1;
    } else {
        return 0;
    }
    hit.t = t;
    hit.enter = 0;
    hit.object = object;
    return 1;
}

Vector coneNormal(const Object* object, const Vector& point) {
    const ConeData& c = object->shape.cone;
    double h = dot(c.axis, point) + c.basePlaneConstant;
    Vector q = point - h * c.axis;
    Vector radial = q - c.base;
    VecNorm(radial);
    // Leans towards the cap where the radius shrinks towards it.
    Vector n = radial - c.slope * c.axis;
    VecNorm(n);
    return n;
}

void conePrint(const Object* object) {
    const ConeData& c = object->shape.cone;
    std::printf("Cone: %g %g %g %g %g %g %g %g\n", c.base.x, c.base.y, c.base.z, c.base_radius,
                c.cap.x, c.cap.y, c.cap.z, c.cap_radius);
}
