#include <cstdio>
#include <utility>

#include "driver/scene_state.h"
#include "geometry/object.h"
#include "scene/block_rules.h"
#include "scene/keywords.h"
#include "scene/parser.h"
#include "scene/reader.h"

// Blocks of the primitives described by points, a normal and radii. Each keeps its
// values in locals, counts the required keywords (a repeated keyword counts twice, so a
// repeat and an omission draw the same message) and makes its object only after "}".

namespace {

bool samePoint(const Vector& a, const Vector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

} // namespace

void yy_sphere(FILE* file) {
    Vector center{0, 0, 0};
    double radius = 0;
    int centerCount = 0, radiusCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwCenter:
            Lire_Vecteur(file);
            center = vect_tmp;
            ++centerCount;
            break;
        case kwRadius:
            Lire_Decimal(file);
            if (val_DBL <= 0) yyerror(" sphere radius must be greater than 0");
            radius = val_DBL;
            ++radiusCount;
            break;
        default:
            yyerror(" Unkown parameter in sphere structure");
        }
    }
    if (centerCount != 1 || radiusCount != 1) yyerror(" error in sphere structure declaration");

    finishPrimitive(makeSphere(center.x, center.y, center.z, radius), iNumSphere);
}

void yy_plane(FILE* file) {
    Vector normal{0, 0, 0};
    double distance = 0;
    int normalCount = 0, distanceCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwNormal:
            Lire_Vecteur(file);
            normal = vect_tmp;
            ++normalCount;
            break;
        case kwDistance:
            Lire_Decimal(file);
            distance = val_DBL;
            ++distanceCount;
            break;
        default:
            yyerror(" Unkown parameter in plane structure");
        }
    }
    if (normalCount != 1 || distanceCount != 1) yyerror(" error in plane structure declaration");
    if (allComponentsZero(normal)) yyerror(" plane normal cannot be <0 0 0>");

    // Negating both makes "distance" the signed distance of the plane along the given
    // normal, and the plane visible from the side the given normal points into.
    finishPrimitive(makePlane(-normal.x, -normal.y, -normal.z, -distance), iNumPlane);
}

void yy_cylindre(FILE* file) {
    Vector base{0, 0, 0}, cap{0, 0, 0};
    double radius = 0;
    int baseCount = 0, capCount = 0, radiusCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwBase:
            Lire_Vecteur(file);
            base = vect_tmp;
            ++baseCount;
            break;
        case kwCap:
            Lire_Vecteur(file);
            cap = vect_tmp;
            ++capCount;
            break;
        case kwRadius:
            Lire_Decimal(file);
            radius = val_DBL;
            ++radiusCount;
            break;
        default:
            yyerror(" Unkown parameter in cylinder structure");
        }
    }
    if (baseCount != 1 || capCount != 1 || radiusCount != 1)
        yyerror(" error in cylinder structure declaration");
    if (radius <= 0) yyerror(" radius cannot be null or negative");
    // The constructor divides by the axis length.
    if (samePoint(base, cap)) yyerror(" cylinder base and cap cannot be the same point");

    finishPrimitive(makeCone(base, radius, cap, radius), iNumCylinder);
}

void yy_cone(FILE* file) {
    Vector base{0, 0, 0}, cap{0, 0, 0};
    double base_radius = 0, cap_radius = 0;
    int baseCount = 0, capCount = 0, baseRadiusCount = 0, capRadiusCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwBase:
            Lire_Vecteur(file);
            base = vect_tmp;
            ++baseCount;
            break;
        case kwCap:
            Lire_Vecteur(file);
            cap = vect_tmp;
            ++capCount;
            break;
        case kwBaseRadius:
            Lire_Decimal(file);
            base_radius = val_DBL;
            ++baseRadiusCount;
            break;
        case kwCapRadius:
            Lire_Decimal(file);
            cap_radius = val_DBL;
            ++capRadiusCount;
            break;
        default:
            yyerror(" Unkown parameter in cone structure");
        }
    }
    if (baseCount != 1 || capCount != 1 || baseRadiusCount != 1 || capRadiusCount != 1)
        yyerror(" Error in cone structure");
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
    int centerCount = 0, normalCount = 0, internalCount = 0, externalCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwCenter:
            Lire_Vecteur(file);
            center = vect_tmp;
            ++centerCount;
            break;
        case kwNormal:
            Lire_Vecteur(file);
            normal = vect_tmp;
            ++normalCount;
            break;
        case kwInternalRadius:
            Lire_Decimal(file);
            internal = val_DBL;
            ++internalCount;
            break;
        case kwExternalRadius:
            Lire_Decimal(file);
            external = val_DBL;
            ++externalCount;
            break;
        default:
            yyerror(" Unkown parameter in ring structure");
        }
    }
    // The ring shares the disc's message for a missing keyword.
    if (centerCount != 1 || normalCount != 1 || internalCount != 1 || externalCount != 1)
        yyerror(" missing parameter(s) in disc structure");
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
    int centerCount = 0, normalCount = 0, radiusCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwCenter:
            Lire_Vecteur(file);
            center = vect_tmp;
            ++centerCount;
            break;
        case kwNormal:
            Lire_Vecteur(file);
            normal = vect_tmp;
            ++normalCount;
            break;
        case kwRadius:
            Lire_Decimal(file);
            radius = val_DBL;
            ++radiusCount;
            break;
        default:
            yyerror(" Unkown parameter in disc structure");
        }
    }
    if (centerCount != 1 || normalCount != 1 || radiusCount != 1)
        yyerror(" missing parameter(s) in disc structure");
    if (radius <= 0) yyerror(" radius cannot be null or negative");
    if (allComponentsZero(normal)) yyerror(" disc normal cannot be <0 0 0>");

    // A disc is a ring without a hole.
    finishPrimitive(makeRing(center, normal, 0, radius), iNumDisc);
}
