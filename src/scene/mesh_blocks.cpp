#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "driver/scene_state.h"
#include "geometry/object.h"
#include "scene/block_rules.h"
#include "scene/keywords.h"
#include "scene/parser.h"
#include "scene/reader.h"

// Blocks of the primitives given by their vertices. The polygon and triangle vertex
// arrays pass to their objects; until the constructor has taken one, a unique_ptr holds
// it, so a block that stops with a scene error leaks nothing.

namespace {

// The count that opens a polygon block is only a promise: vertices are collected as
// they come, and room is reserved up front for no more than this many.
constexpr int kPolygonReserve = 64;

std::unique_ptr<Vector[]> allocateVertices(std::size_t count) {
    std::unique_ptr<Vector[]> vertices(new (std::nothrow) Vector[count]);
    if (!vertices) yyerror(" memory allocation failed");
    return vertices;
}

// The face normal the flat constructors compute from the first three vertices.
Vector flatFaceNormal(const Vector* vertices) {
    return cross(vertices[0] - vertices[1], vertices[2] - vertices[1]);
}

} // namespace

void yy_polygon(FILE* file) {
    expectOpeningBrace(file);
    Lire_Entier(file);
    const int count = val_INT;
    if (count <= 3) yyerror(" valid number of vertices expected");

    std::vector<Vector> read;
    read.reserve(static_cast<std::size_t>(std::min(count, kPolygonReserve)));
    while (Lire_MotCle(file) != kCloseBrace) {
        if (mot_cle != kwVertex) yyerror(" Unkown parameter in polygon structure");
        if (static_cast<int>(read.size()) == count)
            yyerror(" Too many vertices in polygon structure");
        Lire_Vecteur(file);
        try {
            read.push_back(vect_tmp);
        } catch (const std::bad_alloc&) {
            yyerror(" memory allocation failed");
        }
    }
    if (static_cast<int>(read.size()) < count) yyerror(" Too few vertices in polygon structure");
    if (allComponentsZero(flatFaceNormal(read.data()))) yyerror(" degenerate polygon");

    std::unique_ptr<Vector[]> vertices = allocateVertices(read.size());
    std::copy(read.begin(), read.end(), vertices.get());
    // The constructor owns the array from here on, and frees it itself if it fails.
    Object* object = makePolygon(vertices.release(), count);
    finishPrimitive(object, iNumPolygone);
}

void yy_triangle(FILE* file) {
    std::unique_ptr<Vector[]> vertices = allocateVertices(3);
    int vertexCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        if (mot_cle != kwVertex) yyerror(" Unkown parameter in triangle structure");
        if (vertexCount == 3) yyerror(" Too many vertices in triangle structure");
        Lire_Vecteur(file);
        vertices[vertexCount++] = vect_tmp;
    }
    if (vertexCount < 3) yyerror(" Too few vertices in triangle structure");
    if (allComponentsZero(flatFaceNormal(vertices.get()))) yyerror(" degenerate triangle");

    // The constructor owns the array from here on, and frees it itself if it fails.
    Object* object = makeTriangle(vertices.release());
    finishPrimitive(object, iNumTriangle);
}

// "patch" and "smooth_triangle". The k-th normal belongs to the k-th vertex however the
// two kinds of lines are interleaved: the buffer holds V0, N0, V1, N1, V2, N2.
void yy_patch(FILE* file) {
    Vector data[6]{};
    int vertexCount = 0, normalCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwVertex:
            if (vertexCount == 3) yyerror(" Too many vertices in patch structure");
            Lire_Vecteur(file);
            data[2 * vertexCount++] = vect_tmp;
            break;
        case kwNormal:
            if (normalCount == 3) yyerror(" Too many normals in patch structure");
            Lire_Vecteur(file);
            data[2 * normalCount++ + 1] = vect_tmp;
            break;
        default:
            yyerror(" Unkown parameter in patch structure");
        }
    }
    if (vertexCount < 3) yyerror(" Too few vertices in patch structure");
    if (normalCount < 3) yyerror(" Too few normals in patch structure");
    if (allComponentsZero(cross(data[2] - data[0], data[4] - data[0])))
        yyerror(" degenerate patch");

    // makePatch copies the buffer into its record.
    finishPrimitive(makePatch(data), iNumPatch);
}
