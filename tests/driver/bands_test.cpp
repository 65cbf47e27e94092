#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/bands.h"
#include "driver/scene_state.h"

namespace {

const std::string kWarning = " Warning the height and the number of threads are incompatible.\n"
                             " The number of threads must be a multiplier of the height.\n";

struct SplitCase {
    int height;
    int count;
    std::vector<RowBand> bands;
    std::string messages;
    int threadsAfter;
};

class BandBoundsTest : public ::testing::Test {
  protected:
    void SetUp() override { resetSceneState(); }
    void TearDown() override { resetSceneState(); }
};

TEST_F(BandBoundsTest, CoversEveryRowOnceWithTheMessages) {
    const std::vector<SplitCase> cases = {
        {240,
         8,
         {{0, 30}, {30, 60}, {60, 90}, {90, 120}, {120, 150}, {150, 180}, {180, 210}, {210, 240}},
         " Running 8 threads\n",
         8},
        {100,
         8,
         {{0, 12}, {12, 25}, {25, 37}, {37, 50}, {50, 62}, {62, 75}, {75, 87}, {87, 100}},
         kWarning + " Running 8 threads\n",
         8},
        {101, 4, {{0, 25}, {25, 50}, {50, 75}, {75, 101}}, kWarning + " Running 4 threads\n", 4},
        {240, 4, {{0, 60}, {60, 120}, {120, 180}, {180, 240}}, " Running 4 threads\n", 4},
        {240, 2, {{0, 120}, {120, 240}}, " Running 2 threads\n", 2},
        {7, 2, {{0, 3}, {3, 7}}, kWarning + " Running 2 threads\n", 2},
        {1, 2, {{0, 0}, {0, 1}}, kWarning + " Running 2 threads\n", 2},
        {3,
         8,
         {{0, 0}, {0, 0}, {0, 1}, {1, 1}, {1, 1}, {1, 2}, {2, 2}, {2, 3}},
         kWarning + " Running 8 threads\n",
         8},
        // Heights near the int limit must not overflow k * H.
        {2147483640,
         8,
         {{0, 268435455},
          {268435455, 536870910},
          {536870910, 805306365},
          {805306365, 1073741820},
          {1073741820, 1342177275},
          {1342177275, 1610612730},
          {1610612730, 1879048185},
          {1879048185, 2147483640}},
         " Running 8 threads\n",
         8},
        {240,
         3,
         {{0, 120}, {120, 240}},
         " Invalid number of threads: defaulting to 2 threads\n",
         2},
        {241,
         6,
         {{0, 120}, {120, 241}},
         kWarning + " Invalid number of threads: defaulting to 2 threads\n",
         2},
    };
    for (const SplitCase& test : cases) {
        SCOPED_TRACE("H = " + std::to_string(test.height) + ", " + std::to_string(test.count) +
                     " threads");
        resetSceneState();
        myDisplay.height = test.height;
        numThreads = test.count;
        testing::internal::CaptureStdout();
        initMTBounds(test.count);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), test.messages);
        EXPECT_EQ(numThreads, test.threadsAfter);
        for (std::size_t k = 0; k < test.bands.size(); ++k) {
            SCOPED_TRACE("band " + std::to_string(k));
            EXPECT_EQ(iBounds[k].firstRow, test.bands[k].firstRow);
            EXPECT_EQ(iBounds[k].endRow, test.bands[k].endRow);
        }
        // Bands beyond the count are left alone.
        for (std::size_t k = test.bands.size(); k < kMaxBands; ++k) {
            EXPECT_EQ(iBounds[k].firstRow, 0);
            EXPECT_EQ(iBounds[k].endRow, 0);
        }
    }
}

} // namespace
