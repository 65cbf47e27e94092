#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "geometry/vector.h"

// What the scans under test did: every sample position in order, and every row handed on.
struct SamplePoint {
    double x;
    double y;
    bool operator==(const SamplePoint&) const = default;
};

struct ScanRecord {
    std::vector<SamplePoint> samples;
    std::vector<int> rows; // in the order handed on
    std::map<int, std::vector<unsigned char>> pixels;
};

// Filled by the recording sampler and row sink that the fixture installs.
extern ScanRecord record;
// Colour the recording sampler returns for an image position.
extern std::function<Color(double x, double y)> colourAt;

// A colour whose channels convert to exactly these byte levels.
Color levels(int red, int green, int blue);

// The scans draw samples from colourAt and hand rows to the record. The sink scrambles
// each row after copying it, as the TGA and BMP writers reorder rows in place, so a scan
// that reuses a handed-on buffer shows up in later rows.
class ScanTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Image size and one band of it.
    static void setImage(int width, int height);
    static void setBand(int band, int firstRow, int endRow);
};

// Runs the scan of anti-aliasing mode 0, 1 or 2 on `band`.
void runScan(int mode, int band);
