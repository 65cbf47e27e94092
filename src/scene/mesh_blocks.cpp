// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "scene/parser.h"
void yy_polygon(FILE*) { throw std::logic_error("not implemented yet"); }
void yy_triangle(FILE*) { throw std::logic_error("not implemented yet"); }
void yy_patch(FILE*) { throw std::logic_error("not implemented yet"); }
