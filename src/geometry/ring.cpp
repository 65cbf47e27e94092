// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "geometry/object.h"
Object* makeRing(Vector, Vector, double, double) { throw std::logic_error("not implemented yet"); }
int ringIntersect(const Object*, const Ray&, Hit&) { throw std::logic_error("not implemented yet"); }
Vector ringNormal(const Object*, const Vector&) { throw std::logic_error("not implemented yet"); }
void ringPrint(const Object*) { throw std::logic_error("not implemented yet"); }
