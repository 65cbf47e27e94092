#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "driver/scene_state.h"
#include "scene/keywords.h"
#include "scene/parser.h"
#include "scene/reader.h"
#include "scene/scene_error.h"

SurfaceAttrib* surface = nullptr;
short c = 0, s = 0, su = 0, l = 0;

namespace {

// A file that includes itself would otherwise recurse until no file can be opened.
constexpr int kMaxIncludeDepth = 64;
int includeDepth = 0; // 0 while the main file is read

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using ScenePointer = std::unique_ptr<FILE, FileCloser>;

// Parse-time data is released however the parse ends, so that an aborted parse leaves
// nothing behind for the next one in the same process.
struct ParseDataGuard {
    std::unique_ptr<SurfaceAttrib> current = std::make_unique<SurfaceAttrib>(defaultSurface());
    ParseDataGuard() { surface = current.get(); }
    ~ParseDataGuard() {
        surface = nullptr;
        freeColorList(&myColorList);
        includeDepth = 0;
    }
    ParseDataGuard(const ParseDataGuard&) = delete;
    ParseDataGuard& operator=(const ParseDataGuard&) = delete;
};

struct IncludeLevel {
    IncludeLevel() { includeDepth++; }
    ~IncludeLevel() { includeDepth--; }
    IncludeLevel(const IncludeLevel&) = delete;
    IncludeLevel& operator=(const IncludeLevel&) = delete;
};

void includeFile(FILE* file) {
    Lire_Chaine(file);
    if (includeDepth >= kMaxIncludeDepth) {
        yyerror(" include nesting too deep");
    }
    // The included file reuses the reader's buffers, strTemp among them.
    const std::string path = strTemp;
    IncludeLevel level;
    parseScene(path.c_str());
}

// A folder opens for reading like an empty file; it is no scene either.
bool isFolder(FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
}

void printStatistics() {
    printf("\n\n Number of sphere(s):\t\t%d\n", iNumSphere);
    printf(" Number of ring(s):\t\t%d\n", iNumRing);
    printf(" Number of plane(s):\t\t%d\n", iNumPlane);
    printf(" Number of cone(s):\t\t%d\n", iNumCone);
    printf(" Number of cylinder(s):\t\t%d\n", iNumCylinder);
    printf(" Number of disc(s):\t\t%d\n", iNumDisc);
    printf(" Number of polygon(s):\t\t%d\n", iNumPolygone);
    printf(" Number of triangle(s):\t\t%d\n", iNumTriangle);
    printf(" Number of patch(es):\t\t%d\n", iNumPatch);
    printf(" Number of surface(s):\t\t%d\n", iNumSurface);
    printf(" Number of light(s):\t\t%d\n", iNumLight);
}

} // namespace

SurfaceAttrib defaultSurface() {
    SurfaceAttrib attrib = {};
    attrib.reflection_type = 0;
    attrib.reflection_samples = 10;
    attrib.reflection_radius = 1;
    attrib.refraction_index = 1;
    return attrib;
}

void attachCurrentSurface(Object* object) {
    // Outside a parse (or before the first surface block) the empty block's values apply.
    const SurfaceAttrib attrib = surface != nullptr ? *surface : defaultSurface();
    setSurfaceAttrib(object, attrib.color.red, attrib.color.green, attrib.color.blue,
                     attrib.ambient, attrib.diffuse, attrib.brilliance, attrib.specular,
                     attrib.roughness, attrib.reflection, attrib.refraction,
                     attrib.refraction_index, attrib.reflection_type, attrib.reflection_samples,
                     attrib.reflection_radius);
}

int parseFile(const char* path) {
    iNumCylinder = iNumCone = iNumPlane = iNumRing = iNumSphere = iNumLight = 0;
    iNumSurface = iNumTriangle = iNumPatch = iNumPolygone = iNumDisc = 0;
    c = s = su = l = 0;

    ParseDataGuard parseData;
    includeDepth = 0;
    if (parseScene(path) != 0) {
        return -1;
    }
    if (c == 0) {
        printf(" Missing camera!");
        return -1;
    }
    if (s == 0) {
        printf(" Missing settings!");
        return -1;
    }
    if (su == 0) {
        printf(" Missing surface!");
        return -1;
    }
    if (l == 0) {
        printf(" Warning: scene doesn't contain any light.");
    }
    printStatistics();
    return 0;
}

int parseScene(const char* path) {
    ScenePointer scene(fopen(path, "r"));
    if (!scene || isFolder(scene.get())) {
        throw SceneFileError(path);
    }
    printf("\n Parsing %s", path);
    FILE* file = scene.get();

    while (Lire_MotCle(file) != kEndOfFile) {
        switch (mot_cle) {
        case kwInclude:
            includeFile(file);
            break;
        case kwDeclare:
            yy_declare(file);
            break;
        case kwCamera:
            yy_camera(file);
            c++;
            break;
        case kwLight:
            yy_light(file);
            l++;
            break;
        case kwSettings:
            yy_settings(file);
            s++;
            break;
        case kwSurface:
            yy_surface(file);
            su++;
            break;
        case kwPlane:
            yy_plane(file);
            break;
        case kwSphere:
            yy_sphere(file);
            break;
        case kwCone:
            yy_cone(file);
            break;
        case kwRing:
            yy_ring(file);
            break;
        case kwDisc:
            yy_disc(file);
            break;
        case kwPolygon:
            yy_polygon(file);
            break;
        case kwCylinder:
            yy_cylindre(file);
            break;
        case kwTriangle:
            yy_triangle(file);
            break;
        case kwPatch:
        case kwSmoothTriangle:
            yy_patch(file);
            break;
        default:
            printf("\n Scene parser returned error: %d '%s'\n", mot_cle, chaine);
            yyerror(" Unkown term");
        }
    }
    return 0;
}

void yy_declare(FILE* file) {
    Lire_Chaine(file);
    if (std::strlen(strTemp) > static_cast<size_t>(kMaxColorNameLength)) {
        yyerror(" color name too long");
    }
    char name[kMaxColorNameLength + 1];
    std::strcpy(name, strTemp);

    if (Lire_MotCle(file) != kwColor) {
        yyerror(" Unkown element in declaration");
    }
    auto element = std::make_unique<NamedColor>();
    Lire_Decimal(file);
    element->color.red = val_DBL;
    Lire_Decimal(file);
    element->color.green = val_DBL;
    Lire_Decimal(file);
    element->color.blue = val_DBL;
    std::strcpy(element->name, name);
    addColorToList(&myColorList, element.release());
}
