#include <array>
#include <cstdio>

#include "image/image.h"
#include "image/image_file.h"

namespace {

WriterState tga;

// The header's width and height fields are 16 bits wide.
constexpr int kMaxSide = 65535;

void writeTGAHeader(std::FILE* file, int width, int height) {
    std::array<unsigned char, 18> header{};
    header[2] = 2; // uncompressed true-colour
    header[12] = static_cast<unsigned char>(width & 0xFF);
    header[13] = static_cast<unsigned char>((width >> 8) & 0xFF);
    header[14] = static_cast<unsigned char>(height & 0xFF);
    header[15] = static_cast<unsigned char>((height >> 8) & 0xFF);
    header[16] = 24;
    header[17] = 0x20; // origin top-left: rows go into the file top row first
    std::fwrite(header.data(), 1, header.size(), file);
}

} // namespace

int openTGA(const char* name, int width, int height) {
    if (width > kMaxSide || height > kMaxSide) {
        return -1;
    }
    return openWriter(tga, name, width, height, writeTGAHeader);
}

int writeTGALine(unsigned char* rowPixels, int row) {
    if (!tga.image || row < 0 || row >= tga.height) {
        return -1;
    }
    swapRedBlue(rowPixels, tga.width);
    return storeRow(tga, rowPixels, row);
}

int closeTGA() { return closeWriter(tga, RowOrder::TopDown, 0); }
