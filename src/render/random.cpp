// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "render/random.h"
double randomUnit() { throw std::logic_error("not implemented yet"); }
void useBandRandom(int) { throw std::logic_error("not implemented yet"); }
void useProcessRandom() { throw std::logic_error("not implemented yet"); }
