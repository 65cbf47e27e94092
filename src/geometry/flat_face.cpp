#include "geometry/flat_face.h"

#include <cmath>

#include "driver/scene_state.h"

void setUpFlatFace(PolygonData& face) {
    const Vector& a = face.vertices[0];
    const Vector& b = face.vertices[1];
    const Vector& c = face.vertices[2];
    face.normal = cross(a - b, c - b);
    VecNorm(face.normal);

    // Drop the coordinate in which the normal is largest (ties: x, then y), so that
    // the projected outline keeps as much area as possible.
    double nx = std::fabs(face.normal.x);
    double ny = std::fabs(face.normal.y);
    double nz = std::fabs(face.normal.z);
    if (nx >= ny && nx >= nz) {
        face.uAxis = 1;
        face.vAxis = 2;
    } else if (ny >= nx && ny >= nz) {
        face.uAxis = 0;
        face.vAxis = 2;
    } else {
        face.uAxis = 0;
        face.vAxis = 1;
    }

    face.planeConstant = -dot(face.normal, a);
}

void flatFaceBounds(const Vector* vertices, int count, double lower[3], double upper[3]) {
    for (int i = 0; i < 3; ++i) {
        lower[i] = kInfinity;
        upper[i] = -kInfinity;
        for (int k = 0; k < count; ++k) {
            double d = dot(Slab[i], vertices[k]);
            if (d < lower[i]) {
                lower[i] = d;
            }
            if (d > upper[i]) {
                upper[i] = d;
            }
        }
    }
}

// Even-odd rule for the half-line from the hit point towards smaller u. The 0.001
// tolerance in u also counts a crossing lying just beyond the point, so points on an
// edge at the larger-u side are inside and those on the smaller-u side are not.
int flatFaceIntersect(const Object* object, int count, const Ray& ray, Hit& hit) {
    const PolygonData& face = object->shape.polygon;
    double denom = dot(face.normal, ray.direction);
    // !(x >= c) rather than x < c: a NaN (degenerate vertices) is a miss.
    if (!(std::fabs(denom) >= kEpsilon)) {
        return 0;
    }
    double t = -(dot(face.normal, ray.origin) + face.planeConstant) / denom;
    if (!(t >= kEpsilon)) {
        return 0;
    }
    Vector p = ray.origin + t * ray.direction;
    double pu = component(p, face.uAxis);
    double pv = component(p, face.vAxis);

    int crossings = 0;
    for (int i = 0; i < count; ++i) {
        int j = (i + 1) % count;
        double ui = component(face.vertices[i], face.uAxis);
        double vi = component(face.vertices[i], face.vAxis);
        double uj = component(face.vertices[j], face.uAxis);
        double vj = component(face.vertices[j], face.vAxis);
        if (vi == vj) {
            continue;
        }
        // A vertex exactly on the line counts as above it.
        if ((vi < pv) == (vj < pv)) {
            continue;
        }
        if (ui < pu && uj < pu) {
            ++crossings;
        } else if (ui < pu || uj < pu) {
            // Exactly one end lies below pu, so uj != ui; vj != vi from above.
            double slope = (vj - vi) / (uj - ui);
            double ux = uj - (vj - pv) / slope;
            if (ux - pu < kEpsilon) {
                ++crossings;
            }
        }
    }
    if (crossings % 2 == 0) {
        return 0;
    }
    hit.object = object;
    hit.enter = 1;
    hit.t = t;
    return 1;
}
