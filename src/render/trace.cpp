#include "render/trace.h"

#include <cmath>

#include "accel/traversal.h"
#include "driver/scene_state.h"
#include "render/light.h"
#include "render/random.h"

namespace {

// Centre of the uniform draws that jitter a fuzzy reflection.
constexpr double kJitterCentre = 0.5;

Vector unit(Vector v) {
    VecNorm(v);
    return v;
}

// colour += c * weight, channel by channel.
void addScaled(Color& colour, const Color& c, double weight) {
    colour.red = colour.red + c.red * weight;
    colour.green = colour.green + c.green * weight;
    colour.blue = colour.blue + c.blue * weight;
}

void scale(Color& c, double factor) {
    c.red = c.red * factor;
    c.green = c.green * factor;
    c.blue = c.blue * factor;
}

// Mirror image of d about the surface. N faces the ray, so d . N is negative; a ray
// grazing the surface (d . N = 0) goes on unchanged.
Vector mirrorDirection(const Vector& d, const Vector& N) {
    const double cosine = std::fabs(dot(d, N));
    if (cosine == 0) {
        return d;
    }
    const Vector scaled = {d.x / cosine, d.y / cosine, d.z / cosine};
    return unit(scaled + 2 * N);
}

// The light's colour as far as the shadow test lets it reach `point`.
Color shadowTest(const Light* light, const Object* object, const Ray& lightRay, double dist) {
    if (light->shadow_type == 1) {
        return smoothShadow(light, object, lightRay, dist);
    }
    return getLightColor(light, object, lightRay, dist);
}

void addLight(const Light* light, const Object* object, const Vector& N, const Vector& P,
              const Vector& R, Color& colour) {
    const SurfaceAttrib& surface = object->surfaceAttrib;
    Ray lightRay;
    const double dist = makeLightRay(light, P, lightRay);
    const Vector& L = lightRay.direction;

    double spot = 1;
    if (light->light_type == 1) {
        const double cosA = -dot(light->direction, L);
        if (cosA < light->cosMaxAngle) {
            return; // outside the cone: no shadow ray, no highlight
        }
        if (cosA >= light->cosMinAngle) {
            spot = 1;
        } else {
            spot = (cosA - light->cosMaxAngle) / (light->cosMinAngle - light->cosMaxAngle);
        }
    }

    Color lightColor = shadowTest(light, object, lightRay, dist);

    const double NL = dot(N, L);
    if (NL > kEpsilon && surface.diffuse > 0) {
        // Only blue is divided by 3; pictures depend on this exact test.
        const double m = lightColor.red + lightColor.green + lightColor.blue / 3.0;
        if (m > 1.0) {
            double a = 1;
            if (light->attenuation_type == 1) {
                a = 1 / dist;
            } else if (light->attenuation_type == 2) {
                a = 1 / (dist * dist);
            }
            scale(lightColor, a);
        }
        if (light->light_type == 1) {
            scale(lightColor, spot);
        }
        const double f = surface.brilliance > 1.0 ? std::pow(NL, surface.brilliance) : NL;
        colour.red = colour.red + lightColor.red * surface.color.red * f * surface.diffuse;
        colour.green =
            colour.green + lightColor.green * surface.color.green * f * surface.diffuse;
        colour.blue = colour.blue + lightColor.blue * surface.color.blue * f * surface.diffuse;
    }

    if (surface.specular > 0) {
        const double RL = dot(R, L);
        if (RL > kEpsilon) {
            // The highlight takes the light's colour only.
            const double highlight = std::pow(RL, surface.roughness);
            colour.red = colour.red + lightColor.red * highlight * surface.specular;
            colour.green = colour.green + lightColor.green * highlight * surface.specular;
            colour.blue = colour.blue + lightColor.blue * highlight * surface.specular;
        }
    }
}

Color reflectedColour(const SurfaceAttrib& surface, const Vector& P, const Vector& R,
                      const Hit& hit, int& levelOfRecursion) {
    Color reflected = {0, 0, 0};
    // Fewer than one sample has no mean: such a surface reflects sharply.
    if (surface.reflection_type == 1 && surface.reflection_samples >= 1) {
        const int n = surface.reflection_samples;
        // The spread shrinks with the distance of the point from the ray's origin.
        const double k = surface.reflection_radius / hit.t;
        Color sum = {0, 0, 0};
        for (int sample = 0; sample < n; ++sample) {
            const double u1 = randomUnit();
            const double u2 = randomUnit();
            const double u3 = randomUnit();
            const Vector J =
                unit({kJitterCentre - u1, kJitterCentre - u2, kJitterCentre - u3});
            const Ray fuzzy = {P, unit(R + k * J)};
            Color c;
            trace(fuzzy, c, levelOfRecursion);
            sum.red = sum.red + c.red;
            sum.green = sum.green + c.green;
            sum.blue = sum.blue + c.blue;
        }
        reflected.red = sum.red / n;
        reflected.green = sum.green / n;
        reflected.blue = sum.blue / n;
    } else {
        trace({P, R}, reflected, levelOfRecursion);
    }
    return reflected;
}

} // namespace

