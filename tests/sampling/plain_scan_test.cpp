#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "driver/scene_state.h"
#include "render/random.h"
#include "sampling/scan.h"
#include "scan_fixture.h"

namespace {

TEST(ColorToByte, TruncatesTimes255AndClamps) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double channel;
        int byte;
    } cases[] = {
        {0.0, 0},     {0.999, 254}, {1.0, 255},  {0.5, 127},        {1.0 / 255.0, 1},
        {-0.001, 0},  {-0.5, 0},    {-1e300, 0}, {1.001, 255},      {7.5, 255},
        {1e300, 255}, {inf, 255},   {-inf, 0},   {std::nan(""), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channel);
        EXPECT_EQ(colorToByte(c.channel), c.byte);
    }
}

// Red and green tell where a pixel's samples were taken: twice the position, in levels.
Color positionColour(double x, double y) {
    return levels(static_cast<int>(2 * x), static_cast<int>(2 * y), 7);
}

using PlainScanTest = ScanTest;

TEST_F(PlainScanTest, NoneAimsAtPixelCentresAndStoresEachPixelsOwnSample) {
    setImage(4, 8);
    setBand(1, 2, 5);
    colourAt = positionColour;
    scanNone(1);

    std::vector<SamplePoint> expected;
    for (int i = 2; i < 5; ++i) {
        for (int j = 0; j < 4; ++j) {
            expected.push_back({j + 0.5, i + 0.5});
        }
    }
    EXPECT_EQ(record.samples, expected);
    ASSERT_EQ(record.rows, (std::vector<int>{2, 3, 4}));
    for (int i = 2; i < 5; ++i) {
        std::vector<unsigned char> row;
        for (int j = 0; j < 4; ++j) {
            row.insert(row.end(), {static_cast<unsigned char>(2 * j + 1),
                                   static_cast<unsigned char>(2 * i + 1), 7});
        }
        EXPECT_EQ(record.pixels[i], row) << "row " << i;
    }
}

TEST_F(PlainScanTest, NoneConvertsChannelsToBytes) {
    setImage(1, 1);
    setBand(0, 0, 1);
    colourAt = [](double, double) { return Color{1.0, 0.5, 0.0}; };
    scanNone(0);
    EXPECT_EQ(record.pixels[0], (std::vector<unsigned char>{255, 127, 0}));
}

TEST_F(PlainScanTest, CornersAverageFourSamplesDroppingTheRemainder) {
    const struct {
        int tl, tr, bl, br;
        int red;
    } cases[] = {
        {255, 255, 255, 254, 254}, {255, 255, 255, 255, 255}, {0, 0, 0, 3, 0},
        {1, 2, 3, 4, 2},           {0, 255, 255, 255, 191},   {200, 0, 0, 0, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tl << " " << c.tr << " " << c.bl << " " << c.br);
        SetUp();
        setImage(1, 4);
        setBand(0, 3, 4);
        // Pixel (0, 3) has its corner samples at x 0.5 and 1.5, y 2.5 and 3.5.
        colourAt = [&c](double x, double y) {
            const int red = y < 3 ? (x < 1 ? c.tl : c.tr) : (x < 1 ? c.bl : c.br);
            return levels(red, 10, 20);
        };
        scanCorners(0);
        EXPECT_EQ(record.pixels[3],
                  (std::vector<unsigned char>{static_cast<unsigned char>(c.red), 10, 20}));
    }
}

TEST_F(PlainScanTest, CornersCentreEachPixelOnItsRightBottomCornerAndWriteTheFirstRow) {
    setImage(3, 6);
    setBand(2, 2, 4);
    colourAt = positionColour;
    scanCorners(2);

    // Samples at x = j + 0.5, y = i - 0.5 and i + 0.5 average to position (j + 1, i).
    ASSERT_EQ(record.rows, (std::vector<int>{2, 3}));
    for (int i = 2; i < 4; ++i) {
        std::vector<unsigned char> row;
        for (int j = 0; j < 3; ++j) {
            row.insert(row.end(), {static_cast<unsigned char>(2 * (j + 1)),
                                   static_cast<unsigned char>(2 * i), 7});
        }
        EXPECT_EQ(record.pixels[i], row) << "row " << i;
    }
}

// Where the plain and corner scans sample, in order, with and without jitter: a corner scan
// of n rows takes width + 1 samples for each of n + 1 sample rows, starting one row above.
TEST_F(PlainScanTest, SamplePositionsWithAndWithoutJitter) {
    const unsigned seed = 20240611;
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    for (const int mode : {0, 1}) {
        for (const int jittered : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " jitter " << jittered);
            SetUp();
            setImage(5, 9);
            setBand(3, 4, 7);
            jitter = jittered;

            std::srand(seed);
            std::vector<double> draws(200);
            for (double& u : draws) {
                u = randomUnit();
            }
            std::srand(seed);
            runScan(mode, 3);

            const int lastColumn = mode == 0 ? 4 : 5;
            const int firstRow = mode == 0 ? 4 : 3;
            std::vector<SamplePoint> expected;
            std::size_t next = 0;
            for (int i = firstRow; i < 7; ++i) {
                for (int j = 0; j <= lastColumn; ++j) {
                    if (jittered) {
                        const double u1 = draws[next++];
                        const double u2 = draws[next++];
                        expected.push_back({j + u1, i + u2});
                    } else {
                        expected.push_back({j + 0.5, i + 0.5});
                    }
                }
            }
            EXPECT_EQ(record.samples.size(),
                      static_cast<std::size_t>((lastColumn + 1) * (7 - firstRow)));
            EXPECT_EQ(record.samples, expected);
            EXPECT_EQ(record.rows, (std::vector<int>{4, 5, 6}));
        }
    }
}

} // namespace
