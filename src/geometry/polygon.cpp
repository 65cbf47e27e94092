#include <cstdio>

#include "driver/scene_state.h"
#include "geometry/flat_face.h"
#include "geometry/object.h"

namespace {

constexpr ObjectOps kPolygonOps = {polygonPrint, polygonNormal, polygonIntersect};

} // namespace

Object* makePolygon(Vector* vertices, int count) {
    Object* record = allocateObject(kPolygon, kPolygonOps);
    if (record == nullptr) {
        // The record would have owned the array.
        delete[] vertices;
        return nullptr;
    }
    PolygonData& face = record->shape.polygon;
    face.vertices = vertices;
    face.vertexCount = count;
    setUpFlatFace(face);

    // No margin: a polygon lying in a slab plane has a flat box.
    flatFaceBounds(vertices, count, record->lowerExtent, record->upperExtent);

    addToList(&myObjectList, record);
    ++nPrims;
    return record;
}

int polygonIntersect(const Object* object, const Ray& ray, Hit& hit) {
    return flatFaceIntersect(object, object->shape.polygon.vertexCount, ray, hit);
}

Vector polygonNormal(const Object* object, const Vector&) {
    return object->shape.polygon.normal;
}

void polygonPrint(const Object*) {
    std::printf("polygon\n");
}
