// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "scene/parser.h"
SurfaceAttrib* surface = nullptr;
short c = 0, s = 0, su = 0, l = 0;
int parseFile(const char*) { throw std::logic_error("not implemented yet"); }
int parseScene(const char*) { throw std::logic_error("not implemented yet"); }
void yy_declare(FILE*) { throw std::logic_error("not implemented yet"); }
SurfaceAttrib defaultSurface() { throw std::logic_error("not implemented yet"); }
void attachCurrentSurface(Object*) { throw std::logic_error("not implemented yet"); }
