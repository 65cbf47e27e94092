// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "scene/reader.h"
#include "scene/scene_error.h"
int mot_cle = 0; char chaine[256] = {}; char strTemp[256] = {}; unsigned char type_motcle = 0;
double val_DBL = 0; int val_INT = 0; Vector vect_tmp = {}; Color rvb_tmp = {}; int comptligne = 1;
NamedColor* myColorList = nullptr;
int Lire_MotCle(FILE*) { throw std::logic_error("not implemented yet"); }
int Trouve_MotCle() { throw std::logic_error("not implemented yet"); }
void Lire_Chaine(FILE*) { throw std::logic_error("not implemented yet"); }
void Lire_Decimal(FILE*) { throw std::logic_error("not implemented yet"); }
void Lire_Entier(FILE*) { throw std::logic_error("not implemented yet"); }
void Lire_Vecteur(FILE*) { throw std::logic_error("not implemented yet"); }
void Lire_RVB(FILE*) { throw std::logic_error("not implemented yet"); }
void yyerror(const char* message) { throw SceneError(comptligne, message); }
void addColorToList(NamedColor**, NamedColor*) { throw std::logic_error("not implemented yet"); }
int freeColorList(NamedColor**) { throw std::logic_error("not implemented yet"); }
void resetReaderState() { throw std::logic_error("not implemented yet"); }
void printSceneError(const SceneError&) { throw std::logic_error("not implemented yet"); }
void printSceneFileError(const SceneFileError&) { throw std::logic_error("not implemented yet"); }
