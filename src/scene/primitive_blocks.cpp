#include <cstdio>
#include <utility>

#include "driver/scene_state.h"
#include "geometry/object.h"
#include "scene/block_rules.h"
#include "scene/keywords.h"
#include "scene/parser.h"
#include "scene/reader.h"

// Blocks of the primitives described by points, a normal and radii. Each keeps its
// values in locals and makes its object only after "}" and its checks.

namespace {

bool samePoint(const Vector& a, const Vector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

} // namespace

void yy_sphere(FILE* file) {
    Vector center{0, 0, 0};
    double radius = 0;
    BlockParam params[] = {vectorParam(kwCenter, center), decimalParam(kwRadius, radius)};
    // The radius is checked the moment it is read.
    readShapeBlock(file, params, " Unkown parameter in sphere structure", [](int keyword) {
        if (keyword == kwRadius && val_DBL <= 0) yyerror(" sphere radius must be greater than 0");
    });
    if (!eachExactlyOnce(params)) yyerror(" error in sphere structure declaration");

    finishPrimitive(makeSphere(center.x, center.y, center.z, radius), iNumSphere);
}

void yy_plane(FILE* file) {
    Vector normal{0, 0, 0};
    double distance = 0;
    BlockParam params[] = {vectorParam(kwNormal, normal), decimalParam(kwDistance, distance)};
    readShapeBlock(file, params, " Unkown parameter in plane structure");
    if (!eachExactlyOnce(params)) yyerror(" error in plane structure declaration");
    if (allComponentsZero(normal)) yyerror(" plane normal cannot be <0 0 0>");

    // Negating both makes "distance" the signed distance of the plane along the given
    // normal, and the plane visible from the side the given normal points into.
    finishPrimitive(makePlane(-normal.x, -normal.y, -normal.z, -distance), iNumPlane);
}

void yy_cylindre(FILE* file) {
    Vector base{0, 0, 0}, cap{0, 0, 0};
    double radius = 0;
    BlockParam params[] = {vectorParam(kwBase, base), vectorParam(kwCap, cap),
                           decimalParam(kwRadius, radius)};
    readShapeBlock(file, params, " Unkown parameter in cylinder structure");
    if (!eachExactlyOnce(params)) yyerror(" error in cylinder structure declaration");
    if (radius <= 0) yyerror(" radius cannot be null or negative");
    // The constructor divides by the axis length.
    if (samePoint(base, cap)) yyerror(" cylinder base and cap cannot be the same point");

    finishPrimitive(makeCone(base, radius, cap, radius), iNumCylinder);
}

void yy_cone(FILE* file) {
    Vector base{0, 0, 0}, cap{0, 0, 0};
    double base_radius = 0, cap_radius = 0;
    BlockParam params[] = {vectorParam(kwBase, base), vectorParam(kwCap, cap),
                           decimalParam(kwBaseRadius, base_radius),
                           decimalParam(kwCapRadius, cap_radius)};
    readShapeBlock(file, params, " Unkown parameter in cone structure");
    if (!eachExactlyOnce(params)) yyerror(" Error in cone structure");
    if (base_radius == 0 && cap_radius == 0)
        yyerror(" base radius and cap radius cannot be both null");
    if (base_radius < 0 || cap_radius < 0) yyerror(" base radius or cap radius cannot be negative");
    // The constructor divides by the axis length.
    if (samePoint(base, cap)) yyerror(" cone base and cap cannot be the same point");

    finishPrimitive(makeCone(base, base_radius, cap, cap_radius), iNumCone);
}

void yy_ring(FILE* file) {
    Vector center{0, 0, 0}, normal{0, 0, 0};
    double internal = 0, external = 0;
    BlockParam params[] = {vectorParam(kwCenter, center), vectorParam(kwNormal, normal),
                           decimalParam(kwInternalRadius, internal),
                           decimalParam(kwExternalRadius, external)};
    readShapeBlock(file, params, " Unkown parameter in ring structure");
    // The ring shares the disc's message for a missing keyword.
    if (!eachExactlyOnce(params)) yyerror(" missing parameter(s) in disc structure");
    if (internal <= 0 || external <= 0)
        yyerror(" external and internal radius cannot be null or negative");
    if (internal == external) yyerror(" both radius are equal");
    if (internal > external) std::swap(internal, external);
    if (allComponentsZero(normal)) yyerror(" ring normal cannot be <0 0 0>");

    finishPrimitive(makeRing(center, normal, internal, external), iNumRing);
}

void yy_disc(FILE* file) {
    Vector center{0, 0, 0}, normal{0, 0, 0};
    double radius = 0;
    BlockParam params[] = {vectorParam(kwCenter, center), vectorParam(kwNormal, normal),
                           decimalParam(kwRadius, radius)};
    readShapeBlock(file, params, " Unkown parameter in disc structure");
    if (!eachExactlyOnce(params)) yyerror(" missing parameter(s) in disc structure");
    if (radius <= 0) yyerror(" radius cannot be null or negative");
    if (allComponentsZero(normal)) yyerror(" disc normal cannot be <0 0 0>");

    // A disc is a ring without a hole.
    finishPrimitive(makeRing(center, normal, 0, radius), iNumDisc);
}
