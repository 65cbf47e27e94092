#pragma once

// Value types passed around the whole renderer. All components are doubles.

struct Vector {
    double x;
    double y;
    double z;
};

// Intensities where 1 is full; lights and backgrounds may exceed 1.
struct Color {
    double red;
    double green;
    double blue;
};

// `direction` is assumed to have unit length: every producer of rays normalises it,
// and the intersect operations rely on it (distances are true distances).
struct Ray {
    Vector origin;
    Vector direction;
};

struct Object;

// Result of one intersect operation.
struct Hit {
    double t;              // distance from the ray's origin; point = origin + t * direction
    int enter;             // 1 when the ray enters the object at this point
    const Object* object;  // the primitive hit
};

// Smallest accepted hit distance and general tolerance: keeps a ray that starts on a
// surface from hitting that surface again.
inline constexpr double kEpsilon = 0.001;
// Stands for an infinite distance: unbounded extents, start of min/max searches, misses.
inline constexpr double kInfinity = 1e10;

// Normalises `v` in place and returns the length it had. A zero vector yields
// non-finite components; callers only pass vectors the scene checks keep non-zero.
double VecNorm(Vector& v);

// Small helpers; each keeps the order of operations of its formula.
inline double dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vector operator+(const Vector& a, const Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector operator-(const Vector& a, const Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector operator*(double s, const Vector& v) { return {s * v.x, s * v.y, s * v.z}; }
inline Vector operator-(const Vector& v) { return {-v.x, -v.y, -v.z}; }
// Coordinate by index: 0 x, 1 y, 2 z.
inline double component(const Vector& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