double trace(const Ray& ray, Color& colour, int& levelOfRecursion) {
    colour = {0, 0, 0};
    if (levelOfRecursion > kMaxRecursionLevel) {
        return 0;
    }
    Hit hit;
    if (!intersect(ray, kInfinity, hit, nullptr)) {
        // A miss keeps the scene's colour as given, above 1 included.
        colour = myHaze.haze_factor > 0 ? myHaze.haze_color : myBackGroundColor;
        return kInfinity;
    }
    const Vector P = ray.origin + hit.t * ray.direction;
    Vector N = hit.object->normalOp(hit.object, P);
    if (dot(N, ray.direction) > 0) {
        N = -N;
    }
    shade(hit.object, ray, N, P, colour, levelOfRecursion, hit);
    // Only from above: negative factors in a scene may still give negative channels.
    if (colour.red > 1.0) {
        colour.red = 1.0;
    }
    if (colour.green > 1.0) {
        colour.green = 1.0;
    }
    if (colour.blue > 1.0) {
        colour.blue = 1.0;
    }
    return hit.t;
}

void shade(const Object* object, const Ray& ray, const Vector& normal, const Vector& point,
           Color& colour, int& levelOfRecursion, const Hit& hit) {
    const SurfaceAttrib& surface = object->surfaceAttrib;
    const Vector& d = ray.direction;
    const Vector& N = normal;
    const Vector& P = point;

    Vector R = {0, 0, 0};
    if (surface.specular > 0 || surface.reflection > 0) {
        R = mirrorDirection(d, N);
    }

    colour.red = surface.color.red * surface.ambient;
    colour.green = surface.color.green * surface.ambient;
    colour.blue = surface.color.blue * surface.ambient;

    for (const Light* light = myLightList; light != nullptr; light = light->next) {
        addLight(light, object, N, P, R, colour);
    }

    if (surface.reflection > 0) {
        ++levelOfRecursion;
        const Color reflected = reflectedColour(surface, P, R, hit, levelOfRecursion);
        addScaled(colour, reflected, surface.reflection);
        --levelOfRecursion;
    }

    if (surface.refraction > 0 && surface.refraction_index > 1.0) {
        double nFrom = 1.0;
        double nTo = surface.refraction_index;
        if (hit.enter == 0) {
            nFrom = surface.refraction_index;
            nTo = 1.0;
        }
        Vector T;
        refractionDirection(nFrom, nTo, d, N, T);
        ++levelOfRecursion;
        Color refracted;
        const double t2 = trace({P, T}, refracted, levelOfRecursion);
        --levelOfRecursion;
        // Light that travelled t2 inside the object is absorbed by its colour.
        if (t2 > kEpsilon && hit.enter != 0) {
            refracted.red = refracted.red * std::pow(surface.color.red, t2);
            refracted.green = refracted.green * std::pow(surface.color.green, t2);
            refracted.blue = refracted.blue * std::pow(surface.color.blue, t2);
        }
        addScaled(colour, refracted, surface.refraction);
    }

    if (myHaze.haze_factor > 0) {
        // Above 1 the base of the power would be negative; full haze is the limit.
        const double factor = myHaze.haze_factor > 1.0 ? 1.0 : myHaze.haze_factor;
        const double h = 1 - std::pow(1 - factor, hit.t);
        colour.red = (1 - h) * colour.red + h * myHaze.haze_color.red;
        colour.green = (1 - h) * colour.green + h * myHaze.haze_color.green;
        colour.blue = (1 - h) * colour.blue + h * myHaze.haze_color.blue;
    }
}

int refractionDirection(double nFrom, double nTo, const Vector& d, const Vector& N, Vector& out) {
    const double eta = nFrom / nTo;
    const double cosI = -dot(d, N);
    const double k = 1 - eta * eta * (1 - cosI * cosI);
    if (k < 0) {
        out = unit(d + 2 * cosI * N);
        return 0;
    }
    out = eta * d + (eta * cosI - std::sqrt(k)) * N;
    return 1;
}
