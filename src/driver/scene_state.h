#pragma once

#include "geometry/vector.h"

// Scene-wide state shared by every subsystem. Filled in three stages on the main thread
// (static initial values, the scene's camera and settings blocks, the command line) and
// read-only while rendering.

struct Display {
    int width;
    int height;
    char output_name[256]; // without extension
};

struct ViewPoint {
    Vector position;
    Vector up;
    Vector look_at;
    Vector lensHorizontal;
    Vector lensVertical;
    double fov; // half the horizontal field of view, radians
    double verticalFov;
    double ratio;
    double aperture;
    double focal_length;
    int camera_samples;
    int projection_type; // 0 flat, 1 fisheye
};

struct Haze {
    double haze_factor; // 0 or less: no haze
    Color haze_color;
};

// One band of image rows: [firstRow, endRow).
struct RowBand {
    int firstRow;
    int endRow;
};

inline constexpr int kMaxBands = 8;

extern Display myDisplay;
extern ViewPoint myViewPoint;
extern Haze myHaze;
extern Color myBackGroundColor;

extern int iAntialias; // 0 none, 1 quick (corners), 2 adaptive
extern int adapt_dist;
extern int jitter;
extern int iImageType; // 0 TGA, 1 BMP, 2 PPM
extern char inputFileName[512];
extern int numThreads;
extern int iPQSize;
extern Vector Slab[3];
extern int bunching;
extern long nPrims;

extern int iNumSphere;
extern int iNumRing;
extern int iNumPlane;
extern int iNumCone;
extern int iNumCylinder;
extern int iNumDisc;
extern int iNumPolygone;
extern int iNumTriangle;
extern int iNumPatch;
extern int iNumSurface;
extern int iNumLight;

extern RowBand iBounds[kMaxBands];

// The values main sets before anything else (those that are not static initial values).
void setMainDefaults();

// Back to the static initial values of program start, for in-process tests.
void resetSceneState();
