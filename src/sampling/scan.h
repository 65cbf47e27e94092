#pragma once

#include "geometry/vector.h"

// Band scans: render rows iBounds[band].firstRow .. endRow - 1, handing each finished row
// to the row sink (by default writeImageLine and then showProgress).
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
// grid is indexed grid[gx][gy].
void adapt(int gx, int gy, double x, double y, Color& colour, int size, Ray& primary,
           int& levelOfRecursion, SampleCell grid[5][5]);

// Channel to byte: times 255.0 truncated toward zero, clamped to 0..255 (NaN gives 0).
unsigned char colorToByte(double channel);

// How a scan takes one sample at image position (x, y), and where its finished rows go.
// Both are set before any band starts and only read while rendering; tests replace them.
using SampleFn = void (*)(double x, double y, Ray& primary, Color& colour, int& levelOfRecursion);
using RowSinkFn = void (*)(unsigned char* rowPixels, int row);
extern SampleFn scanSampler;
extern RowSinkFn scanRowSink;

// The defaults: initRay then shoot; writeImageLine then showProgress.
void shootSample(double x, double y, Ray& primary, Color& colour, int& levelOfRecursion);
void storeRow(unsigned char* rowPixels, int row);
