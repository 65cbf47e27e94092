#include <cstdio>

#include "image/image.h"
#include "image/image_file.h"

namespace {

WriterState ppm;

void writePPMHeader(std::FILE* file, int width, int height) {
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
}

} // namespace

int openPPM(const char* name, int width, int height) {
    return openWriter(ppm, name, width, height, writePPMHeader);
}

int writePPMLine(unsigned char* rowPixels, int row) { return storeRow(ppm, rowPixels, row); }

int closePPM() { return closeWriter(ppm, RowOrder::TopDown, 0); }
