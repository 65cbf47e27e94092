// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "render/camera.h"
Vector viewvec, leftvec, looking_up;
double frustrumwidth = 0, frustrumheight = 0;
void screenInit(Ray&) { throw std::logic_error("not implemented yet"); }
void resetCameraFrame() { throw std::logic_error("not implemented yet"); }
void initRay(double, double, Ray&) { throw std::logic_error("not implemented yet"); }
void shoot(const Ray&, Color&, int&) { throw std::logic_error("not implemented yet"); }
