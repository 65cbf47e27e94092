#include "driver/scene_state.h"

Display myDisplay = {};
ViewPoint myViewPoint = {};
Haze myHaze = {};
Color myBackGroundColor = {};

int iAntialias = 0;
int adapt_dist = 0;
int jitter = 0;
int iImageType = 0;
char inputFileName[512] = {};
int numThreads = 2;
int iPQSize = 128;
Vector Slab[3] = {};
int bunching = 0;
long nPrims = 0;

int iNumSphere = 0;
int iNumRing = 0;
int iNumPlane = 0;
int iNumCone = 0;
int iNumCylinder = 0;
int iNumDisc = 0;
int iNumPolygone = 0;
int iNumTriangle = 0;
int iNumPatch = 0;
int iNumSurface = 0;
int iNumLight = 0;

RowBand iBounds[kMaxBands] = {};

void setMainDefaults() {
    iAntialias = 0;
    adapt_dist = 20;
    iImageType = 1;
    Slab[0] = {1, 0, 0};
    Slab[1] = {0, 1, 0};
    Slab[2] = {0, 0, 1};
    bunching = 4;
}

void resetSceneState() {
    myDisplay = {};
    myViewPoint = {};
    myHaze = {};
    myBackGroundColor = {};
    iAntialias = 0;
    adapt_dist = 0;
    jitter = 0;
    iImageType = 0;
    inputFileName[0] = '\0';
    numThreads = 2;
    iPQSize = 128;
    Slab[0] = Slab[1] = Slab[2] = {};
    bunching = 0;
    nPrims = 0;
    iNumSphere = iNumRing = iNumPlane = iNumCone = iNumCylinder = iNumDisc = 0;
    iNumPolygone = iNumTriangle = iNumPatch = iNumSurface = iNumLight = 0;
    for (RowBand& band : iBounds) {
        band = {};
    }
}
