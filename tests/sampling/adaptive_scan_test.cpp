#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "driver/scene_state.h"
#include "render/random.h"
#include "sampling/scan.h"
#include "scan_fixture.h"

namespace {

using AdaptiveScanTest = ScanTest;

struct Levels {
    int red, green, blue;
};

// One pixel at column 0 of row `row` whose four corners have the given levels and whose
// inner lattice points have `inner`.
void cornerField(int row, Levels tl, Levels tr, Levels bl, Levels br, Levels inner) {
    colourAt = [=](double x, double y) {
        Levels l = inner;
        if (x == 0 && y == row) {
            l = tl;
        } else if (x == 1 && y == row) {
            l = tr;
        } else if (x == 0 && y == row + 1) {
            l = bl;
        } else if (x == 1 && y == row + 1) {
            l = br;
        }
        return levels(l.red, l.green, l.blue);
    };
}

std::vector<SamplePoint> cornersOf(int row) {
    return {{0, static_cast<double>(row)},
            {1, static_cast<double>(row)},
            {0, row + 1.0},
            {1, row + 1.0}};
}

TEST_F(AdaptiveScanTest, PixelIsTheMeanOfItsCornersUnlessOneDiffersByTheThreshold) {
    // clang-format off
    const struct {
        const char* name; // how the corners relate to the threshold
        int adaptDist;
        Levels tl, tr, bl, br;
        int splits;
        Levels pixel; // when it does not split
    } cases[] = {
        {"within", 20, {100, 5, 5}, {100, 5, 5}, {100, 5, 5}, {120, 5, 5}, 0, {105, 5, 5}},
        {"equal", 15, {100, 5, 5}, {100, 5, 5}, {100, 5, 5}, {120, 5, 5}, 1, {}},
        {"one below", 16, {100, 5, 5}, {100, 5, 5}, {100, 5, 5}, {120, 5, 5}, 0, {105, 5, 5}},
        {"green alone", 20, {9, 0, 3}, {9, 0, 3}, {9, 0, 3}, {9, 40, 3}, 1, {}},
        {"blue alone", 20, {9, 3, 0}, {9, 3, 0}, {9, 3, 0}, {9, 3, 40}, 1, {}},
        {"top right", 20, {9, 3, 3}, {60, 3, 3}, {9, 3, 3}, {9, 3, 3}, 1, {}},
        {"1, all equal", 1, {7, 8, 9}, {7, 8, 9}, {7, 8, 9}, {7, 8, 9}, 0, {7, 8, 9}},
        {"1, one level", 1, {100, 8, 8}, {100, 8, 8}, {101, 8, 8}, {100, 8, 8}, 1, {}},
        {">255", 256, {0, 255, 0}, {255, 0, 0}, {255, 0, 255}, {0, 255, 255}, 0, {127, 127, 127}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        adapt_dist = c.adaptDist;
        setImage(1, 6);
        setBand(0, 5, 6);
        cornerField(5, c.tl, c.tr, c.bl, c.br, {200, 200, 200});
        scanAdaptive(0);

        ASSERT_GE(record.samples.size(), 4u);
        const std::vector<SamplePoint> firstFour(record.samples.begin(),
                                                 record.samples.begin() + 4);
        EXPECT_EQ(firstFour, cornersOf(5)) << "corners fetched TL, TR, BL, BR";
        if (c.splits) {
            EXPECT_GT(record.samples.size(), 4u);
        } else {
            EXPECT_EQ(record.samples.size(), 4u);
            EXPECT_EQ(record.pixels[5],
                      (std::vector<unsigned char>{static_cast<unsigned char>(c.pixel.red),
                                                  static_cast<unsigned char>(c.pixel.green),
                                                  static_cast<unsigned char>(c.pixel.blue)}));
        }
    }
}

TEST_F(AdaptiveScanTest, SplitFetchesEachQuarterInTurnAndReusesSharedCells) {
    adapt_dist = 20;
    setImage(1, 4);
    setBand(0, 3, 4);
    // Corners 100, 100, 100, 140: the pixel and its bottom-right quarter split; the
    // quarter pixel at the bright corner averages to 110, its quarter to 102, the pixel
    // to 100.
    cornerField(3, {100, 0, 0}, {100, 0, 0}, {100, 0, 0}, {140, 0, 0}, {100, 0, 0});
    scanAdaptive(0);

    const int cells[][2] = {{0, 0}, {4, 0}, {0, 4}, {4, 4}, {2, 0}, {0, 2}, {2, 2},
                            {4, 2}, {2, 4}, {3, 2}, {2, 3}, {3, 3}, {4, 3}, {3, 4}};
    std::vector<SamplePoint> expected;
    for (const auto& cell : cells) {
        expected.push_back({cell[0] * 0.25, 3 + cell[1] * 0.25});
    }
    EXPECT_EQ(record.samples, expected);
    EXPECT_EQ(record.pixels[3], (std::vector<unsigned char>{100, 0, 0}));
}

TEST_F(AdaptiveScanTest, EveryCellIsShotAtMostOncePerPixelEvenWhenAllSquaresSplit) {
    adapt_dist = 1;
    setImage(1, 1);
    setBand(0, 0, 1);
    // A different level at every lattice point forces every split down to quarter pixels.
    colourAt = [](double x, double y) {
        return levels(static_cast<int>(x * 4) * 40 + static_cast<int>(y * 4) * 7, 0, 0);
    };
    scanAdaptive(0);
    EXPECT_EQ(record.samples.size(), 25u);
    std::vector<SamplePoint> sorted = record.samples;
    std::sort(sorted.begin(), sorted.end(), [](const SamplePoint& a, const SamplePoint& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
}

// The new samples a uniform region costs, in order: pixel (j, i) of a band starting at
// firstRow shoots its top-left corner when it starts a row, its top-right corner in the
// band's first row, its bottom-left corner when it starts a row, and always its
// bottom-right corner; everything else comes from its left or upper neighbour.
std::vector<SamplePoint> uniformRegionSamples(int width, int firstRow, int endRow) {
    std::vector<SamplePoint> points;
    for (int i = firstRow; i < endRow; ++i) {
        for (int j = 0; j < width; ++j) {
            const double x = j;
            const double y = i;
            if (j == 0) {
                points.push_back({x, y});
            }
            if (i == firstRow) {
                points.push_back({x + 1, y});
            }
            if (j == 0) {
                points.push_back({x, y + 1});
            }
            points.push_back({x + 1, y + 1});
        }
    }
    return points;
}

TEST_F(AdaptiveScanTest, UniformRegionReusesEdgesAndSamplesTheImageBorders) {
    adapt_dist = 20;
    setImage(4, 7);
    setBand(5, 4, 7);
    colourAt = [](double, double) { return levels(40, 80, 120); };
    scanAdaptive(5);

    EXPECT_EQ(record.samples, uniformRegionSamples(4, 4, 7));
    // The last pixel of a row samples x = width, the last row of the picture y = height.
    EXPECT_EQ(record.samples.back(), (SamplePoint{4, 7}));
    ASSERT_EQ(record.rows, (std::vector<int>{4, 5, 6}));
    for (const int row : record.rows) {
        for (int j = 0; j < 4; ++j) {
            const std::vector<unsigned char> pixel(record.pixels[row].begin() + 3 * j,
                                                   record.pixels[row].begin() + 3 * j + 3);
            EXPECT_EQ(pixel, (std::vector<unsigned char>{40, 80, 120}))
                << "row " << row << " column " << j;
        }
    }
}

TEST_F(AdaptiveScanTest, JitterMovesEachCellByAtMostAnEighthOfAPixel) {
    const unsigned seed = 987654;
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    adapt_dist = 20;
    jitter = 1;
    setImage(3, 5);
    setBand(1, 2, 5);
    colourAt = [](double, double) { return levels(40, 80, 120); };

    std::srand(seed);
    std::vector<double> draws(100);
    for (double& u : draws) {
        u = randomUnit();
    }
    std::srand(seed);
    scanAdaptive(1);

    const std::vector<SamplePoint> nominal = uniformRegionSamples(3, 2, 5);
    ASSERT_EQ(record.samples.size(), nominal.size());
    for (std::size_t k = 0; k < nominal.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "sample " << k);
        const double u1 = draws[2 * k];
        const double u2 = draws[2 * k + 1];
        EXPECT_EQ(record.samples[k].x, nominal[k].x + u1 * 0.25 - 0.125);
        EXPECT_EQ(record.samples[k].y, nominal[k].y + u2 * 0.25 - 0.125);
        EXPECT_LE(std::abs(record.samples[k].x - nominal[k].x), 0.125);
        EXPECT_LE(std::abs(record.samples[k].y - nominal[k].y), 0.125);
    }
}

} // namespace
