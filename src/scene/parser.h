#pragma once

#include <cstdio>

#include "geometry/object.h"

// The scene file parser and its block parsers. Each block parser is called after its
// block keyword and reads through the closing "}"; errors throw SceneError (yyerror).

// Reads the scene and its includes. 0 when complete, -1 when a required block is missing.
// Throws SceneError / SceneFileError on errors in the text or unopenable files.
int parseFile(const char* path);
int parseScene(const char* path);
void yy_declare(FILE* file);

void yy_camera(FILE* file);
void yy_settings(FILE* file);
void yy_light(FILE* file);
void yy_surface(FILE* file);
void yy_sphere(FILE* file);
void yy_plane(FILE* file);
void yy_cone(FILE* file);
void yy_cylindre(FILE* file);
void yy_ring(FILE* file);
void yy_disc(FILE* file);
void yy_polygon(FILE* file);
void yy_triangle(FILE* file);
void yy_patch(FILE* file);

// The current surface: every surface block overwrites it, every primitive block copies
// it. Owned by parseFile for the length of the parse.
extern SurfaceAttrib* surface;

// The defaults of an empty surface block.
SurfaceAttrib defaultSurface();

// Copies the current surface into a new primitive (every field, setSurfaceAttrib order).
void attachCurrentSurface(Object* object);

// Block-presence counters: camera, settings, surface, light blocks read so far.
extern short c, s, su, l;
