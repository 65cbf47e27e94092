#include <cstdio>

#include "driver/scene_state.h"
#include "geometry/flat_face.h"
#include "geometry/object.h"

namespace {

constexpr ObjectOps kTriangleOps = {trianglePrint, triangleNormal, triangleIntersect};

} // namespace

Object* makeTriangle(Vector* vertices) {
    Object* record = allocateObject(kTriangle, kTriangleOps);
    if (record == nullptr) {
        // The record would have owned the array.
        delete[] vertices;
        return nullptr;
    }
    PolygonData& face = record->shape.polygon;
    face.vertices = vertices;
    face.vertexCount = 3;
    setUpFlatFace(face);

    double lower[3];
    double upper[3];
    flatFaceBounds(vertices, 3, lower, upper);
    for (int i = 0; i < 3; ++i) {
        record->lowerExtent[i] = lower[i] - kEpsilon;
        record->upperExtent[i] = upper[i] + kEpsilon;
    }

    addToList(&myObjectList, record);
    ++nPrims;
    return record;
}

int triangleIntersect(const Object* object, const Ray& ray, Hit& hit) {
    return flatFaceIntersect(object, 3, ray, hit);
}

Vector triangleNormal(const Object* object, const Vector&) {
    return object->shape.polygon.normal;
}

void trianglePrint(const Object*) {
    std::printf("triangle\n");
}
