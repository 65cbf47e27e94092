// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "geometry/object.h"
Object* makeSphere(double, double, double, double) { throw std::logic_error("not implemented yet"); }
int sphereIntersect(const Object*, const Ray&, Hit&) { throw std::logic_error("not implemented yet"); }
Vector sphereNormal(const Object*, const Vector&) { throw std::logic_error("not implemented yet"); }
void spherePrint(const Object*) { throw std::logic_error("not implemented yet"); }
