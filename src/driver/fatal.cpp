#include "driver/fatal.h"

#include <cstdio>
#include <cstdlib>

#include "image/image.h"

void fatalExit(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    discardImage();
    std::_Exit(status);
}
