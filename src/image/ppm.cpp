#include <cstdio>
#include <cstring>
#include <memory>

#include "image/image.h"
#include "image/image_file.h"

namespace {

std::FILE* fp = nullptr;
Picture image;
int imageWidth = 0;
int imageHeight = 0;

void writePPMHeader(int width, int height) {
    std::fprintf(fp, "P6\n%d %d\n255\n", width, height);
}

} // namespace

int openPPM(const char* name, int width, int height) {
    fp = createImageFile(name);
    if (fp == nullptr) {
        return -1;
    }
    writePPMHeader(width, height);
    image = allocatePicture(width, height);
    if (!image) {
        abandonImageFile(fp);
        fp = nullptr;
        return -2;
    }
    imageWidth = width;
    imageHeight = height;
    return 0;
}

int writePPMLine(unsigned char* rowPixels, int row) {
    if (!image || row < 0 || row >= imageHeight) {
        return -1;
    }
    std::size_t bytes = rowBytes(imageWidth);
    std::memcpy(image.get() + static_cast<std::size_t>(row) * bytes, rowPixels, bytes);
    return 0;
}

int closePPM() {
    if (fp == nullptr) {
        return -1;
    }
    std::size_t bytes = rowBytes(imageWidth);
    for (int row = 0; row < imageHeight; ++row) {
        if (std::fwrite(image.get() + static_cast<std::size_t>(row) * bytes, 1, bytes, fp) !=
            bytes) {
            break;
        }
    }
    image.reset();
    std::FILE* file = fp;
    fp = nullptr;
    return finishImageFile(file);
}
