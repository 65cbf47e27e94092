#include "geometry/object.h"

#include <cmath>
#include <cstdio>
#include <new>

Object* myObjectList = nullptr;

double VecNorm(Vector& v) {
    double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    v.x = v.x / length;
    v.y = v.y / length;
    v.z = v.z / length;
    return length;
}

Object* allocateObject(int kind, const ObjectOps& ops) {
    Object* record = new (std::nothrow) Object{};
    if (record == nullptr) {
        return nullptr;
    }
    record->kind = kind;
    record->printOp = ops.print;
    record->normalOp = ops.normal;
    record->intersectOp = ops.intersect;
    return record;
}

void releaseObject(Object* record) {
    if (record->kind == kBoundingNode && record->children != nullptr) {
        Object* child = record->children->first;
        while (child != nullptr) {
            Object* following = child->next;
            releaseObject(child);
            child = following;
        }
        delete record->children;
    } else if (record->kind == kPolygon || record->kind == kTriangle) {
        delete[] record->shape.polygon.vertices;
    }
    delete record;
}

int freeList(Object** list) {
    int count = 0;
    while (*list != nullptr) {
        Object* first = *list;
        *list = first->next;
        releaseObject(first);
        ++count;
    }
    return count;
}

Object* setSurfaceAttrib(Object* object, double red, double green, double blue, double ambient,
                         double diffuse, double brilliance, double specular, double roughness,
                         double reflection, double refraction, double refraction_index,
                         int reflection_type, int reflection_samples, double reflection_radius) {
    SurfaceAttrib& s = object->surfaceAttrib;
    s.color = {red, green, blue};
    s.ambient = ambient;
    s.diffuse = diffuse;
    s.brilliance = brilliance;
    s.specular = specular;
    s.roughness = roughness;
    s.reflection = reflection;
    s.refraction = refraction;
    s.refraction_index = refraction_index;
    s.reflection_type = reflection_type;
    s.reflection_samples = reflection_samples;
    s.reflection_radius = reflection_radius;
    return object;
}

void printList(const Object* list) {
    for (const Object* o = list; o != nullptr; o = o->next) {
        if (o->printOp != nullptr) {
            o->printOp(o);
        }
    }
}

void printSurfaceAttrib(const SurfaceAttrib& a) {
    std::printf("Color: %g %g %g\n", a.color.red, a.color.green, a.color.blue);
    std::printf("ambient %g diffuse %g brilliance %g specular %g roughness %g\n", a.ambient,
                a.diffuse, a.brilliance, a.specular, a.roughness);
    std::printf("reflection %g (type %d, samples %d, radius %g) refraction %g index %g\n",
                a.reflection, a.reflection_type, a.reflection_samples, a.reflection_radius,
                a.refraction, a.refraction_index);
}
