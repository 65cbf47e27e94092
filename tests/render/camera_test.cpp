#include <cmath>

#include "render_fixture.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDefaultFov = 0.39269908169872414; // half of 45 degrees

class CameraTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        // The camera block's defaults with the example camera.
        myViewPoint.position = {0, -10, 0};
        myViewPoint.look_at = {0, 0, 0};
        myViewPoint.up = {0, 0, 1};
        myViewPoint.fov = kDefaultFov;
        myViewPoint.ratio = 1.3333333333333333;
        myViewPoint.aperture = 0;
        myViewPoint.focal_length = 10;
        myViewPoint.camera_samples = 16;
        myViewPoint.projection_type = 0;
        myDisplay.width = 320;
        myDisplay.height = 240;
    }

    static Vector aim(double x, double y) {
        Ray primary;
        screenInit(primary);
        initRay(x, y, primary);
        return primary.direction;
    }
};

struct FrameCase {
    const char* name;
    Vector position;
    Vector look_at;
    Vector up;
    Vector viewvec;
    Vector leftvec;
    Vector looking_up;
};

TEST_F(CameraTest, FrameFollowsPositionLookAtAndUp) {
    const FrameCase cases[] = {
        {"example camera", {0, -10, 0}, {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},
        {"up not perpendicular", {0, -10, 0}, {0, 0, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},
        {"up not of unit length", {0, -10, 0}, {0, 0, 0}, {0, 0, 5}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},
        {"upside down", {0, -10, 0}, {0, 0, 0}, {0, 0, -1}, {0, 1, 0}, {-1, 0, 0}, {0, 0, -1}},
        {"looking along x", {-3, 0, 0}, {5, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
        {"oblique", {1, 1, 1}, {1, 4, 5}, {0, 0, 1}, {0, 0.6, 0.8}, {1, 0, 0}, {0, -0.8, 0.6}},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetCameraFrame();
        myViewPoint.position = c.position;
        myViewPoint.look_at = c.look_at;
        myViewPoint.up = c.up;
        Ray primary = {};
        screenInit(primary);
        expectNear(viewvec, c.viewvec, 1e-15);
        expectNear(leftvec, c.leftvec, 1e-15);
        expectNear(looking_up, c.looking_up, 1e-15);
        // The camera's up is replaced by the perpendicular unit vector.
        expectNear(myViewPoint.up, c.looking_up, 1e-15);
        expectNear(primary.origin, c.position, 0);
        expectNear(primary.direction, c.viewvec, 1e-15);
    }
}

struct FovCase {
    const char* name;
    double fovDegrees;
    double ratio;
    double frustrumwidth;
};

TEST_F(CameraTest, WindowTangentsComeFromTheHalfAngles) {
    const FovCase cases[] = {
        {"default 45 degrees", 45, 1.3333333333333333, std::tan(kPi / 8)},
        {"90 degrees", 90, 1.3333333333333333, 1.0},
        {"90 degrees, ratio 1", 90, 1, 1.0},
        {"120 degrees, ratio 2", 120, 2, std::sqrt(3.0)},
    };
    for (const FovCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetCameraFrame();
        myViewPoint.fov = c.fovDegrees * 0.5 * kPi / 180; // as the camera block stores it
        myViewPoint.ratio = c.ratio;
        Ray primary;
        screenInit(primary);
        EXPECT_NEAR(frustrumwidth, c.frustrumwidth, 1e-15);
        EXPECT_EQ(myViewPoint.verticalFov, myViewPoint.fov / c.ratio);
        // The vertical window is the tangent of the divided angle, not a divided tangent.
        EXPECT_NEAR(frustrumheight, std::tan(myViewPoint.fov / c.ratio), 1e-15);
    }
}

TEST_F(CameraTest, LensAxesAreScaledByTheAperture) {
    myViewPoint.aperture = 0.25;
    Ray primary;
    screenInit(primary);
    expectNear(myViewPoint.lensHorizontal, {0.25, 0, 0}, 0);
    expectNear(myViewPoint.lensVertical, {0, 0, -0.25}, 0);

    // A pinhole camera leaves the lens axes alone.
    resetCameraFrame();
    myViewPoint.aperture = 0;
    myViewPoint.lensHorizontal = {7, 7, 7};
    myViewPoint.lensVertical = {8, 8, 8};
    screenInit(primary);
    expectNear(myViewPoint.lensHorizontal, {7, 7, 7}, 0);
    expectNear(myViewPoint.lensVertical, {8, 8, 8}, 0);
}

TEST_F(CameraTest, FrameIsComputedOnceUntilReset) {
    Ray first = {};
    screenInit(first);
    const Vector before = viewvec;

    // A later call fills the caller's ray from the computed frame without recomputing it.
    myViewPoint.look_at = {10, -10, 0};
    Ray second = {{9, 9, 9}, {9, 9, 9}};
    screenInit(second);
    expectNear(viewvec, before, 0);
    expectNear(second.origin, myViewPoint.position, 0);
    expectNear(second.direction, before, 0);

    resetCameraFrame();
    screenInit(second);
    expectNear(viewvec, {1, 0, 0}, 1e-15);
    expectNear(second.direction, {1, 0, 0}, 1e-15);
}

TEST_F(CameraTest, RecomputingTheFrameGivesTheSameFrame) {
    myViewPoint.position = {1, 2, 3};
    myViewPoint.look_at = {-4, 7, 1};
    myViewPoint.up = {0.3, 0.1, 2};
    Ray primary;
    screenInit(primary);
    const Vector view = viewvec, left = leftvec, up = looking_up;
    resetCameraFrame();
    screenInit(primary);
    expectNear(viewvec, view, 0);
    expectNear(leftvec, left, 1e-15);
    expectNear(looking_up, up, 1e-15);
}

struct AimCase {
    const char* name;
    int projection;
    double x;
    double y;
    Vector expected; // before normalisation
};

TEST_F(CameraTest, ImageCornersAndCentre) {
    const double fw = std::tan(kDefaultFov);
    const double fh = std::tan(kDefaultFov / 1.3333333333333333);
    const double vfov = kDefaultFov / 1.3333333333333333;
    // Fisheye: columns span -fov..fov, rows +verticalFov (top) to -verticalFov.
    const auto fisheye = [](double a, double b) {
        return Vector{std::sin(a), std::cos(a) * std::cos(b), std::sin(b)};
    };
    const AimCase cases[] = {
        {"flat centre", 0, 160, 120, {0, 1, 0}},
        {"flat top left", 0, 0, 0, {-fw, 1, fh}},
        {"flat top right", 0, 320, 0, {fw, 1, fh}},
        {"flat bottom left", 0, 0, 240, {-fw, 1, -fh}},
        {"flat bottom right", 0, 320, 240, {fw, 1, -fh}},
        {"flat quarter", 0, 80, 180, {-fw / 2, 1, -fh / 2}},
        {"fisheye centre", 1, 160, 120, {0, 1, 0}},
        {"fisheye top left", 1, 0, 0, fisheye(-kDefaultFov, vfov)},
        {"fisheye bottom right", 1, 320, 240, fisheye(kDefaultFov, -vfov)},
        {"fisheye left edge", 1, 0, 120, fisheye(-kDefaultFov, 0)},
    };
    for (const AimCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetCameraFrame();
        myViewPoint.projection_type = c.projection;
        expectNear(aim(c.x, c.y), unit(c.expected), 1e-15);
    }
}

TEST_F(CameraTest, CentreIsTheViewDirectionExactly) {
    myViewPoint.position = {0.5, -3, 2};
    myViewPoint.look_at = {4, 1, -1};
    for (int projection : {0, 1}) {
        SCOPED_TRACE(projection);
        resetCameraFrame();
        myViewPoint.projection_type = projection;
        const Vector d = aim(160, 120);
        Vector expected = viewvec;
        VecNorm(expected);
        expectNear(d, expected, 0);
    }
}

TEST_F(CameraTest, FisheyeEdgeOfA90DegreeFieldLooks45DegreesAside) {
    myViewPoint.projection_type = 1;
    myViewPoint.fov = 90 * 0.5 * kPi / 180;
    const Vector d = aim(0, 120);
    EXPECT_NEAR(dot(d, viewvec), std::cos(kPi / 4), 1e-15);
    EXPECT_NEAR(dot(d, leftvec), -std::sin(kPi / 4), 1e-15);
    EXPECT_NEAR(dot(d, looking_up), 0, 1e-15);
}

TEST_F(CameraTest, InitRayKeepsTheOrigin) {
    Ray primary;
    screenInit(primary);
    primary.origin = {3, 4, 5};
    initRay(10, 20, primary);
    expectNear(primary.origin, {3, 4, 5}, 0);
    EXPECT_NEAR(dot(primary.direction, primary.direction), 1, 1e-15);
}

// Depth of field. The scene is one small bright sphere and a far sphere; every lens ray
// that passes through the small one's centre sees its colour.
class DepthOfFieldTest : public CameraTest {
  protected:
    Color shootAt(double distanceAlongRay, int seed) {
        Ray primary;
        screenInit(primary);
        initRay(100.5, 60.5, primary);
        const Vector centre = primary.origin + distanceAlongRay * primary.direction;
        SurfaceAttrib bright = dull({0.5, 0.5, 0.5});
        bright.ambient = 1;
        withSurface(makeSphere(centre.x, centre.y, centre.z, 0.05), bright);
        addFarSphere();
        build();
        useBandRandom(seed);
        Color colour = {-1, -1, -1};
        int level = 0;
        shoot(primary, colour, level);
        EXPECT_EQ(level, 0);
        return colour;
    }
};

TEST_F(DepthOfFieldTest, EveryLensSamplePassesThroughThePointInFocus) {
    myViewPoint.aperture = 1;
    myViewPoint.focal_length = 10;
    for (int seed = 0; seed < 5; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        clearObjects();
        resetCameraFrame();
        expectEqual(shootAt(10, seed), {0.5, 0.5, 0.5});
    }
}

TEST_F(DepthOfFieldTest, APointOutOfFocusIsBlurred) {
    myViewPoint.aperture = 1;
    myViewPoint.focal_length = 10;
    const int seed = 3;
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    const Color c = shootAt(5, seed);
    // Some of the 16 lens rays miss the small sphere, so the mean lies below its colour.
    EXPECT_LT(c.red, 0.5);
    EXPECT_GE(c.red, 0);
}

TEST_F(DepthOfFieldTest, EachLensSampleDrawsFourNumbers) {
    struct Case {
        double aperture;
        int samples;
        int draws;
    };
    for (const Case& c : {Case{0, 16, 0}, Case{0.5, 1, 4}, Case{0.5, 3, 12}, Case{2, 16, 64}}) {
        SCOPED_TRACE(testing::Message() << "aperture " << c.aperture << " samples " << c.samples);
        clearObjects();
        resetCameraFrame();
        myViewPoint.aperture = c.aperture;
        myViewPoint.camera_samples = c.samples;
        const std::vector<double> expected = bandSequence(11, c.draws + 1);
        addFarSphere();
        addFarSphere();
        build();
        Ray primary;
        screenInit(primary);
        initRay(10, 10, primary);
        useBandRandom(11);
        Color colour;
        int level = 0;
        shoot(primary, colour, level);
        EXPECT_EQ(randomUnit(), expected.back());
    }
}

TEST_F(DepthOfFieldTest, PinholeShootIsOneTrace) {
    myBackGroundColor = {0.25, 2, 0.5};
    addFarSphere();
    addFarSphere();
    build();
    Ray primary;
    screenInit(primary);
    Color colour;
    int level = 0;
    shoot(primary, colour, level);
    // A miss keeps the background unclamped.
    expectEqual(colour, {0.25, 2, 0.5});
}

} // namespace
