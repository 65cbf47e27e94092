#pragma once

#include "geometry/object.h"

// Deepest recursion level traced; deeper rays are black.
inline constexpr int kMaxRecursionLevel = 5;

// Colour along `ray` (clamped above 1 for hits). Returns the hit distance, 1e10 for a
// miss, 0 when the depth limit refused the ray.
double trace(const Ray& ray, Color& colour, int& levelOfRecursion);
// Local illumination and recursion at `point` of `object`; `normal` faces the ray.
void shade(const Object* object, const Ray& ray, const Vector& normal, const Vector& point,
           Color& colour, int& levelOfRecursion, const Hit& hit);
// 1 when refracted, 0 on total internal reflection (out = mirror direction).
int refractionDirection(double nFrom, double nTo, const Vector& d, const Vector& N, Vector& out);
