// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "geometry/object.h"
Object* makePatch(Vector*) { throw std::logic_error("not implemented yet"); }
int patchIntersect(const Object*, const Ray&, Hit&) { throw std::logic_error("not implemented yet"); }
Vector patchNormal(const Object*, const Vector&) { throw std::logic_error("not implemented yet"); }
void patchPrint(const Object*) { throw std::logic_error("not implemented yet"); }
void checkPatch(Vector*) { throw std::logic_error("not implemented yet"); }
void invertMatrix(const Vector[3], Vector[3]) { throw std::logic_error("not implemented yet"); }
