#pragma once

#include <cstdio>

#include "geometry/object.h"
#include "scene/parser.h"
#include "scene/reader.h"

// Rules shared by the light, surface and primitive block parsers.

// The token after a block keyword must open the block.
inline void expectOpeningBrace(FILE* file) {
    if (Lire_MotCle(file) != kOpenBrace) yyerror(" Opening bracket '{' expected");
}

// Last step of every primitive block: the new object takes a copy of the current surface
// and the block is counted. A constructor returns NULL only when it could not allocate
// its record; the parse stops there rather than attach a surface to nothing.
inline void finishPrimitive(Object* object, int& counter) {
    if (object == nullptr) yyerror(" memory allocation failed");
    attachCurrentSurface(object);
    ++counter;
}

// Exact test on purpose: -0 counts as 0, and any non-zero component, however small,
// does not.
inline bool allComponentsZero(const Vector& v) { return v.x == 0 && v.y == 0 && v.z == 0; }
