#pragma once

#include <cstdio>

#include "geometry/vector.h"

// The token reader: one token per call from the open scene file, with typed reads on top.
// All reader state is global (one reader for the whole program); nested files share it.

// Token codes (values of mot_cle) other than keyword codes.
enum TokenCode : int {
    kEndOfFile = -1,
    kPlainWord = 0,
    kNumber = 1,
    kOpenBrace = 10,
    kCloseBrace = 11,
    kOpenAngle = 12,
    kCloseAngle = 13,
    kHash = 14,
    kQuote = 15,
};

// Numeric modes (type_motcle): how a number token is converted.
inline constexpr unsigned char kDecimalMode = 2;
inline constexpr unsigned char kIntegerMode = 3;

// Longest word or number token, and longest declared colour name.
inline constexpr int kMaxTokenLength = 255;
inline constexpr int kMaxColorNameLength = 63;

extern int mot_cle;
extern char chaine[256];
extern char strTemp[256];
extern unsigned char type_motcle;
extern double val_DBL;
extern int val_INT;
extern Vector vect_tmp;
extern Color rvb_tmp;
extern int comptligne;

struct NamedColor {
    NamedColor* next;
    char name[64];
    Color color;
};
extern NamedColor* myColorList; // newest first

int Lire_MotCle(FILE* file);
int Trouve_MotCle();
void Lire_Chaine(FILE* file);
void Lire_Decimal(FILE* file);
void Lire_Entier(FILE* file);
void Lire_Vecteur(FILE* file);
void Lire_RVB(FILE* file);

// Reports a scene error at the current line: throws SceneError. Never returns.
[[noreturn]] void yyerror(const char* message);

void addColorToList(NamedColor** head, NamedColor* element);
int freeColorList(NamedColor** head);

// Back to the reader's program-start state (line 1, no colours), for in-process tests.
void resetReaderState();
