// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "geometry/object.h"
Object* makePlane(double, double, double, double) { throw std::logic_error("not implemented yet"); }
int planeIntersect(const Object*, const Ray&, Hit&) { throw std::logic_error("not implemented yet"); }
Vector planeNormal(const Object*, const Vector&) { throw std::logic_error("not implemented yet"); }
void planePrint(const Object*) { throw std::logic_error("not implemented yet"); }
