#pragma once

#include "geometry/vector.h"

// Band scans: render rows iBounds[band].firstRow .. endRow - 1, handing each finished row
// to writeImageLine and then showProgress.
void scanNone(int band);
void scanCorners(int band);
void scanAdaptive(int band);

struct SampleCell {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
    unsigned char sampled;
};

// Refines the square of side `size` (quarter pixels: 4, 2 or 1) at grid cell (gx, gy) of
// the pixel whose top-left image position is (x, y); writes byte levels into `colour`.
void adapt(int gx, int gy, double x, double y, Color& colour, int size, Ray& primary,
           int& levelOfRecursion, SampleCell grid[5][5]);

// Channel to byte: times 255.0 truncated toward zero, clamped to 0..255.
unsigned char colorToByte(double channel);
