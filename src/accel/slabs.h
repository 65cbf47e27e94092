#pragma once

#include "geometry/object.h"

// The bounding slab hierarchy: regroups myObjectList into a tree of bounding nodes
// (kind 2), at most `bunching` children each. Afterwards myObjectList holds the root.
void buildBoundingSlabs();

// Sets the split direction and value (the mean centre sum) of a run of `count` items.
// Stops the program (status 1) if the run ends before `count` items.
void findAxis(Object* first, long count);

// `link` is the cell that holds the first item of the run (&myObjectList or &item->next).
// Returns 1 if it split the run (count > bunching), else 0.
int sortAndSplit(Object** link, long count);

// Build state, meaningful only during the build; exposed for tests.
extern long total;
extern int Axis;
extern double Median;
