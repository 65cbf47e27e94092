#pragma once

#include "geometry/object.h"

// Construction and intersection shared by the polygon and the triangle: one face
// normal, the plane, a projection onto two coordinates and an even-odd edge count.

// Fills `normal`, `planeConstant`, `uAxis` and `vAxis` of `face` from its first three
// vertices; `face.vertices` must be set.
void setUpFlatFace(PolygonData& face);

// Smallest and largest Slab[i] . v over the `count` vertices, for each slab direction;
// 1e10 and -1e10 when there are none.
void flatFaceBounds(const Vector* vertices, int count, double lower[3], double upper[3]);

// The intersect operation over the first `count` vertices of the record's face.
int flatFaceIntersect(const Object* object, int count, const Ray& ray, Hit& hit);
