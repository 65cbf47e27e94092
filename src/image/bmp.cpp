#include <array>
#include <cstdint>
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

constexpr std::uint64_t kHeaderSize = 54;

// Rows in the file are padded with zeros to a multiple of 4 bytes.
std::uint64_t fileRowSize(int width) {
    return (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
}

void put16(unsigned char* field, std::uint32_t value) {
    field[0] = static_cast<unsigned char>(value & 0xFF);
    field[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void put32(unsigned char* field, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) {
        field[k] = static_cast<unsigned char>((value >> (8 * k)) & 0xFF);
    }
}

void writeBMPHeader(int width, int height) {
    auto imageSize = static_cast<std::uint32_t>(fileRowSize(width) * height);
    std::array<unsigned char, kHeaderSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    put32(&header[2], static_cast<std::uint32_t>(kHeaderSize) + imageSize);
    put32(&header[10], static_cast<std::uint32_t>(kHeaderSize));
    put32(&header[14], 40);
    put32(&header[18], static_cast<std::uint32_t>(width));
    put32(&header[22], static_cast<std::uint32_t>(height)); // positive: bottom-up rows
    put16(&header[26], 1);
    put16(&header[28], 24);
    put32(&header[34], imageSize);
    std::fwrite(header.data(), 1, header.size(), fp);
}

} // namespace

int openBMP(const char* name, int width, int height) {
    // The file size field is 32 bits wide.
    if (width > 0 && height > 0 &&
        kHeaderSize + fileRowSize(width) * static_cast<std::uint64_t>(height) > UINT32_MAX) {
        return -1;
    }
    fp = createImageFile(name);
    if (fp == nullptr) {
        return -1;
    }
    writeBMPHeader(width, height);
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

int writeBMPLine(unsigned char* rowPixels, int row) {
    if (!image || row < 0 || row >= imageHeight) {
        return -1;
    }
    swapRedBlue(rowPixels, imageWidth);
    std::size_t bytes = rowBytes(imageWidth);
    std::memcpy(image.get() + static_cast<std::size_t>(row) * bytes, rowPixels, bytes);
    return 0;
}

int closeBMP() {
    if (fp == nullptr) {
        return -1;
    }
    std::size_t bytes = rowBytes(imageWidth);
    static constexpr unsigned char kPadding[3] = {0, 0, 0};
    std::size_t padding = static_cast<std::size_t>(fileRowSize(imageWidth)) - bytes;
    for (int row = imageHeight - 1; row >= 0; --row) {
        if (std::fwrite(image.get() + static_cast<std::size_t>(row) * bytes, 1, bytes, fp) !=
                bytes ||
            std::fwrite(kPadding, 1, padding, fp) != padding) {
            break;
        }
    }
    image.reset();
    std::FILE* file = fp;
    fp = nullptr;
    return finishImageFile(file);
}
