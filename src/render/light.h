#pragma once

#include "geometry/object.h"

struct Light {
    Light* next;
    int kind; // 1
    Color color;
    Vector position;
    Vector direction; // unit spot axis
    int light_type;       // 0 point, 1 spot
    int shadow_type;      // 0 sharp, 1 smooth
    int attenuation_type; // 0 none, 1 1/d, 2 1/d^2
    int light_samples;
    double radius;
    double cosMinAngle;
    double cosMaxAngle;
};

extern Light* myLightList; // reverse order of the scene file

// Builds a light and puts it in front of myLightList. On allocation failure prints
// " Memory allocation for light failed. Light not added to scene." and adds nothing.
void makeLight(double px, double py, double pz, double red, double green, double blue,
               int light_type, int attenuation_type, int shadow_type, double radius,
               int light_samples, double cosMinAngle, double cosMaxAngle, double dx, double dy,
               double dz);

int freeList(Light** list);

// Fills lightRay = (point, unit direction toward the light); returns the distance.
double makeLightRay(const Light* light, const Vector& point, Ray& lightRay);
// The light's colour when nothing (but `object`) blocks lightRay before dist, else black.
Color getLightColor(const Light* light, const Object* object, const Ray& lightRay, double dist);
// Mean of light_samples jittered getLightColor results.
Color smoothShadow(const Light* light, const Object* object, const Ray& lightRay, double dist);
