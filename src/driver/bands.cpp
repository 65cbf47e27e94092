#include "driver/bands.h"

#include <cstdio>

#include "driver/scene_state.h"

namespace {

// Band k of `count` covers rows (k*H)/count to ((k+1)*H)/count: every row exactly once,
// the remainder spread over the later bands.
void split(int count, int height) {
    for (int k = 0; k < count; ++k) {
        iBounds[k].firstRow = static_cast<int>(static_cast<long long>(k) * height / count);
        iBounds[k].endRow = static_cast<int>(static_cast<long long>(k + 1) * height / count);
    }
}

} // namespace

void initMTBounds(int count) {
    const int height = myDisplay.height;
    const bool multiple = count == 0 ? height == 0 : height % count == 0;
    if (!multiple) {
        std::printf(" Warning the height and the number of threads are incompatible.\n The "
                    "number of threads must be a multiplier of the height.\n");
    }
    switch (count) {
    case 2:
        split(2, height);
        std::printf(" Running 2 threads\n");
        break;
    case 4:
        split(4, height);
        std::printf(" Running 4 threads\n");
        break;
    case 8:
        split(8, height);
        std::printf(" Running 8 threads\n");
        break;
    default:
        std::printf(" Invalid number of threads: defaulting to 2 threads\n");
        numThreads = 2;
        split(2, height);
        break;
    }
}
