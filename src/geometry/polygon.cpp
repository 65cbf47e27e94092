// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "geometry/object.h"
Object* makePolygon(Vector*, int) { throw std::logic_error("not implemented yet"); }
int polygonIntersect(const Object*, const Ray&, Hit&) { throw std::logic_error("not implemented yet"); }
Vector polygonNormal(const Object*, const Vector&) { throw std::logic_error("not implemented yet"); }
void polygonPrint(const Object*) { throw std::logic_error("not implemented yet"); }
