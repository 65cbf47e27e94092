#include <cmath>
#include <cstring>

#include "driver/scene_state.h"
#include "scene/keywords.h"
#include "scene/parser.h"
#include "scene/reader.h"

namespace {

constexpr double kPi = 3.141592653589793;

void expectOpeningBrace(FILE* file) {
    if (Lire_MotCle(file) != kOpenBrace) {
        yyerror(" Opening bracket '{' expected");
    }
}

// Scene angles are whole angles in degrees; the camera keeps half of it in radians.
double halfAngleInRadians(double degrees) {
    return degrees * 0.5 * kPi / 180;
}

// The unit vector the camera frame would derive from `v`; non-finite when `v` has no
// usable length.
Vector unitOf(Vector v) {
    double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

// The camera frame divides by the lengths of the view direction and of up × view:
// refuse the values that make either of them zero.
void checkCameraFrame() {
    const ViewPoint& camera = myViewPoint;
    if (camera.look_at.x == camera.position.x && camera.look_at.y == camera.position.y &&
        camera.look_at.z == camera.position.z) {
        yyerror(" camera look_at cannot equal position");
    }
    Vector side = cross(unitOf(camera.up), unitOf(camera.look_at - camera.position));
    // Also false for NaN: a zero or underflowing up has no direction either.
    if (!(side.x * side.x + side.y * side.y + side.z * side.z > 0)) {
        yyerror(" camera up cannot be parallel to the view direction");
    }
    if (camera.ratio <= 0) {
        yyerror(" camera ratio must be greater than 0");
    }
}

int readProjectionType(FILE* file) {
    Lire_Chaine(file);
    if (std::strcmp(strTemp, "flat") == 0) {
        return 0;
    }
    if (std::strcmp(strTemp, "fisheye") == 0) {
        return 1;
    }
    yyerror(" invalid camera projection type specified");
}

int readOutputType(FILE* file) {
    Lire_Chaine(file);
    if (std::strcmp(strTemp, "tga") == 0) {
        return 0;
    }
    if (std::strcmp(strTemp, "bmp") == 0) {
        return 1;
    }
    if (std::strcmp(strTemp, "ppm") == 0) {
        return 2;
    }
    yyerror(" invalid output file type specified");
}

int readJitter(FILE* file) {
    Lire_Chaine(file);
    if (std::strcmp(strTemp, "yes") == 0) {
        return 1;
    }
    if (std::strcmp(strTemp, "no") == 0) {
        return 0;
    }
    yyerror(" jitter must be either 'yes' or 'no'");
}

int readAntialiasing(FILE* file) {
    Lire_Chaine(file);
    if (std::strcmp(strTemp, "none") == 0) {
        return 0;
    }
    if (std::strcmp(strTemp, "quick") == 0) {
        return 1;
    }
    if (std::strcmp(strTemp, "adaptive") == 0) {
        return 2;
    }
    yyerror(" invalid anti-aliasing type specified");
}

// A size of 0 or below leaves no picture to render; refused at the value.
int readDisplaySize(FILE* file) {
    Lire_Entier(file);
    if (val_INT <= 0) {
        yyerror(" display width and height must be greater than 0");
    }
    return val_INT;
}

} // namespace

void yy_camera(FILE* file) {
    ViewPoint& camera = myViewPoint;
    camera.up = {0, 0, 1};
    camera.fov = 0.39269908169872414;
    camera.ratio = 1.3333333333333333;
    camera.aperture = 0;
    camera.focal_length = 10;
    camera.camera_samples = 16;
    camera.projection_type = 0;

    expectOpeningBrace(file);

    int positionCount = 0;
    int lookAtCount = 0;
    int focalLengthCount = 0;
    int focalPointCount = 0;
    Vector focalPoint = {};
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwPosition:
            Lire_Vecteur(file);
            camera.position = vect_tmp;
            positionCount++;
            break;
        case kwLookAt:
            Lire_Vecteur(file);
            camera.look_at = vect_tmp;
            lookAtCount++;
            break;
        case kwUp:
            Lire_Vecteur(file);
            camera.up = vect_tmp;
            break;
        case kwFov:
            Lire_Decimal(file);
            camera.fov = halfAngleInRadians(val_DBL);
            break;
        case kwRatio:
            Lire_Decimal(file);
            camera.ratio = val_DBL;
            break;
        case kwAperture:
            Lire_Decimal(file);
            camera.aperture = val_DBL;
            break;
        case kwFocalLength:
            Lire_Decimal(file);
            camera.focal_length = val_DBL;
            focalLengthCount++;
            break;
        case kwSamples:
        case kwCameraSamples:
            Lire_Entier(file);
            if (val_INT < 1) {
                yyerror(" camera samples must be greater than 0");
            }
            camera.camera_samples = val_INT;
            break;
        case kwProjectionType:
            camera.projection_type = readProjectionType(file);
            break;
        case kwFocalPoint:
            Lire_Vecteur(file);
            focalPoint = vect_tmp;
            focalPointCount++;
            break;
        default:
            yyerror(" Unkown parameter in camera structure");
        }
    }

    if (positionCount != 1 || lookAtCount != 1) {
        yyerror(" error in camera structure declaration");
    }
    if (focalLengthCount > 0 && focalPointCount > 0) {
        yyerror(" focal lenght OR focal point must be defined");
    }
    if (focalPointCount > 0) {
        double dx = focalPoint.x - camera.position.x;
        double dy = focalPoint.y - camera.position.y;
        double dz = focalPoint.z - camera.position.z;
        camera.focal_length = std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    checkCameraFrame();
}

void yy_settings(FILE* file) {
    expectOpeningBrace(file);

    myBackGroundColor = {0, 0, 0};
    myDisplay.width = 320;
    myDisplay.height = 240;
    jitter = 0;
    iAntialias = 0;
    adapt_dist = 64;
    myHaze.haze_color = {0, 0, 0};
    myHaze.haze_factor = 0;

    int outputTypeCount = 0;
    int outputNameCount = 0;
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwBackground:
            Lire_RVB(file);
            myBackGroundColor = rvb_tmp;
            break;
        case kwDisplay:
            myDisplay.width = readDisplaySize(file);
            myDisplay.height = readDisplaySize(file);
            break;
        case kwOutputType:
            iImageType = readOutputType(file);
            outputTypeCount++;
            break;
        case kwOutputName:
            Lire_Chaine(file);
            // Both buffers hold 255 characters and the terminator.
            std::strcpy(myDisplay.output_name, strTemp);
            outputNameCount++;
            break;
        case kwJitter:
            jitter = readJitter(file);
            break;
        case kwAntialiasing:
            iAntialias = readAntialiasing(file);
            break;
        case kwAaDistance:
            Lire_Entier(file);
            adapt_dist = val_INT;
            break;
        case kwHazeColor:
            Lire_RVB(file);
            myHaze.haze_color = rvb_tmp;
            break;
        case kwHazeFactor:
            Lire_Decimal(file);
            myHaze.haze_factor = val_DBL;
            break;
        case kwJpegQuality:
            break;
        default:
            yyerror(" Unkown parameter in settings structure");
        }
    }

    if (outputNameCount != 1 || outputTypeCount != 1) {
        yyerror(" error in settings structure declaration");
    }
}
