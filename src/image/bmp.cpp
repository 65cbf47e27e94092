#include <array>
#include <cstdint>
#include <cstdio>

#include "image/image.h"
#include "image/image_file.h"

namespace {

WriterState bmp;

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

void writeBMPHeader(std::FILE* file, int width, int height) {
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
    std::fwrite(header.data(), 1, header.size(), file);
}

} // namespace

int openBMP(const char* name, int width, int height) {
    // The file size field is 32 bits wide.
    if (width > 0 && height > 0 &&
        kHeaderSize + fileRowSize(width) * static_cast<std::uint64_t>(height) > UINT32_MAX) {
        return -1;
    }
    return openWriter(bmp, name, width, height, writeBMPHeader);
}

int writeBMPLine(unsigned char* rowPixels, int row) {
    if (!bmp.image || row < 0 || row >= bmp.height) {
        return -1;
    }
    swapRedBlue(rowPixels, bmp.width);
    return storeRow(bmp, rowPixels, row);
}

int closeBMP() {
    auto padding = static_cast<std::size_t>(fileRowSize(bmp.width)) - rowBytes(bmp.width);
    return closeWriter(bmp, RowOrder::BottomUp, padding);
}
