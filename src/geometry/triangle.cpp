// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "geometry/object.h"
Object* makeTriangle(Vector*) { throw std::logic_error("not implemented yet"); }
int triangleIntersect(const Object*, const Ray&, Hit&) { throw std::logic_error("not implemented yet"); }
Vector triangleNormal(const Object*, const Vector&) { throw std::logic_error("not implemented yet"); }
void trianglePrint(const Object*) { throw std::logic_error("not implemented yet"); }
