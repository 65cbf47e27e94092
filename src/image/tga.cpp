#include <array>
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

// The header's width and height fields are 16 bits wide.
constexpr int kMaxSide = 65535;

void writeTGAHeader(int width, int height) {
    std::array<unsigned char, 18> header{};
    header[2] = 2; // uncompressed true-colour
    header[12] = static_cast<unsigned char>(width & 0xFF);
    header[13] = static_cast<unsigned char>((width >> 8) & 0xFF);
    header[14] = static_cast<unsigned char>(height & 0xFF);
    header[15] = static_cast<unsigned char>((height >> 8) & 0xFF);
    header[16] = 24;
    header[17] = 0x20; // origin top-left: rows go into the file top row first
    std::fwrite(header.data(), 1, header.size(), fp);
}

} // namespace

int openTGA(const char* name, int width, int height) {
    if (width > kMaxSide || height > kMaxSide) {
        return -1;
    }
    fp = createImageFile(name);
    if (fp == nullptr) {
        return -1;
    }
    writeTGAHeader(width, height);
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

int writeTGALine(unsigned char* rowPixels, int row) {
    if (!image || row < 0 || row >= imageHeight) {
        return -1;
    }
    swapRedBlue(rowPixels, imageWidth);
    std::size_t bytes = rowBytes(imageWidth);
    std::memcpy(image.get() + static_cast<std::size_t>(row) * bytes, rowPixels, bytes);
    return 0;
}

int closeTGA() {
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
