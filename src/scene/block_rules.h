#pragma once

#include <cstdio>
#include <initializer_list>

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

// One keyword of a shape block: where its value goes (a vector or a decimal) and how
// often it appeared. A repeated keyword keeps its last value but counts twice, so a repeat
// and an omission draw the same message.
struct BlockParam {
    int keyword;
    Vector* vector;
    double* decimal;
    int count = 0;
};
inline BlockParam vectorParam(int keyword, Vector& target) { return {keyword, &target, nullptr}; }
inline BlockParam decimalParam(int keyword, double& target) { return {keyword, nullptr, &target}; }

// Reads "{" and keyword/value pairs up to "}". A token that is no keyword of the block
// stops with `unknownMessage`. `checkValue`, when given, runs right after each value is
// read (its errors report the line of the value).
template <std::size_t N>
void readShapeBlock(FILE* file, BlockParam (&params)[N], const char* unknownMessage,
                    void (*checkValue)(int keyword) = nullptr) {
    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        BlockParam* param = nullptr;
        for (BlockParam& candidate : params) {
            if (candidate.keyword == mot_cle) {
                param = &candidate;
            }
        }
        if (param == nullptr) yyerror(unknownMessage);
        if (param->vector != nullptr) {
            Lire_Vecteur(file);
            *param->vector = vect_tmp;
        } else {
            Lire_Decimal(file);
            *param->decimal = val_DBL;
        }
        if (checkValue != nullptr) checkValue(param->keyword);
        ++param->count;
    }
}

// True when every keyword of the block appeared exactly once.
template <std::size_t N> bool eachExactlyOnce(const BlockParam (&params)[N]) {
    for (const BlockParam& param : params) {
        if (param.count != 1) return false;
    }
    return true;
}
