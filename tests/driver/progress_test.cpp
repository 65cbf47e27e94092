#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/progress.h"
#include "driver/scene_state.h"

namespace {

const std::string kMark(6, '\xB1');

std::string scale(int hyphens) {
    return "\n 0%" + std::string(hyphens, '-') + "100%\n ";
}

struct ProgressCase {
    int height;
    int hyphens;
    std::vector<int> markedRows;
};

class ProgressBarTest : public ::testing::Test {
  protected:
    void SetUp() override { resetSceneState(); }
    void TearDown() override { resetSceneState(); }
};

// Every row reported once, in order, as a scan without anti-aliasing does.
TEST_F(ProgressBarTest, ScaleAndMarksForEveryReportedRow) {
    const std::vector<ProgressCase> cases = {
        {240, 54, {0, 24, 48, 72, 96, 120, 144, 168, 192, 216}},
        {250, 54, {0, 25, 50, 75, 100, 125, 150, 175, 200, 225}},
        {255, 60, {0, 25, 50, 75, 100, 125, 150, 175, 200, 225, 250}},
        {10, 54, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {19, 60, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        // Under ten rows: a mark for every row.
        {7, 60, {0, 1, 2, 3, 4, 5, 6}},
        {1, 60, {0}},
    };
    for (const ProgressCase& test : cases) {
        SCOPED_TRACE("H = " + std::to_string(test.height));
        myDisplay.height = test.height;
        testing::internal::CaptureStdout();
        showProgressInit();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), scale(test.hyphens));

        std::vector<int> marked;
        for (int row = 0; row < test.height; ++row) {
            testing::internal::CaptureStdout();
            showProgress(row);
            const std::string out = testing::internal::GetCapturedStdout();
            if (!out.empty()) {
                EXPECT_EQ(out, kMark) << "row " << row;
                marked.push_back(row);
            }
        }
        EXPECT_EQ(marked, test.markedRows);
    }
}

} // namespace
