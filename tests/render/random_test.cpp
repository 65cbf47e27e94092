#include <cstdlib>
#include <thread>
#include <vector>

#include "render_fixture.h"

namespace {

using RandomTest = RenderTest;

std::vector<double> draw(int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(randomUnit());
    }
    return values;
}

TEST_F(RandomTest, ProcessSourceIsRandDividedByItsMaximum) {
    std::srand(12345);
    std::vector<int> raw;
    for (int i = 0; i < 8; ++i) {
        raw.push_back(std::rand());
    }
    std::srand(12345);
    for (int value : raw) {
        EXPECT_EQ(randomUnit(), value / 2147483647.0);
    }
}

TEST_F(RandomTest, BandSourceRepeatsPerBandAndDiffersBetweenBands) {
    const int bands[] = {0, 1, 2, 3, 7, 8, 1000};
    std::vector<std::vector<double>> sequences;
    for (int band : bands) {
        SCOPED_TRACE(testing::Message() << "band " << band);
        useBandRandom(band);
        const std::vector<double> first = draw(200);
        useBandRandom(band);
        EXPECT_EQ(draw(200), first);
        for (double v : first) {
            ASSERT_GE(v, 0.0);
            ASSERT_LE(v, 1.0);
        }
        for (const std::vector<double>& other : sequences) {
            EXPECT_NE(first, other);
        }
        sequences.push_back(first);
    }
}

TEST_F(RandomTest, BandSourceSpreadsOverTheUnitInterval) {
    useBandRandom(5);
    const std::vector<double> values = draw(4000);
    int below = 0;
    double sum = 0;
    for (double v : values) {
        below += v < 0.5 ? 1 : 0;
        sum += v;
    }
    // Loose bounds: a broken scale (e.g. 32-bit values or a constant) falls far outside.
    EXPECT_GT(below, 1800);
    EXPECT_LT(below, 2200);
    EXPECT_NEAR(sum / values.size(), 0.5, 0.03);
}

TEST_F(RandomTest, BackToProcessSource) {
    useBandRandom(2);
    draw(3);
    useProcessRandom();
    std::srand(99);
    const int expected = std::rand();
    std::srand(99);
    EXPECT_EQ(randomUnit(), expected / 2147483647.0);
}

TEST_F(RandomTest, BandSourceBelongsToTheThreadThatInstalledIt) {
    const std::vector<double> band4 = bandSequence(4, 500);
    const std::vector<double> band6 = bandSequence(6, 500);
    useProcessRandom();

    std::vector<double> seen4, seen6, seenAgain4;
    std::thread a([&] {
        useBandRandom(4);
        seen4 = draw(500);
    });
    std::thread b([&] {
        useBandRandom(6);
        seen6 = draw(500);
    });
    std::thread c([&] {
        useBandRandom(4);
        seenAgain4 = draw(500);
    });
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(seen4, band4);
    EXPECT_EQ(seen6, band6);
    EXPECT_EQ(seenAgain4, band4);

    // The main thread still draws from rand().
    std::srand(7);
    const int expected = std::rand();
    std::srand(7);
    EXPECT_EQ(randomUnit(), expected / 2147483647.0);
}

} // namespace
