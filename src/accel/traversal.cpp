// PLACEHOLDER: replaced by the real implementation.
#include <stdexcept>
#include "accel/traversal.h"
int intersect(const Ray&, double, Hit&, const Object*) { throw std::logic_error("not implemented yet"); }
void checkAndEnqueue(const Object*, double, const double[3], const double[3], QueueEntry*, int&) { throw std::logic_error("not implemented yet"); }
void priorityQueueInsert(double, const Object*, QueueEntry*, int&) { throw std::logic_error("not implemented yet"); }
void priorityQueueDelete(double&, const Object*&, QueueEntry*, int&) { throw std::logic_error("not implemented yet"); }
