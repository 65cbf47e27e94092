#include "render/camera.h"

#include <cmath>

#include "driver/scene_state.h"
#include "render/random.h"
#include "render/trace.h"

Vector viewvec = {};
Vector leftvec = {};
Vector looking_up = {};
double frustrumwidth = 0;
double frustrumheight = 0;

namespace {

// Set once the frame has been derived from the camera fields. The render run computes
// the frame on the main thread before any band thread starts, so threads only read it.
bool frameComputed = false;

Vector unit(Vector v) {
    VecNorm(v);
    return v;
}

void computeFrame() {
    ViewPoint& camera = myViewPoint;
    VecNorm(camera.up);
    viewvec = unit(camera.look_at - camera.position);
    leftvec = -unit(cross(camera.up, viewvec));
    camera.up = unit(cross(leftvec, viewvec));
    looking_up = camera.up;
    if (camera.aperture > 0) {
        // Scaled before they are stored: no reader may see an unscaled lens axis.
        const Vector horizontal = leftvec;
        const Vector vertical = unit(cross(viewvec, leftvec));
        camera.lensHorizontal = camera.aperture * horizontal;
        camera.lensVertical = camera.aperture * vertical;
    }
    camera.verticalFov = camera.fov / camera.ratio;
    frustrumwidth = std::tan(camera.fov);
    frustrumheight = std::tan(camera.verticalFov);
}

} // namespace

void screenInit(Ray& primary) {
    if (!frameComputed) {
        computeFrame();
        frameComputed = true;
    }
    primary.origin = myViewPoint.position;
    primary.direction = viewvec;
}

void resetCameraFrame() { frameComputed = false; }

void initRay(double x, double y, Ray& primary) {
    const double W = myDisplay.width;
    const double H = myDisplay.height;
    Vector direction;
    if (myViewPoint.projection_type != 1) {
        const double across = frustrumwidth * (2 * x / W - 1);
        const double down = frustrumheight * (2 * y / H - 1);
        direction = viewvec + across * leftvec - down * looking_up;
    } else {
        const double a = 2 * myViewPoint.fov * (x - W / 2) / W;
        const double b = -2 * myViewPoint.verticalFov * (y - H / 2) / H;
        direction = std::sin(a) * leftvec + std::sin(b) * looking_up +
                    std::cos(a) * std::cos(b) * viewvec;
    }
    VecNorm(direction);
    primary.direction = direction;
}

void shoot(const Ray& primary, Color& colour, int& levelOfRecursion) {
    const ViewPoint& camera = myViewPoint;
    if (camera.aperture <= 0) {
        trace(primary, colour, levelOfRecursion);
        return;
    }
    Color sum = {0, 0, 0};
    for (int sample = 0; sample < camera.camera_samples; ++sample) {
        // Focus lies at a fixed distance along each primary ray, not on a plane.
        const Vector focus = primary.origin + camera.focal_length * primary.direction;
        double u1 = randomUnit();
        const double u2 = randomUnit();
        if (u2 > 0.5) {
            u1 = -u1;
        }
        double u3 = randomUnit();
        const double u4 = randomUnit();
        if (u4 > 0.5) {
            u3 = -u3;
        }
        const Vector lensPoint =
            primary.origin + u1 * camera.lensHorizontal + u3 * camera.lensVertical;
        const Ray lensRay = {lensPoint, unit(focus - lensPoint)};
        trace(lensRay, colour, levelOfRecursion);
        sum.red = sum.red + colour.red;
        sum.green = sum.green + colour.green;
        sum.blue = sum.blue + colour.blue;
    }
    colour.red = sum.red / camera.camera_samples;
    colour.green = sum.green / camera.camera_samples;
    colour.blue = sum.blue / camera.camera_samples;
}
