#pragma once

#include "geometry/vector.h"

// The one record every scene primitive is stored in, its surface attributes, the
// per-kind operation slots and the object lists.

struct Object;

// Slot types of the per-kind operations.
// intersect: 1 and `hit` filled when the ray meets the surface at an accepted distance
//   (from 0.001 on; the plane from 0), the nearer crossing when there are two; 0 otherwise,
//   and `hit` is then scratch. No distance limit of its own. Never writes the record.
using IntersectOp = int (*)(const Object* object, const Ray& ray, Hit& hit);
// normal: the unit surface normal at `point` (a point on the surface), in the kind's own
//   orientation; the tracer turns it towards the ray.
using NormalOp = Vector (*)(const Object* object, const Vector& point);
// print: a short description of the shape on standard output.
using PrintOp = void (*)(const Object* object);

// The operations of one kind, copied by its constructor into the record's slots.
struct ObjectOps {
    PrintOp print;
    NormalOp normal;
    IntersectOp intersect;
};

// Kind codes. Only kBoundingNode is ever tested; the others label the record.
enum Kind : int {
    kLight = 1,
    kBoundingNode = 2,
    kSphere = 3,
    kPlane = 4,
    kRing = 5, // ring and disc
    kTriangle = 6,
    kPolygon = 7,
    kCone = 8,  // cone and cylinder
    kPatch = 9, // also written smooth_triangle in scenes
};

// Field names follow the surface block's keywords.
struct SurfaceAttrib {
    Color color;
    double ambient;
    double diffuse;
    double brilliance;
    double specular;
    double roughness;
    double reflection;
    int reflection_type;    // 0 sharp, 1 fuzzy
    int reflection_samples; // rays of a fuzzy reflection
    double reflection_radius;
    double refraction;
    double refraction_index; // at least 1
};

struct SphereData {
    Vector center;
    double radius;        // as given, kept for printing
    double radiusSquared; // used by the intersection
};

struct PlaneData {
    Vector normal;        // unit
    double planeConstant; // plane: normal . P + planeConstant = 0
};

struct ConeData {
    Vector base;
    double base_radius;
    double basePlaneConstant; // -(axis . base)
    Vector cap;
    double cap_radius;
    Vector frameU;
    Vector frameV;
    Vector axis; // unit, from base towards cap
    double height;
    double slope; // change of radius per unit of height
    double axialMin;
    double axialMax;
};

struct RingData {
    Vector center;
    Vector normal; // unit
    double planeConstant;
    double internalRadiusSquared;
    double externalRadiusSquared;
};

// Polygon (vertexCount vertices) and triangle (always 3). The record owns `vertices`
// (allocated with new[]) and releases it with the record.
struct PolygonData {
    Vector* vertices;
    Vector normal; // unit face normal
    int vertexCount;
    double planeConstant;
    int uAxis; // coordinates kept for the inside test
    int vAxis;
    // A triangle's vertices in those coordinates: (u, v) of vertex k, copied at set-up.
    double projected[3][2];
};

struct PatchData {
    Vector vertices[3];
    Vector vertexNormals[3]; // unit, turned to the front side of the face
    Vector inverseBasis[3];  // rows b0, b1, n
};

union ShapeData {
    SphereData sphere;
    PlaneData plane;
    ConeData cone;
    RingData ring;
    PolygonData polygon; // polygon and triangle
    PatchData patch;
};

struct ChildList;

struct Object {
    Object* next; // list link; first field of every record that lives in a list
    int kind;
    IntersectOp intersectOp;
    NormalOp normalOp;
    PrintOp printOp;
    ChildList* children; // bounding nodes only
    SurfaceAttrib surfaceAttrib;
    double lowerExtent[3]; // per Slab direction: min of Slab[i] . P over the shape
    double upperExtent[3];
    ShapeData shape;
};

struct FlatTree;

// Children of a bounding node, chained through their own `next`; the last one's is NULL.
struct ChildList {
    int count; // informational: number of children when the node was made
    Object* first;
    // Root of a finished hierarchy only: the traversal's flat copy of the whole tree.
    const FlatTree* flat = nullptr;
};

// Head of the primitive list; after the hierarchy build, the root of the bounding tree.
extern Object* myObjectList;

// Allocates a zeroed record of the common size with `kind` and the kind's operations.
// Returns NULL when the allocation fails.
Object* allocateObject(int kind, const ObjectOps& ops);

// Puts `record` in front of the list whose head is `*list`; returns `list`.
template <class Record> Record** addToList(Record** list, Record* record) {
    record->next = *list;
    *list = record;
    return list;
}

// Releases one record and what it owns (vertex arrays; a bounding node's child list and
// the subtree below it).
void releaseObject(Object* record);

// Releases every record chained in the list, leaves the head NULL and returns the number
// of records released (top-level records only).
int freeList(Object** list);

// Stores every value in the field of the same name of `object`'s surfaceAttrib.
Object* setSurfaceAttrib(Object* object, double red, double green, double blue, double ambient,
                         double diffuse, double brilliance, double specular, double roughness,
                         double reflection, double refraction, double refraction_index,
                         int reflection_type, int reflection_samples, double reflection_radius);

// Never called by the renderer; kept for debugging.
void printList(const Object* list);
void printSurfaceAttrib(const SurfaceAttrib& attrib);

// Constructors. Each follows the common protocol: allocate (NULL on failure, nothing
// changed), kind and operations, shape data, extents over Slab, push on myObjectList,
// nPrims += 1. They check nothing: the scene blocks refuse degenerate input.
Object* makeSphere(double x, double y, double z, double radius);
Object* makePlane(double x, double y, double z, double d);
Object* makeCone(Vector base, double base_radius, Vector cap, double cap_radius);
Object* makeRing(Vector center, Vector normal, double internal, double external);
// Takes ownership of `vertices` (new[]-allocated, `count` entries), also when it fails.
Object* makePolygon(Vector* vertices, int count);
// Takes ownership of `vertices` (new[]-allocated, 3 entries), also when it fails.
Object* makeTriangle(Vector* vertices);
// `data`: V0, N0, V1, N1, V2, N2. The normals may be reversed in place (checkPatch).
Object* makePatch(Vector* data);

// Per-kind operations.
int sphereIntersect(const Object* object, const Ray& ray, Hit& hit);
Vector sphereNormal(const Object* object, const Vector& point);
void spherePrint(const Object* object);
int planeIntersect(const Object* object, const Ray& ray, Hit& hit);
Vector planeNormal(const Object* object, const Vector& point);
void planePrint(const Object* object);
int coneIntersect(const Object* object, const Ray& ray, Hit& hit);
Vector coneNormal(const Object* object, const Vector& point);
void conePrint(const Object* object);
int ringIntersect(const Object* object, const Ray& ray, Hit& hit);
Vector ringNormal(const Object* object, const Vector& point);
void ringPrint(const Object* object);
int polygonIntersect(const Object* object, const Ray& ray, Hit& hit);
Vector polygonNormal(const Object* object, const Vector& point);
void polygonPrint(const Object* object);
int triangleIntersect(const Object* object, const Ray& ray, Hit& hit);
Vector triangleNormal(const Object* object, const Vector& point);
void trianglePrint(const Object* object);
int patchIntersect(const Object* object, const Ray& ray, Hit& hit);
Vector patchNormal(const Object* object, const Vector& point);
void patchPrint(const Object* object);

// Patch helpers.
void checkPatch(Vector* data);
void invertMatrix(const Vector matrix[3], Vector result[3]);
