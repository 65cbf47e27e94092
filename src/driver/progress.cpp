#include "driver/progress.h"

#include <cstdio>

#include "driver/scene_state.h"

namespace {

// Rows between two marks; pictures under ten rows get a mark for every row.
int markInterval() {
    const int interval = myDisplay.height / 10;
    return interval > 0 ? interval : 1;
}

} // namespace

void showProgressInit() {
    // The shorter scale matches the ten marks of a height divisible by ten; other heights
    // may get an eleventh mark.
    if (myDisplay.height % 10 == 0) {
        std::printf("\n 0%%------------------------------------------------------100%%\n ");
    } else {
        std::printf("\n 0%%------------------------------------------------------------100%%\n ");
    }
}

void showProgress(int row) {
    if (row % markInterval() != 0) {
        return;
    }
    static constexpr unsigned char kMark[6] = {0xB1, 0xB1, 0xB1, 0xB1, 0xB1, 0xB1};
    // One call per mark, so marks from several threads interleave whole.
    std::fwrite(kMark, 1, sizeof kMark, stdout);
    std::fflush(stdout);
}
