// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "driver/progress.h"
void showProgressInit() { throw std::logic_error("not implemented yet"); }
void showProgress(int) { throw std::logic_error("not implemented yet"); }
