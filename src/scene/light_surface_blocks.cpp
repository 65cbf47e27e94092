#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/scene_state.h"
#include "render/light.h"
#include "scene/block_rules.h"
#include "scene/keywords.h"
#include "scene/parser.h"
#include "scene/reader.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Scene angles are whole cone angles in degrees; the light keeps the cosine of half.
double cosineOfHalfAngle(double degrees) { return std::cos(degrees * 0.5 * kPi / 180); }

// Index of `text` in `names`, or -1.
template <int N> int stringCode(const char* text, const char* const (&names)[N]) {
    for (int code = 0; code < N; ++code)
        if (std::strcmp(text, names[code]) == 0) return code;
    return -1;
}

constexpr const char* kLightTypes[] = {"point", "spot"};
constexpr const char* kAttenuationTypes[] = {"none", "d", "d2"};
constexpr const char* kShadowTypes[] = {"sharp", "smooth"};
constexpr const char* kReflectionTypes[] = {"sharp", "fuzzy"};

template <int N> int readStringCode(FILE* file, const char* const (&names)[N], const char* error) {
    Lire_Chaine(file);
    int code = stringCode(strTemp, names);
    if (code < 0) yyerror(error);
    return code;
}

} // namespace

void yy_light(FILE* file) {
    Vector position{0, 0, 0};
    Color color{1, 1, 1};
    int light_type = 0;
    int attenuation_type = 2;
    int shadow_type = 0;
    // Sharp shadows never read these; 0 stands for "not given".
    double radius = 0;
    int light_samples = 0;
    double cosMinAngle = std::cos(0.08726646259971647);
    double cosMaxAngle = std::cos(0.2617993877991494);
    Vector target{0, 0, 0};
    bool hasTarget = false;
    int positionCount = 0, colorCount = 0, radiusCount = 0, samplesCount = 0;

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwPosition:
            Lire_Vecteur(file);
            position = vect_tmp;
            ++positionCount;
            break;
        case kwColor:
            Lire_RVB(file);
            if (rvb_tmp.red <= 0 || rvb_tmp.green <= 0 || rvb_tmp.blue <= 0)
                yyerror(" invalid color component(s)");
            color = rvb_tmp;
            ++colorCount;
            break;
        case kwLightType:
            light_type = readStringCode(file, kLightTypes, " invalid light type specified");
            break;
        case kwAttenuationType:
            attenuation_type = readStringCode(file, kAttenuationTypes,
                                              " invalid light attenuation type specified");
            break;
        case kwShadowType:
            shadow_type = readStringCode(file, kShadowTypes, " invalid shadow type specified");
            break;
        case kwRadius:
            Lire_Decimal(file);
            if (val_DBL <= 0) yyerror(" smooth light radius must be greater than 0");
            radius = val_DBL;
            ++radiusCount;
            break;
        case kwLightSamples:
        case kwSamples:
            Lire_Entier(file);
            if (val_INT <= 0) yyerror(" smooth light samples must be greater than 0");
            light_samples = val_INT;
            ++samplesCount;
            break;
        case kwMinAngle:
            Lire_Decimal(file);
            cosMinAngle = cosineOfHalfAngle(val_DBL);
            break;
        case kwMaxAngle:
            Lire_Decimal(file);
            cosMaxAngle = cosineOfHalfAngle(val_DBL);
            break;
        case kwTarget:
            Lire_Vecteur(file);
            target = vect_tmp;
            hasTarget = true;
            break;
        default:
            yyerror(" Unkown parameter in light structure");
        }
    }

    // Without a target the spot looks straight down the -z axis.
    Vector direction{0, 0, -1};
    if (hasTarget) {
        direction = target - position;
        if (direction.x * direction.x + direction.y * direction.y + direction.z * direction.z == 0)
            yyerror(" Error in light structure - invalid target");
    }
    if (colorCount != 1 || positionCount != 1)
        yyerror(" Error in light structure - missing parameters");
    if (shadow_type == 1 && (radiusCount != 1 || samplesCount != 1))
        yyerror(" Error in light structure - missing parameters");

    // A light that cannot be allocated is reported by makeLight and still counted.
    makeLight(position.x, position.y, position.z, color.red, color.green, color.blue, light_type,
              attenuation_type, shadow_type, radius, light_samples, cosMinAngle, cosMaxAngle,
              direction.x, direction.y, direction.z);
    ++iNumLight;
}

void yy_surface(FILE* file) {
    // Every block starts from the defaults, not from the previous surface; the current
    // surface stays in force until the block has closed.
    SurfaceAttrib attrib = defaultSurface();

    expectOpeningBrace(file);
    while (Lire_MotCle(file) != kCloseBrace) {
        switch (mot_cle) {
        case kwColor:
            Lire_RVB(file);
            if (rvb_tmp.red < 0 || rvb_tmp.red > 1 || rvb_tmp.green < 0 || rvb_tmp.green > 1 ||
                rvb_tmp.blue < 0 || rvb_tmp.blue > 1)
                yyerror(" invalid color component(s)");
            attrib.color = rvb_tmp;
            break;
        case kwAmbient:
            Lire_Decimal(file);
            attrib.ambient = val_DBL;
            break;
        case kwDiffuse:
            Lire_Decimal(file);
            attrib.diffuse = val_DBL;
            break;
        case kwBrilliance:
            Lire_Decimal(file);
            attrib.brilliance = val_DBL;
            break;
        case kwSpecular:
            Lire_Decimal(file);
            attrib.specular = val_DBL;
            break;
        case kwRoughness:
            Lire_Decimal(file);
            attrib.roughness = val_DBL;
            break;
        case kwReflection:
            Lire_Decimal(file);
            attrib.reflection = val_DBL;
            break;
        case kwReflectionType:
            attrib.reflection_type =
                readStringCode(file, kReflectionTypes, " invalid reflection type specified");
            break;
        case kwReflectionSamples:
            Lire_Entier(file);
            attrib.reflection_samples = val_INT;
            break;
        case kwReflectionRadius:
            Lire_Decimal(file);
            attrib.reflection_radius = val_DBL;
            break;
        case kwRefraction:
            Lire_Decimal(file);
            attrib.refraction = val_DBL;
            break;
        case kwRefractionIndex:
            Lire_Decimal(file);
            attrib.refraction_index = val_DBL;
            // A warning, not an error: the value is corrected and the parse goes on.
            if (val_DBL < 1) {
                std::printf(" indice of refraction cannot be lower than 1.0");
                attrib.refraction_index = 1.0;
            }
            break;
        default:
            yyerror(" Unkown parameter in surface structure");
        }
    }

    *surface = attrib;
    ++iNumSurface;
}
