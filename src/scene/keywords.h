#pragma once

// The keyword table: rows 0 to 78 are looked up; rows 79 to 81 are held but never
// matched, so those words read as plain words.

struct KeywordRow {
    const char* keyword;
    int code;
};

inline constexpr int kKeywordRows = 82;
inline constexpr int kMatchedKeywordRows = 79;

extern const KeywordRow liste_motcle[kKeywordRows];

// Keyword codes used by the parsers.
enum KeywordCode : int {
    kwInclude = 4,
    kwDeclare = 5,
    kwCamera = 100,
    kwPosition = 101,
    kwLookAt = 102,
    kwUp = 103,
    kwFov = 104,
    kwRatio = 105,
    kwAperture = 106,
    kwFocalLength = 107,
    kwSamples = 108,
    kwLight = 109,
    kwProjectionType = 110,
    kwAttenuationType = 111,
    kwShadowType = 112,
    kwLightSamples = 113,
    kwCameraSamples = 114,
    kwCameraIndex = 115,
    kwLightType = 116,
    kwMinAngle = 117,
    kwMaxAngle = 118,
    kwDirection = 119,
    kwTarget = 120,
    kwFocalPoint = 121,
    kwSettings = 200,
    kwBackground = 201,
    kwDisplay = 202,
    kwOutputType = 203,
    kwOutputName = 204,
    kwJitter = 205,
    kwAntialiasing = 206,
    kwAaDistance = 207,
    kwHazeColor = 208,
    kwHazeFactor = 209,
    kwJpegQuality = 210,
    kwInputName = 211,
    kwSurface = 300,
    kwReflection = 301,
    kwRefraction = 302,
    kwRefractionIndex = 303,
    kwColor = 304,
    kwAmbient = 305,
    kwBrilliance = 306,
    kwRoughness = 307,
    kwDiffuse = 308,
    kwSpecular = 309,
    kwReflectionType = 310,
    kwReflectionSamples = 311,
    kwReflectionRadius = 312,
    kwPlane = 400,
    kwNormal = 401,
    kwDistance = 402,
    kwSphere = 500,
    kwCenter = 501,
    kwRadius = 502,
    kwCone = 600,
    kwBase = 601,
    kwCap = 602,
    kwBaseRadius = 603,
    kwCapRadius = 604,
    kwRing = 700,
    kwInternalRadius = 701,
    kwExternalRadius = 702,
    kwDisc = 704,
    kwPolygon = 800,
    kwVertex = 801,
    kwCylinder = 900,
    kwTriangle = 901,
    kwPatch = 902,
    kwSmoothTriangle = 903,
    kwModify = 1000,
};
