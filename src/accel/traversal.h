#pragma once

#include "geometry/object.h"

// Nearest-first traversal of the bounding tree with a bounded binary min-heap.

struct QueueEntry {
    double key; // distance at which the ray enters the object's box
    const Object* object;
};

// Nearest hit of `ray` strictly before `maxDist`, never testing `exclude` (may be NULL).
// Returns 1 and fills `hit` when a hit was taken, else 0 (`hit` untouched).
// A scene of one primitive: that primitive's own result, neither maxDist nor exclude applied.
// A scene without primitives: no hit.
int intersect(const Ray& ray, double maxDist, Hit& hit, const Object* exclude);

#if QUELLIX_COUNT_RAYS
// Calls of intersect so far: those of every thread that has ended and of the calling one.
long long raysTraced();
#endif

// Queue operations; position 0 unused, the heap occupies 1..count of `queue`
// (iPQSize positions in all). Overflow and underflow stop the program with status 1.
void checkAndEnqueue(const Object* object, double limit, const double origin[3],
                     const double direction[3], QueueEntry* queue, int& count);
void priorityQueueInsert(double key, const Object* object, QueueEntry* queue, int& count);
void priorityQueueDelete(double& key, const Object*& object, QueueEntry* queue, int& count);
