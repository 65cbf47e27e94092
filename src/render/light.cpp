#include "render/light.h"

#include <cstdio>
#include <new>

#include "accel/traversal.h"
#include "render/random.h"

Light* myLightList = nullptr;

namespace {

// Centre of the uniform draws that jitter a smooth shadow's rays.
constexpr double kJitterCentre = 0.5;

Vector unit(Vector v) {
    VecNorm(v);
    return v;
}

} // namespace

void makeLight(double px, double py, double pz, double red, double green, double blue,
               int light_type, int attenuation_type, int shadow_type, double radius,
               int light_samples, double cosMinAngle, double cosMaxAngle, double dx, double dy,
               double dz) {
    Light* light = new (std::nothrow) Light{};
    if (light == nullptr) {
        std::printf(" Memory allocation for light failed. Light not added to scene.");
        return;
    }
    light->kind = kLight;
    light->color = {red, green, blue};
    light->position = {px, py, pz};
    light->direction = {dx, dy, dz};
    light->light_type = light_type;
    light->shadow_type = shadow_type;
    light->attenuation_type = attenuation_type;
    light->light_samples = light_samples;
    light->radius = radius;
    light->cosMinAngle = cosMinAngle;
    light->cosMaxAngle = cosMaxAngle;
    VecNorm(light->direction);
    addToList(&myLightList, light);
}

int freeList(Light** list) {
    int count = 0;
    while (*list != nullptr) {
        Light* first = *list;
        *list = first->next;
        delete first;
        ++count;
    }
    return count;
}

double makeLightRay(const Light* light, const Vector& point, Ray& lightRay) {
    Vector toLight = light->position - point;
    const double dist = VecNorm(toLight);
    lightRay = {point, toLight};
    return dist;
}

Color getLightColor(const Light* light, const Object* object, const Ray& lightRay, double dist) {
    // Every object blocks fully, whatever its surface; the shaded object never does.
    Hit hit;
    if (intersect(lightRay, dist, hit, object) != 0) {
        return {0, 0, 0};
    }
    return light->color;
}

Color smoothShadow(const Light* light, const Object* object, const Ray& lightRay, double dist) {
    const int n = light->light_samples;
    // Without a sample there is no mean to take: such a light casts a sharp shadow.
    if (n < 1) {
        return getLightColor(light, object, lightRay, dist);
    }
    // The light's angular size seen from the shaded point.
    const double k = light->radius / dist;
    Color sum = {0, 0, 0};
    for (int sample = 0; sample < n; ++sample) {
        const double u1 = randomUnit();
        const double u2 = randomUnit();
        const double u3 = randomUnit();
        const Vector J = unit({kJitterCentre - u1, kJitterCentre - u2, kJitterCentre - u3});
        // Every sample keeps the distance to the light's centre as its limit.
        const Ray shadowRay = {lightRay.origin, unit(lightRay.direction + k * J)};
        const Color c = getLightColor(light, object, shadowRay, dist);
        sum.red = sum.red + c.red;
        sum.green = sum.green + c.green;
        sum.blue = sum.blue + c.blue;
    }
    return {sum.red / n, sum.green / n, sum.blue / n};
}
