// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "render/light.h"
Light* myLightList = nullptr;
void makeLight(double, double, double, double, double, double, int, int, int, double, int, double, double, double, double, double) { throw std::logic_error("not implemented yet"); }
int freeList(Light**) { throw std::logic_error("not implemented yet"); }
double makeLightRay(const Light*, const Vector&, Ray&) { throw std::logic_error("not implemented yet"); }
Color getLightColor(const Light*, const Object*, const Ray&, double) { throw std::logic_error("not implemented yet"); }
Color smoothShadow(const Light*, const Object*, const Ray&, double) { throw std::logic_error("not implemented yet"); }
