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

    if (face.vertexCount == 3) {
        for (int k = 0; k < 3; ++k) {
            face.projected[k][0] = component(face.vertices[k], face.uAxis);
            face.projected[k][1] = component(face.vertices[k], face.vAxis);
        }
    }
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

namespace {

// One edge of the even-odd count: 1 when the edge from (ui, vi) to (uj, vj) crosses the
// half-line from (pu, pv) towards smaller u.
inline int edgeCrossing(double ui, double vi, double uj, double vj, double pu, double pv) {
    if (vi == vj) {
        return 0;
    }
    // A vertex exactly on the line counts as above it.
    if ((vi < pv) == (vj < pv)) {
        return 0;
    }
    if (ui < pu && uj < pu) {
        return 1;
    }
    if (ui < pu || uj < pu) {
        // Exactly one end lies below pu, so uj != ui; vj != vi from above.
        double slope = (vj - vi) / (uj - ui);
        double ux = uj - (vj - pv) / slope;
        if (ux - pu < kEpsilon) {
            return 1;
        }
    }
    return 0;
}

} // namespace

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
    // The two kept coordinates of origin + t * direction.
    double pu = component(ray.origin, face.uAxis) + t * component(ray.direction, face.uAxis);
    double pv = component(ray.origin, face.vAxis) + t * component(ray.direction, face.vAxis);

    int crossings = 0;
    if (count == 3 && face.vertexCount == 3) {
        const double(*q)[2] = face.projected;
        crossings = edgeCrossing(q[0][0], q[0][1], q[1][0], q[1][1], pu, pv) +
                    edgeCrossing(q[1][0], q[1][1], q[2][0], q[2][1], pu, pv) +
                    edgeCrossing(q[2][0], q[2][1], q[0][0], q[0][1], pu, pv);
    } else {
        for (int i = 0; i < count; ++i) {
            int j = i + 1 == count ? 0 : i + 1;
            crossings += edgeCrossing(component(face.vertices[i], face.uAxis),
                                      component(face.vertices[i], face.vAxis),
                                      component(face.vertices[j], face.uAxis),
                                      component(face.vertices[j], face.vAxis), pu, pv);
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
