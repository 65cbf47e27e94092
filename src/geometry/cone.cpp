// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "geometry/object.h"
Object* makeCone(Vector, double, Vector, double) { throw std::logic_error("not implemented yet"); }
int coneIntersect(const Object*, const Ray&, Hit&) { throw std::logic_error("not implemented yet"); }
Vector coneNormal(const Object*, const Vector&) { throw std::logic_error("not implemented yet"); }
void conePrint(const Object*) { throw std::logic_error("not implemented yet"); }
