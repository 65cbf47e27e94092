#include "scan_fixture.h"

#include <algorithm>

#include "driver/scene_state.h"
#include "render/camera.h"
#include "render/random.h"
#include "sampling/scan.h"

ScanRecord record;
std::function<Color(double x, double y)> colourAt;

namespace {

void recordingSampler(double x, double y, Ray&, Color& colour, int& levelOfRecursion) {
    EXPECT_EQ(levelOfRecursion, 0);
    record.samples.push_back({x, y});
    colour = colourAt(x, y);
}

void recordingSink(unsigned char* rowPixels, int row) {
    const std::size_t bytes = static_cast<std::size_t>(myDisplay.width) * 3;
    record.rows.push_back(row);
    record.pixels[row].assign(rowPixels, rowPixels + bytes);
    std::fill(rowPixels, rowPixels + bytes, static_cast<unsigned char>(0xA5));
}

} // namespace

Color levels(int red, int green, int blue) {
    // Half a level up, so that times 255 truncates to the level whatever the rounding.
    return {(red + 0.5) / 255.0, (green + 0.5) / 255.0, (blue + 0.5) / 255.0};
}

void ScanTest::SetUp() {
    resetSceneState();
    setMainDefaults();
    myViewPoint.position = {0, -10, 0};
    myViewPoint.look_at = {0, 0, 0};
    myViewPoint.up = {0, 0, 1};
    myViewPoint.fov = 0.5;
    myViewPoint.ratio = 1.0;
    resetCameraFrame();
    useProcessRandom();
    record = {};
    colourAt = [](double, double) { return levels(0, 0, 0); };
    scanSampler = recordingSampler;
    scanRowSink = recordingSink;
}

void ScanTest::TearDown() {
    scanSampler = shootSample;
    scanRowSink = storeRow;
    resetCameraFrame();
    resetSceneState();
}

void ScanTest::setImage(int width, int height) {
    myDisplay.width = width;
    myDisplay.height = height;
}

void ScanTest::setBand(int band, int firstRow, int endRow) {
    iBounds[band] = {firstRow, endRow};
}

void runScan(int mode, int band) {
    switch (mode) {
    case 0:
        scanNone(band);
        break;
    case 1:
        scanCorners(band);
        break;
    default:
        scanAdaptive(band);
        break;
    }
}
