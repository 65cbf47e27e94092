// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "render/trace.h"
double trace(const Ray&, Color&, int&) { throw std::logic_error("not implemented yet"); }
void shade(const Object*, const Ray&, const Vector&, const Vector&, Color&, int&, const Hit&) { throw std::logic_error("not implemented yet"); }
int refractionDirection(double, double, const Vector&, const Vector&, Vector&) { throw std::logic_error("not implemented yet"); }
