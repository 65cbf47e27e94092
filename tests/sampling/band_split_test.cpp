#include <cmath>
#include <string>
#include <vector>

#include "driver/scene_state.h"
#include "image/image.h"
#include "run_program.h"
#include "sampling/scan.h"
#include "scan_fixture.h"

namespace {

// Sharp edges everywhere, so the adaptive scan splits and the corner scan mixes colours.
Color edgyField(double x, double y) {
    const double dx = x - 6.3;
    const double dy = y - 9.1;
    const double red = dx * dx + dy * dy < 30 ? 0.9 : 0.15;
    const double green = static_cast<long>(std::floor(x * 1.7 + y)) % 2 ? 0.8 : 0.2;
    return {red, green, x / 16};
}

using BandSplitTest = ScanTest;

// Bands restart the corner scan's previous row and the adaptive scan's edge cache; for a
// deterministic picture the pixels must not depend on where the bands start.
TEST_F(BandSplitTest, SplittingIntoBandsKeepsEveryPixel) {
    const int width = 13;
    for (const int height : {20, 21, 7}) {
        for (const int mode : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << "height " << height << " mode " << mode);
            SetUp();
            adapt_dist = 20;
            setImage(width, height);
            colourAt = edgyField;
            setBand(0, 0, height);
            runScan(mode, 0);
            const auto whole = record.pixels;
            ASSERT_EQ(whole.size(), static_cast<std::size_t>(height));
            if (mode == 2) {
                // The field really makes squares split: more than the corners alone.
                EXPECT_GT(record.samples.size(),
                          static_cast<std::size_t>((width + 1) * (height + 1)));
            }

            for (const int bands : {2, 4, 8}) {
                SCOPED_TRACE(testing::Message() << bands << " bands");
                record = {};
                for (int k = 0; k < bands; ++k) {
                    setBand(k, k * height / bands, (k + 1) * height / bands);
                }
                for (int k = 0; k < bands; ++k) {
                    runScan(mode, k);
                }
                std::vector<int> expectedRows;
                for (int row = 0; row < height; ++row) {
                    expectedRows.push_back(row);
                }
                EXPECT_EQ(record.rows, expectedRows) << "each row once, bands in order";
                EXPECT_EQ(record.pixels, whole);
            }
        }
    }
}

// The default row sink stores rows in the image: a scan rendered into a real PPM file.
TEST_F(BandSplitTest, DefaultSinkWritesRowsIntoTheImage) {
    TempDir dir;
    scanRowSink = storeRow;
    iImageType = 2;
    setImage(3, 2);
    colourAt = [](double x, double y) {
        return levels(static_cast<int>(x * 10), static_cast<int>(y * 10) + 10, 99);
    };
    const std::string name = (dir.path() / "scan").string();
    ASSERT_EQ(openImage(name.c_str(), 3, 2), 0);
    setBand(0, 1, 2);
    setBand(1, 0, 1);
    scanCorners(0);
    scanCorners(1);
    ASSERT_EQ(closeImage(), 0);

    // Corner pixel (j, i) is centred on (j + 1, i); row 0 is primed from the row above.
    std::string expected = "P6\n3 2\n255\n";
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            expected += static_cast<char>((j + 1) * 10);
            expected += static_cast<char>(i * 10 + 10);
            expected += static_cast<char>(99);
        }
    }
    EXPECT_EQ(dir.read("scan.ppm"), expected);
}

} // namespace
