#pragma once

#include "geometry/vector.h"

// Camera frame, computed from myViewPoint alone.
extern Vector viewvec;
extern Vector leftvec;
extern Vector looking_up;
extern double frustrumwidth;
extern double frustrumheight;

// Computes the frame once (writing up, verticalFov and the lens vectors of myViewPoint)
// and starts `primary` at the eye along viewvec. Later calls only fill `primary`, so
// render threads that call it read the frame and write nothing shared. The render run
// calls it on the main thread before any band starts.
void screenInit(Ray& primary);
// Forget the computed frame (a new camera was read); for tests and the parser.
void resetCameraFrame();

// Aims `primary` through image position (x, y) in pixel units; leaves the origin.
void initRay(double x, double y, Ray& primary);
// Colour seen along `primary` (with depth of field when aperture > 0).
void shoot(const Ray& primary, Color& colour, int& levelOfRecursion);
